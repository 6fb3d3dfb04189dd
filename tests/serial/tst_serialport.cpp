#include "PtyPair.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "platform/Error.h"
#include "platform/serial/SerialDevices.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortLock.h"
#include "platform/serial/SerialPortNames.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <termios.h>

#include <ctime>
#include <memory>

// The port against real pseudo-terminal pairs: "COM3" is mapped to one end through Zavrin.ini,
// the test plays the machine on the other end.
class tst_SerialPort : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deviceNames_data();
    void deviceNames();
    void openCloseAndMissingPorts();
    void openFailuresAreTold_data();
    void openFailuresAreTold();
    void devicesFoundUnderTheRoot();
    void mappingsWrittenInOneRewrite();
    void stopBitsReachDevice_data();
    void stopBitsReachDevice();
    void byteExactBothWays();
    void xoffHoldsSenderUntilXon();
    void holdEndedWithoutXon_data();
    void holdEndedWithoutXon();
    void modemLinesUnavailableOnPty_data();
    void modemLinesUnavailableOnPty();
    void hangupDuringSendIsAnError();
    void lineErrorsCheckedAndMarked_data();
    void lineErrorsCheckedAndMarked();
    void marksTakenOutOfTheData_data();
    void marksTakenOutOfTheData();

private:
    SerialSettings settingsFor(SerialSettings::FlowPreset flow) const;
    void openPeer();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QSerialPort> m_peer;
    QByteArray m_peerReceived;
};

void tst_SerialPort::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SerialPortLock::setFolder(m_dir->filePath(QStringLiteral("locks")));
    m_pty = std::make_unique<PtyPair>();
    QString error;
    QVERIFY2(m_pty->start(m_dir->path(), &error), qPrintable(error));
    app().AppDirectory = TestSupport::folder(m_dir->path());
    TestSupport::writeBytes(app().mainSettingsPath(),
                            "[Geral]\r\nIdioma=EN\r\n[SERIALPORTS]\r\nCOM3=" + m_pty->endA().toLocal8Bit()
                                + "\r\nCOM5=" + m_dir->filePath(QStringLiteral("gone")).toLocal8Bit() + "\r\n");
    m_peerReceived.clear();
}

void tst_SerialPort::cleanup()
{
    m_peer.reset();
    m_pty.reset();
    m_dir.reset();
}

SerialSettings tst_SerialPort::settingsFor(SerialSettings::FlowPreset flow) const
{
    SerialSettings s = SerialSettings::sendWindowDesign();
    s.portName = QStringLiteral("COM3");
    s.baudRate = 115200;
    s.applyFlowPreset(flow);
    return s;
}

void tst_SerialPort::openPeer()
{
    m_peer = std::make_unique<QSerialPort>(m_pty->endB());
    QVERIFY2(m_peer->open(QIODevice::ReadWrite), qPrintable(m_peer->errorString()));
    connect(m_peer.get(), &QSerialPort::readyRead, this, [this] { m_peerReceived += m_peer->readAll(); });
}

void tst_SerialPort::deviceNames_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("device"); // "A" and "GONE" stand for the mapped paths

    QTest::newRow("mapped in Zavrin.ini") << "COM3" << "A";
    QTest::newRow("mapping ignores letter case") << "com3" << "A";
    QTest::newRow("mapped to a missing device") << "COM5" << "GONE";
    QTest::newRow("COM1 defaults to ttyS0") << "COM1" << "/dev/ttyS0";
    QTest::newRow("COM12 defaults to ttyS11") << "COM12" << "/dev/ttyS11";
    QTest::newRow("lower-case COM name") << "com2" << "/dev/ttyS1";
    QTest::newRow("device path as it is") << "/dev/ttyUSB0" << "/dev/ttyUSB0";
    QTest::newRow("COM0 is no COM port") << "COM0" << "COM0";
    QTest::newRow("empty") << "" << "";
}

