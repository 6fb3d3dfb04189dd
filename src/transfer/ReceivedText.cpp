#include "ReceivedText.h"

namespace {
constexpr char Cr = 13;
constexpr char Lf = 10;
} // namespace

QString ReceivedText::append(const QByteArray &chunk)
{
    bool afterCr = !m_bytes.isEmpty() && m_bytes.back() == Cr;
    m_bytes += chunk;
    QString shown;
    shown.reserve(chunk.size());
    for (const char c : chunk) {
        if (c == Lf) {
            if (!afterCr)
                shown += QLatin1Char('\n');
        } else if (c == Cr) {
            shown += QLatin1Char('\n');
        } else if (c == 0) {
            shown += QChar(NullSymbol);
        } else {
            shown += QLatin1Char(c);
        }
        afterCr = c == Cr;
    }
    return shown;
}

QByteArrayList ReceivedText::lines() const
{
    QByteArrayList result;
    const qsizetype n = m_bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = m_bytes.at(i);
        if (c != Cr && c != Lf)
            continue;
        result.append(m_bytes.mid(start, i - start));
        if (c == Cr && i + 1 < n && m_bytes.at(i + 1) == Lf)
            ++i;
        start = i + 1;
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
