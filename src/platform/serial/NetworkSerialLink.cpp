#include "NetworkSerialLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>

#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#endif

namespace {

int g_connectTimeoutMs = 10000;
int g_stallTimeoutMs = 30000;

// How much the socket is given at a time, and how much it may hold: what keeps going to the
// machine after a hold is about this much plus what the server buffers itself.
constexpr qint64 SocketChunk = 4096;
constexpr qint64 SocketLimit = 8192;
constexpr int SendBufferBytes = 16384;
constexpr int StallCheckInterval = 250; // ms
constexpr int WakeInterval = 50;        // ms
constexpr int RetryPause = 200;         // ms

unsigned char parityValue(SerialSettings::Parity p)
{
    switch (p) {
    case SerialSettings::Parity::None: return 1;
    case SerialSettings::Parity::Odd: return 2;
    case SerialSettings::Parity::Even: return 3;
    case SerialSettings::Parity::Mark: return 4;
    case SerialSettings::Parity::Space: return 5;
    }
    return 1;
}

unsigned char stopSizeValue(SerialSettings::StopBits s)
{
    switch (s) {
    case SerialSettings::StopBits::One: return 1;
    case SerialSettings::StopBits::Two: return 2;
    case SerialSettings::StopBits::OneAndHalf: return 3;
    }
    return 1;
}

bool hardwareFlow(const SerialSettings &s)
{
    return s.ctsOutputFlow || s.rtsControl == SerialSettings::RtsControl::Handshake;
}

} // namespace

int NetworkSerialLink::connectTimeoutMs() { return g_connectTimeoutMs; }
void NetworkSerialLink::setConnectTimeoutMs(int ms) { g_connectTimeoutMs = ms; }
int NetworkSerialLink::stallTimeoutMs() { return g_stallTimeoutMs; }
void NetworkSerialLink::setStallTimeoutMs(int ms) { g_stallTimeoutMs = ms; }

NetworkSerialLink::NetworkSerialLink(QObject *parent) : QObject(parent)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    m_stallTimer.setInterval(StallCheckInterval);
    connect(&m_flushTimer, &QTimer::timeout, this, &NetworkSerialLink::flush);
    connect(&m_stallTimer, &QTimer::timeout, this, &NetworkSerialLink::checkStall);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkSerialLink::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NetworkSerialLink::onSocketError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkSerialLink::onDisconnected);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, [this] {
        flush();
        emit progressed();
    });
}

NetworkSerialLink::~NetworkSerialLink()
{
    close();
}

template <typename Done>
bool NetworkSerialLink::waitFor(Done done, const QDeadlineTimer &deadline)
{
    QTimer wake;
    wake.start(WakeInterval);
    QPointer<NetworkSerialLink> alive(this);
    while (!done()) {
        if (!m_failure.isEmpty() || deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!alive)
            return false;
    }
    return m_failure.isEmpty();
}

bool NetworkSerialLink::open(const NetworkSerialAddress &address, const SerialSettings &settings, QString *reason,
                             SerialFailure::Kind *kind)
{
    close();
    m_address = address;
    m_settings = settings;
    m_telnetMode = address.protocol == NetworkSerialAddress::Protocol::Rfc2217;
    m_opening = true;
    m_closeRequested = false;
    const QDeadlineTimer deadline(g_connectTimeoutMs);
    for (;;) {
        m_failure.clear();
        m_serverClosed = false;
        const bool opened = connectAndSetUp(settings, deadline, reason, kind);
        if (!opened) {
            m_open = false;
            m_socket.abort();
        }
        // A server may turn a connection away while it still lets go of the device after the
        // previous one ("device already in use"): try again while the time lasts.
        if (!opened && m_serverClosed && !m_closeRequested && deadline.remainingTime() > RetryPause) {
            m_failure.clear();
            waitFor([] { return false; }, QDeadlineTimer(RetryPause));
            if (!m_closeRequested)
                continue;
        }
        m_opening = false;
        if (!opened)
            return false;
        break;
    }
    if (!m_early.isEmpty()) {
        // Handed on once the caller has seen open() return.
        QMetaObject::invokeMethod(this, [this, data = std::exchange(m_early, QByteArray())] {
            if (m_open)
                emit received(data);
        }, Qt::QueuedConnection);
    }
    m_sinceProgress.start();
    m_stallTimer.start();
    return true;
}

