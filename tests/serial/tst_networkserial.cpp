#include "PtyPair.h"
#include "Ser2NetServer.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Error.h"
#include "platform/serial/NetworkSerialLink.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortLock.h"
#include "transfer/TransferErrors.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// Network serial ports against a real device server: a socat pty pair with ser2net on one end
// (raw TCP and RFC 2217), the test playing the machine on the other end. "COM5" is the raw
// socket, "COM6" the port with port control, mapped through Zavrin.ini.
class tst_NetworkSerial : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void byteExactWithXoffHold_data();
    void byteExactWithXoffHold();
    void receivedByteExact_data();
    void receivedByteExact();
    void settingsReachTheServer();
    void cancelWhileHeld_data();
    void cancelWhileHeld();
    void serverKilledDuringSend_data();
    void serverKilledDuringSend();
    void unreachableServer();
    void stalledServerIsAFailure();
    void secondOpenerIsTold_data();
    void secondOpenerIsTold();
    void lockOfADeadHolderIsTakenOver();

private:
    SerialSettings settingsFor(const QString &port, SerialSettings::FlowPreset flow) const;
    int openMachineEnd();
    QTemporaryDir *dir() { return m_dir.get(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<Ser2NetServer> m_server;
    int m_raw = -1;
    int m_telnet = -1;
};

namespace {

// Every byte value, in an order that is not a plain repetition.
QByteArray testData(qint64 size)
{
    QByteArray d(size, '\0');
    quint32 x = 12345;
    for (qint64 i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        d[i] = char(x >> 23);
    }
    return d;
}

termios termiosOf(const QString &path)
{
    termios tio{};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::tcgetattr(fd, &tio);
        ::close(fd);
    }
    return tio;
}

// The machine: reads its end until `count` bytes came; after `holdAt` bytes it sends XOFF,
// notes what came in the hold and sends XON again after `holdMs`.
struct Machine
{
    int fd = -1;
    qint64 count = 0;
    qint64 holdAt = -1;
    int holdMs = 800;
    QByteArray got;
    qint64 atHoldSettled = -1; // bytes read 300 ms into the hold
    qint64 atHoldEnd = -1;     // and just before XON
    std::chrono::steady_clock::time_point xonSent;
    std::thread thread;

    void start()
    {
        thread = std::thread([this] {
            char buf[65536];
            bool held = false;
            std::chrono::steady_clock::time_point holdStart;
            while (got.size() < count) {
                pollfd p{fd, POLLIN, 0};
                ::poll(&p, 1, 20);
                if (p.revents & POLLIN) {
                    const ssize_t n = ::read(fd, buf, sizeof buf);
                    if (n <= 0)
                        break;
                    got.append(buf, n);
                }
                const auto now = std::chrono::steady_clock::now();
                if (holdAt >= 0 && !held && got.size() >= holdAt && atHoldEnd < 0) {
                    const char xoff = 19;
                    (void)::write(fd, &xoff, 1);
                    held = true;
                    holdStart = now;
                } else if (held) {
                    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - holdStart).count();
                    if (atHoldSettled < 0 && ms >= 300)
                        atHoldSettled = got.size();
                    if (ms >= holdMs) {
                        atHoldEnd = got.size();
                        xonSent = std::chrono::steady_clock::now();
                        const char xon = 17;
                        (void)::write(fd, &xon, 1);
                        held = false;
                    }
                }
                if (std::chrono::steady_clock::now() - holdStart > std::chrono::seconds(60) && holdAt >= 0 && held)
                    break;
            }
        });
    }
    void join()
    {
        if (thread.joinable())
            thread.join();
    }
};

} // namespace

void tst_NetworkSerial::init()
{
    TestSupport::resetAppState();
    Texts::runLanguageProcedure(QStringLiteral("EN"));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SerialPortLock::setFolder(m_dir->filePath(QStringLiteral("locks")));
    m_pty = std::make_unique<PtyPair>();
    QString error;
    QVERIFY2(m_pty->start(m_dir->path(), &error), qPrintable(error));
    m_server = std::make_unique<Ser2NetServer>();
    m_raw = m_server->addConnection(m_pty->endB(), Ser2NetServer::Mode::Raw);
    m_telnet = m_server->addConnection(m_pty->endB(), Ser2NetServer::Mode::Rfc2217);
    QVERIFY2(m_server->start(m_dir->path(), &error), qPrintable(error));
    app().AppDirectory = TestSupport::folder(m_dir->path());
    TestSupport::writeBytes(app().mainSettingsPath(),
                            "[Geral]\r\nIdioma=EN\r\n[SERIALPORTS]\r\nCOM5=" + m_server->url(m_raw).toLatin1()
                                + "\r\nCOM6=" + m_server->url(m_telnet).toLatin1() + "\r\n");
}

