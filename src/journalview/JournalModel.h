#pragma once

#include "JournalViewFilter.h"
#include "journal/JournalEntry.h"

#include <QAbstractTableModel>
#include <QVector>

#include <vector>

// The journal as a table: every entry once, filtered and sorted through an index vector of
// its own (no proxy model), so that 100,000 entries filter in a few milliseconds and the view
// asks only for the rows it draws. Newest first until another order is chosen.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Machine, Medium, Direction, Outcome, File, Remote, Bytes, Notice, User, Workstation, ColumnCount };

    // The entry's outcome as an int, for a view that colours it.
    static constexpr int OutcomeRole = Qt::UserRole + 1;

    explicit JournalModel(QObject *parent = nullptr);

    void setEntries(QVector<JournalEntry> entries);
    void setFilter(const JournalViewFilter &filter);
    const JournalViewFilter &filter() const { return m_filter; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // The entry shown in `row`.
    const JournalEntry &entryAt(int row) const { return m_entries.at(m_shown[size_t(row)]); }
    // The entries shown, in the order shown (what an export writes).
    QVector<JournalEntry> shownEntries() const;
    int totalCount() const { return int(m_entries.size()); }

    struct MachineChoice
    {
        QString id;
        QString caption; // "number - description" of its latest entry
    };
    // Every machine of the journal once, by caption.
    QList<MachineChoice> machines() const;

    // Texts of the enumerations in the current language.
    static QString mediumText(JournalEntry::Medium medium);
    static QString directionText(JournalEntry::Direction direction);
    static QString outcomeText(JournalEntry::Outcome outcome);
    static QString machineCaption(const JournalEntry &entry);
    // The entry's time in local time, "yyyy-MM-dd HH:mm:ss".
    QString timeText(int row) const;
    static QString bytesText(qint64 bytes);

    // The local time's offset from UTC at a time, looked up once per hour of UTC.
    qint64 utcOffsetAt(const QDateTime &utc);

private:
    void rebuildOrder();
    void applyFilter();

    QVector<JournalEntry> m_entries;
    std::vector<JournalRow> m_rows;
    std::vector<int> m_order; // every entry, in the sort order
    std::vector<int> m_shown; // the entries the filter lets through, in the sort order
    JournalViewFilter m_filter;
    int m_sortColumn = Time;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
    QHash<qint64, qint64> m_offsets;
};
