// Throughput of the serial port layer over a socat pty pair without flow control.
// Not a test: prints figures, each next to a baseline measured in the same run.

#include "../../tests/serial/PtyPair.h"
#include "SerialBench.h"

#include "platform/Error.h"
#include "platform/serial/SerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace {

using namespace SerialBench;

struct SendFigures
{
    double wall = 0;
    double threadCpu = 0;
};

template<typename SendOne>
SendFigures timeSend(const QString &peer, qint64 count, SendOne sendOne)
{
    Reader reader(peer, count);
    const double cpu0 = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    for (qint64 i = 0; i < count; ++i)
        sendOne(char('A' + i % 26));
    const qint64 got = reader.join();
    SendFigures f;
    f.wall = seconds(reader.done() - start);
    f.threadCpu = threadCpuSeconds() - cpu0;
    if (got != count)
        qFatal("the machine end got %lld of %lld bytes", got, count);
    return f;
}

void printSend(const char *what, qint64 count, const SendFigures &f, double baselineWall)
{
    std::printf("%-46s %8.1f KB/s  CPU/wall %.2f  (%.2fx baseline)\n", what, double(count) / 1024.0 / f.wall,
                f.threadCpu / f.wall, baselineWall / f.wall);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const qint64 sendCount = argc > 1 ? QByteArray(argv[1]).toLongLong() * 1024 : 512 * 1024;
    const qint64 receiveCount = 1024 * 1024;
    const int chunk = 64;

    QTemporaryDir dir;
    PtyPair pty;
    startPortPair(pty, dir);

    std::printf("Sending %lld KB one byte per write over a pty pair, no flow control\n", sendCount / 1024);

    // Baseline: a bare QSerialPort, each byte written and waited for.
    SendFigures baseline;
    {
        QSerialPort bare(pty.endA());
        if (!bare.open(QIODevice::ReadWrite))
            qFatal("%s", qPrintable(bare.errorString()));
        baseline = timeSend(pty.endB(), sendCount, [&](char c) {
            bare.write(&c, 1);
            bare.waitForBytesWritten(-1);
        });
    }
    printSend("baseline: QSerialPort write + waitForBytesWritten", sendCount, baseline, baseline.wall);

    SerialSettings settings = SerialSettings::sendWindowDesign();
    settings.portName = QStringLiteral("COM3");
    settings.baudRate = 115200;
    settings.applyFlowPreset(SerialSettings::FlowPreset::None);
    SerialPort port(settings);
    try {
        port.open();
        bool cancel = false;
        const SendFigures primitive = timeSend(pty.endB(), sendCount, [&](char c) {
            port.write(QByteArray(1, c), &cancel);
        });
        printSend("SerialPort::write, one byte", sendCount, primitive, baseline.wall);

        // As the send window does it: pending events processed before every byte.
        const SendFigures windowLoop = timeSend(pty.endB(), sendCount, [&](char c) {
            QCoreApplication::processEvents();
            port.write(QByteArray(1, c), &cancel);
        });
        printSend("processEvents + SerialPort::write, one byte", sendCount, windowLoop, baseline.wall);
    } catch (const Error &e) {
        qFatal("%s", qPrintable(e.message()));
    }

    std::printf("\nReceiving %lld KB written by the machine end in %d-byte chunks\n", receiveCount / 1024, chunk);
    QByteArray block(chunk, 'x');
    std::atomic<qint64> lastWriteNs{0};
    const auto writeAll = [&] {
        const int fd = openRaw(pty.endB());
        for (qint64 sent = 0; sent < receiveCount; sent += chunk) {
            if (::write(fd, block.constData(), size_t(chunk)) != chunk)
                qFatal("machine end write failed");
        }
        lastWriteNs = Clock::now().time_since_epoch().count();
        ::close(fd);
    };

    // Baseline: a plain blocking read loop on a thread.
    double baselineLatency = 0;
    double baselineTotal = 0;
    {
        Reader reader(pty.endA(), receiveCount);
        const Clock::time_point start = Clock::now();
        std::thread writer(writeAll);
        writer.join();
        if (reader.join() != receiveCount)
            qFatal("baseline reader lost bytes");
        baselineTotal = seconds(reader.done() - start);
        baselineLatency = seconds(reader.done() - Clock::time_point(Clock::duration(lastWriteNs.load())));
    }
    std::printf("%-46s %8.1f KB/s  last byte to handled %.2f ms\n", "baseline: blocking read() on a thread",
                double(receiveCount) / 1024.0 / baselineTotal, baselineLatency * 1000);

    {
        QByteArray received;
        received.reserve(receiveCount);
        qint64 notifications = 0;
        Clock::time_point handled;
        QEventLoop loop;
        QObject::connect(&port, &SerialPort::received, &loop, [&](const QByteArray &bytes) {
            received += bytes;
            ++notifications;
            if (received.size() >= receiveCount) {
                handled = Clock::now();
                loop.quit();
            }
        });
        QTimer::singleShot(60000, &loop, [&] { loop.quit(); });
        const double cpu0 = threadCpuSeconds();
        const Clock::time_point start = Clock::now();
        std::thread writer(writeAll);
        loop.exec();
        writer.join();
        if (received.size() != receiveCount)
            qFatal("received %lld of %lld bytes", qint64(received.size()), receiveCount);
        const double total = seconds(handled - start);
        const double latency = seconds(handled - Clock::time_point(Clock::duration(lastWriteNs.load())));
        std::printf("%-46s %8.1f KB/s  last byte to handled %.2f ms  CPU/wall %.2f  (%lld notifications)\n",
                    "SerialPort::received", double(receiveCount) / 1024.0 / total, latency * 1000,
                    (threadCpuSeconds() - cpu0) / total, notifications);
    }
    port.close();
    return 0;
}
