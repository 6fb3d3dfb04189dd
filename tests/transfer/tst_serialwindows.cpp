#include "../serial/PtyPair.h"
#include "../serial/Ser2NetServer.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "platform/serial/SerialPortLock.h"
#include "lang/Texts.h"
#include "app/Application.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalWords.h"
#include "journal/ProgramHash.h"
#include "lang/ApplyLanguage.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Dialogs.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "platform/serial/SerialPort.h"
#include "transfer/LineIndicatorPanel.h"
#include "transfer/ReceivedText.h"
#include "transfer/SerialMonitorPanel.h"
#include "transfer/SerialReceiveWindow.h"
#include "transfer/SerialSendStream.h"
#include "transfer/SerialSendWindow.h"
#include "transfer/TransferCommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>

// The drain of the line at the end of a send, seen from here: this definition takes the place
// of the C library's for the whole test program and hands on to it. It can stand for a slow
// UART, whose FIFO takes a while to empty after the driver's queue is empty.
namespace {
std::atomic<int> g_drains{0};
std::atomic<bool> g_draining{false};
std::atomic<bool> g_openWhenDrained{false};
std::atomic<int> g_drainDelayMs{0};
} // namespace

extern "C" int tcdrain(int fd)
{
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcdrain"));
    g_draining = true;
    if (g_drainDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_drainDelayMs.load()));
    const int result = real(fd);
    g_openWhenDrained = ::fcntl(fd, F_GETFD) != -1;
    ++g_drains;
    g_draining = false;
    return result;
}

// The serial send and receive windows of the running application against a socat pty pair:
// "COM3" is mapped to one end in Zavrin.ini, the test plays the machine on the other end.
// "COM7" is mapped to a device that does not exist. The database is the demo one, whose lathe
// is a "SERIAL232" machine on "COM1", which is mapped to the same end as "COM3".
class tst_SerialWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsProgramAsStored_data();
    void sendsProgramAsStored();
    void lineDrainedBeforeSuccess();
    void softwareFlowHoldsAndResumes();
    void cancelWhileLineHeld();
    void cancelDuringSend();
    void sendRefused_data();
    void sendRefused();
    void everyTextHasItsControl();
    void portFailureStopsSend();
    void lostDeviceServerStopsSend_data();
    void lostDeviceServerStopsSend();
    void lostDeviceServerStopsReception();
    void monitorShowsSendWithXonXoff();
    void monitorHiddenTakesNothing();
    void monitorShowsReception();

    void splitReceptionAndSave();
    void existingFileQuestion_data();
    void existingFileQuestion();
    void saveChecks_data();
    void saveChecks();
    void cancelWithoutText();
    void missingPortLeavesReceiveDisabled();
    void portFailureOffersToSave();
    void lineErrorClosesWithoutSaving_data();
    void lineErrorClosesWithoutSaving();
    void blockEndsAndUtf8Shown();

    void programGoesOutAndComesBack_data();
    void programGoesOutAndComesBack();

private:
    static SerialTables::SerialCodes codes(const char *port, const char *flow = "3");
    TForm_Transfer_SERIAL232 *sendWindow(const QByteArray &content, const char *port = "COM3",
                                         const char *flow = "3");
    TForm_Transfer_SERIAL232_R *receiveWindow(const char *port = "COM3");
    void receive(TForm_Transfer_SERIAL232_R *w, const QByteArray &bytes);
    void openPeer();
    QByteArray peerBytes(int expected, int timeoutMs = 10000);
    QString programFolder() const { return TestSupport::folder(m_dir->filePath(QStringLiteral("programs"))); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QSerialPort> m_peer;
    QByteArray m_peerReceived;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    QString m_file;
};

void tst_SerialWindows::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(programFolder()));
    SerialPortLock::setFolder(m_dir->filePath(QStringLiteral("locks")));
    m_pty = std::make_unique<PtyPair>();
    QString error;
    QVERIFY2(m_pty->start(m_dir->path(), &error), qPrintable(error));
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    const QString db = m_dir->filePath(QStringLiteral("machines.db"));
    DatabaseSchema::createDatabase(db, true, m_dir->path());
    const QByteArray end = m_pty->endA().toLocal8Bit();
    TestSupport::writeBytes(m_dir->filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=EN\r\n[SERIALPORTS]\r\nCOM1="
                                + end + "\r\nCOM3=" + end + "\r\nCOM7="
                                + m_dir->filePath(QStringLiteral("nothing")).toLocal8Bit() + "\r\n");
    Application::Options options;
    options.appDirectory = m_dir->path();
    options.showSplash = false;
    options.maximise = false;
    Application::firstShow(Application::createWindows(options), options);
    m_dialogs->clear();
    m_peerReceived.clear();
    m_file = m_dir->filePath(QStringLiteral("O1000.nc"));
}

