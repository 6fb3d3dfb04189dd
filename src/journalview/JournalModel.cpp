#include "JournalModel.h"

#include "lang/Texts.h"

#include <QLocale>
#include <QTimeZone>

#include <algorithm>

namespace {

QString extra(const char *id) { return Texts::extraOrEnglish(QLatin1String(id)); }

} // namespace

JournalModel::JournalModel(QObject *parent) : QAbstractTableModel(parent) {}

qint64 JournalModel::utcOffsetAt(const QDateTime &utc)
{
    if (!utc.isValid())
        return 0;
    // Asking the system for the local time is slow (microseconds): the offset is looked up once
    // per UTC day, and only for a day on which it does not change.
    const qint64 secs = utc.toSecsSinceEpoch();
    const qint64 day = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    auto it = m_offsets.constFind(day);
    if (it != m_offsets.constEnd())
        return it.value();
    const auto offsetAt = [](qint64 s) { return qint64(QDateTime::fromSecsSinceEpoch(s, Qt::UTC).toLocalTime().offsetFromUtc()); };
    const qint64 first = offsetAt(day * 86400);
    if (first == offsetAt(day * 86400 + 86399)) {
        m_offsets.insert(day, first);
        return first;
    }
    return offsetAt(secs);
}

void JournalModel::setEntries(QVector<JournalEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_rows.clear();
    m_rows.reserve(size_t(m_entries.size()));
    for (const JournalEntry &e : std::as_const(m_entries))
        m_rows.push_back(JournalFilters::prepare(e, utcOffsetAt(e.timeUtc)));
    rebuildOrder();
    applyFilter();
    endResetModel();
}

void JournalModel::setFilter(const JournalViewFilter &filter)
{
    // Typing on at the end of the file name text only narrows what is shown: the shown rows are
    // all that need looking at.
    const JournalViewFilter &was = m_filter;
    const bool narrows = filter.machineId == was.machineId && filter.medium == was.medium
                         && filter.outcome == was.outcome && filter.from == was.from && filter.to == was.to
                         && filter.fileText.contains(was.fileText, Qt::CaseInsensitive) && !was.fileText.isEmpty();
    beginResetModel();
    m_filter = filter;
    if (narrows) {
        const QString text = JournalFilters::foldedText(m_filter.fileText);
        std::vector<int> kept;
        kept.reserve(m_shown.size());
        for (const int i : m_shown)
            if (JournalFilters::matches(m_filter, m_entries.at(i), m_rows[size_t(i)], text))
                kept.push_back(i);
        m_shown = std::move(kept);
    } else {
        applyFilter();
    }
    endResetModel();
}

void JournalModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    emit layoutAboutToBeChanged();
    m_sortColumn = column;
    m_sortOrder = order;
    rebuildOrder();
    applyFilter();
    // The rows are all new: no persistent index is kept (the selection is taken anew).
    const QModelIndexList persistent = persistentIndexList();
    changePersistentIndexList(persistent, QModelIndexList(persistent.size()));
    emit layoutChanged();
}

void JournalModel::rebuildOrder()
{
    const int n = int(m_entries.size());
    m_order.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        m_order[size_t(i)] = i;
    // Ties keep the time order, newest first, then the store's order.
    const auto byTime = [this](int a, int b) {
        const qint64 ta = m_rows[size_t(a)].localMsecs, tb = m_rows[size_t(b)].localMsecs;
        if (ta != tb)
            return ta > tb;
        return m_entries.at(a).id > m_entries.at(b).id;
    };
    std::sort(m_order.begin(), m_order.end(), byTime);
    if (m_sortColumn == Time) {
        if (m_sortOrder == Qt::AscendingOrder)
            std::reverse(m_order.begin(), m_order.end());
        return;
    }
    // A key per entry, made once: comparing case-folded keys is a plain comparison.
    std::vector<QString> text;
    std::vector<qint64> number;
    const bool numeric = m_sortColumn == Bytes || m_sortColumn == Medium || m_sortColumn == Direction
                         || m_sortColumn == Outcome;
    if (numeric)
        number.resize(size_t(n));
    else
        text.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        const JournalEntry &e = m_entries.at(i);
        switch (m_sortColumn) {
        case Bytes: number[size_t(i)] = e.bytes; break;
        case Medium: number[size_t(i)] = qint64(e.medium); break;
        case Direction: number[size_t(i)] = qint64(e.direction); break;
        case Outcome: number[size_t(i)] = qint64(e.outcome); break;
        case Machine: text[size_t(i)] = machineCaption(e).toCaseFolded(); break;
        case File: text[size_t(i)] = e.localPath.toCaseFolded(); break;
        case Remote: text[size_t(i)] = e.remote.toCaseFolded(); break;
        case Notice: text[size_t(i)] = (e.error.isEmpty() ? e.notice : e.error).toCaseFolded(); break;
        case User: text[size_t(i)] = e.user.toCaseFolded(); break;
        case Workstation: text[size_t(i)] = e.workstation.toCaseFolded(); break;
        default: break;
        }
    }
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    if (numeric)
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return ascending ? number[size_t(a)] < number[size_t(b)] : number[size_t(a)] > number[size_t(b)];
        });
    else
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return ascending ? text[size_t(a)] < text[size_t(b)] : text[size_t(b)] < text[size_t(a)];
        });
}