void tst_SerialPort::deviceNames()
{
    QFETCH(QString, portName);
    QFETCH(QString, device);
    if (device == QLatin1String("A"))
        device = m_pty->endA();
    else if (device == QLatin1String("GONE"))
        device = m_dir->filePath(QStringLiteral("gone"));
    QCOMPARE(SerialPortNames::deviceFor(portName), device);
}

void tst_SerialPort::openCloseAndMissingPorts()
{
    SerialPort port(settingsFor(SerialSettings::FlowPreset::None));
    port.close(); // closing a closed port does nothing
    port.open();
    QVERIFY(port.isOpen());
    QCOMPARE(port.deviceName(), m_pty->endA());
    port.open(); // already open
    port.close();
    QVERIFY(!port.isOpen());
    port.close();
    port.open(); // the settings stay for the next opening
    QVERIFY(port.isOpen());
    port.close();

    SerialSettings missing = port.settings();
    missing.portName = QStringLiteral("COM5");
    port.setSettings(missing);
    try {
        port.open();
        QFAIL("a missing device opened");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QLatin1String("\"COM5\"")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(m_dir->filePath(QStringLiteral("gone"))), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("No such file")), qPrintable(e.message()));
    }
    QVERIFY(!port.isOpen());

    missing.portName.clear(); // a machine without a serial row
    port.setSettings(missing);
    QVERIFY_THROWS_EXCEPTION(Error, port.open());
    QVERIFY(!port.isOpen());
}

void tst_SerialPort::openFailuresAreTold_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<SerialFailure::Kind>("kind");
    QTest::newRow("mapped to a missing device") << "COM5" << SerialFailure::Kind::DeviceMissing;
    QTest::newRow("device held by another port of Zavrin's") << "COM3" << SerialFailure::Kind::InUse;
    QTest::newRow("device held by another program") << "COM3" << SerialFailure::Kind::DeviceBusy;
}

void tst_SerialPort::openFailuresAreTold()
{
    QFETCH(QString, portName);
    QFETCH(SerialFailure::Kind, kind);
    // COM3 is in use from here on: by a port of ours (which takes the port lock), or by a
    // program that only opens the device.
    SerialPort holder(settingsFor(SerialSettings::FlowPreset::None));
    QSerialPort other(m_pty->endA());
    if (kind == SerialFailure::Kind::DeviceBusy)
        QVERIFY(other.open(QIODevice::ReadWrite));
    else
        holder.open();
    SerialSettings s = settingsFor(SerialSettings::FlowPreset::None);
    s.portName = portName;
    SerialPort port(s);
    try {
        port.open();
        QFAIL("the port opened");
    } catch (const SerialPortOpenError &e) {
        QCOMPARE(e.kind(), kind);
        QCOMPARE(e.device(), SerialPortNames::deviceFor(portName));
        if (kind == SerialFailure::Kind::InUse)
            QCOMPARE(e.reason(), QStringLiteral("port in use by tst_serialport (process %1)").arg(QCoreApplication::applicationPid()));
    }
}

// A scratch folder stands for /dev: links to the ends of a pty pair.
void tst_SerialPort::devicesFoundUnderTheRoot()
{
    const QDir dev(m_dir->filePath(QStringLiteral("dev")));
    QVERIFY(dev.mkpath(QStringLiteral("serial/by-id")));
    QVERIFY(QFile::link(m_pty->endA(), dev.filePath(QStringLiteral("ttyUSB0"))));
    QVERIFY(QFile::link(m_pty->endB(), dev.filePath(QStringLiteral("ttyS10"))));
    QVERIFY(QFile::link(m_pty->endB(), dev.filePath(QStringLiteral("ttyS2"))));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("gone")), dev.filePath(QStringLiteral("ttyACM0"))));
    QVERIFY(QFile::link(QStringLiteral("../../ttyUSB0"), dev.filePath(QStringLiteral("serial/by-id/usb-Shop_Adapter_77-if00-port0"))));
    QVERIFY(QFile::link(m_pty->endA(), dev.filePath(QStringLiteral("sda")))); // not a serial name

    QStringList paths, targets;
    for (const SerialDevices::Device &d : SerialDevices::scan(dev.path())) {
        paths << d.path;
        targets << d.target;
    }
    // The stable names first; a link to nothing is no device; ttyS in number order.
    QCOMPARE(paths, QStringList({dev.filePath(QStringLiteral("serial/by-id/usb-Shop_Adapter_77-if00-port0")),
                                 dev.filePath(QStringLiteral("ttyUSB0")), dev.filePath(QStringLiteral("ttyS2")),
                                 dev.filePath(QStringLiteral("ttyS10"))}));
    QCOMPARE(targets, QStringList({dev.filePath(QStringLiteral("ttyUSB0")), QString(), QString(), QString()}));
    QVERIFY(SerialDevices::scan(m_dir->filePath(QStringLiteral("nothere"))).isEmpty());
}

