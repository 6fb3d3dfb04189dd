// zavrin-cnc under faults of the machine: a disk that fills while the result is
// written, and a memory limit too small for the input. Every case must end with
// exit status 1, the real reason on standard error, and the files as they were.
#include "FaultInjection.h"
#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList &arguments, const std::function<void()> &inChild = {})
{
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), arguments);
    if (!process.waitForFinished(120000))
        qFatal("zavrin-cnc does not finish");
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

QByteArray program(int lines)
{
    QByteArray bytes;
    for (int i = 0; i < lines; ++i)
        bytes += "N" + QByteArray::number(i * 10) + " G01 X" + QByteArray::number(i) + ".5 Y2\r\n";
    return bytes;
}

} // namespace

class TestCliFault : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void fullDiskOnStandardOutput();
    void memoryLimitWritesNothing();
    void spoolWithoutTemporaryFolder_data();
    void spoolWithoutTemporaryFolder();
};

void TestCliFault::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("target");
    // A result smaller than Qt's 16 KiB write buffer only fails at the last
    // flush; a larger one fails part-way.
    for (const int lines : {500, 2000}) {
        for (const char *target : {"in place", "output exists", "output new"}) {
            const QByteArray name = QByteArray::number(lines) + " lines, " + target;
            QTest::newRow(name.constData()) << lines << QString::fromLatin1(target);
        }
    }
}

void TestCliFault::fullDiskKeepsTheOldFile()
{
    QFETCH(int, lines);
    QFETCH(QString, target);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    const QString out = dir.filePath(QStringLiteral("P2.NC"));
    const QByteArray original = program(lines);
    const QByteArray oldOutput("N1 G00 X0\r\n");
    QVERIFY(original.size() > 4096);
    TestSupport::writeBytes(in, original);
    if (target == QLatin1String("output exists"))
        TestSupport::writeBytes(out, oldOutput);

    QStringList arguments{QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), in};
    const QString written = target == QLatin1String("in place") ? in : out;
    if (target == QLatin1String("in place"))
        arguments << QStringLiteral("--in-place");
    else
        arguments << QStringLiteral("-o") << out;
    const Result r = runCli(arguments, [] { FaultInjection::limitFileSize(4096); });

    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(QString::fromLocal8Bit(r.err),
             QStringLiteral("zavrin-cnc: cannot write %1: File too large\n").arg(written));
    QCOMPARE(TestSupport::readBytes(in), original);
    if (target == QLatin1String("output exists"))
        QCOMPARE(TestSupport::readBytes(out), oldOutput);
    const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left.size(), target == QLatin1String("output exists") ? 2 : 1);
}

void TestCliFault::fullDiskOnStandardOutput()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, program(2000));
    QProcess process;
    process.setStandardOutputFile(dir.filePath(QStringLiteral("OUT.NC")));
    FaultInjection::limitFileSize(process, 4096);
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), {QStringLiteral("translate"), QStringLiteral("--x"),
                                                    QStringLiteral("1"), in});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(process.readAllStandardError(), QByteArray("zavrin-cnc: cannot write standard output: File too large\n"));
}

void TestCliFault::memoryLimitWritesNothing()
{
    // One line of 50 MB under a 300 MB address-space limit: the program's
    // libraries fit, a few copies of the line do not.
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("LONG.NC"));
    const QString out = dir.filePath(QStringLiteral("OUT.NC"));
    QByteArray line("G01 X");
    line += QByteArray(50 * 1024 * 1024, '1');
    TestSupport::writeBytes(in, line);
    const auto limitMemory = [] {
        struct rlimit limit = {300ul << 20, 300ul << 20};
        ::setrlimit(RLIMIT_AS, &limit);
        // No core file for a test that may abort.
        struct rlimit noCore = {0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
    };
    for (const QStringList &tool : {QStringList{QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1")},
                                    QStringList{QStringLiteral("addchar"), QStringLiteral("--text"),
                                                QStringLiteral(";"), QStringLiteral("--end")}}) {
        const Result r = runCli(tool + QStringList{in, QStringLiteral("-o"), out}, limitMemory);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.err.startsWith("zavrin-cnc: not enough memory"), r.err.left(300).constData());
        QVERIFY(!QFile::exists(out));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("LONG.NC")});
        QCOMPARE(QFileInfo(in).size(), line.size());
    }
}

void TestCliFault::spoolWithoutTemporaryFolder_data()
{
    // A result for standard output beyond the spool's memory goes to a
    // temporary file; when there is none to be had (a missing folder, or one
    // that fills), it stays in memory and the result is still whole.
    QTest::addColumn<bool>("missingFolder");
    QTest::addColumn<int>("limit"); // file-size limit, 0 for none
    QTest::newRow("missing temporary folder") << true << 0;
    QTest::newRow("temporary folder fills, output unlimited") << false << 6 * 1024 * 1024;
}

void TestCliFault::spoolWithoutTemporaryFolder()
{
    QFETCH(bool, missingFolder);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, program(300000)); // about 8 MB
    const QString out = dir.filePath(QStringLiteral("OUT.NC"));
    const QString temporary = dir.filePath(missingFolder ? QStringLiteral("none") : QStringLiteral("tmp"));
    if (!missingFolder)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tmp")));

    // The reference: the same run with -o.
    const QString expectedFile = dir.filePath(QStringLiteral("EXPECTED.NC"));
    QCOMPARE(runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), in,
                     QStringLiteral("-o"), expectedFile}).exitCode, 0);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    // Standard output is a pipe: the limit then holds for the spool's file only.
    if (limit)
        FaultInjection::limitFileSize(process, rlim_t(limit));
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), {QStringLiteral("translate"), QStringLiteral("--x"),
                                                    QStringLiteral("1"), in});
    QVERIFY(process.waitForStarted());
    QByteArray output;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable()) {
        process.waitForReadyRead(1000);
        output += process.readAllStandardOutput();
    }
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(output.size(), QFileInfo(expectedFile).size());
    QVERIFY(output == TestSupport::readBytes(expectedFile));
    if (!missingFolder)
        QCOMPARE(QDir(temporary).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestCliFault)
#include "tst_cli_fault.moc"
