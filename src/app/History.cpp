#include "History.h"

#include "platform/SystemFormats.h"

namespace History {

QString entryText(const QString &fileName, const QDateTime &moment, const QString &title)
{
    return fileName + QStringLiteral(" - ") + SystemFormats::formatDateTime(moment) + QStringLiteral(" - ") + title;
}

bool isBlank(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

QStringList childLines(const QStringList &details)
{
    QStringList lines;
    for (const QString &d : details) {
        if (!isBlank(d))
            lines << d;
    }
    return lines;
}

} // namespace History