void tst_SerialPort::mappingsWrittenInOneRewrite()
{
    QString error;
    QVERIFY2(SerialPortNames::writeMappings({{QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB1")},
                                             {QStringLiteral("COM7"), QStringLiteral(" /dev/ttyACM0 ")},
                                             {QStringLiteral("COM5"), QString()}},
                                            &error),
             qPrintable(error));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM3")), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM7")), QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM5")), QStringLiteral("/dev/ttyS4")); // back to the default
    // The rest of the file is kept as it was.
    QVERIFY(TestSupport::readBytes(app().mainSettingsPath()).startsWith("[Geral]\r\nIdioma=EN\r\n[SERIALPORTS]\r\n"));
}

void tst_SerialPort::stopBitsReachDevice_data()
{
    QTest::addColumn<SerialSettings::StopBits>("stopBits");
    QTest::addColumn<SerialSettings::StopBits>("onDevice");

    QTest::newRow("1") << SerialSettings::StopBits::One << SerialSettings::StopBits::One;
    // Outside Windows there is no 1.5: 2 is the nearest that every receiver of 1.5 accepts.
    QTest::newRow("1.5") << SerialSettings::StopBits::OneAndHalf << SerialSettings::StopBits::Two;
    QTest::newRow("2") << SerialSettings::StopBits::Two << SerialSettings::StopBits::Two;
}

void tst_SerialPort::stopBitsReachDevice()
{
    QFETCH(SerialSettings::StopBits, stopBits);
    QFETCH(SerialSettings::StopBits, onDevice);

    SerialSettings s = settingsFor(SerialSettings::FlowPreset::Hardware);
    s.stopBits = stopBits;
    SerialPort port(s);
    port.open();
    QCOMPARE(port.settings().stopBits, stopBits);
    QCOMPARE(port.deviceStopBits(), onDevice);

    // Changed while open, the setting reaches the device at once.
    s.stopBits = SerialSettings::StopBits::One;
    port.setSettings(s);
    QCOMPARE(port.deviceStopBits(), SerialSettings::StopBits::One);
    s.stopBits = stopBits;
    port.setSettings(s);
    QCOMPARE(port.deviceStopBits(), onDevice);
}

void tst_SerialPort::byteExactBothWays()
{
    openPeer();
    SerialPort port(settingsFor(SerialSettings::FlowPreset::None));
    QByteArray received;
    connect(&port, &SerialPort::received, this, [&](const QByteArray &b) { received += b; });
    port.open();

    // Every byte value, XON and XOFF included, first one byte per write, then in chunks.
    QByteArray payload;
    for (int i = 0; i < 40000; ++i)
        payload += char((i * 7 + i / 256) & 0xff);
    for (int i = 0; i < 5000; ++i)
        QVERIFY(port.write(payload.mid(i, 1)));
    for (int i = 5000; i < payload.size(); i += 4096)
        QVERIFY(port.write(payload.mid(i, 4096)));
    QTRY_COMPARE_WITH_TIMEOUT(m_peerReceived.size(), payload.size(), 20000);
    QCOMPARE(m_peerReceived, payload);

    QByteArray back = payload;
    std::reverse(back.begin(), back.end());
    m_peer->write(back);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), back.size(), 20000);
    QCOMPARE(received, back);
}

