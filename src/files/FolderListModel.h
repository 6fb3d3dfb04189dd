#pragma once

#include "FileTypeText.h"
#include "FolderListing.h"
#include "NameFilter.h"

#include <QAbstractTableModel>
#include <QFileSystemWatcher>
#include <QHash>
#include <QTimer>

// The items of one folder for the browser's list: read at once (a folder of
// thousands of programs in a fraction of a second), sorted like a file manager,
// passed through the name filter, and read again when the folder changes on
// disk. A re-read changes only the rows that changed, so the selection, the
// scroll position and an in-place rename survive it.
class FolderListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FolderListModel(QObject *parent = nullptr);

    void setFolder(const QString &path);
    QString folder() const { return m_folder; }
    // Reads the folder again now (changes on disk are picked up by themselves).
    void reread();

    // The admission rule of every later filling (NameFilter).
    void setFilterText(const QString &text);
    QString filterText() const { return m_filter.text(); }

    QString filePath(const QModelIndex &index) const;
    bool isDir(const QModelIndex &index) const;
    QModelIndex indexOf(const QString &path) const;

    void setColumnCaption(int column, const QString &caption);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Renaming in place: refuses a taken name and reports a failure.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // The folder has been read (after every reading).
    void folderLoaded(const QString &path);
    void renameFailed(const QString &path, const QString &newName);

private:
    QList<FolderEntry> visible(const QList<FolderEntry> &all) const;
    void update(const QList<FolderEntry> &rows);

    QString m_folder;
    QList<FolderEntry> m_all;  // everything in the folder, sorted
    QList<FolderEntry> m_rows; // what passes the filter
    NameFilter m_filter;
    FolderListing::Order m_order;
    QHash<int, QString> m_captions;
    mutable FileTypeText m_types;
    QFileSystemWatcher m_watcher;
    QTimer m_changed;
};
