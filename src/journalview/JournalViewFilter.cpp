#include "JournalViewFilter.h"

namespace JournalFilters {

JournalRow prepare(const JournalEntry &entry, qint64 utcOffsetSeconds)
{
    JournalRow row;
    row.localMsecs = entry.timeUtc.isValid() ? entry.timeUtc.toMSecsSinceEpoch() + utcOffsetSeconds * 1000 : 0;
    // Days since the epoch to Julian days, rounding toward minus infinity for times before 1970.
    const qint64 msPerDay = 86400000;
    const qint64 day = row.localMsecs >= 0 ? row.localMsecs / msPerDay : -((-row.localMsecs + msPerDay - 1) / msPerDay);
    row.localDay = entry.timeUtc.isValid() ? day + QDate(1970, 1, 1).toJulianDay() : 0;
    // Either separator: the journal keeps paths of whichever system wrote them.
    const QString &path = entry.localPath;
    row.nameAt = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    return row;
}

namespace {

inline char16_t fold(char16_t c)
{
    if (c < 128)
        return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

} // namespace

QString foldedText(const QString &text) { return text.toCaseFolded(); }

bool containsFolded(QStringView haystack, QStringView folded)
{
    const qsizetype n = haystack.size(), m = folded.size();
    if (m == 0)
        return true;
    const char16_t first = folded[0].unicode();
    for (qsizetype at = 0; at + m <= n; ++at) {
        if (fold(haystack[at].unicode()) != first)
            continue;
        qsizetype k = 1;
        while (k < m && fold(haystack[at + k].unicode()) == folded[k].unicode())
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

bool matches(const JournalViewFilter &filter, const JournalEntry &entry, const JournalRow &row, const QString &text)
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
    if (!text.isEmpty() && !containsFolded(QStringView(entry.localPath).mid(row.nameAt), text)
        && !containsFolded(entry.remote, text))
        return false;
    return true;
}

} // namespace JournalFilters
