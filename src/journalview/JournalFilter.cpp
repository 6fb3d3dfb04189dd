#include "JournalFilter.h"

namespace JournalFilters {

namespace {

// The file name of a path written with either separator: the journal keeps paths of
// whichever system wrote them.
QString fileNameOf(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? path : path.mid(cut + 1);
}

} // namespace

JournalRow prepare(const JournalEntry &entry, qint64 utcOffsetSeconds)
{
    JournalRow row;
    row.localMsecs = entry.timeUtc.isValid() ? entry.timeUtc.toMSecsSinceEpoch() + utcOffsetSeconds * 1000 : 0;
    // Days since the epoch to Julian days, rounding toward minus infinity for times before 1970.
    const qint64 msPerDay = 86400000;
    const qint64 day = row.localMsecs >= 0 ? row.localMsecs / msPerDay : -((-row.localMsecs + msPerDay - 1) / msPerDay);
    row.localDay = entry.timeUtc.isValid() ? day + QDate(1970, 1, 1).toJulianDay() : 0;
    row.searchText = (fileNameOf(entry.localPath) + QLatin1Char('\n') + entry.remote).toCaseFolded();
    return row;
}

bool matches(const JournalFilter &filter, const JournalEntry &entry, const JournalRow &row, const QString &foldedText)
{
    if (!filter.machineId.isEmpty() && entry.machineId != filter.machineId)
        return false;
    if (filter.medium && entry.medium != *filter.medium)
        return false;
    if (filter.outcome && entry.outcome != *filter.outcome)
        return false;
    if (filter.from.isValid() && row.localDay < filter.from.toJulianDay())
        return false;
    if (filter.to.isValid() && row.localDay > filter.to.toJulianDay())
        return false;
    if (!foldedText.isEmpty() && !row.searchText.contains(foldedText))
        return false;
    return true;
}

} // namespace JournalFilters
