#pragma once

#include "NameFilter.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QSortFilterProxyModel>

class QFileSystemModel;

// What the file list shows of a file system model: the items of one folder that
// pass the name filter, with column captions in the current language. Sorting is
// the file system model's own (folders first), so the list keeps its order.
class BrowserListModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit BrowserListModel(QObject *parent = nullptr);

    void setFileSystemModel(QFileSystemModel *model);
    QFileSystemModel *fileSystemModel() const { return m_fs; }

    // The folder whose items the filter applies to; returns its index here.
    QModelIndex setFolder(const QString &path);
    void setFilterText(const QString &text);
    QString filterText() const { return m_filter.text(); }

    QString filePath(const QModelIndex &index) const;
    bool isDir(const QModelIndex &index) const;

    void setColumnCaption(int column, const QString &caption);
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Renaming in place: refuses a name that is taken and reports a failure.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void renameFailed(const QString &path, const QString &newName);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QFileSystemModel *m_fs = nullptr;
    QPersistentModelIndex m_folder;
    NameFilter m_filter;
    QHash<int, QString> m_captions;
};