void tst_NetworkSerial::cleanup()
{
    NetworkSerialLink::setStallTimeoutMs(30000);
    m_server.reset();
    m_pty.reset();
    m_dir.reset();
}

SerialSettings tst_NetworkSerial::settingsFor(const QString &port, SerialSettings::FlowPreset flow) const
{
    SerialSettings s = SerialSettings::sendWindowDesign();
    s.portName = port;
    s.baudRate = 115200;
    s.applyFlowPreset(flow);
    return s;
}

int tst_NetworkSerial::openMachineEnd()
{
    const int fd = ::open(QFile::encodeName(m_pty->endA()).constData(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

void tst_NetworkSerial::byteExactWithXoffHold_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("raw socket, XON/XOFF on our side") << "COM5";
    QTest::newRow("RFC 2217, XON/XOFF set on the server") << "COM6";
}

// 1 MB of every byte value (0xFF included) goes out byte-exact; the machine's XOFF holds the
// sender until its XON, and nothing is claimed as sent before the machine has it all.
void tst_NetworkSerial::byteExactWithXoffHold()
{
    QFETCH(QString, port);
    const QByteArray data = testData(1 << 20);
    SerialPort serial(settingsFor(port, SerialSettings::FlowPreset::Software));
    serial.open();
    QVERIFY(serial.isNetworkPort());
    if (port == QLatin1String("COM6")) {
        // The server switched the device's XON/XOFF on.
        QVERIFY(termiosOf(m_pty->endB()).c_iflag & IXON);
    }
    Machine machine;
    machine.fd = openMachineEnd();
    machine.count = data.size();
    machine.holdAt = 256 * 1024;
    machine.start();
    for (qint64 at = 0; at < data.size(); at += 64)
        QVERIFY(serial.write(data.mid(at, 64)));
    QVERIFY(serial.waitUntilSent());
    const auto sentAt = std::chrono::steady_clock::now();
    machine.join();
    ::close(machine.fd);
    QCOMPARE(machine.got.size(), data.size());
    QVERIFY(machine.got == data);
    // Held: nothing more came between 300 ms into the hold and its end, and the sender had not
    // finished before the XON.
    QVERIFY(machine.atHoldEnd > 0);
    QCOMPARE(machine.atHoldEnd, machine.atHoldSettled);
    QVERIFY(machine.atHoldEnd < data.size());
    QVERIFY(sentAt > machine.xonSent);
    serial.close();
}

void tst_NetworkSerial::receivedByteExact_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("raw socket") << "COM5";
    QTest::newRow("RFC 2217 (0xFF doubled by the server)") << "COM6";
}

void tst_NetworkSerial::receivedByteExact()
{
    QFETCH(QString, port);
    const QByteArray data = testData(1 << 20);
    SerialPort serial(settingsFor(port, SerialSettings::FlowPreset::None));
    QByteArray got;
    connect(&serial, &SerialPort::received, this, [&](const QByteArray &b) { got += b; });
    serial.open();
    const int fd = openMachineEnd();
    std::thread writer([&] {
        for (qint64 at = 0; at < data.size();) {
            const ssize_t n = ::write(fd, data.constData() + at, size_t(qMin<qint64>(4096, data.size() - at)));
            if (n <= 0)
                break;
            at += n;
        }
    });
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), data.size(), 30000);
    writer.join();
    ::close(fd);
    QVERIFY(got == data);
}

// Speed, parity, stop bits and flow control set through RFC 2217 reach the device ser2net
// opened (a pty keeps the speed, PARODD and CSTOPB; it always works with 8 bits, no parity).
void tst_NetworkSerial::settingsReachTheServer()
{
    SerialSettings s = settingsFor(QStringLiteral("COM6"), SerialSettings::FlowPreset::Software);
    s.baudRate = 19200;
    s.parity = SerialSettings::Parity::Odd;
    s.stopBits = SerialSettings::StopBits::Two;
    SerialPort serial(s);
    serial.open();
    termios tio = termiosOf(m_pty->endB());
    QCOMPARE(::cfgetospeed(&tio), speed_t(B19200));
    QVERIFY(tio.c_cflag & PARODD);
    QVERIFY(tio.c_cflag & CSTOPB);
    QVERIFY(tio.c_iflag & IXON);
    // The lines as the server reports them (a pty has none: off); a raw socket cannot tell.
    QTRY_COMPARE(serial.lines().cts, SerialLines::State::Off);
    QCOMPARE(serial.lines().rlsd, SerialLines::State::Off);
    QCOMPARE(serial.deviceStopBits(), SerialSettings::StopBits::Two);

    // Changed on the open port.
    s.baudRate = 38400;
    s.parity = SerialSettings::Parity::Even; // PARENB itself is cleared by the pty
    s.stopBits = SerialSettings::StopBits::One;
    s.applyFlowPreset(SerialSettings::FlowPreset::None);
    serial.setSettings(s);
    QTRY_COMPARE_WITH_TIMEOUT((tio = termiosOf(m_pty->endB()), ::cfgetospeed(&tio)), speed_t(B38400), 5000);
    QTRY_VERIFY_WITH_TIMEOUT((tio = termiosOf(m_pty->endB()), !(tio.c_cflag & (PARODD | CSTOPB)) && !(tio.c_iflag & IXON)), 5000);
}