void tst_SerialWindows::cleanup()
{
    Application::destroyWindows();
    m_peer.reset();
    m_pty.reset();
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

SerialTables::SerialCodes tst_SerialWindows::codes(const char *port, const char *flow)
{
    SerialTables::SerialCodes c;
    c.portName = QLatin1String(port);
    c.speed = QStringLiteral("13"); // 115200
    c.dataBits = QStringLiteral("4");
    c.parity = QStringLiteral("3");
    c.stopBits = QStringLiteral("2");
    c.flow = QLatin1String(flow);
    return c;
}

TForm_Transfer_SERIAL232 *tst_SerialWindows::sendWindow(const QByteArray &content, const char *port, const char *flow)
{
    TestSupport::writeBytes(m_file, content);
    auto *w = qobject_cast<TForm_Transfer_SERIAL232 *>(Application::window(QStringLiteral("Form_Transfer_SERIAL232")));
    if (w) {
        w->prepareSend(m_file, codes(port, flow));
        w->show();
    }
    return w;
}

TForm_Transfer_SERIAL232_R *tst_SerialWindows::receiveWindow(const char *port)
{
    auto *w = qobject_cast<TForm_Transfer_SERIAL232_R *>(
        Application::window(QStringLiteral("Form_Transfer_SERIAL232_R")));
    if (w) {
        w->prepareReceive(programFolder(), codes(port));
        w->show();
    }
    return w;
}

void tst_SerialWindows::openPeer()
{
    m_peer = std::make_unique<QSerialPort>(m_pty->endB());
    QVERIFY2(m_peer->open(QIODevice::ReadWrite), qPrintable(m_peer->errorString()));
    connect(m_peer.get(), &QSerialPort::readyRead, this, [this] { m_peerReceived += m_peer->readAll(); });
}

QByteArray tst_SerialWindows::peerBytes(int expected, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_peerReceived.size() < expected && !deadline.hasExpired())
        QTest::qWait(10);
    QTest::qWait(50); // nothing more may follow
    return m_peerReceived;
}

void tst_SerialWindows::receive(TForm_Transfer_SERIAL232_R *w, const QByteArray &bytes)
{
    const qint64 before = w->receivedText().length();
    m_peer->write(bytes);
    QVERIFY(m_peer->waitForBytesWritten(2000));
    QTRY_COMPARE_WITH_TIMEOUT(w->receivedText().length(), before + bytes.size(), 5000);
}

// ---------------------------------------------------------------- sending

void tst_SerialWindows::sendsProgramAsStored_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("arrives");

    QTest::newRow("LF file arrives as CR LF") << QByteArray("%\nO1000\nG0 X0 Y0\nM30\n%\n")
                                              << QByteArray("%\r\nO1000\r\nG0 X0 Y0\r\nM30\r\n%\r\n");
    QTest::newRow("CR LF file arrives unchanged") << QByteArray("%\r\nO1000\r\nM30\r\n%\r\n")
                                                  << QByteArray("%\r\nO1000\r\nM30\r\n%\r\n");
    QTest::newRow("Ctrl-Z in the middle") << QByteArray("%\nO1000\n\x1a" "G0 X9\n") << QByteArray("%\r\nO1000\r\n");
    QTest::newRow("Ctrl-Z at the start") << QByteArray("\x1a%\nO1000\n") << QByteArray("\x1a");
    QTest::newRow("8-bit bytes as stored") << QByteArray("(\xc3\x98 12 \xe9)\n") << QByteArray("(\xc3\x98 12 \xe9)\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray();
}

void tst_SerialWindows::sendsProgramAsStored()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, arrives);
    openPeer();
    auto *w = sendWindow(file);
    QVERIFY(w);
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), m_file);
    QStringList fields;
    for (int i = 1; i <= 6; ++i)
        fields << w->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(i))->text();
    QCOMPARE(fields, QStringList({"COM3", "115200", "8", "NONE", "1", "NONE"}));

    w->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    QCOMPARE(peerBytes(arrives.size()), arrives);
    QCOMPARE(m_dialogs->messages(),
             QStringList{"INFORMATION: The File \"" + m_file + "\" Successfully sent."});
    QCOMPARE(w->statusText(), "File \"" + m_file + "\" Successfully sent......");
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(w->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isEnabled());
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label14"))->text(), QStringLiteral("0%"));
    QCOMPARE(w->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->value(), 0);
}

void tst_SerialWindows::lineDrainedBeforeSuccess()
{
    openPeer();
    auto *w = sendWindow("%\nO1\nM30\n%\n");
    QVERIFY(w);
    g_drains = 0;
    g_drainDelayMs = 400;
    int ticksWhileDraining = 0;
    int messagesWhileDraining = -1;
    bool openWhileDraining = false;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (!g_draining)
            return;
        ++ticksWhileDraining;
        messagesWhileDraining = int(m_dialogs->messages().size());
        openWhileDraining = w->ComPort1()->isOpen();
    });
    ticker.start(20);
    w->BitBtn1Click();
    g_drainDelayMs = 0;
    QCOMPARE(g_drains.load(), 1);
    QVERIFY(g_openWhenDrained);
    // The window stayed live while the line drained, the port open and no success said yet.
    QVERIFY2(ticksWhileDraining >= 3, qPrintable(QString::number(ticksWhileDraining)));
    QCOMPARE(messagesWhileDraining, 0);
    QVERIFY(openWhileDraining);
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: The File \"" + m_file + "\" Successfully sent."});
    QVERIFY(!w->ComPort1()->isOpen());
}

