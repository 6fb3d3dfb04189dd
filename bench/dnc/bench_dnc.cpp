// One zavrin-dnc process with N machines on automatic receive (N socat pty pairs), every control
// punching out a program of SIZE KB at the same moment: are all files byte-exact, and how much
// processor time does the service take? Baseline in the same run: N `cat` processes reading the
// same ptys into files (the least a reader can do).
//
// Usage: bench_dnc [MACHINES=32] [KB=100] [ROUNDS=3] [pty|ser2net]
// With "ser2net" the service reaches every pty through one ser2net in raw TCP mode
// (tcp://127.0.0.1:PORT per machine), as a shop's device server would stand in front of the controls.

#include "DncFixture.h"
#include "serial/Ser2NetServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Processor time of a process in seconds (the scheduler's nanosecond count, so a short-lived
// reader is not rounded to zero clock ticks).
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().split(' ').value(0).toDouble() / 1e9;
}

QByteArray program(int machine, int kb)
{
    QByteArray p = "%\r\nO" + QByteArray::number(1000 + machine) + " (BENCH " + QByteArray::number(machine) + ")\r\n";
    int n = 10;
    while (p.size() < kb * 1024 - 16) {
        p += 'N' + QByteArray::number(n) + " G1 X" + QByteArray::number((n * 7 + machine) % 1000) + '.'
             + QByteArray::number(n % 1000) + " Y-" + QByteArray::number((n * 3) % 500) + ".25 F" + QByteArray::number(100 + machine)
             + "\r\n";
        n += 10;
    }
    return p + "M30\r\n%";
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Every control writes its program at once; returns when all bytes are handed to the ptys.
void punchAll(DncFixture &fx, const std::vector<QByteArray> &programs)
{
    for (int i = 0; i < fx.count(); ++i)
        fx.machine(i).control->write(programs.at(size_t(i)) + "\r\n");
    waitFor([&] {
        for (int i = 0; i < fx.count(); ++i)
            if (fx.machine(i).control->bytesToWrite() > 0)
                return false;
        return true;
    }, 120000);
}

// Every round stores the same programs again: the first copy is O1000.nc, the next O1000-2.nc.
QString storedFile(DncFixture &fx, int machine, int round)
{
    return fx.machine(machine).folder + QStringLiteral("/O%1").arg(1000 + machine)
           + (round == 1 ? QStringLiteral(".nc") : QStringLiteral("-%1.nc").arg(round));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int machines = argc > 1 ? atoi(argv[1]) : 32;
    const int kb = argc > 2 ? atoi(argv[2]) : 100;
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    const QString service = QStringLiteral(ZAVRIN_RUN_DIR "/zavrin-dnc");

    const bool viaServer = argc > 4 && QByteArray(argv[4]) == "ser2net";
    DncFixture fx;
    Ser2NetServer server; // declared after the fixture: it ends before the ptys do
    const DncFixture::PortMapper throughServer = [&](QStringList &ports, QString *why) {
        for (const QString &device : ports)
            server.addConnection(device, Ser2NetServer::Mode::Raw, QStringLiteral("115200n81,local"));
        if (!server.start(fx.path(QStringLiteral("ser2net")), why))
            return false;
        for (int i = 0; i < ports.size(); ++i)
            ports[i] = server.url(i);
        return true;
    };
    QString error;
    if (viaServer)
        QDir().mkpath(fx.path(QStringLiteral("ser2net")));
    if (!fx.make(machines, &error, false, viaServer ? throughServer : DncFixture::PortMapper()) || !fx.openControls(&error)) {
        std::fprintf(stderr, "set-up failed: %s\n", qPrintable(error));
        return 1;
    }
    std::vector<QByteArray> programs;
    for (int i = 0; i < machines; ++i)
        programs.push_back(program(i, kb));
    std::printf("%d machines on socat pty pairs%s, %d KB each (%.1f MB in all), %d rounds\n", machines,
                viaServer ? " behind ser2net (raw TCP)" : "", kb,
                machines * double(programs.front().size()) / 1e6, rounds);

    for (int round = 1; round <= rounds; ++round) {
        // Baseline: cat reads each pty into a file.
        const QString catDir = fx.path(QStringLiteral("cat%1").arg(round));
        QDir().mkpath(catDir);
        std::vector<std::unique_ptr<QProcess>> cats;
        for (int i = 0; i < machines; ++i) {
            auto c = std::make_unique<QProcess>();
            c->setStandardOutputFile(catDir + QStringLiteral("/%1").arg(i));
            c->start(QStringLiteral("cat"), {fx.machine(i).pty->endA()});
            c->waitForStarted();
            cats.push_back(std::move(c));
        }
        QThread::msleep(300);
        QElapsedTimer wall;
        wall.start();
        punchAll(fx, programs);
        const qint64 want = programs.front().size();
        waitFor([&] {
            for (int i = 0; i < machines; ++i)
                if (QFileInfo(catDir + QStringLiteral("/%1").arg(i)).size() < want)
                    return false;
            return true;
        }, 120000);
        const double catWall = wall.nsecsElapsed() / 1e9;
        double catCpu = 0;
        for (auto &c : cats)
            catCpu += cpuSeconds(c->processId());
        for (auto &c : cats) {
            c->kill();
            c->waitForFinished();
        }

        // The service.
        QProcess dnc;
        QByteArray log;
        QObject::connect(&dnc, &QProcess::readyReadStandardError, [&] { log += dnc.readAllStandardError(); });
        dnc.start(service, {QStringLiteral("--ini"), fx.iniPath()});
        if (!dnc.waitForStarted() || !waitFor([&] { return log.count("listens on the port") == machines; }, 30000)) {
            std::fprintf(stderr, "zavrin-dnc did not start listening:\n%s\n", log.constData());
            return 1;
        }
        const double cpuBefore = cpuSeconds(dnc.processId());
        wall.restart();
        punchAll(fx, programs);
        const bool all = waitFor([&] {
            for (int i = 0; i < machines; ++i)
                if (!QFileInfo::exists(storedFile(fx, i, round)))
                    return false;
            return true;
        }, 120000);
        const double dncWall = wall.nsecsElapsed() / 1e9;
        const double dncCpu = cpuSeconds(dnc.processId()) - cpuBefore;
        int exact = 0;
        for (int i = 0; i < machines; ++i) {
            QFile f(storedFile(fx, i, round));
            if (f.open(QIODevice::ReadOnly) && f.readAll() == programs.at(size_t(i)))
                ++exact;
        }
        ::kill(pid_t(dnc.processId()), SIGTERM);
        dnc.waitForFinished(10000);
        std::printf("round %d: zavrin-dnc %s, %d/%d files byte-exact, %.2f s wall, CPU %.2f s = %.2f cores"
                    " | cat baseline %.2f s wall, CPU %.2f s = %.2f cores | CPU ratio %.1f\n",
                    round, all ? "stored all" : "MISSED SOME", exact, machines, dncWall, dncCpu, dncCpu / dncWall,
                    catWall, catCpu, catCpu / catWall, catCpu > 0 ? dncCpu / catCpu : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
