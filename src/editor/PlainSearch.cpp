#include "PlainSearch.h"

#include <QChar>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

inline uchar foldAscii(uchar c) { return (c >= 'A' && c <= 'Z') ? uchar(c + 32) : c; }

inline bool isContinuation(uchar c) { return (c & 0xC0) == 0x80; }

// Decodes the character at p (before end); malformed bytes read as themselves,
// one at a time, so that they only ever match themselves.
char32_t decodeAt(const uchar *p, const uchar *end, int *size)
{
    const uchar b = *p;
    const int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
    if (b >= 0x80 && extra && end - p > extra) {
        char32_t u = b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k) {
            ok = isContinuation(p[k]);
            u = (u << 6) | (p[k] & 0x3F);
        }
        if (ok) {
            *size = extra + 1;
            return u;
        }
    }
    *size = 1;
    return b < 0x80 ? char32_t(b) : char32_t(0xDC00 + b); // lone byte: a value no character folds to
}

char32_t folded(char32_t u) { return u >= 0xDC00 && u <= 0xDCFF ? u : QChar::toCaseFolded(u); }

} // namespace

PlainSearch::PlainSearch(const QByteArray &needle, bool matchCase, bool wholeWord)
    : m_needle(needle), m_matchCase(matchCase), m_wholeWord(wholeWord)
{
    if (matchCase)
        return;
    m_asciiFold = std::all_of(needle.begin(), needle.end(), [](char c) { return uchar(c) < 0x80; });
    if (m_asciiFold) {
        m_asciiFolded = needle;
        for (char &c : m_asciiFolded)
            c = char(foldAscii(uchar(c)));
        return;
    }
    const auto *p = reinterpret_cast<const uchar *>(needle.constData());
    const auto *end = p + needle.size();
    while (p < end) {
        int size;
        m_folded << folded(decodeAt(p, end, &size));
        p += size;
    }
}

bool PlainSearch::isWordByte(int byte)
{
    if (byte < 0)
        return false;
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_'
           || byte >= 0x80;
}

qsizetype PlainSearch::matchAt(QByteArrayView view, qsizetype i) const
{
    const auto *p = reinterpret_cast<const uchar *>(view.data()) + i;
    const auto *end = reinterpret_cast<const uchar *>(view.data()) + view.size();
    const qsizetype n = m_needle.size();
    if (m_matchCase || m_asciiFold) {
        if (end - p < n)
            return -1;
        if (m_matchCase)
            return std::memcmp(p, m_needle.constData(), size_t(n)) == 0 ? n : -1;
        for (qsizetype k = 0; k < n; ++k) {
            if (foldAscii(p[k]) != uchar(m_asciiFolded[k]))
                return -1;
        }
        return n;
    }
    const uchar *q = p;
    for (char32_t want : m_folded) {
        if (q >= end)
            return -1;
        int size;
        if (folded(decodeAt(q, end, &size)) != want)
            return -1;
        q += size;
    }
    return q - p;
}

bool PlainSearch::boundariesAt(QByteArrayView view, qsizetype i, qsizetype length, int before, int after) const
{
    if (!m_wholeWord)
        return true;
    const int left = i > 0 ? uchar(view[i - 1]) : before;
    const qsizetype end = i + length;
    const int right = end < view.size() ? uchar(view[end]) : after;
    return !isWordByte(left) && !isWordByte(right);
}

qsizetype PlainSearch::findFirst(QByteArrayView view, int before, int after, qsizetype *length) const
{
    const qsizetype n = m_needle.size();
    if (n == 0)
        return -1;
    const char *data = view.data();
    const auto *p = reinterpret_cast<const uchar *>(data);
    if (m_matchCase) {
        qsizetype from = 0;
        while (view.size() - from >= n) {
#if defined(__GLIBC__)
            const void *hit = memmem(data + from, size_t(view.size() - from), m_needle.constData(), size_t(n));
            if (!hit)
                return -1;
            const qsizetype i = static_cast<const char *>(hit) - data;
#else
            const char *end = data + view.size();
            const char *hit = std::search(data + from, end,
                                          std::boyer_moore_horspool_searcher(m_needle.constBegin(), m_needle.constEnd()));
            if (hit == end)
                return -1;
            const qsizetype i = hit - data;
#endif
            if (boundariesAt(view, i, n, before, after)) {
                *length = n;
                return i;
            }
            from = i + 1;
        }
        return -1;
    }
    const uchar first = m_asciiFold ? uchar(m_asciiFolded[0]) : 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (m_asciiFold ? foldAscii(p[i]) != first : isContinuation(p[i]))
            continue;
        const qsizetype len = matchAt(view, i);
        if (len >= 0 && boundariesAt(view, i, len, before, after)) {
            *length = len;
            return i;
        }
    }
    return -1;
}

qsizetype PlainSearch::findLast(QByteArrayView view, int before, int after, qsizetype *length) const
{
    if (m_needle.isEmpty())
        return -1;
    const auto *p = reinterpret_cast<const uchar *>(view.data());
    const uchar first = m_matchCase ? uchar(m_needle[0]) : m_asciiFold ? uchar(m_asciiFolded[0]) : 0;
    for (qsizetype i = view.size() - 1; i >= 0; --i) {
        if (m_matchCase || m_asciiFold) {
            if ((m_matchCase ? p[i] : foldAscii(p[i])) != first)
                continue;
        } else if (isContinuation(p[i])) {
            continue;
        }
        const qsizetype len = matchAt(view, i);
        if (len >= 0 && boundariesAt(view, i, len, before, after)) {
            *length = len;
            return i;
        }
    }
    return -1;
}