bool NetworkSerialLink::connectAndSetUp(const SerialSettings &settings, const QDeadlineTimer &deadline, QString *reason,
                                        SerialFailure::Kind *kind)
{
    m_telnet = TelnetComPort();
    m_out.clear();
    m_outAt = 0;
    m_early.clear();
    m_confirmed.clear();
    m_heldByXoff = m_heldByServer = false;
    m_cts = m_dsr = m_carrier = SerialLines::State::Unavailable;
    const auto giveUp = [&](const QString &why, SerialFailure::Kind k) {
        *reason = m_failure.isEmpty() ? why : m_failure;
        *kind = m_failure.isEmpty() ? k : SerialFailure::Kind::ServerUnreachable;
        return false;
    };

    m_socket.connectToHost(m_address.host, m_address.port);
    if (!waitFor([this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, deadline))
        return giveUp(QStringLiteral("no connection to the device server within %1 s").arg(g_connectTimeoutMs / 1000.0),
                      SerialFailure::Kind::ServerUnreachable);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, SendBufferBytes);
#ifdef Q_OS_LINUX
    // A server that vanishes without closing (power cut, cable) is found within about 25 s even
    // while nothing is sent; the system's default would take two hours.
    const int fd = int(m_socket.socketDescriptor());
    const int idle = 10, interval = 5, count = 3;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
    m_open = true;
    if (!m_telnetMode)
        return true;

    sendRaw(m_telnet.start());
    if (!waitFor([this] { return m_telnet.comPort() != TelnetComPort::Agreement::Pending; }, deadline))
        return giveUp(QStringLiteral("the device server did not answer the port control offer (RFC 2217)"),
                      SerialFailure::Kind::Other);
    if (m_telnet.comPort() == TelnetComPort::Agreement::Refused)
        return giveUp(QStringLiteral("the device server refused port control (RFC 2217); use tcp:// for a raw socket"),
                      SerialFailure::Kind::Other);
    // Which lines and errors the server reports: the lines' states (not their changes) and
    // break, framing and parity errors.
    sendRaw(TelnetComPort::command(TelnetComPort::SetModemStateMask,
                                   TelnetComPort::ModemCts | TelnetComPort::ModemDsr | TelnetComPort::ModemCarrier));
    sendRaw(TelnetComPort::command(TelnetComPort::SetLineStateMask,
                                   TelnetComPort::LineBreak | TelnetComPort::LineFramingError | TelnetComPort::LineParityError));
    sendPortSettings(settings);
    const auto confirmed = [this](unsigned char command) -> const TelnetComPort::Message * {
        for (const TelnetComPort::Message &m : std::as_const(m_confirmed))
            if (m.command == command)
                return &m;
        return nullptr;
    };
    const unsigned char lineCommands[] = {TelnetComPort::SetBaudRate, TelnetComPort::SetDataSize,
                                          TelnetComPort::SetParity, TelnetComPort::SetStopSize};
    const auto allConfirmed = [&] {
        for (const unsigned char c : lineCommands)
            if (!confirmed(c))
                return false;
        return true;
    };
    if (!waitFor(allConfirmed, deadline))
        return giveUp(QStringLiteral("the device server did not confirm the port settings (RFC 2217)"),
                      SerialFailure::Kind::Other);
    // The server answers with what it set: a value it could not take comes back different.
    const quint32 baud = TelnetComPort::baudRateOf(confirmed(TelnetComPort::SetBaudRate)->value);
    const auto byteOf = [&](unsigned char c) {
        const QByteArray &v = confirmed(c)->value;
        return v.isEmpty() ? 0 : int(static_cast<unsigned char>(v.at(0)));
    };
    QString refused;
    if (baud != quint32(settings.baudRate))
        refused = QStringLiteral("%1 baud (it set %2)").arg(settings.baudRate).arg(baud);
    else if (byteOf(TelnetComPort::SetDataSize) != settings.dataBits)
        refused = QStringLiteral("%1 data bits").arg(settings.dataBits);
    else if (byteOf(TelnetComPort::SetParity) != parityValue(settings.parity))
        refused = QStringLiteral("the parity");
    else if (byteOf(TelnetComPort::SetStopSize) != stopSizeValue(settings.stopBits))
        refused = QStringLiteral("the stop bits");
    if (!refused.isEmpty())
        return giveUp(QStringLiteral("the device server does not accept %1").arg(refused), SerialFailure::Kind::Other);
    return true;
}

