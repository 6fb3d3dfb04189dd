#pragma once

#include "SerialSendStream.h"

#include <QtGlobal>

#include <functional>

class SerialPort;

// The byte loop of a program send over an open port.
namespace SerialSend {

enum class Outcome { Completed, Cancelled };

// How often the loop lets pending events through while the line takes bytes at once.
constexpr qint64 EventSliceNs = 1000000; // 1 ms

// Sends the stream one file byte per write. Pending events are processed before the first
// byte and then before the next byte once EventSliceNs has passed (that is how Cancel, the line
// indicators, received characters and repainting work during a send); progress gets the
// stream position after each byte; cancel is tested after each byte and while the line is held. A completed send returns once the driver has put the
// last byte on the line; a cancelled one drops what the driver still holds. Throws Error
// when the port fails: the send stops at that byte.
Outcome run(SerialPort &port, SerialSendStream &stream, const bool &cancel,
            const std::function<void(qint64 position)> &progress);

} // namespace SerialSend