void tst_NetworkSerial::cancelWhileHeld_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("raw socket") << "COM5";
    QTest::newRow("RFC 2217") << "COM6";
}

// Held by the machine's XOFF: write() waits with events running, and a cancel ends the wait;
// the port keeps no failure and the line indicators went on.
void tst_NetworkSerial::cancelWhileHeld()
{
    QFETCH(QString, port);
    SerialPort serial(settingsFor(port, SerialSettings::FlowPreset::Software));
    serial.open();
    const int fd = openMachineEnd();
    const char xoff = 19;
    QCOMPARE(::write(fd, &xoff, 1), ssize_t(1));
    QTest::qWait(200);
    bool cancel = false;
    bool eventsRan = false;
    QTimer::singleShot(300, this, [&] { eventsRan = true; });
    QTimer::singleShot(600, this, [&] { cancel = true; });
    const QByteArray chunk(4096, 'z');
    bool cancelled = false;
    for (int i = 0; i < 4096 && !cancelled; ++i)
        cancelled = !serial.write(chunk, &cancel);
    QVERIFY(cancelled);
    QVERIFY(eventsRan);
    QVERIFY(serial.isOpen());
    QVERIFY(serial.failureMessage().isEmpty());
    serial.close();
    ::close(fd);
}

void tst_NetworkSerial::serverKilledDuringSend_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("raw socket") << "COM5";
    QTest::newRow("RFC 2217") << "COM6";
}

// The device server dies in the middle of a send held by the machine: the port fails with a
// message naming the port and the server, and the send does not end as sent.
void tst_NetworkSerial::serverKilledDuringSend()
{
    QFETCH(QString, port);
    SerialPort serial(settingsFor(port, SerialSettings::FlowPreset::Software));
    QSignalSpy failed(&serial, &SerialPort::failed);
    serial.open();
    const int fd = openMachineEnd();
    const char xoff = 19;
    QCOMPARE(::write(fd, &xoff, 1), ssize_t(1));
    QTimer::singleShot(500, this, [this] { m_server->kill(); });
    const QByteArray data = testData(4 << 20);
    bool threw = false;
    try {
        for (qint64 at = 0; at < data.size(); at += 4096)
            QVERIFY(serial.write(data.mid(at, 4096)));
        serial.waitUntilSent();
    } catch (const Error &e) {
        threw = true;
        QVERIFY2(e.message().contains(QLatin1String("\"") + port + QLatin1String("\"")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("127.0.0.1:")), qPrintable(e.message()));
    }
    ::close(fd);
    QVERIFY(threw);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(serial.failureKind(), SerialFailure::Kind::DeviceLost);
    QTRY_VERIFY(!serial.isOpen());
    // Closing after the failure lets the port be opened again once a server is back.
    serial.close();
    QVERIFY_THROWS_EXCEPTION(SerialPortOpenError, serial.open());
}

void tst_NetworkSerial::unreachableServer()
{
    const quint16 nobody = Ser2NetServer::freePort();
    TestSupport::writeBytes(app().mainSettingsPath(), "[SERIALPORTS]\r\nCOM7=tcp://127.0.0.1:" + QByteArray::number(nobody)
                                                          + "\r\nCOM8=tcp://127.0.0.1:0\r\n");
    SerialPort serial(settingsFor(QStringLiteral("COM7"), SerialSettings::FlowPreset::None));
    try {
        serial.open();
        QFAIL("opened a port nobody listens on");
    } catch (const SerialPortOpenError &e) {
        QCOMPARE(e.kind(), SerialFailure::Kind::ServerUnreachable);
        QCOMPARE(e.port(), QStringLiteral("COM7 (tcp://127.0.0.1:%1)").arg(nobody));
        QVERIFY(TransferErrors::serialOpenReason(e).startsWith(QStringLiteral("The device server \"tcp://127.0.0.1:")));
    }
    SerialPort bad(settingsFor(QStringLiteral("COM8"), SerialSettings::FlowPreset::None));
    try {
        bad.open();
        QFAIL("opened port 0");
    } catch (const SerialPortOpenError &e) {
        QVERIFY2(e.reason().contains(QLatin1String("1 to 65535")), qPrintable(e.reason()));
    }
    // The lock of a failed opening is let go.
    QVERIFY(QDir(SerialPortLock::folder()).entryList(QDir::Files).isEmpty());
}

