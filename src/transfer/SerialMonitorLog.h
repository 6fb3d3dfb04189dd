#pragma once

#include <QByteArray>
#include <QString>

#include <deque>

// What a serial line monitor keeps: the bytes that went out and came in, split into lines,
// each with the time its first byte was seen, and marked lines for what happened on the line
// without being data (output held, modem lines switched). Only the newest traffic is kept:
// at most DataBudget data bytes and MaxLines lines; the oldest lines go first.
//
// Appending costs a few comparisons per byte, so a tap may call it for every byte written.
class SerialMonitorLog
{
public:
    enum class Kind { Out, In, Mark };

    struct Line
    {
        qint64 msecs = 0; // when it began, milliseconds since the epoch (UTC)
        Kind kind = Kind::Out;
        QByteArray bytes; // the data of an Out or In line
        QString text;     // the text of a Mark line
    };

    static constexpr qint64 DataBudget = 1024 * 1024; // bytes of data kept
    static constexpr int MaxLines = 65536;
    // A data line is ended after a line feed, when the direction changes, when it holds this
    // many bytes, and when the next bytes come more than LineGap ms after its last one.
    static constexpr int MaxLineBytes = 64;
    static constexpr qint64 LineGap = 500;

    void append(Kind direction, const QByteArray &bytes, qint64 msecs);
    void addMark(const QString &text, qint64 msecs);
    void clear();

    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    const Line &line(qsizetype i) const { return m_lines[size_t(i)]; }
    // Lines dropped at the front since the log began: a line's number is index + dropped(),
    // so a view can keep its place while the log moves.
    qint64 dropped() const { return m_dropped; }
    qint64 dataBytes() const { return m_dataBytes; }
    // Counts only grow (cleared by clear()): a view repaints when this changes.
    qint64 changes() const { return m_changes; }

    // The bytes as text: printable ASCII as it is, control characters by their names in angle
    // brackets ("<CR>", "<LF>", "<DC1>", "<DEL>"), bytes from 128 on as "<9C>".
    static QString controlText(const QByteArray &bytes);
    // The bytes in hexadecimal, two digits each, separated by blanks ("4E 31 0D 0A").
    static QString hexText(const QByteArray &bytes);
    // The name of a control character (0 to 31 and 127), empty for any other byte.
    static QString controlName(unsigned char byte);
    // "13:05:09.042" in local time.
    static QString timeText(qint64 msecs);

private:
    void startLine(Kind kind, qint64 msecs);
    void trim();

    std::deque<Line> m_lines;
    qint64 m_dataBytes = 0;
    qint64 m_dropped = 0;
    qint64 m_changes = 0;
    qint64 m_lastMsecs = 0; // of the latest byte of the last line
    bool m_lineOpen = false; // the last line takes more bytes
};
