#include "FtpListing.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace FtpListing {
namespace {

struct Token
{
    QStringView text;
    qsizetype end = 0; // position just past the token in the line
};

QList<Token> tokenize(QStringView line)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && line.at(i).isSpace())
            ++i;
        const qsizetype start = i;
        while (i < n && !line.at(i).isSpace())
            ++i;
        if (i > start)
            tokens.append({line.mid(start, i - start), i});
    }
    return tokens;
}

int monthNumber(QStringView text)
{
    static const char *const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() < 3)
        return 0;
    for (int m = 0; m < 12; ++m) {
        const QLatin1String name(names[m]);
        if (text.size() == 3 ? text.compare(name, Qt::CaseInsensitive) == 0
                             : text.startsWith(name, Qt::CaseInsensitive))
            return m + 1;
    }
    return 0;
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

int dayNumber(QStringView text)
{
    if (!allDigits(text) || text.size() > 2)
        return 0;
    const int d = text.toInt();
    return d >= 1 && d <= 31 ? d : 0;
}

QTime clockTime(QStringView text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    return QTime(m.capturedView(1).toInt(), m.capturedView(2).toInt(),
                 m.capturedView(3).isEmpty() ? 0 : m.capturedView(3).toInt());
}

// Unix listings leave out the year for recent files; the date then lies in the
// last year up to "tomorrow" (a day of slack for servers in other time zones).
QDate recentDate(int month, int day, const QDate &today)
{
    const QDate limit = today.addDays(1);
    for (int year = today.year(); year >= today.year() - 8; --year) {
        const QDate date(year, month, day);
        if (date.isValid() && date <= limit)
            return date;
    }
    return {};
}

struct UnixDate
{
    QDateTime when;
    qsizetype end = 0;
};

// Tries the date columns starting at token i: "Mar 5 14:30", "Mar 5 2020",
// "5 Mar 14:30" and "2020-03-05 14:30".
std::optional<UnixDate> unixDateAt(const QList<Token> &t, qsizetype i, const QDate &today)
{
    if (i + 1 >= t.size())
        return std::nullopt;
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const auto isoMatch = iso.match(t[i].text);
    if (isoMatch.hasMatch()) {
        const QDate date(isoMatch.capturedView(1).toInt(), isoMatch.capturedView(2).toInt(),
                         isoMatch.capturedView(3).toInt());
        const QTime time = clockTime(t[i + 1].text);
        if (date.isValid() && time.isValid())
            return UnixDate{QDateTime(date, time), t[i + 1].end};
        return std::nullopt;
    }
    if (i + 2 >= t.size())
        return std::nullopt;
    int month = monthNumber(t[i].text);
    int day = dayNumber(t[i + 1].text);
    if (!month || !day) {
        day = dayNumber(t[i].text);
        month = monthNumber(t[i + 1].text);
    }
    if (!month || !day)
        return std::nullopt;
    const QStringView third = t[i + 2].text;
    if (const QTime time = clockTime(third); time.isValid()) {
        const QDate date = recentDate(month, day, today);
        if (!date.isValid())
            return std::nullopt;
        return UnixDate{QDateTime(date, time), t[i + 2].end};
    }
    if (third.size() == 4 && allDigits(third)) {
        const QDate date(third.toInt(), month, day);
        if (!date.isValid())
            return std::nullopt;
        return UnixDate{QDateTime(date, QTime(0, 0)), t[i + 2].end};
    }
    return std::nullopt;
}

QString nameAfter(const QString &line, qsizetype pos)
{
    while (pos < line.size() && line.at(pos).isSpace())
        ++pos;
    return line.mid(pos);
}

std::optional<FtpListEntry> parseUnix(const QString &line, const QDate &today)
{
    static const QRegularExpression mode(QStringLiteral("^[-bcdlpsD][-rwxsStTlL?]{9}[.+@]?$"));
    const QList<Token> t = tokenize(line);
    if (t.size() < 5 || !mode.match(t[0].text).hasMatch())
        return std::nullopt;
    // The size is the number just before the date; owner and group columns vary
    // (numeric ids, missing group), so look for the date rather than count columns.
    for (qsizetype i = 2; i + 1 < t.size(); ++i) {
        if (!allDigits(t[i - 1].text))
            continue;
        const auto date = unixDateAt(t, i, today);
        if (!date)
            continue;
        FtpListEntry entry;
        entry.name = nameAfter(line, date->end);
        if (entry.name.isEmpty())
            return std::nullopt;
        const QChar kind = t[0].text.at(0);
        if (kind == QLatin1Char('l')) {
            const qsizetype arrow = entry.name.indexOf(QLatin1String(" -> "));
            if (arrow > 0)
                entry.name.truncate(arrow);
        }
        bool ok = false;
        entry.size = t[i - 1].text.toLongLong(&ok);
        if (!ok)
            entry.size = 0;
        entry.modified = date->when;
        entry.isFile = kind == QLatin1Char('-');
        return entry;
    }
    return std::nullopt;
}

