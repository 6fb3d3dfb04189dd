// Uploads and downloads one large file with FtpClient and with the curl command
// line against the same pyftpdlib server on loopback, in the same run, and prints
// the throughput of each and their ratio. Each measured job is whole: connect,
// log in, transfer, close, as curl does it.
//
//   bench_ftp [megabytes=100] [rounds=3]
//
// With "live", an upload to a server that reads slowly instead: how long the
// caller's events and the progress reports paused at most, and how soon a
// Cancel stopped a second such upload.
//
//   bench_ftp live [kilobytes=300] [server KB/s=10]

#include "FtpTestServer.h"
#include "platform/ftp/FtpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <sys/resource.h>

namespace {

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_ftp: %s\n", qPrintable(what));
    std::exit(1);
}

void writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    QList<quint32> block(1 << 18);
    QRandomGenerator generator(42);
    for (qint64 written = 0; written < size;) {
        generator.fillRange(block.data(), block.size());
        const qint64 n = std::min<qint64>(size - written, block.size() * 4);
        file.write(reinterpret_cast<const char *>(block.constData()), n);
        written += n;
    }
}

double seconds(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// Processor time (user + system) of this process or of its finished children:
// on a shared machine a steadier measure of the client's own cost than the clock.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Job
{
    double seconds = 0;
    double cpu = 0;
};

FtpClient *newClient(const FtpTestServer &server)
{
    auto *client = new FtpClient;
    client->setHost(QStringLiteral("127.0.0.1"));
    client->setPort(server.port());
    client->setUser(FtpTestServer::user());
    client->setPassword(FtpTestServer::password());
    return client;
}

Job clientJob(const FtpTestServer &server, bool upload, const QString &local, const QString &remote)
{
    std::unique_ptr<FtpClient> client(newClient(server));
    const double cpu = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    try {
        client->connectToHost();
        client->setTransferType(FtpClient::TransferType::Binary);
        if (upload)
            client->put(local, remote);
        else
            client->get(remote, local);
        client->disconnectFromHost();
    } catch (const Error &e) {
        fail(e.message());
    }
    return {seconds(clock), cpuSeconds(RUSAGE_SELF) - cpu};
}

Job curlJob(const FtpTestServer &server, bool upload, const QString &local, const QString &remote)
{
    const QString url = QStringLiteral("ftp://%1:%2@127.0.0.1:%3/%4")
                            .arg(FtpTestServer::user(), FtpTestServer::password())
                            .arg(server.port())
                            .arg(remote);
    QStringList args{QStringLiteral("-s"), QStringLiteral("-S"), QStringLiteral("-4"), QStringLiteral("--noproxy"),
                     QStringLiteral("*"), QStringLiteral("--ftp-port"), QStringLiteral("-"),
                     QStringLiteral("--disable-eprt")};
    args << (upload ? QStringLiteral("-T") : QStringLiteral("-o")) << local << url;
    const double cpu = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    QProcess curl;
    curl.start(QStringLiteral("curl"), args);
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0)
        fail(QStringLiteral("curl failed: ") + QString::fromLocal8Bit(curl.readAllStandardError()));
    return {seconds(clock), cpuSeconds(RUSAGE_CHILDREN) - cpu};
}

void expectSize(const QString &path, qint64 size)
{
    if (QFileInfo(path).size() != size)
        fail(QStringLiteral("%1 has %2 bytes, expected %3").arg(path).arg(QFileInfo(path).size()).arg(size));
}

