#pragma once

#include <QWidget>

class FolderListModel;
class QAbstractItemView;
class QListView;
class QModelIndex;
class QStackedLayout;
class QTreeView;

// The browser's item list: the folders and files of one folder in one of four
// view styles. The items can be renamed in place (click the selected name or F2);
// Enter and double click open a folder in the list and ask for a file to be
// opened; Backspace goes to the parent folder; F5 reads the folder again. The
// list follows changes on disk by itself.
class ShellListView : public QWidget
{
    Q_OBJECT

public:
    enum ViewStyle { LargeIcons = 1, SmallIcons = 2, List = 3, Details = 4 };

    explicit ShellListView(QWidget *parent = nullptr);
    ~ShellListView() override;

    // 1 to 4; other values leave the style as it is.
    void setViewStyle(int style);
    int viewStyle() const { return m_style; }

    void setFolder(const QString &path);
    QString folder() const;
    // The highest folder Backspace may climb to (empty: no limit). A list that shows
    // a machine's transfer folder stays at or below it.
    void setTopFolder(const QString &path);
    // The admission rule of every later filling of the list (NameFilter).
    void setFilterText(const QString &text);
    QString filterText() const;
    // Reads the folder again from disk.
    void reread();

    // The full path of the selected item, empty when nothing is selected.
    QString selectedPath() const;
    bool selectedIsFolder() const;
    bool selectPath(const QString &path);
    // Starts renaming the selected item in place.
    bool editSelected();
    // The names shown, in their order.
    QStringList itemNames() const;

    Q_INVOKABLE void setColumnCaption(int column, const QString &caption);

    QAbstractItemView *currentView() const;
    FolderListModel *model() const { return m_model; }

    // Enter or double click on an item; Backspace.
    void openItem(const QModelIndex &index);
    void openParent(); // not above the top folder

signals:
    // The list moved to another folder by itself (an opened folder, Backspace).
    void folderChanged(const QString &path);
    void fileOpenRequested(const QString &path);
    // The folder shown has been read (again).
    void folderLoaded(const QString &path);
    void renameFailed(const QString &path, const QString &newName);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach(QAbstractItemView *view);
    QModelIndex selectedIndex() const;
    void fitNameColumn();

    FolderListModel *m_model = nullptr;
    QStackedLayout *m_stack = nullptr;
    QListView *m_icons = nullptr;
    QTreeView *m_details = nullptr;
    QList<int> m_columnWidths;
    int m_style = Details;
    bool m_columnsSizedByUser = false;
    QString m_topFolder; // cleaned absolute path, '/' separators
    bool m_sizingColumns = false;
};
