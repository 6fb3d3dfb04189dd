#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// The settings of the last find or replace, kept for the rest of the run.
struct SearchState
{
    bool backwards = false;
    bool caseSensitive = false;
    bool fromCaret = false;
    bool selectedOnly = false;
    bool wholeWords = false;
    bool regularExpression = false;
    QString searchText;
    QString searchHistory; // newest first, at most 10, joined by CR LF
    QString replaceText;
    QString replaceHistory;

    static constexpr int HistorySize = 10;
};

// The entries of a drop-down list after `text` was confirmed in it: the text on
// top, an older entry equal to it apart from letter case removed. An empty text
// changes nothing.
QStringList withHistoryEntry(const QStringList &entries, const QString &text);
// The first ten entries joined by CR LF, and back.
QString historyText(const QStringList &entries);
QStringList historyEntries(const QString &text);

// Where the replace confirmation goes: beside the occurrence, above its line when
// the line is in the lower third of `area` (the main window), below it otherwise.
// x is the occurrence's left pixel, lineTop and lineBottom its line's, all in
// screen coordinates.
QPoint confirmDialogPosition(const QSize &dialog, const QRect &area, int x, int lineTop, int lineBottom);
