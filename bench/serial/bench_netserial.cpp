// Network serial ports against ser2net: the send loop of the send window (SerialSend::run, one
// write per byte, events every millisecond) through a raw TCP socket and through RFC 2217, each
// next to the same loop on a local pty pair in the same run; and what an open, idle network
// port costs the processor. Not a test: prints figures.
//   bench_netserial [KB to send, default 512] [idle seconds, default 10]

#include "../../tests/serial/PtyPair.h"
#include "../../tests/serial/Ser2NetServer.h"
#include "SerialBench.h"

#include "app/AppState.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortLock.h"
#include "transfer/SerialSend.h"
#include "transfer/SerialSendStream.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {

using namespace SerialBench;

double processCpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The send loop over `port` to the machine reading `machineEnd`: KB/s to the last byte read there.
double sendThrough(const QString &port, const QString &machineEnd, const QByteArray &bytes, const char *label)
{
    SerialSettings settings = SerialSettings::sendWindowDesign();
    settings.portName = port;
    settings.baudRate = 115200;
    settings.applyFlowPreset(SerialSettings::FlowPreset::None);
    SerialPort serial(settings);
    serial.open();
    SerialSendStream stream(bytes);
    const qint64 arrives = SerialSendStream::wholeTransmission(bytes).size();
    bool cancel = false;
    Reader reader(machineEnd, arrives);
    const double cpu0 = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    if (SerialSend::run(serial, stream, cancel, nullptr) != SerialSend::Outcome::Completed)
        qFatal("%s: the send did not complete", label);
    const double cpu = threadCpuSeconds() - cpu0;
    const double loopWall = seconds(Clock::now() - start);
    if (reader.join() != arrives)
        qFatal("%s: the machine end got too few bytes", label);
    const double wall = seconds(reader.done() - start);
    const double kbs = double(bytes.size()) / 1024.0 / wall;
    std::printf("%-34s %8.1f KB/s  CPU/wall %.2f  %.2f us CPU per byte\n", label, kbs, cpu / loopWall,
                cpu * 1e6 / double(bytes.size()));
    std::fflush(stdout);
    serial.close();
    return kbs;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 512) * 1024;
    const int idleSeconds = argc > 2 ? QByteArray(argv[2]).toInt() : 10;
    QTemporaryDir dir;
    QTemporaryDir serverDir;
    QTemporaryDir telnetDir;
    PtyPair local;
    PtyPair behindServer;
    PtyPair behindTelnet; // ser2net lets go of a device a moment after a connection ends
    QString error;
    if (!local.start(dir.path(), &error) || !behindServer.start(serverDir.path(), &error)
        || !behindTelnet.start(telnetDir.path(), &error))
        qFatal("%s", qPrintable(error));
    Ser2NetServer server;
    const int raw = server.addConnection(behindServer.endB(), Ser2NetServer::Mode::Raw, QStringLiteral("115200n81,local"));
    const int telnet = server.addConnection(behindServer.endB(), Ser2NetServer::Mode::Rfc2217, QStringLiteral("115200n81,local"));
    if (!server.start(serverDir.path(), &error))
        qFatal("%s", qPrintable(error));
    app().AppDirectory = dir.path() + QLatin1Char('/');
    SerialPortLock::setFolder(dir.filePath(QStringLiteral("locks")));
    QFile ini(app().mainSettingsPath());
    if (!ini.open(QIODevice::WriteOnly)
        || ini.write("[SERIALPORTS]\r\nCOM3=" + local.endA().toLocal8Bit() + "\r\nCOM5=" + server.url(raw).toLatin1()
                     + "\r\nCOM6=" + server.url(telnet).toLatin1() + "\r\n") < 0)
        qFatal("cannot write Zavrin.ini");
    ini.close();

    const QByteArray bytes = program(size);
    std::printf("send loop, %lld KB, one write per byte, no flow control\n", size / 1024);
    const double pty = sendThrough(QStringLiteral("COM3"), local.endB(), bytes, "local pty pair");
    const double tcp = sendThrough(QStringLiteral("COM5"), behindServer.endA(), bytes, "ser2net raw TCP");
    const double rfc = sendThrough(QStringLiteral("COM6"), behindServer.endA(), bytes, "ser2net RFC 2217");
    std::printf("raw TCP / local pty: %.2f   RFC 2217 / local pty: %.2f\n", tcp / pty, rfc / pty);

    // Idle: an open raw port on which nothing arrives, the event loop running.
    SerialSettings settings = SerialSettings::receiveWindowDesign();
    settings.portName = QStringLiteral("COM5");
    SerialPort idle(settings);
    idle.open();
    const double cpu0 = processCpuSeconds();
    const Clock::time_point start = Clock::now();
    QTimer::singleShot(idleSeconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    const double cpu = processCpuSeconds() - cpu0;
    const double wall = seconds(Clock::now() - start);
    std::printf("idle tcp:// port open %.1f s: %.4f s CPU = %.3f%% of a core\n", wall, cpu, cpu / wall * 100.0);
    idle.close();
    return 0;
}
