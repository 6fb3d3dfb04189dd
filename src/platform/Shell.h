#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the desktop shell offers the program: opening a help page or a file with
// its associated program, moving to the trash, and the clipboard's file list.
class Shell
{
public:
    virtual ~Shell() = default;
    // Shows a local HTML page of the help tree in the help viewer the application
    // installed (setHelpViewer), or else hands it to the desktop.
    virtual void openHelpPage(const QString &path) = 0;
    // Opens a file with the program the desktop associates with it.
    virtual bool openWithAssociatedProgram(const QString &path) = 0;
    // Whether the desktop has a program for the file's type, so that opening it
    // can work (a CNC program often has none).
    virtual bool hasAssociatedProgram(const QString &path) = 0;
    // Moves a file or folder to the trash; false with the reason in *error.
    virtual bool moveToTrash(const QString &path, QString *error) = 0;
    // The files on the clipboard (a copy in a file manager), and putting files there.
    virtual QStringList clipboardFiles() = 0;
    virtual void setClipboardFiles(const QStringList &paths) = 0;
};

Shell &shell();
// Installs another implementation (not owned); nullptr restores the real one.
void setShell(Shell *s);
// Where the real shell shows help pages: the application's own help window, so
// that help needs no program to be installed for HTML pages. Empty: the desktop.
void setHelpViewer(std::function<void(const QString &path)> viewer);

// For tests: records what was opened, keeps its own clipboard.
class ScriptedShell : public Shell
{
public:
    ScriptedShell() { setShell(this); }
    ~ScriptedShell() override { setShell(nullptr); }
    void openHelpPage(const QString &path) override { helpPages << path; }
    bool openWithAssociatedProgram(const QString &path) override
    {
        openedFiles << path;
        return true;
    }
    bool hasAssociatedProgram(const QString &path) override { return !withoutProgram.contains(path); }
    bool moveToTrash(const QString &path, QString *error) override;
    QStringList clipboardFiles() override { return clipboard; }
    void setClipboardFiles(const QStringList &paths) override { clipboard = paths; }

    QStringList helpPages;
    QStringList openedFiles;
    QStringList withoutProgram; // files the desktop has no program for
    QStringList trashed;
    QStringList clipboard;
};

// Keeps the system from showing its own critical-error dialogs for this process
// (an empty removable drive, for example); errors reach the program instead.
void suppressSystemErrorDialogs();
