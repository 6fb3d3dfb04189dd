// What verification costs a transfer, measured against the same transfer without it in
// the same run, and what recording a transfer in the journal costs.
//
//   bench_journal [megabytes=100] [rounds=3]
//
// Directory: FileCopier copies a file of that size into another folder (written to a
// temporary name, synced, renamed), without and with the read-back (the source hashed as
// it is read, the copy read again and hashed). FTP: against a pyftpdlib server on
// loopback, the send (FtpSend::send) without and with the verification (SIZE, the file
// downloaded again into a hash), and a plain download of the same file for comparison.
// Journal: 1,000 entries recorded one by one into a SQLite journal, as 1,000 transfers
// would.

#include "FtpTestServer.h"
#include "files/FileCopier.h"
#include "journal/JournalRecorder.h"
#include "journal/ProgramHash.h"
#include "platform/Sha256.h"
#include "platform/ftp/FtpClient.h"
#include "transfer/FtpSend.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_journal: %s\n", qPrintable(what));
    std::exit(1);
}

void writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    QList<quint32> block(1 << 18);
    QRandomGenerator generator(7);
    for (qint64 written = 0; written < size;) {
        generator.fillRange(block.data(), block.size());
        const qint64 n = std::min<qint64>(size - written, block.size() * 4);
        file.write(reinterpret_cast<const char *>(block.constData()), n);
        written += n;
    }
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figure
{
    double wall = 0;
    double cpu = 0;
};

template <typename Job>
Figure measure(Job job)
{
    QElapsedTimer clock;
    const double cpu0 = cpuSeconds();
    clock.start();
    job();
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpu0};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class NullDevice : public QIODevice
{
public:
    NullDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override { return len; }
};

FtpClient *newClient(const FtpTestServer &server)
{
    auto *client = new FtpClient;
    client->setHost(QStringLiteral("127.0.0.1"));
    client->setPort(server.port());
    client->setUser(FtpTestServer::user());
    client->setPassword(FtpTestServer::password());
    client->connectToHost();
    client->setTransferType(FtpClient::TransferType::Binary);
    return client;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 3;
    const qint64 size = megabytes << 20;
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench_journal-XXXXXX"));
    const QString source = dir.filePath(QStringLiteral("program.nc"));
    writeRandomFile(source, size);
    QDir(dir.path()).mkpath(QStringLiteral("machine"));
    QDir(dir.path()).mkpath(QStringLiteral("ftp"));

    {
        QByteArray data(64 << 20, 'x');
        const Figure q = measure([&] { QCryptographicHash::hash(data, QCryptographicHash::Sha256); });
        const Figure o = measure([&] { Sha256::hexOf(data); });
        std::printf("SHA-256: Sha256 %.0f MB/s, QCryptographicHash %.0f MB/s\n", 64.0 / o.wall, 64.0 / q.wall);
    }

    // Directory.
    std::vector<double> plain, verified, plainCpu, verifiedCpu;
    const QString target = dir.filePath(QStringLiteral("machine/program.nc"));
    for (int r = 0; r < rounds; ++r) {
        for (int verify = 0; verify < 2; ++verify) {
            // Alternating, so a change of the machine's load falls on both.
            const bool on = (r % 2 == 0) ? verify == 1 : verify == 0;
            QFile::remove(target);
            FileCopier copier;
            copier.setVerify(on);
            FileCopier::Outcome outcome = FileCopier::Outcome::Failed;
            const Figure f = measure([&] { outcome = copier.copy(source, target); });
            if (outcome != FileCopier::Outcome::Copied)
                fail(QStringLiteral("copy: ") + copier.errorString());
            (on ? verified : plain).push_back(f.wall);
            (on ? verifiedCpu : plainCpu).push_back(f.cpu);
            std::printf("directory %3lld MB %-9s %.3f s (CPU %.3f s)\n", megabytes, on ? "verified" : "plain", f.wall, f.cpu);
        }
    }
    std::printf("directory: median plain %.3f s, verified %.3f s: verification adds %.1f%% (CPU %.3f -> %.3f s)\n",
                median(plain), median(verified), 100.0 * (median(verified) / median(plain) - 1.0), median(plainCpu),
                median(verifiedCpu));

    // FTP.
    FtpTestServer server(dir.filePath(QStringLiteral("ftp")));
    QString error;
    if (!server.start(&error))
        fail(error);
    std::vector<double> send, sendVerified, download, toFile;
    for (int r = 0; r < rounds; ++r) {
        std::unique_ptr<FtpClient> client(newClient(server));
        FtpSend::Cleanup cleanup;
        const Figure s = measure([&] { FtpSend::send(*client, source, QStringLiteral("plain.nc"), cleanup); });
        FtpSend::Sent sent;
        const Figure v = measure(
            [&] { FtpSend::sendAndVerify(*client, source, QStringLiteral("checked.nc"), true, cleanup, sent); });
        if (sent.check.result != FtpSend::Check::Verified)
            fail(QStringLiteral("the verified send was not verified"));
        // The download as the operator's receive does it, without a hash: into nothing.
        NullDevice sink;
        const Figure d = measure([&] { client->get(QStringLiteral("plain.nc"), &sink); });
        // And as a receive stores it: a whole file, synced, in place.
        const Figure f = measure([&] { client->get(QStringLiteral("plain.nc"), dir.filePath(QStringLiteral("received.nc"))); });
        toFile.push_back(f.wall);
        send.push_back(s.wall);
        sendVerified.push_back(v.wall);
        download.push_back(d.wall);
        std::printf("ftp %3lld MB send %.3f s, verified send %.3f s (adds %.3f s), one download %.3f s into "
                    "nothing, %.3f s into a file\n",
                    megabytes, s.wall, v.wall, v.wall - s.wall, d.wall, f.wall);
    }
    const double added = median(sendVerified) - median(send);
    std::printf("ftp: median send %.3f s, verified %.3f s: verification adds %.3f s = %.2f downloads into nothing "
                "(median %.3f s), %.2f downloads into a file (median %.3f s)\n",
                median(send), median(sendVerified), added, added / median(download), median(download),
                added / median(toFile), median(toFile));

    // Journal.
    {
        JournalStore::Location location;
        location.database = dir.filePath(QStringLiteral("journal.db"));
        JournalRecorder recorder(location);
        JournalEntry e;
        e.machineNumber = QStringLiteral("M-1");
        e.localPath = source;
        e.remote = QStringLiteral("ftp://op@127.0.0.1/nc/program.nc");
        e.bytes = size;
        e.sha256 = QString(64, QLatin1Char('0'));
        std::vector<double> each;
        for (int i = 0; i < 1000; ++i) {
            const Figure f = measure([&] {
                if (!recorder.record(e))
                    fail(recorder.lastError());
            });
            each.push_back(f.wall * 1000.0);
        }
        std::printf("journal: one entry recorded in median %.2f ms, slowest %.2f ms (1,000 entries)\n", median(each),
                    *std::max_element(each.begin(), each.end()));
    }
    return 0;
}
