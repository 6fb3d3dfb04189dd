#pragma once

#include <QMetaType>

// What the line indicators of a port show.
struct SerialLines
{
    // Unavailable: the device cannot report the line (a pseudo-terminal, some adapters).
    enum class State { Off, On, Unavailable };

    State cts = State::Off;
    State dsr = State::Off;
    State rlsd = State::Off; // carrier detect
    State rx = State::Off;   // bytes received lately
    State tx = State::Off;   // bytes sent lately

    bool operator==(const SerialLines &o) const
    {
        return cts == o.cts && dsr == o.dsr && rlsd == o.rlsd && rx == o.rx && tx == o.tx;
    }
    bool operator!=(const SerialLines &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(SerialLines)
