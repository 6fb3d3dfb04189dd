#pragma once

#include "journal/JournalEntry.h"

#include <QDate>
#include <QString>

#include <optional>

// What the journal window shows: every condition that is set must hold.
struct JournalViewFilter
{
    QString machineId;                              // empty: every machine
    std::optional<JournalEntry::Medium> medium;
    std::optional<JournalEntry::Outcome> outcome;
    QDate from;                                     // local dates, both included; null: open
    QDate to;
    QString fileText;                               // in the local file name or the remote name, any case

    bool isEmpty() const
    {
        return machineId.isEmpty() && !medium && !outcome && from.isNull() && to.isNull() && fileText.isEmpty();
    }
};

// An entry prepared once for filtering and sorting: its local date and time and where the file
// name starts in its path, so that a filter over 100,000 entries neither converts times nor
// makes strings.
struct JournalRow
{
    qint64 localMsecs = 0; // the entry's time as local wall-clock milliseconds
    qint64 localDay = 0;   // its local date as a Julian day
    qsizetype nameAt = 0;  // the file name's start in the local path
};

namespace JournalFilters {

JournalRow prepare(const JournalEntry &entry, qint64 utcOffsetSeconds);
// `text` is the filter's file text case-folded (foldedText()).
bool matches(const JournalViewFilter &filter, const JournalEntry &entry, const JournalRow &row, const QString &text);
QString foldedText(const QString &text);
// Whether `haystack` holds `folded` (case-folded) in any letter case, without making strings.
bool containsFolded(QStringView haystack, QStringView folded);

} // namespace JournalFilters
