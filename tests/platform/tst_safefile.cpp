#include "FaultInjection.h"
#include "TestSupport.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using TestSupport::readBytes;
using TestSupport::writeBytes;

class tst_SafeFile : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void streamedWriteFailsOnTheChunkThatDidNotFit();
    void replacedFileKeepsModeAndOwner();
    void symbolicLinkStaysALink();
    void fifoIsFedNotReplaced();
    void deviceIsFedNotReplaced();
    void folderWithoutWriteRightFallsBackToWritingInPlace();
    void inPlaceWriteThatFailsPutsTheOldBytesBack();
    void cancelKeepsTheOldFile();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList leftovers() const
    {
        return QDir(m_dir.path()).entryList(QStringList{QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
    }
};

void tst_SafeFile::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("limit");
    // Up to 16 KiB a write only fills a buffer whose flush used to go unchecked.
    QTest::newRow("small program, no room at all") << 9875 << 0;
    QTest::newRow("small program, 4 KiB of room") << 9875 << 4096;
    QTest::newRow("large program cut in its last 16 KiB") << 300000 << 290000;
}

void tst_SafeFile::fullDiskKeepsTheOldFile()
{
    QFETCH(int, size);
    QFETCH(int, limit);
    const QString target = path(QStringLiteral("full-%1-%2.nc").arg(size).arg(limit));
    writeBytes(target, "%\nO1000 (OLD PROGRAM)\nG00 X0 Y0\n%\n");
    const QByteArray program(size, 'G');
    const QByteArray report = FaultInjection::runWithFileSizeLimit(rlim_t(limit), [&] {
        QString reason;
        const bool ok = SafeFile::write(target, program, &reason);
        return (ok ? QByteArray("true:") : QByteArray("false:")) + reason.toUtf8();
    });
    QCOMPARE(report, QByteArray("false:File too large"));
    QCOMPARE(readBytes(target), QByteArray("%\nO1000 (OLD PROGRAM)\nG00 X0 Y0\n%\n"));
    QCOMPARE(leftovers(), QStringList());
}

void tst_SafeFile::streamedWriteFailsOnTheChunkThatDidNotFit()
{
    const QString target = path(QStringLiteral("stream.nc"));
    writeBytes(target, "OLD");
    const QByteArray report = FaultInjection::runWithFileSizeLimit(100000, [&] {
        SafeFile::Writer writer(target);
        QString reason;
        if (!writer.open(&reason))
            return "open:" + reason.toUtf8();
        const QByteArray chunk(30000, 'X');
        int chunks = 0;
        while (chunks < 10 && writer.write(chunk) == chunk.size())
            ++chunks;
        const bool committed = writer.commit(&reason);
        return QByteArray::number(chunks) + ':' + (committed ? "committed" : "refused") + ':' + reason.toUtf8();
    });
    QCOMPARE(report, QByteArray("3:refused:File too large"));
    QCOMPARE(readBytes(target), QByteArray("OLD"));
    QCOMPARE(leftovers(), QStringList());
}

void tst_SafeFile::replacedFileKeepsModeAndOwner()
{
    const QString target = path(QStringLiteral("owned.nc"));
    writeBytes(target, "OLD");
    QVERIFY(::chmod(QFile::encodeName(target).constData(), 0640) == 0);
    const bool root = ::geteuid() == 0;
    if (root)
        QVERIFY(::chown(QFile::encodeName(target).constData(), 12345, 23456) == 0);
    QString reason;
    QVERIFY2(SafeFile::write(target, "NEW", &reason), qPrintable(reason));
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    if (root) {
        QCOMPARE(int(st.st_uid), 12345);
        QCOMPARE(int(st.st_gid), 23456);
    }
    QCOMPARE(readBytes(target), QByteArray("NEW"));

    // A new file gets what the umask allows, not the temporary file's private mode.
    const QString fresh = path(QStringLiteral("fresh.nc"));
    const mode_t mask = ::umask(022);
    QVERIFY(SafeFile::write(fresh, "N1", &reason));
    ::umask(mask);
    QVERIFY(::stat(QFile::encodeName(fresh).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), 0644);
}

void tst_SafeFile::symbolicLinkStaysALink()
{
    const QString real = path(QStringLiteral("real.nc"));
    const QString link = path(QStringLiteral("link.nc"));
    writeBytes(real, "OLD");
    QVERIFY(QFile::link(real, link));
    QString reason;
    QVERIFY2(SafeFile::write(link, "NEW", &reason), qPrintable(reason));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(real), QByteArray("NEW"));
}