void tst_SerialPort::xoffHoldsSenderUntilXon()
{
    openPeer();
    SerialPort port(settingsFor(SerialSettings::FlowPreset::Software));
    QByteArray received;
    connect(&port, &SerialPort::received, this, [&](const QByteArray &b) { received += b; });
    port.open();

    // The marker arrives after the driver has seen XOFF.
    m_peer->write("\x13M");
    QTRY_COMPARE(received, QByteArray("M"));

    QByteArray payload;
    for (int i = 0; i < 3000; ++i)
        payload += char(i & 0xff);
    qsizetype whileHeld = -1;
    qsizetype afterOtherByte = -1;
    // Any byte but XON must leave the sender held.
    QTimer::singleShot(300, this, [&] {
        whileHeld = m_peerReceived.size();
        m_peer->write("A");
    });
    QTimer::singleShot(700, this, [&] {
        afterOtherByte = m_peerReceived.size();
        m_peer->write("\x11");
    });

    bool cancel = false;
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    QVERIFY(port.write(payload.left(1), &cancel));
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    const qint64 heldMs = wall.elapsed();
    QVERIFY2(heldMs >= 600, qPrintable(QString::number(heldMs)));
    // Held in the event loop, not spinning: far less processor time than time waited.
    QVERIFY2(cpuMs < heldMs / 2.0, qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpuMs).arg(heldMs)));
    for (qsizetype i = 1; i < payload.size(); ++i)
        QVERIFY(port.write(payload.mid(i, 1), &cancel));

    QCOMPARE(whileHeld, 0);
    QCOMPARE(afterOtherByte, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_peerReceived.size(), payload.size(), 10000);
    QCOMPARE(m_peerReceived, payload);
    // The flow characters belong to the driver; other bytes are data.
    QCOMPARE(received, QByteArray("MA"));
}

void tst_SerialPort::holdEndedWithoutXon_data()
{
    QTest::addColumn<bool>("setCancel");
    QTest::addColumn<bool>("closePort");

    QTest::newRow("cancel") << true << false;
    QTest::newRow("cancel and close, as the window does") << true << true;
    QTest::newRow("closed without cancel") << false << true;
}

void tst_SerialPort::holdEndedWithoutXon()
{
    QFETCH(bool, setCancel);
    QFETCH(bool, closePort);

    openPeer();
    SerialPort port(settingsFor(SerialSettings::FlowPreset::Software));
    QByteArray received;
    connect(&port, &SerialPort::received, this, [&](const QByteArray &b) { received += b; });
    port.open();
    m_peer->write("\x13M");
    QTRY_COMPARE(received, QByteArray("M"));

    bool cancel = false;
    QTimer::singleShot(300, this, [&] {
        cancel = setCancel;
        if (closePort)
            port.close();
    });
    QElapsedTimer wall;
    wall.start();
    bool written = true;
    QString error;
    try {
        written = port.write(QByteArray(100, 'x'), &cancel);
    } catch (const Error &e) {
        error = e.message();
    }
    QVERIFY(wall.elapsed() < 5000);
    if (setCancel) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!written);
    } else {
        QVERIFY2(error.contains(QLatin1String("\"COM3\"")), qPrintable(error));
    }
    port.close();

    // Whatever the driver had not taken is dropped, not sent on a later XON.
    m_peer->write("\x11");
    QTest::qWait(300);
    QCOMPARE(m_peerReceived, QByteArray());
}

