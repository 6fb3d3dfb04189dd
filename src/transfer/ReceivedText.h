#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// A program received over a serial line, kept as the bytes that came, each byte one character
// code 0 to 255, and how it is shown and saved. The text box cannot hold a character of code
// 0 (tape leaders send runs of them), so it shows the symbol for null (U+2400) in its place;
// the bytes, and therefore the saved file, keep the zeros.
class ReceivedText
{
public:
    static constexpr char16_t NullSymbol = 0x2400;

    void clear() { m_bytes.clear(); }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // Characters received so far.
    qint64 length() const { return m_bytes.size(); }
    const QByteArray &bytes() const { return m_bytes; }

    // Takes the next received bytes and returns what the text box appends for them. Line
    // breaks (CR LF, a lone CR, a lone LF) become the box's line breaks, also when a CR LF
    // arrives split over two notifications.
    QString append(const QByteArray &chunk);

    // The lines of the text, split as the text box shows them.
    QByteArrayList lines() const;
    // The file a save writes: every line ended by CR LF, every other byte as received.
    QByteArray fileBytes() const;

private:
    QByteArray m_bytes;
};
