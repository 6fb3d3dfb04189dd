#include "SystemFormats.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>

namespace {
std::optional<QChar> g_decimal;
std::optional<QString> g_shortDate;
std::optional<QString> g_longTime;
} // namespace

namespace SystemFormats {

QChar decimalSeparator()
{
    if (g_decimal)
        return *g_decimal;
    const QString d = QLocale::system().decimalPoint();
    return d.isEmpty() ? QLatin1Char('.') : d.at(0);
}

QString shortDateFormat()
{
    return g_shortDate ? *g_shortDate : QLocale::system().dateFormat(QLocale::ShortFormat);
}

QString longTimeFormat()
{
    if (g_longTime)
        return *g_longTime;
    // Qt's long format names the time zone on some systems; the workstation's long
    // time is hours, minutes and seconds only.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*$")));
    format.remove(QRegularExpression(QStringLiteral("^\\s*t+\\s*")));
    return format.trimmed();
}

void setDecimalSeparator(QChar c) { g_decimal = c; }
void setShortDateFormat(const QString &format) { g_shortDate = format; }
void setLongTimeFormat(const QString &format) { g_longTime = format; }
void resetToSystem()
{
    g_decimal.reset();
    g_shortDate.reset();
    g_longTime.reset();
}

QString formatDateTime(const QDateTime &moment)
{
    const QString date = QLocale::system().toString(moment.date(), shortDateFormat());
    if (moment.time() == QTime(0, 0, 0, 0))
        return date;
    return date + QLatin1Char(' ') + QLocale::system().toString(moment.time(), longTimeFormat());
}

} // namespace SystemFormats