void tst_SafeFile::fifoIsFedNotReplaced()
{
    const QString fifo = path(QStringLiteral("pipe"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QByteArray received;
    std::thread reader([&] {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY);
        char buffer[256];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, int(n));
        ::close(fd);
    });
    QString reason;
    const bool ok = SafeFile::write(fifo, "G01 X1\n", &reason);
    reader.join();
    QVERIFY2(ok, qPrintable(reason));
    QCOMPARE(received, QByteArray("G01 X1\n"));
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

void tst_SafeFile::deviceIsFedNotReplaced()
{
    // A private copy of the null device, so nothing outside the test folder is touched.
    const QString node = path(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("device nodes can be made only with the right to do so");
    QString reason;
    QVERIFY2(SafeFile::write(node, "G01 X1\n", &reason), qPrintable(reason));
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(node).constData(), &st) == 0);
    QVERIFY(S_ISCHR(st.st_mode));
    QCOMPARE(leftovers(), QStringList());
}

// An installation folder that belongs to someone else, with a settings file
// writable by all: the temporary file cannot be made beside it.
void tst_SafeFile::folderWithoutWriteRightFallsBackToWritingInPlace()
{
    QTemporaryDir outer;
    QVERIFY(::chmod(QFile::encodeName(outer.path()).constData(), 0755) == 0);
    const QString folder = outer.filePath(QStringLiteral("opt"));
    QVERIFY(QDir().mkdir(folder));
    const QString ini = folder + QStringLiteral("/Zavrin.ini");
    writeBytes(ini, "[LANGUAGE]\r\nVALUE=EN\r\n[DIRBD]\r\nVALUE=demo/machines.db\r\n");
    QVERIFY(::chmod(QFile::encodeName(ini).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);

    const auto asOtherUser = [&](SafeFile::Options options, const QByteArray &bytes) {
        return FaultInjection::runWithFileSizeLimit(RLIM_INFINITY, [&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return QByteArray("cannot drop rights");
            QString reason;
            const bool ok = SafeFile::write(ini, bytes, &reason, options);
            return (ok ? QByteArray("true:") : QByteArray("false:")) + reason.toUtf8();
        });
    };
    QCOMPARE(asOtherUser({}, "[LANGUAGE]\r\nVALUE=DE\r\n"), QByteArray("false:Permission denied"));
    SafeFile::Options fallback;
    fallback.directFallback = true;
    QCOMPARE(asOtherUser(fallback, "[LANGUAGE]\r\nVALUE=DE\r\n"), QByteArray("true:"));
    QCOMPARE(readBytes(ini), QByteArray("[LANGUAGE]\r\nVALUE=DE\r\n"));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void tst_SafeFile::inPlaceWriteThatFailsPutsTheOldBytesBack()
{
    QTemporaryDir outer;
    QVERIFY(::chmod(QFile::encodeName(outer.path()).constData(), 0755) == 0);
    const QString folder = outer.filePath(QStringLiteral("opt"));
    QVERIFY(QDir().mkdir(folder));
    const QString ini = folder + QStringLiteral("/ZavrinEditCNC.ini");
    const QByteArray old = "[FONT]\r\nNAME=DejaVu Sans Mono\r\nSIZE=10\r\n";
    writeBytes(ini, old);
    QVERIFY(::chmod(QFile::encodeName(ini).constData(), 0666) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    const QByteArray report = FaultInjection::runWithFileSizeLimit(4096, [&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return QByteArray("cannot drop rights");
        SafeFile::Options fallback;
        fallback.directFallback = true;
        QString reason;
        const bool ok = SafeFile::write(ini, QByteArray(10000, 'C'), &reason, fallback);
        return (ok ? QByteArray("true:") : QByteArray("false:")) + reason.toUtf8();
    });
    QCOMPARE(report, QByteArray("false:File too large"));
    QCOMPARE(readBytes(ini), old);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

void tst_SafeFile::cancelKeepsTheOldFile()
{
    const QString target = path(QStringLiteral("cancel.nc"));
    writeBytes(target, "OLD");
    {
        SafeFile::Writer writer(target);
        QString reason;
        QVERIFY(writer.open(&reason));
        QCOMPARE(writer.write("NEW NEW NEW"), qint64(11));
        writer.cancel();
    }
    {
        SafeFile::Writer dropped(target); // never committed: dropped with the object
        QString reason;
        QVERIFY(dropped.open(&reason));
        dropped.write("HALF");
    }
    QCOMPARE(readBytes(target), QByteArray("OLD"));
    QCOMPARE(leftovers(), QStringList());
}

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_safefile.moc"
