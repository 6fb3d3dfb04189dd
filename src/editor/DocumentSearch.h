#pragma once

#include "PlainSearch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The one search of the editor over a document's UTF-8 text, for find, find
// backwards, replace and replace all, with a plain text or a regular expression.
//
// Regular expressions are matched one line at a time (a match never spans a line
// break) by an engine that keeps its backtracking off the call stack, so a line of
// any length is safe. Whole words and letter case mean the same in both modes:
// a match must not touch a word character (ASCII letters, digits, "_" and any
// non-ASCII character) on either side, and letters compare by their Unicode case.
//
// Some patterns backtrack once per character (`(A|B)*`); on a very long line the
// engine runs out of room for that and the search throws Error naming the line.
//
// An empty match (`^`, `$`, `x*`) is never taken right where the previous one
// ended: positions handed in as `from` after a find say whether an empty match
// there counts (`emptyAtFrom`).
class DocumentSearch
{
public:
    struct Match
    {
        qsizetype start = -1; // byte offsets in the text
        qsizetype end = -1;
        QStringList groups;   // regular expression only: the whole match and each group
        bool found() const { return start >= 0; }
    };

    // The changed span of a replace all and its new bytes.
    struct Block
    {
        qsizetype start = 0;
        qsizetype end = 0;
        QByteArray text;
        int count = 0;
        // Where the first and the last replacement sit in `text`.
        qsizetype firstLength = 0;
        qsizetype lastOffset = 0;
        qsizetype lastLength = 0;
    };

    DocumentSearch(const QString &pattern, bool matchCase, bool wholeWord, bool regularExpression);

    // An empty pattern finds nothing; an invalid regular expression cannot search.
    bool isValid() const;
    bool isRegularExpression() const { return m_isRegex; }
    // For an invalid regular expression: the engine's reason and the 0-based
    // offset in the pattern where it noticed the fault.
    QString patternError() const { return m_error; }
    qsizetype patternErrorOffset() const { return m_errorOffset; }

    // The first match starting at or after `from` and ending at or before `scopeEnd`.
    Match findForward(QByteArrayView text, qsizetype from, qsizetype scopeEnd, bool emptyAtFrom) const;
    // The last match starting at or after `scopeStart` and ending at or before `from`.
    Match findBackward(QByteArrayView text, qsizetype scopeStart, qsizetype from, bool emptyAtFrom) const;
    // Every match in [from, to], leftmost first and without overlap, replaced.
    Block replaceAll(QByteArrayView text, qsizetype from, qsizetype to, bool emptyAtFrom, bool emptyAtTo,
                     const QString &replace) const;
    // The bytes that replace a match: the replacement text itself for a plain
    // search; for a regular expression \0 to \9 stand for the match and its groups,
    // and \\, \n, \r, \t, \a, \b, \f, \v for their characters.
    QByteArray replacementFor(const Match &match, const QString &replace) const;

private:
    // A piece of an expanded replacement: text, or the group with this number.
    struct Piece
    {
        QString text;
        int group = -1;
    };
    static QList<Piece> parseReplacement(const QString &replace);

    using Visit = std::function<bool(qsizetype start, qsizetype end, const QRegularExpressionMatch *match)>;
    // Visits the matches in [from, to] in order until `visit` returns false. An
    // empty match at `from` counts only with emptyAtFrom, one at `to` only with
    // emptyAtTo.
    void forEachMatch(QByteArrayView text, qsizetype from, qsizetype to, bool emptyAtFrom, bool emptyAtTo,
                      const Visit &visit) const;
    void forEachPlain(QByteArrayView text, qsizetype from, qsizetype to, const Visit &visit) const;
    // The matches of one line; false when `visit` stopped.
    bool forEachInLine(QByteArrayView text, qsizetype lineStart, qsizetype lineEnd, qsizetype from, qsizetype to,
                       bool emptyAtFrom, bool emptyAtTo, const Visit &visit) const;

    QString m_pattern;
    bool m_isRegex;
    PlainSearch m_plain;
    std::optional<QRegularExpression> m_regex; // set when valid
    QString m_error;
    qsizetype m_errorOffset = -1;
};

// The text an operator reads for an invalid regular expression (empty when the
// search is valid or not a regular expression).
QString invalidPatternText(const QString &pattern, const DocumentSearch &search);
