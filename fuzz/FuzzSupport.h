#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property the code under test must keep. A broken one aborts, which makes
// libFuzzer save the input as a crash file.
#define FUZZ_CHECK(condition, detail)                                                                   \
    do {                                                                                                \
        if (!(condition))                                                                               \
            ::fuzzFailed(__FILE__, __LINE__, #condition, (detail));                                     \
    } while (false)

[[noreturn]] inline void fuzzFailed(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, condition,
                 detail.toUtf8().constData());
    std::abort();
}

// A text for messages: the characters as C escapes where they are not printable ASCII.
inline QString escaped(const QString &text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 32 && u < 127 && u != '\\')
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
    }
    return out;
}

inline QString escaped(const QByteArray &bytes)
{
    QString out;
    for (char ch : bytes) {
        const uchar b = uchar(ch);
        if (b >= 32 && b < 127 && b != '\\')
            out += QLatin1Char(ch);
        else
            out += QStringLiteral("\\x%1").arg(uint(b), 2, 16, QLatin1Char('0'));
    }
    return out;
}

// The input read as UTF-16 code units, little-endian, so that every unit value
// (NUL, lone surrogates, U+2028) can occur; an odd last byte is a unit of its own.
inline QString utf16Units(const uint8_t *data, size_t size)
{
    QString text;
    text.reserve(qsizetype(size / 2 + 1));
    size_t i = 0;
    for (; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    if (i < size)
        text.append(QChar(char16_t(data[i])));
    return text;
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}
