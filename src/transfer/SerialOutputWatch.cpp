#include "SerialOutputWatch.h"

SerialOutputWatch::Event SerialOutputWatch::look(qint64 msecs, qint64 handed, qint64 waiting)
{
    const bool wasHeld = m_held;
    if (waiting <= 0) {
        m_waiting = false;
        m_held = false;
        m_gone = handed;
        return wasHeld ? Event::Resumed : Event::None;
    }
    const qint64 gone = handed - waiting;
    if (!m_waiting || gone > m_gone) {
        m_waiting = true;
        m_held = false;
        m_since = msecs;
        m_gone = gone;
        return wasHeld ? Event::Resumed : Event::None;
    }
    if (!m_held && msecs - m_since >= HoldAfter) {
        m_held = true;
        m_heldSince = m_since;
        return Event::Held;
    }
    return Event::None;
}

void SerialOutputWatch::reset()
{
    m_gone = -1;
    m_since = 0;
    m_waiting = false;
    m_held = false;
}