static double processCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void tst_SerialWindows::softwareFlowHoldsAndResumes()
{
    // Large enough that the machine's XOFF arrives long before the end.
    QByteArray program;
    for (int n = 1; program.size() < 256 * 1024; ++n)
        program += "N" + QByteArray::number(n) + " G1 X" + QByteArray::number(n % 997) + ".5 Y-12.25 F800\n";
    const QByteArray arrives = SerialSendStream::wholeTransmission(program);
    openPeer();
    auto *w = sendWindow(program, "COM3", "4"); // SOFTWARE
    QVERIFY(w);

    bool xoffSent = false;
    qint64 heldAt = -1, stillHeldAt = -1;
    double cpuStart = 0, cpuHeld = 0, wallHeld = 0;
    QString statusWhileHeld;
    SerialLines linesWhileHeld;
    QElapsedTimer wall;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (xoffSent)
            return;
        xoffSent = true;
        m_peer->write("\x13"); // XOFF
        QTimer::singleShot(300, this, [&] {
            heldAt = m_peerReceived.size();
            m_peer->write("ABC");
            cpuStart = processCpuSeconds();
            wall.start();
        });
        QTimer::singleShot(1000, this, [&] {
            stillHeldAt = m_peerReceived.size();
            cpuHeld = processCpuSeconds() - cpuStart;
            wallHeld = double(wall.elapsed()) / 1000.0;
            statusWhileHeld = w->statusText();
            linesWhileHeld = w->findChild<LineIndicatorPanel *>(QStringLiteral("Panel1"))->lines();
            m_peer->write("\x11"); // XON
        });
    });

    w->BitBtn1Click();
    QCOMPARE(peerBytes(arrives.size()), arrives);
    QVERIFY(xoffSent);
    QVERIFY2(heldAt > 0 && heldAt < arrives.size(), qPrintable(QString::number(heldAt)));
    QCOMPARE(stillHeldAt, heldAt); // nothing went out while held
    // Held, the send sleeps in the event loop instead of spinning.
    QVERIFY2(cpuHeld < 0.5 * wallHeld, qPrintable(QStringLiteral("%1 s CPU in %2 s").arg(cpuHeld).arg(wallHeld)));
    QCOMPARE(statusWhileHeld, QStringLiteral("Received Data : 3"));
    QCOMPARE(linesWhileHeld.cts, SerialLines::State::Unavailable); // a pty has no modem lines
    QCOMPARE(m_dialogs->messages(),
             QStringList{"INFORMATION: The File \"" + m_file + "\" Successfully sent."});
}

void tst_SerialWindows::monitorShowsSendWithXonXoff()
{
    QByteArray program;
    for (int n = 1; program.size() < 96 * 1024; ++n)
        program += "N" + QByteArray::number(n) + " G1 X" + QByteArray::number(n % 997) + ".5\n";
    const QByteArray arrives = SerialSendStream::wholeTransmission(program);
    openPeer();
    auto *w = sendWindow(program, "COM3", "4"); // SOFTWARE
    QVERIFY(w);
    auto *monitor = w->findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"));
    auto *toggle = w->findChild<QPushButton *>(QStringLiteral("MonitorButton"));
    QVERIFY(monitor && toggle);
    QVERIFY(!monitor->isVisible()); // hidden until asked for
    const int height = w->height();
    toggle->click();
    QVERIFY(monitor->isVisible());
    QVERIFY(w->height() > height);

    bool xoffSent = false;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (xoffSent)
            return;
        xoffSent = true;
        m_peer->write("\x13"); // XOFF
        QTimer::singleShot(1200, this, [&] { m_peer->write("\x11"); }); // XON
    });
    w->BitBtn1Click();
    QCOMPARE(peerBytes(arrives.size()), arrives);

    const SerialMonitorLog &log = monitor->log();
    QByteArray out;
    QStringList marks;
    int held = -1, resumed = -1;
    for (qsizetype i = 0; i < log.lineCount(); ++i) {
        const SerialMonitorLog::Line &line = log.line(i);
        if (line.kind == SerialMonitorLog::Kind::Out)
            out += line.bytes;
        QVERIFY2(line.kind != SerialMonitorLog::Kind::In, "the driver takes XON and XOFF itself");
        if (line.kind != SerialMonitorLog::Kind::Mark)
            continue;
        marks << line.text;
        if (line.text.startsWith(QLatin1String("Output held")))
            held = int(i);
        if (line.text.startsWith(QLatin1String("Output resumed")))
            resumed = int(i);
    }
    QCOMPARE(out, arrives); // every byte that went out, in order
    QVERIFY2(held > 0 && resumed > held, qPrintable(marks.join(QLatin1Char('|'))));
    QVERIFY2(!log.line(held - 1).bytes.isEmpty() && !log.line(resumed + 1).bytes.isEmpty(),
             "the marks sit between the data sent before and after");
    QCOMPARE(marks.first(), QStringLiteral("Port \"COM3\" (%1) opened").arg(m_pty->endA()));
    QCOMPARE(marks.at(1), QStringLiteral("This device does not report the CTS, DSR and RLSD lines"));
    QCOMPARE(marks.last(), QStringLiteral("Port closed"));
    // Resumed after the XON, 1.2 s after the XOFF (the hold is seen from its first stalled byte).
    const double seconds = marks.at(marks.indexOf(log.line(resumed).text)).section(QLatin1Char(' '), 3, 3).toDouble();
    QVERIFY2(seconds >= 0.8 && seconds < 3.0, qPrintable(log.line(resumed).text));
    // Drawn as named control characters, or in hexadecimal on demand.
    SerialMonitorView *view = monitor->view();
    QVERIFY(view->lineText(held - 1).endsWith(QLatin1String("<CR><LF>")) || !view->lineText(held - 1).contains(QLatin1Char('<')));
    qsizetype first = 0;
    while (log.line(first).kind != SerialMonitorLog::Kind::Out)
        ++first;
    QVERIFY2(view->lineText(first).contains(QLatin1String("  TX  N1 G1 X1.5<CR><LF>")), qPrintable(view->lineText(first)));
    w->findChild<QCheckBox *>(QStringLiteral("MonitorHex"))->setChecked(true);
    QVERIFY(view->lineText(first).contains(QLatin1String("  TX  4E 31 20 47 31 20 58 31 2E 35 0D 0A")));
}

