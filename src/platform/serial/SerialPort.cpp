#include "SerialPort.h"

#include "NetworkSerialAddress.h"
#include "NetworkSerialLink.h"
#include "SerialDevices.h"
#include "SerialPortNames.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <atomic>
#include <optional>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

// How each setting reaches the device, and what it cannot express:
// - Baud rate, data bits, parity: as set. The non-standard rates (14400, 56000, 128000,
//   256000) go through custom divisors on Linux; a device that cannot do a rate refuses it and
//   open() reports why. A pseudo-terminal always works with 8 data bits and no parity.
// - 1.5 stop bits exist only on Windows. Elsewhere 2 are set: a UART with 5 data bits then sends
//   1.5 and with more data bits sends 2, which a receiver expecting 1.5 accepts, as receivers
//   check the first stop bit only. deviceStopBits() tells what the device holds.
// - CTS output flow and RTS handshake are one setting in Qt (and in termios): hardware flow is
//   on when either is asked for, and RTS then belongs to the driver, so "RTS on" together with
//   CTS flow (CUSTOM after HARDWARE) leaves RTS to the handshake.
// - RTS toggle (RTS only while transmitting) has no setting in Qt: RTS is switched on instead.
// - DTR handshake (DTR/DSR input flow) has no setting in Qt: DTR is switched on instead.
// - DSR output flow and DSR sensitivity have no setting in Qt on any system: they stay in the
//   model only; output does not wait for DSR and bytes are accepted whatever DSR is.
// - Continue-on-XOFF: Linux always keeps transmitting after the driver sent its own XOFF, which
//   is the "on" behaviour; "off" cannot be expressed.
// - XON/XOFF outside Windows: output (IXON) and input (IXOFF) are set each on its own, with the
//   model's characters, and IXANY off so that only XON resumes a held output (Qt's software flow
//   would let any received byte resume it). On Windows Qt switches both directions together.
// - Modem lines (DTR, RTS, and reading CTS, DSR, carrier): a device without them (a
//   pseudo-terminal) answers "unsupported"; that is no failure, the indicators show the lines as
//   unavailable.
// - Line errors (parity, framing, break) are not reported by Qt 6. Outside Windows the device is
//   told to check parity (INPCK, when a parity is set) and to mark every damaged byte and break
//   in the data (PARMRK; IGNPAR, IGNBRK, BRKINT and ISTRIP off), and the marks are taken out of
//   the data again (SerialLineMarks) and reported as lineError(). On Windows the driver's error
//   flags (ClearCommError: CE_RXPARITY, CE_FRAME, CE_BREAK) are read with every arrival of data
//   and every look at the lines; they do not tell which byte, so the position is that of the
//   data read so far.

