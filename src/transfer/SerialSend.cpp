#include "SerialSend.h"

#include "platform/serial/SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace SerialSend {

Outcome run(SerialPort &port, SerialSendStream &stream, const bool &cancel,
            const std::function<void(qint64 position)> &progress)
{
    // Events are processed before a byte once a slice has passed since the last pass: a pass
    // per byte would cost as much as the write itself, and nobody sees a millisecond. A held
    // line processes events inside write().
    QElapsedTimer sinceEvents;
    bool due = true;
    while (!stream.atEnd()) {
        if (due || sinceEvents.nsecsElapsed() >= EventSliceNs) {
            QCoreApplication::processEvents();
            sinceEvents.start();
            due = false;
        }
        // A Cancel seen here still lets this byte go: the byte in progress completes.
        const bool held = !port.write(stream.next(), &cancel);
        if (progress)
            progress(stream.position());
        if (held || cancel) {
            port.discardOutput();
            return Outcome::Cancelled;
        }
    }
    if (!port.waitUntilSent(&cancel))
        return Outcome::Cancelled;
    return Outcome::Completed;
}

} // namespace SerialSend