void tst_SerialWindows::monitorHiddenTakesNothing()
{
    openPeer();
    auto *w = sendWindow("%\nO1\nM30\n%\n");
    QVERIFY(w);
    w->BitBtn1Click();
    QCOMPARE(peerBytes(16), QByteArray("%\r\nO1\r\nM30\r\n%\r\n"));
    QCOMPARE(w->findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"))->log().lineCount(), 0);
}

void tst_SerialWindows::monitorShowsReception()
{
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    w->findChild<QPushButton *>(QStringLiteral("MonitorButton"))->click();
    auto *monitor = w->findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"));
    QVERIFY(monitor->isVisible());
    w->BitBtn2Click();
    // Without software flow control XON and XOFF are data: they arrive and are shown by name.
    receive(w, QByteArray("%\r\nO1\x13\x11\x00\x1a\r\n", 11));
    monitor->look();
    QStringList rx;
    for (qsizetype i = 0; i < monitor->log().lineCount(); ++i)
        if (monitor->log().line(i).kind == SerialMonitorLog::Kind::In)
            rx << monitor->view()->lineText(i).section(QStringLiteral("  RX  "), 1);
    QCOMPARE(rx.join(QString()), QStringLiteral("%<CR><LF>O1<DC3><DC1><NUL><SUB><CR><LF>"));
    // Hidden, it stops listening: what comes then is not taken.
    w->findChild<QPushButton *>(QStringLiteral("MonitorButton"))->click();
    QVERIFY(!monitor->isVisible());
    const qint64 kept = monitor->log().dataBytes();
    receive(w, "M30\r\n");
    QCOMPARE(monitor->log().dataBytes(), kept);
}

void tst_SerialWindows::cancelWhileLineHeld()
{
    QByteArray program(64 * 1024, 'X');
    openPeer();
    auto *w = sendWindow(program, "COM3", "4");
    QVERIFY(w);
    bool xoffSent = false;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (xoffSent)
            return;
        xoffSent = true;
        m_peer->write("\x13");
        QTimer::singleShot(500, this, [w] { w->findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click(); });
    });
    w->BitBtn1Click();
    QCOMPARE(w->statusText(), QStringLiteral("Operation Cancelled....."));
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: Operation Cancelled."});
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(!w->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isEnabled());
    m_peer->write("\x11"); // released after the cancel: nothing more may come
    QTest::qWait(300);
    QVERIFY(m_peerReceived.size() < program.size());
    QVERIFY(app().CancelRequested);
}

void tst_SerialWindows::cancelDuringSend()
{
    QByteArray program;
    for (int n = 1; program.size() < 512 * 1024; ++n)
        program += "N" + QByteArray::number(n) + " G1 X1.5\n";
    const QByteArray arrives = SerialSendStream::wholeTransmission(program);
    openPeer();
    auto *w = sendWindow(program);
    QVERIFY(w);
    auto *progress = w->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    int progressAtCancel = -1;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (progressAtCancel < 0 && m_peerReceived.size() >= 4096) {
            progressAtCancel = progress->value();
            w->findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click();
            QVERIFY(w->isVisible()); // the send closes the window once it has stopped
        }
    });
    w->BitBtn1Click();
    QVERIFY(progressAtCancel > 0);
    QCOMPARE(w->statusText(), QStringLiteral("Operation Cancelled....."));
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: Operation Cancelled."});
    QVERIFY(!w->isVisible());
    QCOMPARE(progress->value(), 0);
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label14"))->text(), QStringLiteral("0%"));
    QTest::qWait(300);
    // The machine got the start of the program, unbroken, and not the rest.
    QVERIFY(m_peerReceived.size() < arrives.size());
    QCOMPARE(m_peerReceived, arrives.left(m_peerReceived.size()));
}

