#include "MachineList.h"

#include "platform/SystemFormats.h"

namespace {
QString dateText(const QVariant &stored)
{
    const QDateTime moment = stored.toDateTime();
    return moment.isValid() ? SystemFormats::formatDateTime(moment) : QString();
}
} // namespace

MachineList::MachineList(QObject *parent) : QAbstractListModel(parent) {}

int MachineList::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

QVariant MachineList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const MachineRecord &m = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case DescriptionRole:
        return m.description;
    case IdRole:
        return m.id;
    case NumberRole:
        return m.number;
    case TransferTypeRole:
        return m.transferType;
    case PictureRole:
        return m.pictureId;
    case DirectoryRole:
        return m.programDirectory;
    case CreatedRole:
        return dateText(m.created);
    case ChangedRole:
        return dateText(m.changed);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> MachineList::roleNames() const
{
    return {{IdRole, "id"},           {NumberRole, "number"},        {DescriptionRole, "description"},
            {TransferTypeRole, "type"}, {PictureRole, "picture"},      {DirectoryRole, "directory"},
            {CreatedRole, "created"},  {ChangedRole, "changed"}};
}

void MachineList::open(const QList<MachineRecord> &rows)
{
    beginResetModel();
    m_rows = rows;
    m_open = true;
    m_cursor = m_rows.isEmpty() ? -1 : 0;
    endResetModel();
    emit cursorChanged(m_cursor);
}

void MachineList::reopen(const QList<MachineRecord> &rows)
{
    const std::optional<MachineRecord> before = current();
    int cursor = rows.isEmpty() ? -1 : qMin(qMax(m_cursor, 0), int(rows.size()) - 1);
    if (before) {
        for (int i = 0; i < rows.size(); ++i) {
            if (rows.at(i).id == before->id) {
                cursor = i;
                break;
            }
        }
    }
    beginResetModel();
    m_rows = rows;
    m_open = true;
    m_cursor = cursor;
    endResetModel();
    emit cursorChanged(m_cursor);
}

void MachineList::close()
{
    beginResetModel();
    m_rows.clear();
    m_open = false;
    m_cursor = -1;
    endResetModel();
    emit cursorChanged(m_cursor);
}

bool MachineList::setPosition(int position)
{
    if (position < 1 || position > m_rows.size())
        return false;
    if (m_cursor != position - 1) {
        m_cursor = position - 1;
        emit cursorChanged(m_cursor);
    }
    return true;
}

std::optional<MachineRecord> MachineList::current() const
{
    if (m_cursor < 0 || m_cursor >= m_rows.size())
        return std::nullopt;
    return m_rows.at(m_cursor);
}