namespace {

constexpr int WakeInterval = 100; // ms; how soon a held write notices a cancel set outside events
// What write() leaves queued for a network port before it waits: about a driver's buffer.
constexpr qint64 NetworkQueueLimit = 4096;

QSerialPort::Parity toQt(SerialSettings::Parity p)
{
    switch (p) {
    case SerialSettings::Parity::None: return QSerialPort::NoParity;
    case SerialSettings::Parity::Odd: return QSerialPort::OddParity;
    case SerialSettings::Parity::Even: return QSerialPort::EvenParity;
    case SerialSettings::Parity::Mark: return QSerialPort::MarkParity;
    case SerialSettings::Parity::Space: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(SerialSettings::StopBits s)
{
    switch (s) {
    case SerialSettings::StopBits::One: return QSerialPort::OneStop;
    case SerialSettings::StopBits::OneAndHalf:
#ifdef Q_OS_WIN
        return QSerialPort::OneAndHalfStop;
#else
        return QSerialPort::TwoStop;
#endif
    case SerialSettings::StopBits::Two: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

} // namespace

SerialPort::SerialPort(const SerialSettings &design, QObject *parent)
    : QObject(parent), m_settings(design)
{
    m_linesTimer.setInterval(LinePollInterval);
    m_wakeTimer.setInterval(WakeInterval);
    connect(&m_linesTimer, &QTimer::timeout, this, &SerialPort::pollLines);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPort::onError);
}

SerialPort::~SerialPort() { close(); }

bool SerialPort::isOpen() const { return m_port.isOpen() || (m_netActive && m_net && m_net->isOpen()); }

void SerialPort::setSettings(const SerialSettings &settings)
{
    m_settings = settings;
    if (m_netActive && m_net->isOpen())
        m_net->applySettings(m_settings);
    else if (m_port.isOpen())
        applyToDevice();
}

QString SerialPort::deviceName() const
{
    return m_port.isOpen() || m_netActive ? m_device : SerialPortNames::deviceFor(m_settings.portName);
}

void SerialPort::resetForOpening()
{
    ++m_openings;
    m_failure.clear();
    m_marking = false;
    m_receivedCount = 0;
    m_modemLinesAvailable = true;
    m_rxSeen = m_txSeen = false;
}

void SerialPort::open()
{
    if (isOpen())
        return;
    if (m_netActive)
        close(); // a network port that failed and has not been closed yet
    m_device = SerialPortNames::deviceFor(m_settings.portName);
    if (m_device.isEmpty())
        throw SerialPortOpenError(m_settings.portName, QString(), QStringLiteral("no port name is set"));
    const bool network = NetworkSerialAddress::looksLikeAddress(m_device);
    std::optional<NetworkSerialAddress> address;
    if (network) {
        QString why;
        address = NetworkSerialAddress::parse(m_device, &why);
        if (!address)
            throw SerialPortOpenError(m_settings.portName, m_device, QStringLiteral("the address is not valid: %1").arg(why));
    }
    SerialPortLock::Holder holder;
    QString lockError;
    if (!m_lock.acquire(m_device, &holder, &lockError)) {
        if (!lockError.isEmpty())
            throw SerialPortOpenError(m_settings.portName, m_device, lockError);
        throw SerialPortOpenError(m_settings.portName, m_device,
                                  QStringLiteral("port in use by %1 (process %2)").arg(holder.program).arg(holder.pid),
                                  SerialFailure::Kind::InUse)
            .withHolder(holder.program, holder.pid);
    }
    if (network) {
        openNetwork(m_device);
        return;
    }
    m_port.setPortName(m_device);
    m_opening = true;
    const bool opened = m_port.open(QIODevice::ReadWrite);
    m_opening = false;
    if (!opened) {
        const QString reason = m_port.errorString();
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        bool accessible = true;
#ifdef Q_OS_UNIX
        accessible = ::access(QFile::encodeName(m_device).constData(), R_OK | W_OK) == 0;
#endif
        m_lock.release();
        throw SerialPortOpenError(m_settings.portName, deviceName(), reason,
                                  SerialFailure::classifyOpen(error, SerialDevices::exists(m_device), accessible));
    }
    resetForOpening();
    try {
        applyToDevice();
    } catch (const Error &) {
        close();
        throw;
    }
    pollLines();
    m_linesTimer.start();
}

void SerialPort::openNetwork(const QString &text)
{
    const NetworkSerialAddress address = *NetworkSerialAddress::parse(text);
    if (!m_net) {
        m_net = std::make_unique<NetworkSerialLink>();
        connect(m_net.get(), &NetworkSerialLink::received, this, &SerialPort::onNetworkReceived);
        connect(m_net.get(), &NetworkSerialLink::failed, this, &SerialPort::onNetworkFailed);
        connect(m_net.get(), &NetworkSerialLink::modemLinesChanged, this, [this] {
            SerialLines next = m_lines;
            next.cts = m_net->cts();
            next.dsr = m_net->dsr();
            next.rlsd = m_net->carrier();
            setLines(next);
        });
        connect(m_net.get(), &NetworkSerialLink::lineError, this, [this](bool isBreak) {
            emit lineError(isBreak ? SerialLineMarks::Kind::Break : SerialLineMarks::Kind::ParityOrFraming, m_receivedCount);
        });
    }
    QString reason;
    SerialFailure::Kind kind = SerialFailure::Kind::Other;
    m_opening = true;
    const bool opened = m_net->open(address, m_settings, &reason, &kind);
    m_opening = false;
    if (!opened) {
        m_lock.release();
        throw SerialPortOpenError(m_settings.portName, m_device, reason, kind);
    }
    m_netActive = true;
    resetForOpening();
    m_modemLinesAvailable = false;
    pollLines();
    m_linesTimer.start();
}

void SerialPort::onNetworkReceived(const QByteArray &bytes)
{
    m_rxSeen = true;
    if (m_lines.rx != SerialLines::State::On) {
        SerialLines next = m_lines;
        next.rx = SerialLines::State::On;
        setLines(next);
    }
    m_receivedCount += bytes.size();
    emit received(bytes);
}

void SerialPort::onNetworkFailed(const QString &reason)
{
    if (!m_failure.isEmpty() || !m_netActive)
        return;
    m_failure = QStringLiteral("The serial port %1 failed: %2").arg(describePort(), reason);
    m_failureKind = SerialFailure::Kind::DeviceLost;
    m_linesTimer.stop();
    QMetaObject::invokeMethod(
        this, [this, opening = m_openings] { if (opening == m_openings) close(); }, Qt::QueuedConnection);
    emit failed(m_failure);
}

bool SerialPort::writeNetwork(const QByteArray &bytes, const bool *cancel)
{
    m_net->queue(bytes);
    noteTransmit();
    while (m_net->isOpen() && m_failure.isEmpty() && m_net->queued() >= NetworkQueueLimit) {
        if (cancel && *cancel) {
            m_net->discardOutput();
            m_wakeTimer.stop();
            return false;
        }
        // Held (XOFF, the server's suspend) or the socket is full: wait in the event loop.
        if (!m_wakeTimer.isActive())
            m_wakeTimer.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return endOfWait(cancel);
}

// Sent means handed to the socket and acknowledged by the device server: a server that dies
// before it has them all makes this fail instead of reporting the bytes as sent.
bool SerialPort::waitUntilSentNetwork(const bool *cancel)
{
    while (m_net->isOpen() && m_failure.isEmpty()) {
        m_net->flush();
        if (m_net->pending() == 0 && m_net->unacknowledged() == 0)
            break;
        if (cancel && *cancel) {
            m_wakeTimer.stop();
            discardOutput();
            return false;
        }
        if (!m_wakeTimer.isActive())
            m_wakeTimer.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return endOfWait(cancel);
}

void SerialPort::close()
{
    if (m_opening && m_net) {
        m_net->close(); // a connection still being made: open() fails with the reason
        return;
    }
    if (m_netActive) {
        m_netActive = false;
        m_linesTimer.stop();
        m_wakeTimer.stop();
        m_net->close();
        m_lock.release();
        m_rxSeen = m_txSeen = false;
        setLines(SerialLines());
        return;
    }
    if (!m_port.isOpen())
        return;
    if (m_draining) {
        // The drainer still uses the device: drop the output, which ends its wait, and
        // close once it has returned.
        m_port.clear(QSerialPort::Output);
        m_closePending = true;
        return;
    }
    m_linesTimer.stop();
    m_wakeTimer.stop();
    m_port.close();
    m_lock.release();
    m_rxSeen = m_txSeen = false;
    setLines(SerialLines());
}

bool SerialPort::write(const QByteArray &bytes, const bool *cancel)
{
    throwIfFailed();
    if (!isOpen())
        throw Error(QStringLiteral("The serial port %1 is not open").arg(describePort()));
    if (bytes.isEmpty())
        return true;
    if (m_netActive)
        return writeNetwork(bytes, cancel);
    QByteArray rest = bytes;
#ifdef Q_OS_UNIX
    // Straight to the driver while Qt holds no bytes back (so the order stays): a byte-wise send
    // then costs one system call per byte instead of a round of Qt's write notifications.
    if (m_port.bytesToWrite() == 0) {
        const ssize_t n = ::write(int(m_port.handle()), bytes.constData(), size_t(bytes.size()));
        const int writeErrno = errno;
        if (n < 0 && writeErrno != EAGAIN && writeErrno != EWOULDBLOCK && writeErrno != EINTR) {
            reportFailure(QSerialPort::WriteError, QString::fromLocal8Bit(std::strerror(writeErrno)));
            throwIfFailed();
        }
        if (n > 0) {
            noteTransmit();
            emit transmitted(qsizetype(n) == bytes.size() ? bytes : bytes.left(qsizetype(n)));
            rest = bytes.mid(qsizetype(n));
        }
        if (rest.isEmpty())
            return true;
    }
#endif
    if (m_port.write(rest) != rest.size()) {
        throwIfFailed();
        throw Error(QStringLiteral("Unable to write to the serial port %1: %2")
                        .arg(describePort(), m_port.errorString()));
    }
    noteTransmit();
    emit transmitted(rest);
    while (m_port.isOpen() && m_port.bytesToWrite() > 0 && m_failure.isEmpty()) {
        // Usually the driver takes the bytes at once; a zero wait does that without the cost
        // of a pass through the event loop.
        if (m_port.waitForBytesWritten(0))
            continue;
        if (m_port.error() == QSerialPort::TimeoutError)
            m_port.clearError();
        if (!m_failure.isEmpty() || !m_port.isOpen())
            break;
        if (cancel && *cancel) {
            m_port.clear(QSerialPort::Output);
            m_wakeTimer.stop();
            return false;
        }
        // Held by flow control or a full driver buffer: sleep in the event loop until the
        // device can take more, something happens in the windows, or the wake timer fires.
        if (!m_wakeTimer.isActive())
            m_wakeTimer.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return endOfWait(cancel);
}

bool SerialPort::waitUntilSent(const bool *cancel)
{
    throwIfFailed();
    if (!isOpen())
        throw Error(QStringLiteral("The serial port %1 is not open").arg(describePort()));
    if (m_netActive)
        return waitUntilSentNetwork(cancel);
    while (m_port.isOpen() && m_failure.isEmpty()) {
        if (m_port.bytesToWrite() > 0 && !m_port.waitForBytesWritten(0)
            && m_port.error() == QSerialPort::TimeoutError)
            m_port.clearError();
        if (m_port.bytesToWrite() == 0 && driverOutputQueue() == 0)
            return drainLine(cancel);
        if (cancel && *cancel) {
            m_wakeTimer.stop();
            discardOutput();
            return false;
        }
        // The driver gives no notice when its queue empties: look again on each wake.
        if (!m_wakeTimer.isActive())
            m_wakeTimer.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return endOfWait(cancel);
}

// The driver's queue is empty, but the UART's FIFO and a USB adapter's buffer may still hold
// bytes: tcdrain() (FlushFileBuffers() on Windows) returns once they are on the line. It blocks,
// so it runs on a thread of its own while events go on; a cancel drops the output, which ends it.
bool SerialPort::drainLine(const bool *cancel)
{
    const auto handle = m_port.handle();
    std::atomic<bool> done{false};
    std::atomic<int> failure{0};
    std::thread drainer([handle, &done, &failure] {
#ifdef Q_OS_WIN
        if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(handle)))
            failure = int(::GetLastError());
#elif defined(Q_OS_UNIX)
        while (::tcdrain(int(handle)) != 0) {
            if (errno != EINTR) {
                failure = errno;
                break;
            }
        }
#endif
        done = true;
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection); // wake the waiting loop
    });
    bool cancelled = false;
    m_draining = true;
    m_wakeTimer.start();
    while (!done) {
        if (!cancelled && cancel && *cancel) {
            cancelled = true;
            m_port.clear(QSerialPort::Output);
        }
        // Never closed under the drainer: a close asked for meanwhile waits for it (close()).
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    drainer.join();
    m_draining = false;
    m_wakeTimer.stop();
    if (m_closePending) {
        m_closePending = false;
        close();
    }
    if (cancelled)
        return false;
    if (failure != 0 && m_failure.isEmpty()) {
#ifdef Q_OS_WIN
        const QString reason = QStringLiteral("system error %1").arg(failure.load());
#else
        const QString reason = QString::fromLocal8Bit(std::strerror(failure));
#endif
        reportFailure(QSerialPort::WriteError, reason);
    }
    return endOfWait(cancel);
}

bool SerialPort::endOfWait(const bool *cancel)
{
    m_wakeTimer.stop();
    throwIfFailed();
    if (!isOpen()) {
        // Closed while held, normally by the Cancel that also set the flag.
        if (cancel && *cancel)
            return false;
        throw Error(QStringLiteral("The serial port %1 was closed before all bytes were sent").arg(describePort()));
    }
    return true;
}

void SerialPort::discardOutput()
{
    if (m_netActive)
        m_net->discardOutput();
    else if (m_port.isOpen())
        m_port.clear(QSerialPort::Output);
}

qint64 SerialPort::driverOutputQueue() const
{
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    int queued = 0;
    if (m_port.isOpen() && ::ioctl(int(m_port.handle()), TIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return 0;
}

SerialSettings::StopBits SerialPort::deviceStopBits() const
{
    if (m_netActive)
        return m_settings.stopBits; // what the server confirmed, or its own setting on a raw socket
#ifdef Q_OS_UNIX
    termios tio;
    if (m_port.isOpen() && ::tcgetattr(int(m_port.handle()), &tio) == 0)
        return (tio.c_cflag & CSTOPB) ? SerialSettings::StopBits::Two : SerialSettings::StopBits::One;
#endif
    switch (m_port.stopBits()) {
    case QSerialPort::OneAndHalfStop: return SerialSettings::StopBits::OneAndHalf;
    case QSerialPort::TwoStop: return SerialSettings::StopBits::Two;
    default: return SerialSettings::StopBits::One;
    }
}

void SerialPort::applyToDevice()
{
    const auto check = [this](bool ok, const QString &what) {
        if (!ok)
            throw Error(QStringLiteral("The serial port %1 does not accept %2: %3")
                            .arg(describePort(), what, m_port.errorString()));
    };
    const SerialSettings &s = m_settings;
    check(m_port.setBaudRate(s.baudRate), QStringLiteral("%1 baud").arg(s.baudRate));
    const bool dataBitsValid = s.dataBits >= 5 && s.dataBits <= 8;
    check(dataBitsValid && m_port.setDataBits(QSerialPort::DataBits(s.dataBits)),
          QStringLiteral("%1 data bits").arg(s.dataBits));
    check(m_port.setParity(toQt(s.parity)), QStringLiteral("the parity"));
    check(m_port.setStopBits(toQt(s.stopBits)), QStringLiteral("the stop bits"));
    applyFlowControl();
    applyLineChecks();
    applyModemLines();
}

void SerialPort::applyLineChecks()
{
#ifdef Q_OS_UNIX
    const int fd = int(m_port.handle());
    termios tio;
    bool ok = ::tcgetattr(fd, &tio) == 0;
    if (ok) {
        tio.c_iflag = tcflag_t(lineCheckInputFlags(tio.c_iflag, m_settings.parity));
        ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    if (!ok)
        throw Error(QStringLiteral("The serial port %1 does not accept the parity check settings: %2")
                        .arg(describePort(), QString::fromLocal8Bit(std::strerror(errno))));
    if (!m_marking) {
        m_marks.reset();
        m_marking = true;
    }
#endif
}

#ifdef Q_OS_UNIX
unsigned long SerialPort::lineCheckInputFlags(unsigned long inputFlags, SerialSettings::Parity parity)
{
    // Qt sets IGNPAR and clears INPCK with every parity: damaged bytes would pass unseen.
    tcflag_t flags = tcflag_t(inputFlags);
    flags &= ~tcflag_t(IGNPAR | IGNBRK | BRKINT | ISTRIP);
    flags |= PARMRK;
    if (parity != SerialSettings::Parity::None)
        flags |= INPCK;
    else
        flags &= ~tcflag_t(INPCK);
    return flags;
}
#endif

SerialPort::LineChecks SerialPort::deviceLineChecks() const
{
    LineChecks checks;
    if (m_netActive)
        return checks; // the device server checks the line; port control reports what it finds
#ifdef Q_OS_UNIX
    termios tio;
    if (m_port.isOpen() && ::tcgetattr(int(m_port.handle()), &tio) == 0) {
        checks.parityChecked = (tio.c_iflag & INPCK) && !(tio.c_iflag & IGNPAR);
        checks.errorsMarked = (tio.c_iflag & PARMRK) && !(tio.c_iflag & (IGNPAR | IGNBRK | ISTRIP));
    }
#endif
    return checks;
}

void SerialPort::readLineErrorFlags()
{
#ifdef Q_OS_WIN
    DWORD errors = 0;
    if (!m_port.isOpen() || !::ClearCommError(reinterpret_cast<HANDLE>(m_port.handle()), &errors, nullptr))
        return;
    if (errors & CE_BREAK)
        emit lineError(SerialLineMarks::Kind::Break, m_receivedCount);
    if (errors & (CE_RXPARITY | CE_FRAME))
        emit lineError(SerialLineMarks::Kind::ParityOrFraming, m_receivedCount);
#endif
}

void SerialPort::applyFlowControl()
{
    const SerialSettings &s = m_settings;
    const bool hardware = s.ctsOutputFlow || s.rtsControl == SerialSettings::RtsControl::Handshake;
    const bool software = s.xonXoffOut || s.xonXoffIn;
    const QSerialPort::FlowControl flow = hardware ? QSerialPort::HardwareControl
                                          : software ? QSerialPort::SoftwareControl
                                                     : QSerialPort::NoFlowControl;
    if (!m_port.setFlowControl(flow))
        throw Error(QStringLiteral("The serial port %1 does not accept the flow control: %2")
                        .arg(describePort(), m_port.errorString()));
#ifdef Q_OS_UNIX
    const int fd = int(m_port.handle());
    termios tio;
    bool ok = ::tcgetattr(fd, &tio) == 0;
    if (ok) {
        tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
        if (s.xonXoffOut)
            tio.c_iflag |= IXON;
        if (s.xonXoffIn)
            tio.c_iflag |= IXOFF;
        tio.c_cc[VSTART] = cc_t(s.xonChar);
        tio.c_cc[VSTOP] = cc_t(s.xoffChar);
        ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    }
    if (!ok)
        throw Error(QStringLiteral("The serial port %1 does not accept the XON/XOFF settings: %2")
                        .arg(describePort(), QString::fromLocal8Bit(std::strerror(errno))));
#endif
}

void SerialPort::applyModemLines()
{
    // Results are not checked: a device without modem lines refuses these, which is no fault.
    m_port.setDataTerminalReady(m_settings.dtrControl != SerialSettings::DtrControl::Disable);
    if (m_port.flowControl() != QSerialPort::HardwareControl)
        m_port.setRequestToSend(m_settings.rtsControl != SerialSettings::RtsControl::Disable);
    m_port.clearError();
}

void SerialPort::onReadyRead()
{
    const QByteArray raw = m_port.readAll();
    if (raw.isEmpty())
        return;
    QList<SerialLineMarks::LineError> errors;
    const QByteArray bytes = m_marking ? m_marks.decode(raw, &errors) : raw;
    readLineErrorFlags();
    m_rxSeen = true;
    if (m_lines.rx != SerialLines::State::On) {
        SerialLines next = m_lines;
        next.rx = SerialLines::State::On;
        setLines(next);
    }
    // The data and the errors in the order they came, so that a listener knows which data
    // came before the damage.
    QPointer<SerialPort> alive(this);
    const int opening = m_openings;
    const auto stillHere = [&] { return alive && m_port.isOpen() && opening == m_openings; };
    const qint64 base = m_receivedCount;
    qint64 sent = 0;
    for (const SerialLineMarks::LineError &e : std::as_const(errors)) {
        const qint64 cut = e.position - base;
        if (cut > sent) {
            m_receivedCount = base + cut;
            emit received(bytes.mid(sent, cut - sent));
            if (!stillHere())
                return;
            sent = cut;
        }
        emit lineError(e.kind, e.position);
        if (!stillHere())
            return;
    }
    if (sent < bytes.size()) {
        m_receivedCount = base + bytes.size();
        emit received(bytes.mid(sent));
    }
}

void SerialPort::noteTransmit()
{
    m_txSeen = true;
    if (m_lines.tx != SerialLines::State::On) {
        SerialLines next = m_lines;
        next.tx = SerialLines::State::On;
        setLines(next);
    }
}

void SerialPort::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
        return;
    default:
        break;
    }
    // open() reports its own failures; a failing port is reported once.
    if (m_opening || !m_failure.isEmpty())
        return;
    QString reason = m_port.errorString();
#ifdef Q_OS_UNIX
    // A hung-up line reads as end of file, and Qt then reports whatever errno held last;
    // asking the device again gives the real state.
    termios tio;
    if (m_port.isOpen() && ::tcgetattr(int(m_port.handle()), &tio) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
#endif
    reportFailure(error, reason);
}

void SerialPort::reportFailure(QSerialPort::SerialPortError error, const QString &reason)
{
    if (!m_failure.isEmpty())
        return;
    const QString when = error == QSerialPort::ReadError    ? QStringLiteral(" while reading")
                         : error == QSerialPort::WriteError ? QStringLiteral(" while writing")
                                                            : QString();
    m_failure = QStringLiteral("The serial port %1 failed%2: %3").arg(describePort(), when, reason);
    m_failureKind = SerialFailure::classifyRunning(error);
    // A dead device stays writable and readable to poll, and Qt would retry its buffered bytes
    // for ever: drop them now and close once Qt has left its own notification.
    m_port.clear(QSerialPort::AllDirections);
    m_linesTimer.stop();
    QMetaObject::invokeMethod(
        this, [this, opening = m_openings] { if (opening == m_openings) close(); }, Qt::QueuedConnection);
    emit failed(m_failure);
}

void SerialPort::pollLines()
{
    readLineErrorFlags();
    SerialLines next = m_lines;
    if (m_netActive) {
        next.cts = m_net->cts();
        next.dsr = m_net->dsr();
        next.rlsd = m_net->carrier();
    } else if (m_modemLinesAvailable) {
        m_port.clearError();
        const QSerialPort::PinoutSignals pins = m_port.pinoutSignals();
        if (m_port.error() == QSerialPort::UnsupportedOperationError) {
            m_modemLinesAvailable = false;
            m_port.clearError();
        } else {
            const auto state = [&](QSerialPort::PinoutSignal pin) {
                return pins.testFlag(pin) ? SerialLines::State::On : SerialLines::State::Off;
            };
            next.cts = state(QSerialPort::ClearToSendSignal);
            next.dsr = state(QSerialPort::DataSetReadySignal);
            next.rlsd = state(QSerialPort::DataCarrierDetectSignal);
        }
    }
    if (!m_modemLinesAvailable && !m_netActive)
        next.cts = next.dsr = next.rlsd = SerialLines::State::Unavailable;
    next.rx = m_rxSeen ? SerialLines::State::On : SerialLines::State::Off;
    next.tx = m_txSeen ? SerialLines::State::On : SerialLines::State::Off;
    m_rxSeen = m_txSeen = false;
    setLines(next);
}

void SerialPort::setLines(const SerialLines &lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    emit linesChanged(m_lines);
}

void SerialPort::throwIfFailed() const
{
    if (!m_failure.isEmpty())
        throw Error(m_failure);
}

QString SerialPort::describePort() const { return describeSerialPort(m_settings.portName, deviceName()); }