void tst_SerialPort::modemLinesUnavailableOnPty_data()
{
    QTest::addColumn<SerialSettings>("settings");

    SerialSettings custom = settingsFor(SerialSettings::FlowPreset::Hardware);
    custom.applyFlowPreset(SerialSettings::FlowPreset::Custom);
    SerialSettings handshakes = SerialSettings::registrationTestDesign();
    handshakes.portName = QStringLiteral("COM3");
    QTest::newRow("send window") << settingsFor(SerialSettings::FlowPreset::None);
    QTest::newRow("receive window") << [] {
        SerialSettings s = SerialSettings::receiveWindowDesign();
        s.portName = QStringLiteral("COM3");
        return s;
    }();
    QTest::newRow("registration test") << handshakes;
    QTest::newRow("custom after hardware") << custom;
    QTest::newRow("software") << settingsFor(SerialSettings::FlowPreset::Software);
}

void tst_SerialPort::modemLinesUnavailableOnPty()
{
    QFETCH(SerialSettings, settings);

    openPeer();
    SerialPort port(settings);
    QSignalSpy failures(&port, &SerialPort::failed);
    QCOMPARE(port.lines(), SerialLines());
    port.open();
    SerialLines lines = port.lines();
    QCOMPARE(lines.cts, SerialLines::State::Unavailable);
    QCOMPARE(lines.dsr, SerialLines::State::Unavailable);
    QCOMPARE(lines.rlsd, SerialLines::State::Unavailable);

    QVERIFY(port.write("G1 X10\r\n"));
    QCOMPARE(port.lines().tx, SerialLines::State::On);
    m_peer->write("%\r\n");
    QTRY_COMPARE(port.lines().rx, SerialLines::State::On);
    // Traffic lights go out after a quiet poll.
    QTRY_COMPARE(port.lines().tx, SerialLines::State::Off);
    QTRY_COMPARE(port.lines().rx, SerialLines::State::Off);
    QCOMPARE(port.lines().cts, SerialLines::State::Unavailable);
    QTRY_COMPARE(m_peerReceived, QByteArray("G1 X10\r\n"));
    QCOMPARE(failures.count(), 0);

    port.close();
    QCOMPARE(port.lines(), SerialLines());
}

void tst_SerialPort::hangupDuringSendIsAnError()
{
    openPeer();
    SerialPort port(settingsFor(SerialSettings::FlowPreset::None));
    QSignalSpy failures(&port, &SerialPort::failed);
    port.open();

    QString error;
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; error.isEmpty() && wall.elapsed() < 10000; ++i) {
        if (i == 200) {
            m_peer.reset();
            m_pty->stop(); // the line is gone mid-send
        }
        try {
            port.write(QByteArray(1, 'x'));
        } catch (const Error &e) {
            error = e.message();
        }
    }
    QVERIFY2(error.contains(QLatin1String("\"COM3\"")), qPrintable(error));
    QVERIFY2(error.contains(QLatin1String("failed")), qPrintable(error));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toString(), error);
    // A dead port closes itself rather than retrying its bytes for ever, and further writes
    // keep failing with the same reason: the send cannot end as a success.
    QTRY_VERIFY(!port.isOpen());
    try {
        port.write("x");
        QFAIL("a write on the failed port succeeded");
    } catch (const Error &e) {
        QCOMPARE(e.message(), error);
    }
    QCOMPARE(failures.count(), 1);
}

Q_DECLARE_METATYPE(SerialSettings::Parity)

void tst_SerialPort::lineErrorsCheckedAndMarked_data()
{
    QTest::addColumn<SerialSettings::Parity>("parity");
    QTest::addColumn<bool>("checked");
    QTest::newRow("7E1") << SerialSettings::Parity::Even << true;
    QTest::newRow("7O1") << SerialSettings::Parity::Odd << true;
    QTest::newRow("mark") << SerialSettings::Parity::Mark << true;
    QTest::newRow("8N1: framing errors and breaks still marked") << SerialSettings::Parity::None << false;
}

