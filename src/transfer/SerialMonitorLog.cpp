#include "SerialMonitorLog.h"

#include <QDateTime>

namespace {

const char *const ControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                      "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                      "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                      "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

} // namespace

void SerialMonitorLog::startLine(Kind kind, qint64 msecs)
{
    Line line;
    line.kind = kind;
    line.msecs = msecs;
    if (kind != Kind::Mark)
        line.bytes.reserve(MaxLineBytes);
    m_lines.push_back(std::move(line));
    m_lineOpen = kind != Kind::Mark;
}

void SerialMonitorLog::append(Kind direction, const QByteArray &bytes, qint64 msecs)
{
    if (bytes.isEmpty() || direction == Kind::Mark)
        return;
    for (const char c : bytes) {
        if (!m_lineOpen || m_lines.back().kind != direction || msecs - m_lastMsecs > LineGap)
            startLine(direction, msecs);
        Line &line = m_lines.back();
        line.bytes.append(c);
        if (c == '\n' || line.bytes.size() >= MaxLineBytes)
            m_lineOpen = false;
        m_lastMsecs = msecs;
    }
    m_dataBytes += bytes.size();
    ++m_changes;
    trim();
}

void SerialMonitorLog::addMark(const QString &text, qint64 msecs)
{
    startLine(Kind::Mark, msecs);
    m_lines.back().text = text;
    ++m_changes;
    trim();
}

void SerialMonitorLog::clear()
{
    m_dropped += qint64(m_lines.size());
    m_lines.clear();
    m_dataBytes = 0;
    m_lineOpen = false;
    ++m_changes;
}

void SerialMonitorLog::trim()
{
    while (!m_lines.empty() && (m_dataBytes > DataBudget || m_lines.size() > size_t(MaxLines))) {
        Line &first = m_lines.front();
        const qint64 over = m_dataBytes - DataBudget;
        if (m_lines.size() <= size_t(MaxLines) && over > 0 && over < first.bytes.size()) {
            // Only part of the oldest line is beyond the budget: drop that part, so that
            // exactly the newest DataBudget bytes stay.
            first.bytes.remove(0, qsizetype(over));
            m_dataBytes -= over;
            break;
        }
        m_dataBytes -= first.bytes.size();
        m_lines.pop_front();
        ++m_dropped;
        if (m_lines.empty())
            m_lineOpen = false;
    }
}

QString SerialMonitorLog::controlName(unsigned char byte)
{
    if (byte < 32)
        return QLatin1String(ControlNames[byte]);
    if (byte == 127)
        return QStringLiteral("DEL");
    return QString();
}

QString SerialMonitorLog::controlText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b < 127) {
            text.append(QLatin1Char(c));
        } else if (b < 32 || b == 127) {
            text.append(QLatin1Char('<'));
            text.append(controlName(b));
            text.append(QLatin1Char('>'));
        } else {
            text.append(QLatin1Char('<'));
            text.append(QString::number(b, 16).toUpper());
            text.append(QLatin1Char('>'));
        }
    }
    return text;
}

QString SerialMonitorLog::hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString SerialMonitorLog::timeText(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}
