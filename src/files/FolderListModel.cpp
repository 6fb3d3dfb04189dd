#include "FolderListModel.h"

#include "platform/SystemFormats.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStyle>
#include <algorithm>

namespace {

QString cleanNative(const QString &path)
{
    return path.isEmpty() ? path : QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(path)));
}

const QIcon &folderIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    return icon;
}

const QIcon &fileIcon()
{
    static const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

} // namespace

FolderListModel::FolderListModel(QObject *parent) : QAbstractTableModel(parent)
{
    // Changes come in bursts (a copy writes, renames, sets times): read once after.
    m_changed.setSingleShot(true);
    m_changed.setInterval(150);
    connect(&m_changed, &QTimer::timeout, this, &FolderListModel::reread);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_changed.start(); });
}

void FolderListModel::setFolder(const QString &path)
{
    const QString folder = cleanNative(path);
    if (folder == m_folder) {
        reread();
        return;
    }
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_changed.stop();
    beginResetModel();
    m_folder = folder;
    m_types.forgetFiles();
    m_all = FolderListing::read(folder);
    FolderListing::sort(m_all, m_order);
    m_rows = visible(m_all);
    endResetModel();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
    emit folderLoaded(m_folder);
}

void FolderListModel::reread()
{
    m_changed.stop();
    // A watched folder that was deleted and made again is watched afresh.
    if (m_watcher.directories().isEmpty() && QFileInfo(m_folder).isDir())
        m_watcher.addPath(m_folder);
    m_all = FolderListing::read(m_folder);
    FolderListing::sort(m_all, m_order);
    update(visible(m_all));
    emit folderLoaded(m_folder);
}

void FolderListModel::setFilterText(const QString &text)
{
    const bool wasActive = m_filter.isActive();
    m_filter = NameFilter(text);
    if (wasActive || m_filter.isActive())
        update(visible(m_all));
}

QList<FolderEntry> FolderListModel::visible(const QList<FolderEntry> &all) const
{
    if (!m_filter.isActive())
        return all;
    QList<FolderEntry> rows;
    for (const FolderEntry &e : all) {
        if (m_filter.admits(e.name, e.isDir))
            rows.append(e);
    }
    return rows;
}

// Both lists are in the model's order: one merge finds the rows that went, came
// or changed, and consecutive ones are reported together.
void FolderListModel::update(const QList<FolderEntry> &rows)
{
    if (m_rows.isEmpty() || rows.isEmpty()) {
        if (m_rows.isEmpty() && rows.isEmpty())
            return;
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    int row = 0;
    int j = 0;
    while (row < m_rows.size() || j < rows.size()) {
        if (j == rows.size() || (row < m_rows.size() && m_order(m_rows.at(row), rows.at(j)))) {
            int last = row;
            while (last + 1 < m_rows.size() && (j == rows.size() || m_order(m_rows.at(last + 1), rows.at(j))))
                ++last;
            beginRemoveRows(QModelIndex(), row, last);
            m_rows.remove(row, last - row + 1);
            endRemoveRows();
        } else if (row == m_rows.size() || m_order(rows.at(j), m_rows.at(row))) {
            int last = j;
            while (last + 1 < rows.size() && (row == m_rows.size() || m_order(rows.at(last + 1), m_rows.at(row))))
                ++last;
            const int count = last - j + 1;
            beginInsertRows(QModelIndex(), row, row + count - 1);
            m_rows.insert(row, count, FolderEntry());
            std::copy(rows.cbegin() + j, rows.cbegin() + j + count, m_rows.begin() + row);
            endInsertRows();
            row += count;
            j += count;
        } else {
            if (!m_rows.at(row).sameData(rows.at(j))) {
                m_rows[row] = rows.at(j);
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
            }
            ++row;
            ++j;
        }
    }
}

QString FolderListModel::filePath(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QString();
    return QDir::toNativeSeparators(QDir(QDir::fromNativeSeparators(m_folder)).filePath(m_rows.at(index.row()).name));
}

bool FolderListModel::isDir(const QModelIndex &index) const
{
    return index.isValid() && index.row() < m_rows.size() && m_rows.at(index.row()).isDir;
}

QModelIndex FolderListModel::indexOf(const QString &path) const
{
    const QFileInfo info(QDir::fromNativeSeparators(path));
    if (cleanNative(info.path()) != m_folder)
        return QModelIndex();
    const QString name = info.fileName();
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows.at(r).name == name)
            return index(r, 0);
    }
    return QModelIndex();
}

