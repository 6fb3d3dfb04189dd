#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
class QLineEdit;
class QToolButton;
class ShellListView;
class ShellTreeView;
class TForm_Main;

// The directory browser of the main window's first page: the folder tree
// ShellTreeView1, the path box ShellComboBox1 and the item list ShellListView1,
// kept in step; the filter bar (Edit1, Button4, Button5); the view and file
// commands of the "View" group; and the "Create Directory" command.
class BrowserArea : public QObject
{
    Q_OBJECT

public:
    explicit BrowserArea(TForm_Main *main);
    ~BrowserArea() override;

    // The one browser of the run (nullptr before installBrowserArea).
    static BrowserArea *instance();

    ShellTreeView *ShellTreeView1() const { return m_tree; }
    ShellListView *ShellListView1() const { return m_list; }
    QComboBox *ShellComboBox1() const { return m_address; }
    QLineEdit *Edit1() const { return m_filterEdit; }

    // Sets the list's view (0 leaves it, 1 large icons, 2 small icons, 3 list,
    // 4 details) and shows `path` in the tree, the path box and the list.
    void FUNC_Atualizar_DIR(int view, const QString &path);
    // The list's column captions from the current language.
    void Refresh_Menu_ShellList();

    // The tree's current folder (where Paste and New Folder act).
    QString currentFolder() const;
    // The item selected in the list, empty when none.
    QString selectedItemPath() const;
    // The file selected in the list; empty when nothing or a folder is selected.
    QString selectedFilePath() const;

    // The item last copied with Copy (emptied when the clipboard's files are pasted).
    QString CopiedItemPath;

    void Button4Click();      // filter
    void Button5Click();      // clear the filter
    void SpeedButton9Click(); // large icons
    void SpeedButton10Click(); // small icons
    void SpeedButton12Click(); // list
    void SpeedButton11Click(); // details
    void SpeedButton20Click(); // new folder
    void SpeedButton21Click(); // delete (and the Delete key)
    void SpeedButton22Click(); // copy (Ctrl+C)
    void SpeedButton23Click(); // paste (Ctrl+V)
    void SpeedButton3Click();  // create a product directory

    // Where a double-clicked file goes when the desktop has no program for it
    // (the editor); without it such a file is reported as not opened.
    void setOpenInEditor(std::function<void(const QString &path)> open) { m_openInEditor = std::move(open); }

private:
    void showFolder(const QString &path, QObject *origin);
    void fillAddressBox(const QString &path);
    void addressEntered(const QString &text);
    void openFile(const QString &path);
    void renameFailed(const QString &path, const QString &newName);
    QToolButton *button(const char *name) const;
    void connectButton(const char *name, void (BrowserArea::*handler)());

    TForm_Main *m_main;
    ShellTreeView *m_tree;
    ShellListView *m_list;
    QComboBox *m_address;
    QLineEdit *m_filterEdit;
    std::function<void(const QString &)> m_openInEditor;
};

// Wires the browser into the main window (called once at start-up).
void installBrowserArea(TForm_Main *main);
// Sets the list's column captions from the current texts.
void refreshBrowserColumns(TForm_Main *main);

// For the other areas (each does nothing, or returns an empty text, before the
// browser exists):
// Shows a folder in the browser (the machine selection, with an existing folder).
void browseTo(const QString &folder);
void FUNC_Atualizar_DIR(int view, const QString &path);
// The file selected in the list ("Open CNC File", "Transfer Program"); empty
// when nothing or a folder is selected.
QString selectedFilePath();
// The folder shown in the browser.
QString currentBrowserFolder();
