#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// A program received over a serial line, kept as the bytes that came, and how it is shown and
// saved.
//
// Line ends: controls end their blocks with CR LF, LF, LF CR, LF CR CR or CR CR LF. Within a
// run of CR and LF characters every LF is one line end and the CRs next to it belong to it, so
// all of those are one line end, while LF LF still gives a blank line. A run of CRs without any
// LF (a control that ends lines with CR alone) gives one line end per CR.
//
// Shown text: valid UTF-8 is shown as the characters it encodes (a comment with "Ø" or "µ");
// any other byte of 0x80 and above is shown as the Latin-1 character of that code. The text box
// cannot hold a character of code 0 (tape leaders send runs of them), so it shows the symbol for
// null (U+2400) in its place. The bytes, and therefore the saved file, stay as received.
class ReceivedText
{
public:
    static constexpr char16_t NullSymbol = 0x2400;

    void clear();
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // Characters received so far.
    qint64 length() const { return m_bytes.size(); }
    const QByteArray &bytes() const { return m_bytes; }

    // Takes the next received bytes and returns what the text box appends for them; the same
    // whichever way the bytes are split over notifications. What cannot be told yet (CRs that
    // an LF may still join, the start of a UTF-8 character) waits for the next bytes or flush().
    QString append(const QByteArray &chunk);
    // What the box still owes for bytes held back by append(): for the end of a transmission.
    QString flush();

    // The lines of the text, split by the line ends described above.
    QByteArrayList lines() const;
    // The file a save writes: every line ended by CR LF, every other byte as received.
    QByteArray fileBytes() const;

private:
    void showByte(unsigned char byte, QString &shown);
    void releaseUtf8(QString &shown);
    void endRun(QString &shown);

    QByteArray m_bytes;
    // Display state between notifications.
    int m_pendingCrs = 0;   // CRs of the current run shown once it is known whether an LF joins
    bool m_runHasLf = false;
    QByteArray m_utf8;      // the bytes so far of a UTF-8 character
    int m_utf8Length = 0;   // how many it has
};