void tst_SerialWindows::sendRefused_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("fileGone");
    QTest::addColumn<QString>("reason"); // part of the error box's text

    QTest::newRow("port that does not exist") << "COM7" << false << "COM7";
    QTest::newRow("file that cannot be read") << "COM3" << true << "O1000.nc";
}

void tst_SerialWindows::sendRefused()
{
    QFETCH(QString, port);
    QFETCH(bool, fileGone);
    QFETCH(QString, reason);
    auto *w = sendWindow("%\nM30\n", qPrintable(port));
    QVERIFY(w);
    if (fileGone)
        QVERIFY(QFile::remove(m_file));
    auto *send = w->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    send->click();
    QCOMPARE(m_dialogs->calls().size(), 1);
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QVERIFY2(m_dialogs->last().text.contains(reason), qPrintable(m_dialogs->last().text));
    QVERIFY(!send->isEnabled());
    QVERIFY(w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(w->statusText().isEmpty());
    // The next preparation enables it again.
    w->prepareSend(m_file, codes("COM3"));
    QVERIFY(send->isEnabled());
}

void tst_SerialWindows::everyTextHasItsControl()
{
    const QStringList missing = missingControlKeys(Application::windows());
    for (const QString &key : missing)
        QVERIFY2(!key.startsWith(QLatin1String("Form_Transfer_SERIAL232")), qPrintable(key));
}

void tst_SerialWindows::portFailureStopsSend()
{
    QByteArray program(512 * 1024, 'Y');
    openPeer();
    auto *w = sendWindow(program);
    QVERIFY(w);
    bool hungUp = false;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (!hungUp && m_peerReceived.size() >= 2048) {
            hungUp = true;
            QTimer::singleShot(0, this, [this] {
                m_peer.reset();
                m_pty->stop(); // the line goes away under the send
            });
        }
    });
    w->BitBtn1Click();
    QVERIFY(hungUp);
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("ERROR: Sending stopped: ")), qPrintable(messages.first()));
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(!w->statusText().contains(QStringLiteral("Successfully")));
}

void tst_SerialWindows::lostDeviceServerStopsSend_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("raw socket") << int(Ser2NetServer::Mode::Raw);
    QTest::newRow("RFC 2217") << int(Ser2NetServer::Mode::Rfc2217);
}

// The line goes through a device server, which dies in the middle of the send: the window
// reports the failure with the port's address, and nothing is called sent.
void tst_SerialWindows::lostDeviceServerStopsSend()
{
    QFETCH(int, mode);
    Ser2NetServer server;
    server.addConnection(m_pty->endA(), Ser2NetServer::Mode(mode), QStringLiteral("115200n81,local"));
    QString error;
    QVERIFY2(server.start(m_dir->path(), &error), qPrintable(error));
    TestSupport::writeBytes(app().mainSettingsPath(), "[SERIALPORTS]\r\nCOM8=" + server.url(0).toLatin1() + "\r\n");
    openPeer();
    auto *w = sendWindow(QByteArray(4 << 20, 'Y'), "COM8");
    QVERIFY(w);
    bool killed = false;
    connect(m_peer.get(), &QSerialPort::readyRead, this, [&] {
        if (!killed && m_peerReceived.size() >= 2048) {
            killed = true;
            server.kill();
        }
    });
    w->BitBtn1Click();
    QVERIFY(killed);
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("ERROR: Sending stopped: ")), qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(server.url(0)), qPrintable(messages.first()));
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(!w->statusText().contains(QStringLiteral("Successfully")));
}

void tst_SerialWindows::lostDeviceServerStopsReception()
{
    Ser2NetServer server;
    server.addConnection(m_pty->endA(), Ser2NetServer::Mode::Rfc2217, QStringLiteral("115200n81,local"));
    QString error;
    QVERIFY2(server.start(m_dir->path(), &error), qPrintable(error));
    TestSupport::writeBytes(app().mainSettingsPath(), "[SERIALPORTS]\r\nCOM8=" + server.url(0).toLatin1() + "\r\n");
    openPeer();
    auto *w = receiveWindow("COM8");
    QVERIFY(w);
    w->BitBtn2Click();
    QVERIFY(w->ComPort1()->isOpen());
    receive(w, QByteArray("N10 G0 X1\r\n\xff\xff;\r\n"));
    m_dialogs->answer(Dialogs::Ok);
    m_dialogs->answer(Dialogs::No);
    server.kill();
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
    const QStringList messages = m_dialogs->messages();
    QVERIFY(!messages.isEmpty());
    QVERIFY2(messages.first().startsWith(QStringLiteral("ERROR: Failure during Serial transfer. Form will be closed.")),
             qPrintable(messages.first()));
    QVERIFY2(messages.first().contains(server.url(0)), qPrintable(messages.first()));
}

// ---------------------------------------------------------------- receiving

