#pragma once

#include <QtGlobal>

// Decides from the received length at each timer tick whether a transmission has ended: at
// the first tick at which something has arrived and the length has not grown since the tick
// before, that is one to two tick intervals after the last character.
class ReceptionWatch
{
public:
    // The interval of the ticks: the serial receive window's timer.
    static constexpr int TickInterval = 1000; // ms

    void reset() { ReceivedLength = PreviousReceivedLength = 0; }

    // True when the transmission has ended.
    bool tick(qint64 length)
    {
        ReceivedLength = length;
        if (ReceivedLength == 0)
            return false; // nothing yet: keep waiting, without a time limit
        const bool ended = ReceivedLength == PreviousReceivedLength;
        PreviousReceivedLength = ReceivedLength;
        return ended;
    }

    qint64 ReceivedLength = 0;
    qint64 PreviousReceivedLength = 0;
};