void NetworkSerialLink::close()
{
    // Closed from an event while open() waits: open() gives up with this reason.
    if (m_opening) {
        m_closeRequested = true;
        m_failure = QStringLiteral("the port was closed while it was being opened");
    }
    m_flushTimer.stop();
    m_stallTimer.stop();
    m_open = false;
    m_opening = false;
    m_out.clear();
    m_outAt = 0;
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void NetworkSerialLink::sendPortSettings(const SerialSettings &s)
{
    using T = TelnetComPort;
    QByteArray out;
    out += T::command(T::SetBaudRate, T::baudRateValue(quint32(s.baudRate)));
    out += T::command(T::SetDataSize, static_cast<unsigned char>(s.dataBits));
    out += T::command(T::SetParity, parityValue(s.parity));
    out += T::command(T::SetStopSize, stopSizeValue(s.stopBits));
    const bool hardware = hardwareFlow(s);
    out += T::command(T::SetControl, hardware ? T::HardwareFlowControl
                                     : (s.xonXoffOut || s.xonXoffIn) ? T::XonXoffFlowControl
                                                                     : T::NoFlowControl);
    out += T::command(T::SetControl, s.dtrControl != SerialSettings::DtrControl::Disable ? T::DtrOn : T::DtrOff);
    if (!hardware)
        out += T::command(T::SetControl, s.rtsControl != SerialSettings::RtsControl::Disable ? T::RtsOn : T::RtsOff);
    sendRaw(out);
}

void NetworkSerialLink::applySettings(const SerialSettings &settings)
{
    const bool xoffBefore = m_settings.xonXoffOut;
    m_settings = settings;
    if (!m_open)
        return;
    if (m_telnetMode)
        sendPortSettings(settings);
    else if (xoffBefore && !settings.xonXoffOut && m_heldByXoff)
        setHeld(false, m_heldByServer);
}

void NetworkSerialLink::sendRaw(const QByteArray &bytes)
{
    if (!bytes.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.write(bytes);
}

void NetworkSerialLink::queue(const QByteArray &bytes)
{
    if (!m_open)
        return;
    if (m_outAt > 0 && m_outAt == m_out.size()) {
        m_out.clear();
        m_outAt = 0;
    }
    m_out.append(bytes);
    if (queued() >= SocketChunk)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void NetworkSerialLink::flush()
{
    if (!m_open)
        return;
    while (!isHeld() && queued() > 0 && m_socket.bytesToWrite() < SocketLimit) {
        const qint64 n = qMin<qint64>(SocketChunk, queued());
        const QByteArray chunk = m_out.mid(m_outAt, n);
        m_outAt += n;
        m_socket.write(m_telnetMode ? TelnetComPort::escape(chunk) : chunk);
    }
    if (m_outAt == m_out.size()) {
        m_out.clear();
        m_outAt = 0;
    } else if (m_outAt > 65536) {
        m_out.remove(0, m_outAt);
        m_outAt = 0;
    }
}

qint64 NetworkSerialLink::pending() const
{
    return queued() + (m_socket.state() == QAbstractSocket::ConnectedState ? m_socket.bytesToWrite() : 0);
}

qint64 NetworkSerialLink::unacknowledged() const
{
#ifdef Q_OS_LINUX
    int n = 0;
    if (m_socket.state() == QAbstractSocket::ConnectedState
        && ::ioctl(int(m_socket.socketDescriptor()), SIOCOUTQ, &n) == 0)
        return n;
#endif
    return 0;
}

void NetworkSerialLink::discardOutput()
{
    m_out.clear();
    m_outAt = 0;
    // What the socket already holds cannot be called back without closing the connection.
}

void NetworkSerialLink::setHeld(bool byXoff, bool byServer)
{
    const bool was = isHeld();
    m_heldByXoff = byXoff;
    m_heldByServer = byServer;
    if (was && !isHeld()) {
        m_sinceProgress.start();
        flush();
        emit progressed();
    }
}

// Only XON resumes, as with IXANY off on a local port; both characters are taken out of the
// data, as the driver does with IXON.
QByteArray NetworkSerialLink::takeFlowCharacters(const QByteArray &data)
{
    const char xon = m_settings.xonChar;
    const char xoff = m_settings.xoffChar;
    if (!data.contains(xon) && !data.contains(xoff))
        return data;
    QByteArray kept;
    kept.reserve(data.size());
    bool held = m_heldByXoff;
    for (const char c : data) {
        if (c == xoff)
            held = true;
        else if (c == xon)
            held = false;
        else
            kept.append(c);
    }
    setHeld(held, m_heldByServer);
    return kept;
}

void NetworkSerialLink::onReadyRead()
{
    QByteArray in = m_socket.readAll();
    if (in.isEmpty())
        return;
    QByteArray data;
    if (m_telnetMode) {
        QByteArray reply;
        QList<TelnetComPort::Message> messages;
        data = m_telnet.decode(in, &reply, &messages);
        sendRaw(reply);
        for (const TelnetComPort::Message &m : std::as_const(messages))
            onMessage(m);
    } else {
        data = m_settings.xonXoffOut ? takeFlowCharacters(in) : in;
    }
    if (data.isEmpty())
        return;
    if (m_opening)
        m_early += data;
    else if (m_open)
        emit received(data);
}

void NetworkSerialLink::onMessage(const TelnetComPort::Message &m)
{
    switch (m.command) {
    case TelnetComPort::NotifyModemState: {
        const unsigned char bits = m.value.isEmpty() ? 0 : static_cast<unsigned char>(m.value.at(0));
        const auto state = [bits](unsigned char bit) { return (bits & bit) ? SerialLines::State::On : SerialLines::State::Off; };
        m_cts = state(TelnetComPort::ModemCts);
        m_dsr = state(TelnetComPort::ModemDsr);
        m_carrier = state(TelnetComPort::ModemCarrier);
        emit modemLinesChanged();
        break;
    }
    case TelnetComPort::NotifyLineState: {
        const unsigned char bits = m.value.isEmpty() ? 0 : static_cast<unsigned char>(m.value.at(0));
        if (bits & TelnetComPort::LineBreak)
            emit lineError(true);
        if (bits & (TelnetComPort::LineParityError | TelnetComPort::LineFramingError))
            emit lineError(false);
        break;
    }
    case TelnetComPort::FlowControlSuspend:
        setHeld(m_heldByXoff, true);
        break;
    case TelnetComPort::FlowControlResume:
        setHeld(m_heldByXoff, false);
        break;
    default:
        if (m_opening)
            m_confirmed.append(m);
        break;
    }
}

void NetworkSerialLink::onSocketError(QAbstractSocket::SocketError error)
{
    if (m_opening && !m_closeRequested && error != QAbstractSocket::ConnectionRefusedError
        && error != QAbstractSocket::HostNotFoundError)
        m_serverClosed = true;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        m_serverClosed = true;
        fail(QStringLiteral("the device server closed the connection"));
    }
    else
        fail(m_socket.errorString());
}

void NetworkSerialLink::onDisconnected()
{
    if (m_opening && !m_closeRequested)
        m_serverClosed = true;
    fail(QStringLiteral("the device server closed the connection"));
}

void NetworkSerialLink::fail(const QString &reason)
{
    if (!m_failure.isEmpty() || (!m_open && !m_opening))
        return;
    m_failure = reason;
    // What a server says before it turns a connection away ("Port already in use") tells why.
    const QByteArray said = m_early.trimmed().left(120);
    if (m_opening && !said.isEmpty()) {
        bool text = true;
        for (const char c : said)
            text = text && c >= 0x20 && c < 0x7f;
        if (text)
            m_failure += QStringLiteral(" (it said \"%1\")").arg(QString::fromLatin1(said));
    }
    m_flushTimer.stop();
    m_stallTimer.stop();
    m_out.clear();
    m_outAt = 0;
    const bool wasOpen = m_open && !m_opening;
    m_open = false;
    if (wasOpen)
        emit failed(reason);
}

// No stall where the line may lawfully stand still: a hold of ours, or a flow control that the
// server or the machine applies (hardware flow, or XON/XOFF done by a server with port control).
bool NetworkSerialLink::stallApplies() const
{
    if (isHeld() || hardwareFlow(m_settings))
        return false;
    return !(m_telnetMode && (m_settings.xonXoffOut || m_settings.xonXoffIn));
}

void NetworkSerialLink::checkStall()
{
    if (!m_open)
        return;
    const qint64 waiting = pending() + unacknowledged();
    if (waiting == 0 || waiting != m_lastPending || !stallApplies()) {
        m_lastPending = waiting;
        m_sinceProgress.start();
        return;
    }
    if (m_sinceProgress.elapsed() >= g_stallTimeoutMs)
        fail(QStringLiteral("the device server took no data for %1 s").arg(g_stallTimeoutMs / 1000.0));
}
