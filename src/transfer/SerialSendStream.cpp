#include "SerialSendStream.h"

bool SerialSendStream::atEnd() const
{
    if (m_position >= m_bytes.size())
        return true;
    if (m_position == 0)
        return false;
    return m_bytes.at(m_position) == EndOfText || m_bytes.at(m_position - 1) == EndOfText;
}

QByteArray SerialSendStream::next()
{
    if (atEnd())
        return QByteArray();
    const char c = m_bytes.at(m_position);
    const bool afterCr = m_position > 0 && m_bytes.at(m_position - 1) == CarriageReturn;
    ++m_position;
    if (c == LineFeed && !afterCr)
        return QByteArray("\r\n", 2);
    return QByteArray(1, c);
}

QByteArray SerialSendStream::wholeTransmission(const QByteArray &fileBytes)
{
    SerialSendStream stream(fileBytes);
    QByteArray out;
    out.reserve(fileBytes.size());
    while (!stream.atEnd())
        out += stream.next();
    return out;
}
