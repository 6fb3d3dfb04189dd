#include "SerialSend.h"

#include "platform/serial/SerialPort.h"

#include <QCoreApplication>

namespace SerialSend {

Outcome run(SerialPort &port, SerialSendStream &stream, const bool &cancel,
            const std::function<void(qint64 position)> &progress)
{
    while (!stream.atEnd()) {
        QCoreApplication::processEvents();
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
