#pragma once

#include <QList>
#include <QString>

// The help tree as the help window reads it: the pages of one language folder,
// their titles and plain text, and a word search over them.
namespace HelpPages {

// The text inside <title>, entities decoded; empty when the page has none.
QString title(const QString &html);
// What a reader sees of a page: the text of its body without the navigation bar,
// tags, scripts and styles, entities decoded, blanks collapsed to single spaces.
QString plainText(const QString &html);
// Lower case without accents, so that "Maschine", "maschine" and "máschine" meet.
QString foldForSearch(const QString &text);

struct Hit
{
    QString path;    // the page file
    QString title;   // its title (the file name when it has none)
    QString excerpt; // the text around the first match
    int matches = 0; // how often the words occur in the page
};

// The pages of `folder` (its *.html files, not its sub-folders) that hold every
// word of `query`, ignoring letter case and accents; the most matches first, then
// by title. An empty query finds nothing.
QList<Hit> search(const QString &folder, const QString &query);

} // namespace HelpPages
