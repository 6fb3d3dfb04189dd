#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QWidget;

// Every dialog the program shows goes through this interface, so that tests can
// answer them and read what a user would have seen. The real implementation uses
// Qt's dialogs; ScriptedDialogs records calls and returns queued answers.
class Dialogs
{
public:
    enum class Icon { None, Error, Information, Question, Warning };
    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4, Cancel = 8, YesToAll = 16 };

    virtual ~Dialogs() = default;

    // A message box titled "Zavrin" with the given icon, text and buttons; returns the
    // button pressed (Cancel, or No when there is no Cancel, if the box is closed).
    virtual Button message(Icon icon, const QString &text, int buttons, Button defaultButton) = 0;
    // The application's standard error box (error icon, OK) with an error's own text.
    virtual void errorBox(const QString &text) = 0;
    // File and folder pickers; an empty result means cancelled.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &folder,
                             const QString &filter) = 0;
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &suggestedPath,
                             const QString &filter) = 0;
    virtual QString pickFolder(QWidget *parent, const QString &title, const QString &folder) = 0;
    virtual std::optional<QColor> pickColour(QWidget *parent, const QColor &initial) = 0;
    virtual std::optional<QFont> pickFont(QWidget *parent, const QFont &initial) = 0;
    // A line of text typed by the user (hidden as typed when secret): nothing when cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &prompt, const QString &initial,
                                           bool secret) = 0;
};

// The dialogs in use (the real ones unless a test installed others).
Dialogs &dialogs();
// Installs another implementation (not owned); nullptr restores the real one.
void setDialogs(Dialogs *d);

// The message categories of the program. The caller passes the icon explicitly,
// because the category word at the start of the text is translated.
namespace Msg {
void error(const QString &text);       // error icon, OK
void information(const QString &text); // information icon, OK
void attention(const QString &text);   // warning icon, OK
bool question(const QString &text);    // question icon, Yes and No; true for Yes
} // namespace Msg

#include <functional>

// The edge of a user action: runs it and shows any Error (or other exception) in
// the standard error box. Returns false when the action failed.
bool guarded(const std::function<void()> &action);
