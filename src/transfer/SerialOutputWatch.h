#pragma once

#include <QtGlobal>

// Notices a held output line from what the port can tell: with XON/XOFF the driver takes the
// machine's XOFF and XON itself, so neither ever reaches the program as data. What can be seen
// is their effect: bytes wait for the line (in the port's buffer or the driver's queue) and none
// of them goes out. The watch is given, at regular looks, how many bytes were handed to the
// port in all and how many of them still wait; it reports a hold once bytes have waited for
// HoldAfter ms without one going out, and its end once bytes go out again or none waits.
// A slow line keeps taking bytes (its queue stays full but moves) and is never reported.
class SerialOutputWatch
{
public:
    static constexpr qint64 HoldAfter = 400; // ms

    enum class Event { None, Held, Resumed };

    // At time `msecs`: `handed` bytes given to the port since it opened, `waiting` of them
    // not yet on the line.
    Event look(qint64 msecs, qint64 handed, qint64 waiting);
    void reset();

    bool isHeld() const { return m_held; }
    // When the current (or the latest) hold began: when the last byte before it went out.
    qint64 heldSince() const { return m_heldSince; }

private:
    qint64 m_gone = -1; // bytes on the line at the latest look
    qint64 m_since = 0; // when the latest byte went out (or bytes began to wait)
    bool m_waiting = false;
    bool m_held = false;
    qint64 m_heldSince = 0;
};