void JournalModel::applyFilter()
{
    m_shown.clear();
    if (m_filter.isEmpty()) {
        m_shown = m_order;
        return;
    }
    const QString text = JournalFilters::foldedText(m_filter.fileText);
    m_shown.reserve(m_order.size());
    for (const int i : m_order)
        if (JournalFilters::matches(m_filter, m_entries.at(i), m_rows[size_t(i)], text))
            m_shown.push_back(i);
}

int JournalModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

int JournalModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString JournalModel::mediumText(JournalEntry::Medium medium)
{
    switch (medium) {
    case JournalEntry::Medium::Directory: return extra("Extra.JournalMediumDirectory");
    case JournalEntry::Medium::Ftp: return extra("Extra.JournalMediumFtp");
    case JournalEntry::Medium::Serial: return extra("Extra.JournalMediumSerial");
    }
    return QString();
}

QString JournalModel::directionText(JournalEntry::Direction direction)
{
    return direction == JournalEntry::Direction::Send ? extra("Extra.JournalSend") : extra("Extra.JournalReceive");
}

QString JournalModel::outcomeText(JournalEntry::Outcome outcome)
{
    switch (outcome) {
    case JournalEntry::Outcome::Done: return extra("Extra.JournalDone");
    case JournalEntry::Outcome::Verified: return extra("Extra.JournalVerified");
    case JournalEntry::Outcome::VerificationFailed: return extra("Extra.JournalVerificationFailed");
    case JournalEntry::Outcome::Cancelled: return extra("Extra.JournalCancelled");
    case JournalEntry::Outcome::Failed: return extra("Extra.JournalFailed");
    }
    return QString();
}

QString JournalModel::machineCaption(const JournalEntry &entry)
{
    if (entry.machineNumber.isEmpty())
        return entry.machineDescription;
    if (entry.machineDescription.isEmpty())
        return entry.machineNumber;
    return entry.machineNumber + QStringLiteral(" - ") + entry.machineDescription;
}

QString JournalModel::timeText(int row) const
{
    const JournalRow &r = m_rows[size_t(m_shown[size_t(row)])];
    if (!entryAt(row).timeUtc.isValid())
        return QString();
    return QDateTime::fromMSecsSinceEpoch(r.localMsecs, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString JournalModel::bytesText(qint64 bytes)
{
    return bytes < 0 ? QString() : QLocale().toString(bytes);
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_shown.size()))
        return QVariant();
    const JournalEntry &e = entryAt(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case Time: return timeText(index.row());
        case Machine: return machineCaption(e);
        case Medium: return mediumText(e.medium);
        case Direction: return directionText(e.direction);
        case File: return e.localPath;
        case Remote: return e.remote;
        case Bytes: return bytesText(e.bytes);
        case Outcome: return outcomeText(e.outcome);
        case Notice: return e.error.isEmpty() ? e.notice : e.error;
        case User: return e.user;
        case Workstation: return e.workstation;
        default: return QVariant();
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == Bytes)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == OutcomeRole)
        return int(e.outcome);
    return QVariant();
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const ids[ColumnCount] = {
        "Extra.JournalColumnTime",   "Extra.JournalColumnMachine", "Extra.JournalColumnMedium",
        "Extra.JournalColumnDirection", "Extra.JournalColumnOutcome", "Extra.JournalColumnFile",
        "Extra.JournalColumnRemote", "Extra.JournalColumnBytes", "Extra.JournalColumnNotice",
        "Extra.JournalColumnUser",   "Extra.JournalColumnWorkstation"};
    return section >= 0 && section < ColumnCount ? extra(ids[section]) : QVariant();
}

QVector<JournalEntry> JournalModel::shownEntries() const
{
    QVector<JournalEntry> out;
    out.reserve(qsizetype(m_shown.size()));
    for (const int i : m_shown)
        out.append(m_entries.at(i));
    return out;
}

QList<JournalModel::MachineChoice> JournalModel::machines() const
{
    // m_order is not needed: the latest entry of each machine by time.
    QHash<QString, int> latest;
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const QString &id = m_entries.at(i).machineId;
        auto it = latest.find(id);
        if (it == latest.end())
            latest.insert(id, i);
        else if (m_rows[size_t(i)].localMsecs >= m_rows[size_t(it.value())].localMsecs)
            it.value() = i;
    }
    QList<MachineChoice> out;
    for (auto it = latest.cbegin(); it != latest.cend(); ++it)
        out.append({it.key(), machineCaption(m_entries.at(it.value()))});
    std::sort(out.begin(), out.end(), [](const MachineChoice &a, const MachineChoice &b) {
        const int c = a.caption.compare(b.caption, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.id < b.id;
    });
    return out;
}
