#include "ReceivedText.h"

namespace {
constexpr char Cr = 13;
constexpr char Lf = 10;

// The length of the UTF-8 character a byte begins, 0 when it begins none.
int utf8Length(unsigned char lead)
{
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

// Whether `next` may follow `sofar` in a UTF-8 character (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool continues(const QByteArray &sofar, unsigned char next)
{
    if (next < 0x80 || next > 0xbf)
        return false;
    if (sofar.size() != 1)
        return true;
    switch (static_cast<unsigned char>(sofar.at(0))) {
    case 0xe0: return next >= 0xa0;
    case 0xed: return next <= 0x9f;
    case 0xf0: return next >= 0x90;
    case 0xf4: return next <= 0x8f;
    default: return true;
    }
}
} // namespace

void ReceivedText::clear()
{
    m_bytes.clear();
    m_pendingCrs = 0;
    m_runHasLf = false;
    m_utf8.clear();
    m_utf8Length = 0;
}

void ReceivedText::releaseUtf8(QString &shown)
{
    for (const char c : std::as_const(m_utf8))
        shown += QChar(char16_t(static_cast<unsigned char>(c)));
    m_utf8.clear();
    m_utf8Length = 0;
}

void ReceivedText::endRun(QString &shown)
{
    if (!m_runHasLf)
        shown += QString(m_pendingCrs, QLatin1Char('\n'));
    m_pendingCrs = 0;
    m_runHasLf = false;
}

void ReceivedText::showByte(unsigned char byte, QString &shown)
{
    if (!m_utf8.isEmpty()) {
        if (continues(m_utf8, byte)) {
            m_utf8 += char(byte);
            if (m_utf8.size() == m_utf8Length) {
                shown += QString::fromUtf8(m_utf8);
                m_utf8.clear();
                m_utf8Length = 0;
            }
            return;
        }
        releaseUtf8(shown); // not UTF-8 after all: byte by byte
    }
    if (byte == 0) {
        shown += QChar(NullSymbol);
    } else if (byte < 0x80) {
        shown += QChar(char16_t(byte));
    } else if (const int length = utf8Length(byte)) {
        m_utf8 += char(byte);
        m_utf8Length = length;
    } else {
        shown += QChar(char16_t(byte));
    }
}

QString ReceivedText::append(const QByteArray &chunk)
{
    m_bytes += chunk;
    QString shown;
    shown.reserve(chunk.size());
    for (const char c : chunk) {
        if (c == Lf || c == Cr) {
            releaseUtf8(shown);
            if (c == Lf) {
                shown += QLatin1Char('\n');
                m_pendingCrs = 0;
                m_runHasLf = true;
            } else if (!m_runHasLf) {
                ++m_pendingCrs;
            }
            continue;
        }
        if (m_pendingCrs > 0 || m_runHasLf)
            endRun(shown);
        showByte(static_cast<unsigned char>(c), shown);
    }
    return shown;
}

QString ReceivedText::flush()
{
    QString shown;
    releaseUtf8(shown);
    endRun(shown);
    return shown;
}

QByteArrayList ReceivedText::lines() const
{
    QByteArrayList result;
    const qsizetype n = m_bytes.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const char c = m_bytes.at(i);
        if (c != Cr && c != Lf) {
            ++i;
            continue;
        }
        qsizetype end = i;
        qsizetype lfs = 0;
        while (end < n && (m_bytes.at(end) == Cr || m_bytes.at(end) == Lf)) {
            lfs += m_bytes.at(end) == Lf;
            ++end;
        }
        const qsizetype lineEnds = lfs > 0 ? lfs : end - i;
        result.append(m_bytes.mid(start, i - start));
        for (qsizetype k = 1; k < lineEnds; ++k)
            result.append(QByteArray());
        start = i = end;
    }
    if (start < n)
        result.append(m_bytes.mid(start));
    return result;
}

QByteArray ReceivedText::fileBytes() const
{
    QByteArray out;
    out.reserve(m_bytes.size() + m_bytes.size() / 16 + 2);
    for (const QByteArray &line : lines()) {
        out += line;
        out += "\r\n";
    }
    return out;
}
