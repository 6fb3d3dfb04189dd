#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Finding a plain text in UTF-8 bytes, as fast as the bytes can be read. Without
// matchCase letters compare by their Unicode case folding (a folded match may
// differ in byte length from the text looked for). With wholeWord the characters
// on both sides of a match must not be word characters (letters, digits, "_" and
// any non-ASCII character); `before` and `after` are the bytes just outside the
// view (-1 at the ends of the text).
class PlainSearch
{
public:
    PlainSearch(const QByteArray &needle, bool matchCase, bool wholeWord);

    // Index of the first (or last) match in the view and its length in bytes, or -1.
    qsizetype findFirst(QByteArrayView view, int before, int after, qsizetype *length) const;
    qsizetype findLast(QByteArrayView view, int before, int after, qsizetype *length) const;

    static bool isWordByte(int byte);

private:
    // Length of the match at i, or -1.
    qsizetype matchAt(QByteArrayView view, qsizetype i) const;
    bool boundariesAt(QByteArrayView view, qsizetype i, qsizetype length, int before, int after) const;

    QByteArray m_needle;
    bool m_matchCase;
    bool m_wholeWord;
    bool m_asciiFold = false;      // case-blind, and the text is ASCII
    QByteArray m_asciiFolded;
    QList<char32_t> m_folded;      // case-blind, the text's characters folded
};
