#include "SearchState.h"

#include <cmath>

QStringList withHistoryEntry(const QStringList &entries, const QString &text)
{
    if (text.isEmpty())
        return entries;
    QStringList result{text};
    for (const QString &e : entries) {
        if (e.compare(text, Qt::CaseInsensitive) != 0)
            result << e;
    }
    return result;
}

QString historyText(const QStringList &entries)
{
    return entries.mid(0, SearchState::HistorySize).join(QStringLiteral("\r\n"));
}

QStringList historyEntries(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(QStringLiteral("\r\n"));
}

QPoint confirmDialogPosition(const QSize &dialog, const QRect &area, int x, int lineTop, int lineBottom)
{
    int left;
    if (area.width() <= dialog.width()) {
        left = area.left() - (dialog.width() - area.width()) / 2;
    } else {
        left = x;
        const int right = area.left() + area.width(); // one past the area, as a rectangle's right edge
        if (left + dialog.width() > right)
            left = right - dialog.width();
    }
    const int threshold = area.top() + int(std::lround(area.height() * 2.0 / 3.0));
    const int top = lineBottom > threshold ? lineTop - dialog.height() - 4 : lineBottom + 4;
    return {left, top};
}
