#include "BrowserListModel.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>

BrowserListModel::BrowserListModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    // Rows come and go as the folder is read; only they need the filter.
    setDynamicSortFilter(false);
}

void BrowserListModel::setFileSystemModel(QFileSystemModel *model)
{
    m_fs = model;
    m_folder = QPersistentModelIndex();
    setSourceModel(model);
}

QModelIndex BrowserListModel::setFolder(const QString &path)
{
    const QModelIndex source = m_fs->index(path);
    if (source != m_folder) {
        m_folder = source;
        if (m_filter.isActive())
            invalidateFilter();
    }
    return mapFromSource(source);
}

void BrowserListModel::setFilterText(const QString &text)
{
    const bool wasActive = m_filter.isActive();
    m_filter = NameFilter(text);
    if (wasActive || m_filter.isActive())
        invalidateFilter();
}

bool BrowserListModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    // Only the shown folder's items are filtered; its parents must stay reachable.
    if (!m_filter.isActive() || m_folder != sourceParent)
        return true;
    const QModelIndex item = m_fs->index(sourceRow, 0, sourceParent);
    return m_filter.admits(m_fs->fileName(item), m_fs->isDir(item));
}

QString BrowserListModel::filePath(const QModelIndex &index) const
{
    return index.isValid() ? QDir::toNativeSeparators(m_fs->filePath(mapToSource(index))) : QString();
}

bool BrowserListModel::isDir(const QModelIndex &index) const
{
    return index.isValid() && m_fs->isDir(mapToSource(index));
}

void BrowserListModel::setColumnCaption(int column, const QString &caption)
{
    m_captions.insert(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QVariant BrowserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && m_captions.contains(section))
        return m_captions.value(section);
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

void BrowserListModel::sort(int column, Qt::SortOrder order)
{
    if (m_fs)
        m_fs->sort(column, order);
}

bool BrowserListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() != 0)
        return QSortFilterProxyModel::setData(index, value, role);
    const QString path = filePath(index);
    const QString newName = value.toString();
    if (newName == QFileInfo(path).fileName())
        return true;
    const QString newPath = QFileInfo(path).dir().filePath(newName);
    // The model would also refuse a separator; a taken name must not be replaced.
    // (On a disk that ignores letter case, the item itself may answer to the new name.)
    const QFileInfo other(newPath);
    const bool taken = !newName.isEmpty() && (other.exists() || other.isSymLink())
                       && other.canonicalFilePath() != QFileInfo(path).canonicalFilePath();
    if (taken || !QSortFilterProxyModel::setData(index, value, role)) {
        emit renameFailed(path, newName);
        return false;
    }
    return true;
}