int liveUpload(const QStringList &args)
{
    const qint64 size = (args.size() > 2 ? args[2].toLongLong() : 300) * 1024;
    const int rate = (args.size() > 3 ? args[3].toInt() : 10) * 1024;
    QTemporaryDir served;
    QTemporaryDir local;
    if (!served.isValid() || !local.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString source = local.filePath(QStringLiteral("source.bin"));
    writeRandomFile(source, size);
    FtpTestServer server(served.path(), {QStringLiteral("--read-limit"), QString::number(rate)});
    QString error;
    if (!server.start(&error))
        fail(error);

    std::printf("Upload of %lld KB to a server reading %d KB/s (pyftpdlib, 127.0.0.1)\n", size / 1024, rate / 1024);
    for (const bool cancel : {false, true}) {
        std::unique_ptr<FtpClient> client(newClient(server));
        QElapsedTimer clock;
        qint64 lastTick = 0, longestTick = 0, lastWork = 0, longestWork = 0, cancelAt = -1;
        int ticks = 0, works = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longestTick = std::max(longestTick, now - lastTick);
            lastTick = now;
            ++ticks;
        });
        QObject::connect(client.get(), &FtpClient::work, [&](FtpClient::WorkMode, qint64) {
            const qint64 now = clock.elapsed();
            longestWork = std::max(longestWork, now - lastWork);
            lastWork = now;
            ++works;
        });
        if (cancel)
            QTimer::singleShot(2000, client.get(), [&] {
                cancelAt = clock.elapsed();
                client->abort();
            });
        bool aborted = false;
        try {
            client->connectToHost();
            client->setTransferType(FtpClient::TransferType::Binary);
            clock.start();
            ticker.start(100);
            client->put(source, QStringLiteral("up.bin"));
        } catch (const FtpAborted &) {
            aborted = true;
        } catch (const Error &e) {
            fail(e.message());
        }
        const qint64 total = clock.elapsed();
        ticker.stop();
        if (!cancel) {
            expectSize(served.filePath(QStringLiteral("up.bin")), size);
            std::printf("whole upload: %.1f s, 100 ms timer fired %d times, longest pause %lld ms; "
                        "%d progress reports, longest pause %lld ms\n",
                        double(total) / 1000, ticks, longestTick, works, longestWork);
        } else {
            if (!aborted)
                fail(QStringLiteral("the cancelled upload was not cancelled"));
            std::printf("Cancel at %.1f s: the upload returned %lld ms later\n", double(cancelAt) / 1000,
                        total - cancelAt);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1] == QLatin1String("live"))
        return liveUpload(args);
    const qint64 megabytes = args.size() > 1 ? args[1].toLongLong() : 100;
    const int rounds = args.size() > 2 ? args[2].toInt() : 3;
    const qint64 size = megabytes * 1024 * 1024;

    QTemporaryDir served;
    QTemporaryDir local;
    if (!served.isValid() || !local.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString source = local.filePath(QStringLiteral("source.bin"));
    writeRandomFile(source, size);

    if (!QFile::copy(source, served.filePath(QStringLiteral("source.bin"))))
        fail(QStringLiteral("cannot copy the test file"));

    FtpTestServer server(served.path());
    QString error;
    if (!server.start(&error))
        fail(error);

    std::printf("FTP transfer of %lld MB on 127.0.0.1 (pyftpdlib, active mode), %d rounds, best round counts\n",
                megabytes, rounds);
    std::printf("%-6s %-9s %12s %12s %12s %12s\n", "round", "job", "FtpClient", "curl", "client CPU", "curl CPU");
    Job bestOurs[2] = {{1e9, 1e9}, {1e9, 1e9}};
    Job bestCurl[2] = {{1e9, 1e9}, {1e9, 1e9}};
    for (int round = 1; round <= rounds; ++round) {
        for (int job = 0; job < 2; ++job) {
            const bool upload = job == 0;
            // Who goes first alternates, so neither profits from a warmer cache.
            const bool oursFirst = round % 2 == 1;
            Job ours, theirs;
            const auto runOurs = [&] {
                ours = upload ? clientJob(server, true, source, QStringLiteral("ours.bin"))
                              : clientJob(server, false, local.filePath(QStringLiteral("ours-down.bin")),
                                          QStringLiteral("source.bin"));
                expectSize(upload ? served.filePath(QStringLiteral("ours.bin"))
                                  : local.filePath(QStringLiteral("ours-down.bin")),
                           size);
            };
            const auto runCurl = [&] {
                theirs = upload ? curlJob(server, true, source, QStringLiteral("curl.bin"))
                                : curlJob(server, false, local.filePath(QStringLiteral("curl-down.bin")),
                                          QStringLiteral("source.bin"));
                expectSize(upload ? served.filePath(QStringLiteral("curl.bin"))
                                  : local.filePath(QStringLiteral("curl-down.bin")),
                           size);
            };
            if (oursFirst) {
                runOurs();
                runCurl();
            } else {
                runCurl();
                runOurs();
            }
            bestOurs[job].seconds = std::min(bestOurs[job].seconds, ours.seconds);
            bestOurs[job].cpu = std::min(bestOurs[job].cpu, ours.cpu);
            bestCurl[job].seconds = std::min(bestCurl[job].seconds, theirs.seconds);
            bestCurl[job].cpu = std::min(bestCurl[job].cpu, theirs.cpu);
            std::printf("%-6d %-9s %7.1f MB/s %7.1f MB/s %10.3f s %10.3f s\n", round, upload ? "upload" : "download",
                        megabytes / ours.seconds, megabytes / theirs.seconds, ours.cpu, theirs.cpu);
        }
    }
    std::printf("\nBest of %d rounds (throughput ratio: FtpClient / curl; CPU ratio: curl / FtpClient)\n", rounds);
    std::printf("%-9s %12s %12s %7s %12s %12s %7s\n", "job", "FtpClient", "curl", "ratio", "client CPU", "curl CPU",
                "ratio");
    for (int job = 0; job < 2; ++job)
        std::printf("%-9s %7.1f MB/s %7.1f MB/s %6.0f%% %10.3f s %10.3f s %6.0f%%\n", job == 0 ? "upload" : "download",
                    megabytes / bestOurs[job].seconds, megabytes / bestCurl[job].seconds,
                    100.0 * bestCurl[job].seconds / bestOurs[job].seconds, bestOurs[job].cpu, bestCurl[job].cpu,
                    100.0 * bestCurl[job].cpu / bestOurs[job].cpu);
    return 0;
}
