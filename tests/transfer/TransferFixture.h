#pragma once

#include "machines/MachineRecord.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>

class QDialog;
class QLineEdit;
class QWidget;
class ScriptedDialogs;
class ScriptedShell;
class TForm_Main;
class TransferPanelWindow;

// The application as the transfer commands see it: every window of the run, a
// machine database in a temporary folder, dialogs and shell answered by the test.
class TransferFixture
{
public:
    TransferFixture();
    ~TransferFixture();

    bool ok() const { return m_main != nullptr; }
    QString path(const QString &name) const;
    // A new folder under the temporary folder (native separators, no separator at the end).
    QString makeFolder(const QString &name) const;

    // Registers a machine and selects it (the selected-machine values of the run).
    QString addMachine(const QString &type, const QString &programDirectory);
    void select(const QString &id, const QString &type, const QString &programDirectory);

    // What the directory and the FTP window do with a missing destination name. Sending
    // `file` with the name field `name` set to `blank`: the window asks for the name, keeps
    // it focused and stays open.
    void sendWithBlankName(TransferPanelWindow *window, QLineEdit *name, const QString &blank, const QString &file);
    // Receiving with the name `firstName` and no file, then with the file `selectFile`
    // picks in `list` but the name `blank`: the window asks for the file (focus on the list),
    // then for the name (focus on it), and stays open.
    void receiveAsksForFileThenName(TransferPanelWindow *window, QWidget *list, QLineEdit *name,
                                    const QString &firstName, const QString &blank,
                                    const std::function<void()> &selectFile);

    ScriptedDialogs &dialogs() { return *m_dialogs; }
    ScriptedShell &shell() { return *m_shell; }
    TForm_Main *main() const { return m_main; }

private:
    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    int m_machines = 0;
};

// Runs `action` once `window` is shown (modally, by the code under test), then
// closes it should it still be open. shown() tells whether it was shown at all.
class WhenShown
{
public:
    WhenShown(QDialog *window, std::function<void()> action);
    ~WhenShown();
    bool shown() const { return m_shown; }

private:
    struct Private;
    Private *d;
    bool m_shown = false;
};