void tst_SerialWindows::splitReceptionAndSave()
{
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    auto *receiveButton = w->findChild<QPushButton *>(QStringLiteral("BitBtn2"));
    auto *saveButton = w->findChild<QPushButton *>(QStringLiteral("BitBtn4"));
    auto *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
    QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), programFolder());

    w->BitBtn2Click();
    QCOMPARE(w->statusText(), QStringLiteral("Waiting to receive data..."));
    QVERIFY(!receiveButton->isEnabled() && !saveButton->isEnabled());
    QVERIFY(w->Timer1()->isActive());

    // A tape leader of zeros, then a program with LF line ends and an 8-bit comment.
    const QByteArray first = QByteArray(3, '\0') + "%\nO1000\n(\xe9)\n";
    receive(w, first);
    QCOMPARE(w->statusText(), QStringLiteral("Received Data : 15"));
    // The pause: the end is declared within two seconds, and the buttons come back.
    QTRY_COMPARE_WITH_TIMEOUT(w->statusText(), QStringLiteral("CNC File Data Received successfully."), 3500);
    QVERIFY(receiveButton->isEnabled() && saveButton->isEnabled());
    QVERIFY(!w->Timer1()->isActive());
    QVERIFY(w->ComPort1()->isOpen());

    const QByteArray rest("G1 X1\r\nM30\r\n%\r\n");
    receive(w, rest);
    QCOMPARE(w->statusText(), QStringLiteral("Received Data : 15"));
    QVERIFY(!w->Timer1()->isActive()); // late characters do not restart the timer
    QCOMPARE(memo->toPlainText(), QStringLiteral("\u2400\u2400\u2400%\nO1000\n(\u00e9)\nG1 X1\nM30\n%\n"));

    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O1000.nc"));
    saveButton->click();
    const QString path = programFolder() + QStringLiteral("O1000.nc");
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: The File \"" + path + "\"was saved successfully."});
    QCOMPARE(TestSupport::readBytes(path), QByteArray(3, '\0') + "%\r\nO1000\r\n(\xe9)\r\nG1 X1\r\nM30\r\n%\r\n");
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
}

void tst_SerialWindows::existingFileQuestion_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("No keeps the file and the window") << false;
    QTest::newRow("Yes replaces the file") << true;
}

void tst_SerialWindows::existingFileQuestion()
{
    QFETCH(bool, replace);
    const QString path = programFolder() + QStringLiteral("P1.nc");
    TestSupport::writeBytes(path, "old\r\n");
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    w->BitBtn2Click();
    receive(w, "%\r\nNEW\r\n");
    auto *name = w->findChild<QLineEdit *>(QStringLiteral("Edit8"));
    name->setText(QStringLiteral("P1.nc"));
    m_dialogs->answer(replace ? Dialogs::Yes : Dialogs::No);
    w->BitBtn4Click();
    QCOMPARE(m_dialogs->calls().first().icon, Dialogs::Icon::Question);
    QCOMPARE(m_dialogs->calls().first().text,
             "QUESTION: The File \"" + path + "\"already exists. Would You Like to Replace File ?");
    QCOMPARE(TestSupport::readBytes(path), replace ? QByteArray("%\r\nNEW\r\n") : QByteArray("old\r\n"));
    QCOMPARE(w->isVisible(), !replace);
    if (!replace)
        QCOMPARE(w->focusWidget(), name);
}

void tst_SerialWindows::saveChecks_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("viaCancel"); // Cancel, answered Yes, runs the same save
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("savedAs"); // empty: nothing saved, the window stays open

    const QString fill = QStringLiteral("ERROR: Please fill the \"Destination File Name\" field.");
    QTest::newRow("no data") << QByteArray() << "P2.nc" << false << "ERROR: There is no data to save." << "";
    QTest::newRow("text and no name") << QByteArray("%\r\n") << "" << false << fill << "";
    QTest::newRow("text and a blank name") << QByteArray("%\r\n") << "   " << false << fill << "";
    QTest::newRow("Cancel with text and no name") << QByteArray("%\r\n") << "" << true << fill << "";
    QTest::newRow("blank-padded name kept as typed") << QByteArray("%\r\n") << "  P2.nc " << false
                                                     << "INFORMATION: The File \"%1\"was saved successfully."
                                                     << "  P2.nc ";
    QTest::newRow("Cancel, Yes, saves") << QByteArray("%\r\n") << "P3.nc" << true
                                        << "INFORMATION: The File \"%1\"was saved successfully." << "P3.nc";
}

void tst_SerialWindows::saveChecks()
{
    QFETCH(QByteArray, received);
    QFETCH(QString, name);
    QFETCH(bool, viaCancel);
    QFETCH(QString, message);
    QFETCH(QString, savedAs);
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    if (!received.isEmpty()) {
        w->BitBtn2Click();
        receive(w, received);
    }
    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(name);
    if (viaCancel) {
        m_dialogs->answer(Dialogs::Yes);
        w->findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click();
        QCOMPARE(m_dialogs->calls().first().text,
                 QStringLiteral("QUESTION: Is there CNC data File to save. Would You Like to Save the File ?"));
    } else {
        // The button itself comes back only at the end of the transmission.
        guarded([w] { w->BitBtn4Click(); });
    }
    const QString path = programFolder() + savedAs;
    QVERIFY(!m_dialogs->messages().isEmpty());
    QCOMPARE(m_dialogs->messages().last(), message.contains(QLatin1String("%1")) ? message.arg(path) : message);
    if (savedAs.isEmpty()) {
        QVERIFY(w->isVisible());
        QCOMPARE(QDir(programFolder()).entryList(QDir::Files), QStringList());
    } else {
        QVERIFY(!w->isVisible());
        QCOMPARE(TestSupport::readBytes(path), received);
    }
}

