// The serial send and receive windows over a socat pty pair without flow control, as the
// user runs them: the real windows, shown, with message boxes answered by ScriptedDialogs.
// Not a test: prints figures, each next to a baseline measured in the same run.

#include "../../tests/serial/PtyPair.h"
#include "SerialBench.h"

#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"
#include "platform/serial/SerialPort.h"
#include "transfer/ReceivedText.h"
#include "transfer/SerialSend.h"
#include "transfer/SerialReceiveWindow.h"
#include "transfer/SerialSendStream.h"
#include "transfer/SerialSendWindow.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace {

using namespace SerialBench;

SerialTables::SerialCodes noFlowCodes()
{
    SerialTables::SerialCodes c;
    c.portName = QStringLiteral("COM3");
    c.speed = QStringLiteral("13");
    c.dataBits = QStringLiteral("4");
    c.parity = QStringLiteral("3");
    c.stopBits = QStringLiteral("2");
    c.flow = QStringLiteral("3"); // NONE
    return c;
}

void benchSend(const PtyPair &pty, const QString &file, qint64 size)
{
    const QByteArray bytes = program(size);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
    f.close();
    const qint64 arrives = SerialSendStream::wholeTransmission(bytes).size();

    // Baseline: a bare QSerialPort, each byte written and waited for, no window.
    double baselineWall = 0;
    {
        QSerialPort bare(pty.endA());
        if (!bare.open(QIODevice::ReadWrite))
            qFatal("%s", qPrintable(bare.errorString()));
        Reader reader(pty.endB(), arrives);
        const Clock::time_point start = Clock::now();
        const QByteArray out = SerialSendStream::wholeTransmission(bytes);
        for (const char c : out) {
            bare.write(&c, 1);
            bare.waitForBytesWritten(-1);
        }
        if (reader.join() != arrives)
            qFatal("baseline lost bytes");
        baselineWall = seconds(reader.done() - start);
    }
    std::printf("%-44s %8.1f KB/s\n", "baseline: QSerialPort write + wait per byte",
                double(size) / 1024.0 / baselineWall);

    // The send loop alone: events processed and one write per byte, no window.
    {
        SerialSettings settings = SerialSettings::sendWindowDesign();
        SerialTables::SerialFieldTexts fields;
        SerialTables::PARAM_serial_Enviar(noFlowCodes(), settings, fields);
        SerialPort port(settings);
        port.open();
        SerialSendStream stream(bytes);
        bool cancel = false;
        Reader reader(pty.endB(), arrives);
        const double cpu0 = threadCpuSeconds();
        const Clock::time_point start = Clock::now();
        SerialSend::run(port, stream, cancel, nullptr);
        const double cpu = threadCpuSeconds() - cpu0;
        const double loopWall = seconds(Clock::now() - start);
        if (reader.join() != arrives)
            qFatal("the machine end got too few bytes");
        const double wall = seconds(reader.done() - start);
        std::printf("%-44s %8.1f KB/s  CPU/wall %.2f  %.2f us CPU per byte  (%.2fx baseline)\n",
                    "send loop alone (SerialSend::run)", double(size) / 1024.0 / wall, cpu / loopWall,
                    cpu * 1e6 / double(size), baselineWall / wall);
    }

    TForm_Transfer_SERIAL232 window;
    window.prepareSend(file, noFlowCodes());
    window.show();
    QCoreApplication::processEvents();
    Reader reader(pty.endB(), arrives);
    const double cpu0 = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    window.BitBtn1Click();
    const double cpu = threadCpuSeconds() - cpu0;
    const double sendWall = seconds(Clock::now() - start);
    if (reader.join() != arrives)
        qFatal("the machine end got too few bytes");
    const double wall = seconds(reader.done() - start);
    std::printf("%-44s %8.1f KB/s  CPU/wall %.2f  %.2f us CPU per byte  (%.2fx baseline)\n",
                "send window: SERIAL_ENVIA, shown", double(size) / 1024.0 / wall, cpu / sendWall,
                cpu * 1e6 / double(size), baselineWall / wall);
}

