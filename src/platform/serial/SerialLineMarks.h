#pragma once

#include <QByteArray>
#include <QList>

// Line errors marked in the received bytes (termios PARMRK): a byte received with a parity or
// framing error arrives as 0xFF 0x00 and the byte, a break as 0xFF 0x00 0x00, and a real 0xFF as
// 0xFF 0xFF. Takes the bytes as they come (a mark may be split over two reads) and gives back
// the data without the marks and where the errors were.
class SerialLineMarks
{
public:
    enum class Kind { ParityOrFraming, Break };
    struct LineError
    {
        Kind kind;
        qint64 position; // bytes of data before the damaged one, counted from the last reset()
        bool operator==(const LineError &o) const { return kind == o.kind && position == o.position; }
    };

    void reset()
    {
        m_state = State::Data;
        m_position = 0;
    }

    // The data of `marked`; the errors found are appended to *errors. A byte received with a
    // parity or framing error stays in the data (it is what came, however damaged); a break
    // has no data byte.
    QByteArray decode(const QByteArray &marked, QList<LineError> *errors);

private:
    enum class State { Data, AfterFF, AfterFF00 };
    State m_state = State::Data;
    qint64 m_position = 0;
};