// A server that takes the connection but no data: after the stall time-out the port fails.
void tst_NetworkSerial::stalledServerIsAFailure()
{
    QTcpServer sink;
    QVERIFY(sink.listen(QHostAddress::LocalHost));
    QList<QTcpSocket *> accepted;
    connect(&sink, &QTcpServer::newConnection, this, [&] {
        QTcpSocket *s = sink.nextPendingConnection();
        s->setReadBufferSize(1); // reads nothing more: the window closes
        s->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        accepted << s;
    });
    TestSupport::writeBytes(app().mainSettingsPath(),
                            "[SERIALPORTS]\r\nCOM7=tcp://127.0.0.1:" + QByteArray::number(sink.serverPort()) + "\r\n");
    NetworkSerialLink::setStallTimeoutMs(700);
    SerialPort serial(settingsFor(QStringLiteral("COM7"), SerialSettings::FlowPreset::None));
    QSignalSpy failed(&serial, &SerialPort::failed);
    serial.open();
    const QByteArray chunk(65536, 'x');
    bool threw = false;
    try {
        for (int i = 0; i < 1000; ++i)
            serial.write(chunk);
    } catch (const Error &e) {
        threw = true;
        QVERIFY2(e.message().contains(QLatin1String("took no data")), qPrintable(e.message()));
    }
    QVERIFY(threw);
    QCOMPARE(failed.count(), 1);
    qDeleteAll(accepted);
}

void tst_NetworkSerial::secondOpenerIsTold_data()
{
    QTest::addColumn<QString>("holderPort");
    QTest::addColumn<QString>("secondPort");
    QTest::newRow("local device") << "LOCAL" << "LOCAL";
    QTest::newRow("same server port, raw and RFC 2217") << "COM5" << "COM7";
}

// Another Zavrin process holds the port: the second opener is told who, and the port is free
// again once the holder has closed it.
void tst_NetworkSerial::secondOpenerIsTold()
{
    QFETCH(QString, holderPort);
    QFETCH(QString, secondPort);
    const QString local = m_pty->endA();
    const QString holderName = holderPort == QLatin1String("LOCAL") ? local : holderPort;
    const QString secondName = secondPort == QLatin1String("LOCAL") ? local : secondPort;
    // COM7: the raw socket's server port, reached as RFC 2217.
    TestSupport::writeBytes(app().mainSettingsPath(),
                            "[SERIALPORTS]\r\nCOM5=" + m_server->url(m_raw).toLatin1() + "\r\nCOM7=rfc2217://127.0.0.1:"
                                + QByteArray::number(m_server->port(m_raw)) + "\r\n");
    QProcess holder;
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_serialportholder"),
                 {app().AppDirectory, SerialPortLock::folder(), holderName});
    QVERIFY(holder.waitForStarted(5000));
    QVERIFY(holder.waitForReadyRead(15000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("open"));

    SerialPort serial(settingsFor(secondName, SerialSettings::FlowPreset::None));
    try {
        serial.open();
        QFAIL("opened a port another process holds");
    } catch (const SerialPortOpenError &e) {
        QCOMPARE(e.kind(), SerialFailure::Kind::InUse);
        QCOMPARE(e.reason(), QStringLiteral("port in use by tst_serialportholder (process %1)").arg(holder.processId()));
        QCOMPARE(e.holderPid(), holder.processId());
        Texts::runLanguageProcedure(QStringLiteral("DE"));
        const QString german = TransferErrors::serialOpenReason(e);
        Texts::runLanguageProcedure(QStringLiteral("EN"));
        QVERIFY2(german.contains(QStringLiteral("tst_serialportholder (Prozess %1)").arg(holder.processId())), qPrintable(german));
    }
    holder.write("close\n");
    QVERIFY(holder.waitForFinished(10000));
    SerialPort again(settingsFor(holderName, SerialSettings::FlowPreset::None));
    again.open();
    QVERIFY(again.isOpen());
}

void tst_NetworkSerial::lockOfADeadHolderIsTakenOver()
{
    QProcess holder;
    holder.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_serialportholder"),
                 {app().AppDirectory, SerialPortLock::folder(), QStringLiteral("COM5")});
    QVERIFY(holder.waitForReadyRead(15000));
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    SerialPort serial(settingsFor(QStringLiteral("COM5"), SerialSettings::FlowPreset::None));
    serial.open();
    QVERIFY(serial.isOpen());
}

QTEST_GUILESS_MAIN(tst_NetworkSerial)
#include "tst_networkserial.moc"