struct ReceiveFigures
{
    double endAfterLastByte = 0;
    double firstTenthCpu = 0;
    double lastTenthCpu = 0;
    double totalWall = 0;
    qint64 notifications = 0;
    qint64 firstTenthNotifications = 0;
    qint64 lastTenthNotifications = 0;
};

// The machine sends `size` bytes in 64-byte writes, one every `pauseUs` microseconds (0: as
// fast as the pty takes them).
ReceiveFigures benchReceive(const PtyPair &pty, qint64 size, int pauseUs)
{
    const QByteArray bytes = program(size);
    TForm_Transfer_SERIAL232_R window;
    window.prepareReceive(QDir::tempPath() + QLatin1Char('/'), noFlowCodes());
    window.show();
    window.BitBtn2Click();
    QCoreApplication::processEvents();

    ReceiveFigures f;
    std::atomic<qint64> lastWriteNs{0};
    std::thread writer([&] {
        const int fd = openRaw(pty.endB());
        for (qint64 at = 0; at < size; at += 64) {
            const qint64 n = qMin<qint64>(64, size - at);
            if (::write(fd, bytes.constData() + at, size_t(n)) != n)
                qFatal("machine end write failed");
            if (pauseUs)
                std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
        }
        lastWriteNs = Clock::now().time_since_epoch().count();
        ::usleep(3000000); // keep the line up until the window has seen the end
        ::close(fd);
    });

    const QString ended = T("Form_Transfer_SERIAL232_R.MSG03");
    const Clock::time_point start = Clock::now();
    const double cpu0 = threadCpuSeconds();
    double tenthStartCpu = cpu0;
    qint64 lastLength = 0;
    QObject::connect(window.ComPort1(), &SerialPort::received, &window, [&](const QByteArray &) {
        ++f.notifications;
        const qint64 length = window.receivedText().length();
        if (lastLength < size / 10) {
            ++f.firstTenthNotifications;
            if (length >= size / 10)
                f.firstTenthCpu = threadCpuSeconds() - cpu0;
        }
        if (lastLength >= size * 9 / 10 && lastLength < size)
            ++f.lastTenthNotifications;
        if (lastLength < size * 9 / 10 && length >= size * 9 / 10)
            tenthStartCpu = threadCpuSeconds();
        if (length >= size && lastLength < size)
            f.lastTenthCpu = threadCpuSeconds() - tenthStartCpu;
        lastLength = length;
    });
    QDeadlineTimer deadline(120000);
    while (window.statusText() != ended && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const Clock::time_point end = Clock::now();
    writer.join();
    if (window.receivedText().length() != size || window.receivedText().bytes() != bytes)
        qFatal("received %lld of %lld bytes", window.receivedText().length(), size);
    f.endAfterLastByte = seconds(end - Clock::time_point(Clock::duration(lastWriteNs.load())));
    f.totalWall = seconds(end - start);
    window.BitBtn3Click();
    return f;
}

void printReceive(const char *what, const ReceiveFigures &f)
{
    const auto perNotification = [](double cpu, qint64 n) { return n > 0 ? cpu * 1e6 / double(n) : 0.0; };
    const double first = perNotification(f.firstTenthCpu, f.firstTenthNotifications);
    const double last = perNotification(f.lastTenthCpu, f.lastTenthNotifications);
    std::printf("%-44s %6lld notifications  end %.2f s after the last byte\n"
                "%-44s CPU per notification, first/last tenth of the text: %.0f/%.0f us (%.2fx)\n",
                what, f.notifications, f.endAfterLastByte, "", first, last, first > 0 ? last / first : 0.0);
}

// The window's own cost of a 64-byte notification as the text grows to `size`: the chunks
// are handed to it as its port hands them, with pending events (painting) processed after each.
void benchAppendCost(qint64 size)
{
    const QByteArray bytes = program(size);
    TForm_Transfer_SERIAL232_R window;
    window.prepareReceive(QDir::tempPath() + QLatin1Char('/'), noFlowCodes());
    window.show();
    QCoreApplication::processEvents();
    const qint64 chunks = size / 64;
    double tenths[10] = {};
    double tenthStart = threadCpuSeconds();
    for (qint64 i = 0; i < chunks; ++i) {
        emit window.ComPort1()->received(bytes.mid(i * 64, 64));
        QCoreApplication::processEvents();
        if ((i + 1) % (chunks / 10) == 0 && (i + 1) / (chunks / 10) <= 10) {
            const double now = threadCpuSeconds();
            tenths[(i + 1) / (chunks / 10) - 1] = now - tenthStart;
            tenthStart = now;
        }
    }
    const double perChunk = double(chunks / 10);
    std::printf("%-44s CPU per notification by tenth of the text (us):", "receive window, 64-byte notifications");
    for (const double t : tenths)
        std::printf(" %.0f", t * 1e6 / perChunk);
    std::printf("  last/first %.2fx\n", tenths[0] > 0 ? tenths[9] / tenths[0] : 0.0);
    window.BitBtn3Click();
}

// Pictures of both windows in the middle of a transfer, in the language given.
void screenshots(const PtyPair &pty, const QString &file, const QString &folder, const QString &language)
{
    Texts::runLanguageProcedure(language);
    const QByteArray bytes = program(2 * 1024 * 1024);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
    f.close();
    QSerialPort machine(pty.endB());
    if (!machine.open(QIODevice::ReadWrite))
        qFatal("%s", qPrintable(machine.errorString()));
    QObject::connect(&machine, &QSerialPort::readyRead, &machine, [&] { machine.readAll(); });
    {
        TForm_Transfer_SERIAL232 send;
        FUNC_Aplicar_Idioma(QList<QWidget *>{&send});
        send.prepareSend(file, noFlowCodes());
        WindowRules::setRibbonCaption(&send, T("Form_Transfer_SERIAL232.Ribbon1"));
        send.show();
        QTimer::singleShot(1500, &send, [&] {
            send.grab().save(folder + QStringLiteral("/send-%1.png").arg(language));
            send.BitBtn3Click();
        });
        send.BitBtn1Click();
    }

    TForm_Transfer_SERIAL232_R receive;
    FUNC_Aplicar_Idioma(QList<QWidget *>{&receive});
    receive.prepareReceive(QDir::tempPath() + QLatin1Char('/'), noFlowCodes());
    WindowRules::setRibbonCaption(&receive, T("Form_Main.MSG05"));
    receive.show();
    receive.BitBtn2Click();
    receive.findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O1000.nc"));
    QTimer chunks;
    qint64 at = 0;
    QObject::connect(&chunks, &QTimer::timeout, &machine, [&] {
        machine.write(bytes.mid(at, 64));
        at += 64;
    });
    chunks.start(3);
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 600)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    receive.grab().save(folder + QStringLiteral("/receive-%1.png").arg(language));
    chunks.stop();
    receive.ComPort1()->close();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const qint64 sendSize = argc > 1 ? QByteArray(argv[1]).toLongLong() * 1024 : 512 * 1024;
    const qint64 receiveSize = 1024 * 1024;

    QTemporaryDir dir;
    PtyPair pty;
    startPortPair(pty, dir);
    Texts::FUNC_Textos_EN();
    ScriptedDialogs dialogs;
    if (argc > 3 && QByteArray(argv[1]) == "--screenshots") {
        screenshots(pty, dir.filePath(QStringLiteral("O1000.nc")), QString::fromLocal8Bit(argv[2]),
                    QString::fromLocal8Bit(argv[3]));
        return 0;
    }

    std::printf("Platform %s. Sending a %lld KB program, no flow control\n", qPrintable(QApplication::platformName()),
                sendSize / 1024);
    benchSend(pty, dir.filePath(QStringLiteral("P.nc")), sendSize);

    std::printf("\nReceiving %lld KB in 64-byte writes (the end is declared 1 to 2 s after the last byte)\n",
                receiveSize / 1024);
    printReceive("receive window, writes as fast as possible", benchReceive(pty, receiveSize, 0));
    printReceive("receive window, one write every 0.5 ms", benchReceive(pty, receiveSize, 500));
    benchAppendCost(receiveSize);
    return 0;
}