void FolderListModel::setColumnCaption(int column, const QString &caption)
{
    m_captions.insert(column, caption);
    emit headerDataChanged(Qt::Horizontal, column, column);
    // The captions come with a language, and "NC File" is in that language too.
    if (column == FolderListing::Type && !m_rows.isEmpty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

int FolderListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int FolderListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant FolderListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const FolderEntry &e = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FolderListing::Name: return e.name;
        case FolderListing::Size:
            return e.isDir ? QString() : QLocale::system().formattedDataSize(e.size, 1, QLocale::DataSizeTraditionalFormat);
        case FolderListing::Type: return m_types.text(m_folder, e);
        case FolderListing::Modified:
            // A file manager's date: the short date and the time without seconds.
            return e.modified.toString(SystemFormats::shortDateFormat() + QLatin1Char(' ')
                                       + QLocale::system().timeFormat(QLocale::ShortFormat));
        }
        break;
    case Qt::EditRole:
        return index.column() == FolderListing::Name ? QVariant(e.name) : QVariant();
    case Qt::DecorationRole:
        if (index.column() == FolderListing::Name)
            return e.isDir ? folderIcon() : fileIcon();
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == FolderListing::Size)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Qt::ToolTipRole:
        return e.name;
    }
    return QVariant();
}

QVariant FolderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QVariant();
    if (role == Qt::DisplayRole) {
        if (m_captions.contains(section))
            return m_captions.value(section);
        static const char *const defaults[] = {"Name", "Size", "Type", "Modified Date"};
        return QLatin1String(defaults[section]);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags FolderListModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == FolderListing::Name)
        f |= Qt::ItemIsEditable;
    return f;
}

bool FolderListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() != FolderListing::Name || index.row() >= m_rows.size())
        return false;
    const QString oldName = m_rows.at(index.row()).name;
    const QString newName = value.toString();
    if (newName == oldName)
        return true;
    const QDir dir(QDir::fromNativeSeparators(m_folder));
    const QString path = filePath(index);
    const QFileInfo other(dir.filePath(newName));
    // A separator would move the item; a taken name must not be replaced (on a
    // disk that ignores letter case the item itself may answer to the new name).
    const bool invalid = newName.isEmpty() || newName.contains(QLatin1Char('/')) || newName.contains(QDir::separator())
                         || newName == QLatin1String(".") || newName == QLatin1String("..");
    const bool taken = (other.exists() || other.isSymLink())
                       && other.canonicalFilePath() != QFileInfo(dir.filePath(oldName)).canonicalFilePath();
    if (invalid || taken || !QDir(dir).rename(oldName, newName)) {
        emit renameFailed(path, newName);
        return false;
    }
    reread();
    return true;
}

void FolderListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QStringList names;
    for (const QModelIndex &i : before)
        names << (i.row() < m_rows.size() ? m_rows.at(i.row()).name : QString());
    m_order.column = column;
    m_order.descending = order == Qt::DescendingOrder;
    FolderListing::sort(m_all, m_order);
    FolderListing::sort(m_rows, m_order);
    QModelIndexList after;
    for (int k = 0; k < before.size(); ++k) {
        int row = -1;
        for (int r = 0; r < m_rows.size() && row < 0; ++r) {
            if (m_rows.at(r).name == names.at(k))
                row = r;
        }
        after << (row < 0 ? QModelIndex() : index(row, before.at(k).column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}
