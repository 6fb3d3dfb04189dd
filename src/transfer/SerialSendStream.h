#pragma once

#include <QByteArray>

// A program file as it goes out over a serial line, one file byte per step: the bytes are
// sent as stored, except that a line feed not preceded by a carriage return gets one in
// front, and the program ends in front of its first Ctrl-Z (26), the text end mark of tape
// formats. The first byte always goes out, so a file that starts with Ctrl-Z sends just that
// byte. An empty file sends nothing.
class SerialSendStream
{
public:
    static constexpr char CarriageReturn = 13;
    static constexpr char LineFeed = 10;
    static constexpr char EndOfText = 26; // Ctrl-Z

    explicit SerialSendStream(QByteArray fileBytes) : m_bytes(std::move(fileBytes)) {}

    // The file's size: the progress maximum.
    qint64 size() const { return m_bytes.size(); }
    // File bytes taken so far: the progress position.
    qint64 position() const { return m_position; }
    // True when nothing more goes out: no byte left, the next one is a Ctrl-Z, or the first
    // byte was one.
    bool atEnd() const;
    // The bytes to write for the next file byte: that byte, or CR and LF for a lone LF.
    QByteArray next();

    // Everything the stream sends (for tests and previews).
    static QByteArray wholeTransmission(const QByteArray &fileBytes);

private:
    QByteArray m_bytes;
    qint64 m_position = 0;
};