std::optional<FtpListEntry> parseDos(const QString &line)
{
    // Month-day-year as IIS writes it (day-month when the first number cannot be a
    // month), or year-month-day; a 12- or 24-hour clock; "<DIR>" or the size.
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{1,4})[-/.](\\d{1,2})[-/.](\\d{2,4})\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?"
        "\\s+(<DIR>|\\d[\\d,.]*)\\s+(\\S.*)$"));
    const auto m = re.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    int a = m.capturedView(1).toInt();
    int b = m.capturedView(2).toInt();
    int c = m.capturedView(3).toInt();
    int year = 0, month = 0, day = 0;
    if (m.capturedView(1).size() == 4) {
        year = a, month = b, day = c;
    } else {
        if (m.capturedView(1).size() > 2 || m.capturedView(3).size() == 3)
            return std::nullopt;
        year = c;
        if (m.capturedView(3).size() == 2)
            year += year < 70 ? 2000 : 1900;
        month = a, day = b;
        if (month > 12)
            std::swap(month, day);
    }
    int hour = m.capturedView(4).toInt();
    const int minute = m.capturedView(5).toInt();
    const int second = m.capturedView(6).isEmpty() ? 0 : m.capturedView(6).toInt();
    const QStringView ampm = m.capturedView(7);
    if (!ampm.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour %= 12;
        if (ampm.startsWith(QLatin1Char('P'), Qt::CaseInsensitive))
            hour += 12;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;

    FtpListEntry entry;
    entry.name = m.captured(9);
    entry.modified = QDateTime(date, time);
    if (m.capturedView(8) == QLatin1String("<DIR>")) {
        entry.isFile = false;
    } else {
        QString digits = m.captured(8);
        digits.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
        bool ok = false;
        entry.size = digits.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        entry.isFile = true;
    }
    return entry;
}

QStringList lines(const QString &listing)
{
    QStringList result = listing.split(QLatin1Char('\n'));
    for (QString &line : result)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return result;
}

} // namespace

std::optional<FtpListEntry> parseListLine(const QString &line, const QDate &today)
{
    if (line.trimmed().isEmpty())
        return std::nullopt;
    if (auto entry = parseUnix(line, today))
        return entry;
    return parseDos(line);
}

QList<FtpListEntry> parseList(const QString &listing, const QDate &today)
{
    QList<FtpListEntry> entries;
    for (const QString &line : lines(listing))
        if (auto entry = parseListLine(line, today))
            entries.append(*entry);
    return entries;
}

std::optional<FtpListEntry> parseMlsdLine(const QString &line)
{
    // Fact values never hold a blank, so the first blank ends the facts; the
    // name is everything after it, blanks and semicolons included.
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    if (blank < 0 || blank + 1 >= line.size())
        return std::nullopt;
    FtpListEntry entry;
    entry.name = line.mid(blank + 1);
    QString type;
    bool sawFact = false;
    for (QStringView fact : QStringView(line).left(blank).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = fact.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        sawFact = true;
        const QStringView key = fact.left(eq);
        const QStringView value = fact.mid(eq + 1);
        if (key.compare(QLatin1String("type"), Qt::CaseInsensitive) == 0) {
            type = value.toString().toLower();
        } else if (key.compare(QLatin1String("size"), Qt::CaseInsensitive) == 0) {
            // The size is digits only; a sign or anything else leaves it unknown (0).
            bool ok = !value.isEmpty() && value.front().isDigit();
            const qint64 size = ok ? value.toLongLong(&ok) : 0;
            entry.size = ok ? size : 0;
        } else if (key.compare(QLatin1String("modify"), Qt::CaseInsensitive) == 0) {
            QDateTime utc = QDateTime::fromString(value.left(14).toString(), QStringLiteral("yyyyMMddHHmmss"));
            if (utc.isValid()) {
                utc.setTimeZone(QTimeZone::utc());
                entry.modified = utc.toLocalTime();
            }
        }
    }
    if (!sawFact)
        return std::nullopt;
    entry.isFile = type == QLatin1String("file");
    return entry;
}

QList<FtpListEntry> parseMlsd(const QString &listing)
{
    QList<FtpListEntry> entries;
    for (const QString &line : lines(listing))
        if (auto entry = parseMlsdLine(line))
            entries.append(*entry);
    return entries;
}

} // namespace FtpListing