void tst_SerialPort::lineErrorsCheckedAndMarked()
{
    QFETCH(SerialSettings::Parity, parity);
    QFETCH(bool, checked);
    // What Qt leaves in the input flags after setting any parity (raw mode, IGNPAR set,
    // INPCK and PARMRK clear), with the XON/XOFF bits of a software-flow machine.
    const tcflag_t qtFlags = IGNPAR | IXON | IXOFF;
    const tcflag_t flags = tcflag_t(SerialPort::lineCheckInputFlags(qtFlags, parity));
    QCOMPARE(bool(flags & INPCK), checked);
    QVERIFY(flags & PARMRK);
    QVERIFY(!(flags & (IGNPAR | IGNBRK | BRKINT | ISTRIP)));
    QCOMPARE(flags & (IXON | IXOFF), tcflag_t(IXON | IXOFF));

    if (parity != SerialSettings::Parity::None)
        return; // a pseudo-terminal takes no parity
    SerialSettings s = settingsFor(SerialSettings::FlowPreset::Software);
    SerialPort port(s);
    port.open();
    QVERIFY(port.deviceLineChecks().errorsMarked);
    QVERIFY(!port.deviceLineChecks().parityChecked);
    // Settings changed on the open port (Qt resets the input flags with the parity).
    s.baudRate = 9600;
    port.setSettings(s);
    QVERIFY(port.deviceLineChecks().errorsMarked);

    // Bytes that look like marks, a real 0xFF among them (the marking driver doubles it),
    // come through as sent.
    openPeer();
    QByteArray received;
    connect(&port, &SerialPort::received, this, [&](const QByteArray &b) { received += b; });
    int errors = 0;
    connect(&port, &SerialPort::lineError, this, [&] { ++errors; });
    const QByteArray sent("%\xff\x00\x41\xff\xff%", 7);
    m_peer->write(sent);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), sent.size(), 5000);
    QCOMPARE(received, sent);
    QCOMPARE(errors, 0);
}

using LineErrors = QList<SerialLineMarks::LineError>;

void tst_SerialPort::marksTakenOutOfTheData_data()
{
    using K = SerialLineMarks::Kind;
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<LineErrors>("errors");
    QTest::newRow("clean") << QByteArrayList{"G0 X1\r\n"} << QByteArray("G0 X1\r\n") << LineErrors();
    QTest::newRow("doubled 0xFF is one") << QByteArrayList{"A\xff\xff" "B"} << QByteArray("A\xff" "B") << LineErrors();
    QTest::newRow("parity error on a byte") << QByteArrayList{QByteArray("G0\xff\x00X1", 6)} << QByteArray("G0X1")
                                            << LineErrors{{K::ParityOrFraming, 2}};
    QTest::newRow("break") << QByteArrayList{QByteArray("N1\xff\x00\x00N2", 7)} << QByteArray("N1N2")
                           << LineErrors{{K::Break, 2}};
    QTest::newRow("damaged 0xFF") << QByteArrayList{QByteArray("\xff\x00\xff", 3)} << QByteArray("\xff")
                                  << LineErrors{{K::ParityOrFraming, 0}};
    QTest::newRow("marks split over reads")
        << QByteArrayList{"A\xff", QByteArray("\x00", 1), "B\xff", "\xff" "C\xff", QByteArray("\x00\x00", 2)}
        << QByteArray("AB\xff" "C") << LineErrors{{K::ParityOrFraming, 1}, {K::Break, 4}};
    QTest::newRow("0xFF before another byte kept") << QByteArrayList{"\xff" "A"} << QByteArray("\xff" "A") << LineErrors();
}

void tst_SerialPort::marksTakenOutOfTheData()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArray, data);
    QFETCH(LineErrors, errors);
    SerialLineMarks marks;
    QByteArray decoded;
    LineErrors found;
    for (const QByteArray &chunk : chunks)
        decoded += marks.decode(chunk, &found);
    QCOMPARE(decoded, data);
    QCOMPARE(found, errors);
}

QTEST_MAIN(tst_SerialPort)
#include "tst_serialport.moc"