void tst_SerialWindows::cancelWithoutText()
{
    auto *w = receiveWindow();
    QVERIFY(w);
    w->BitBtn2Click();
    QTest::qWait(1200); // a tick with nothing received keeps waiting
    QCOMPARE(w->statusText(), QStringLiteral("Waiting to receive data..."));
    w->findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click();
    QVERIFY(m_dialogs->calls().isEmpty());
    QVERIFY(!w->isVisible());
    QVERIFY(!w->ComPort1()->isOpen());
    QVERIFY(!w->Timer1()->isActive());
}

void tst_SerialWindows::missingPortLeavesReceiveDisabled()
{
    auto *w = receiveWindow("COM7");
    QVERIFY(w);
    w->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    QCOMPARE(m_dialogs->calls().size(), 1);
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    // Said in the operator's language, with the system's reason.
    QVERIFY2(m_dialogs->last().text.startsWith(QStringLiteral("ERROR: The port \"COM7")), qPrintable(m_dialogs->last().text));
    QVERIFY(!w->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->isEnabled());
    QVERIFY(!w->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->isEnabled());
    QVERIFY(w->isVisible());
}

void tst_SerialWindows::portFailureOffersToSave()
{
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    w->BitBtn2Click();
    receive(w, "%\r\nO2000\r\nM30\r\n%\r\n");
    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O2000.nc"));
    m_dialogs->answer(Dialogs::Ok);
    m_dialogs->answer(Dialogs::Yes);
    m_peer.reset();
    const QString device = m_pty->endA();
    m_pty->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
    // The fixed message, then what became of the device, named, with the system's own text.
    QStringList messages = m_dialogs->messages();
    QVERIFY(!messages.isEmpty());
    const QStringList failure = messages.takeFirst().split(QLatin1Char('\n'));
    QCOMPARE(failure.size(), 3);
    QCOMPARE(failure.at(0), QStringLiteral("ERROR: Failure during Serial transfer. Form will be closed."));
    QCOMPARE(failure.at(1), QStringLiteral("The connection to the device \"%1\" was lost (adapter unplugged or device failed).").arg(device));
    QVERIFY2(failure.at(2).contains(device), qPrintable(failure.at(2)));
    QCOMPARE(messages,
             QStringList({"QUESTION: Is there CNC data File to save. Would You Like to Save the File ?",
                          "INFORMATION: The File \"" + programFolder() + "O2000.nc\"was saved successfully."}));
    QCOMPARE(TestSupport::readBytes(programFolder() + QStringLiteral("O2000.nc")),
             QByteArray("%\r\nO2000\r\nM30\r\n%\r\n"));
}

void tst_SerialWindows::lineErrorClosesWithoutSaving_data()
{
    QTest::addColumn<SerialLineMarks::Kind>("kind");
    QTest::addColumn<QString>("what");
    QTest::newRow("parity") << SerialLineMarks::Kind::ParityOrFraming << "a byte arrived with a parity or framing error";
    QTest::newRow("break") << SerialLineMarks::Kind::Break << "the line was in break";
}

void tst_SerialWindows::lineErrorClosesWithoutSaving()
{
    QFETCH(SerialLineMarks::Kind, kind);
    QFETCH(QString, what);
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    w->BitBtn2Click();
    receive(w, "%\r\nO2000\r\n");
    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O2000.nc"));
    // As the port reports a damaged byte it found marked in the data (a pty cannot damage one).
    emit w->ComPort1()->lineError(kind, 11);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 5000);
    QCOMPARE(m_dialogs->messages(),
             QStringList("ERROR: Failure during Serial transfer. Form will be closed.\nThe port reported a line error: "
                         + what + " (received byte 12). The received program was not saved."));
    QVERIFY(!QFile::exists(programFolder() + QStringLiteral("O2000.nc")));
    QVERIFY(!w->ComPort1()->isOpen());
}

// "LF CR CR" ends each block (a control's punch-out); the comment is UTF-8.
void tst_SerialWindows::blockEndsAndUtf8Shown()
{
    openPeer();
    auto *w = receiveWindow();
    QVERIFY(w);
    auto *memo = w->findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
    w->BitBtn2Click();
    receive(w, "%\n\r\rO1\n\r\r(\xc3\x98 10 \xc2\xb5m)\n\r\r\n\r\rM30\n\r\r");
    QCOMPARE(memo->toPlainText(), QStringLiteral("%\nO1\n(\u00d8 10 \u00b5m)\n\nM30\n"));
    QTRY_COMPARE_WITH_TIMEOUT(w->statusText(), QStringLiteral("CNC File Data Received successfully."), 3500);
    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O1.nc"));
    w->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
    QCOMPARE(TestSupport::readBytes(programFolder() + QStringLiteral("O1.nc")),
             QByteArray("%\r\nO1\r\n(\xc3\x98 10 \xc2\xb5m)\r\n\r\nM30\r\n"));
}

// ---------------------------------------------------------------- through the transfer commands

void tst_SerialWindows::programGoesOutAndComesBack_data()
{
    QTest::addColumn<QString>("corpusName");
    QTest::addColumn<bool>("endsProgram"); // M30, M02, M99 or "%" in its last lines
    QTest::newRow("LF lines, no final line end") << "circle-diamond-square" << false;
    QTest::newRow("CR LF lines") << "tweakie_crlf" << true;
    QTest::newRow("UTF-8 comments") << "syntax-torture" << false;
}

// The demo lathe's program goes out through the send window and the machine sends it back
// into the receive window, which saves it in the machine's program folder.
void tst_SerialWindows::programGoesOutAndComesBack()
{
    QFETCH(QString, corpusName);
    QFETCH(bool, endsProgram);
    QString source;
    for (const QString &f : TestSupport::corpusFiles(false))
        if (f.contains(corpusName))
            source = f;
    QVERIFY(!source.isEmpty());
    const QByteArray program = TestSupport::readBytes(source);
    TestSupport::writeBytes(m_file, program);

    std::optional<MachineRecord> lathe;
    for (const MachineRecord &m : TDataModule1::instance().allMachines()) {
        if (m.transferType == QLatin1String("SERIAL232"))
            lathe = m;
    }
    QVERIFY(lathe);
    app().SelectedMachineId = lathe->id;
    app().SelectedTransferType = lathe->transferType;
    app().SelectedProgramDirectory = programFolder();
    openPeer();

    auto *send = qobject_cast<TForm_Transfer_SERIAL232 *>(Application::window(QStringLiteral("Form_Transfer_SERIAL232")));
    QStringList fields;
    QTimer press;
    press.setInterval(10);
    connect(&press, &QTimer::timeout, this, [&] {
        if (!send->isVisible())
            return;
        press.stop();
        for (int i = 1; i <= 6; ++i)
            fields << send->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(i))->text();
        send->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    });
    press.start();
    TransferCommands::FUNC_Transfer_SERIAL232(m_file, 1);
    QCOMPARE(fields, QStringList({"COM1", "9600", "8", "NONE", "1", "NONE"}));
    const QByteArray sent = SerialSendStream::wholeTransmission(program);
    QCOMPARE(peerBytes(sent.size()), sent);
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: The File \"" + m_file + "\" Successfully sent."});

    m_dialogs->clear();
    auto *receive =
        qobject_cast<TForm_Transfer_SERIAL232_R *>(Application::window(QStringLiteral("Form_Transfer_SERIAL232_R")));
    bool started = false;
    connect(&press, &QTimer::timeout, this, [&] {
        if (!receive->isVisible())
            return;
        if (!started) {
            started = true;
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
            m_peer->write(sent); // the machine's punch-out
        } else if (receive->statusText() == QLatin1String("CNC File Data Received successfully.")) {
            press.stop();
            receive->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("BACK.nc"));
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
        }
    });
    press.start();
    TransferCommands::FUNC_Transfer_SERIAL232(QString(), 2);
    const QString back = programFolder() + QStringLiteral("BACK.nc");
    // A program without an end of program is saved all the same, after a warning.
    QStringList expected{"INFORMATION: The File \"" + back + "\"was saved successfully."};
    if (!endsProgram)
        expected.prepend(Texts::extra("Extra.NoEndOfProgramWarning"));
    QCOMPARE(m_dialogs->messages(), expected);
    ReceivedText lines;
    lines.append(sent);
    QCOMPARE(TestSupport::readBytes(back), lines.fileBytes());
    // Nothing is lost on the way: the program comes back as sent, with a line end after its last line.
    QVERIFY(TestSupport::readBytes(back).startsWith(sent));

    // The journal has both: the bytes as they left, and as they were stored.
    QVERIFY(JournalRecorder::current());
    QString error;
    QVector<JournalEntry> entries;
    for (const JournalEntry &e : JournalRecorder::current()->entries({}, &error))
        if (e.localPath == m_file || e.localPath == back)
            entries << e;
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].direction, JournalEntry::Direction::Send);
    QCOMPARE(entries[0].outcome, JournalEntry::Outcome::Done);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(sent));
    QCOMPARE(entries[0].bytes, qint64(sent.size()));
    QVERIFY(entries[0].remote.startsWith(QStringLiteral("COM1")));
    QCOMPARE(entries[1].direction, JournalEntry::Direction::Receive);
    QCOMPARE(entries[1].outcome, JournalEntry::Outcome::Done);
    QCOMPARE(entries[1].sha256, ProgramHash::ofBytes(lines.fileBytes()));
    QCOMPARE(entries[1].notice, endsProgram ? QString() : QLatin1String(JournalWords::NoEndOfProgramKeyword));
}

QTEST_MAIN(tst_SerialWindows)
#include "tst_serialwindows.moc"
