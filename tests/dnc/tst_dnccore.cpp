#include "TestSupport.h"

#include "dnc/ProgramSplitter.h"
#include "dnc/ProgramStore.h"
#include "dnc/ReceivedProgram.h"
#include "dnc/RemoteRequest.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

// How a received byte stream becomes stored programs: where programs end, what is stripped,
// what they are called, that nothing is ever replaced, and how requests are read.
class tst_DncCore : public QObject
{
    Q_OBJECT

private slots:
    void programsEnd_data();
    void programsEnd();
    void sameWhicheverWayTheBytesAreSplit();
    void leaderStripped_data();
    void leaderStripped();
    void programNumbers_data();
    void programNumbers();
    void unsafeNamesFallBack();
    void storeNeverReplaces();
    void storeFailureLeavesNothing();
    void requests_data();
    void requests();
    void requestedFileFound();
    void notFoundAnswerIsAProgram();
};

namespace {
// The stored bytes of every program the stream gives, with a silence at the end.
QList<QByteArray> split(const QByteArray &stream, bool strip = true, QList<bool> *marks = nullptr)
{
    ProgramSplitter s;
    QList<ProgramSplitter::Program> all = s.feed(stream);
    all += s.silence();
    QList<QByteArray> out;
    for (const auto &p : all) {
        const QByteArray b = ReceivedProgram::storedBytes(p, strip);
        if (!ReceivedProgram::hasContent(b))
            continue;
        out << b;
        if (marks)
            marks->append(p.endMark);
    }
    return out;
}
} // namespace

void tst_DncCore::programsEnd_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QByteArray>>("programs");
    QTest::addColumn<QList<bool>>("endMarks");

    const QByteArray a = "%\r\nO1000\r\nG0X1\r\nM30\r\n%";
    const QByteArray b = "%\r\nO2000\r\nG1X2F100\r\nM30\r\n%";
    QTest::newRow("two tapes back to back") << a + "\r\n" + b + "\r\n" << QList<QByteArray>{a, b} << QList<bool>{true, true};
    QTest::newRow("subprograms stay on their tape")
        << QByteArray("%\nO1\nM98P2\nM30\nO2\nG0X1\nM99\n%\n") << QList<QByteArray>{"%\nO1\nM98P2\nM30\nO2\nG0X1\nM99\n%"}
        << QList<bool>{true};
    QTest::newRow("M30 ends a program without tape marks")
        << QByteArray("O3\nG0X1\nM30\nO4\nG0X2\nM02\n") << QList<QByteArray>{"O3\nG0X1\nM30\n", "O4\nG0X2\nM02\n"}
        << QList<bool>{true, true};
    QTest::newRow("closing percent after M30 joins it")
        << QByteArray("O5\nM30\n\n%\nO6\nM2\n") << QList<QByteArray>{"O5\nM30\n\n%", "O6\nM2\n"} << QList<bool>{true, true};
    QTest::newRow("marks in comments do not count")
        << QByteArray("O7\n(M30 50% FEED)\nG0X1;M30 %\nM30\n") << QList<QByteArray>{"O7\n(M30 50% FEED)\nG0X1;M30 %\nM30\n"}
        << QList<bool>{true};
    QTest::newRow("M300 and M30.1 are no end")
        << QByteArray("O8\nM300\nM30.1\nG0X1\n") << QList<QByteArray>{"O8\nM300\nM30.1\nG0X1\n"} << QList<bool>{false};
    QTest::newRow("silence ends a program without a mark")
        << QByteArray("O9\nG0X1\nG0X2") << QList<QByteArray>{"O9\nG0X1\nG0X2"} << QList<bool>{false};
    QTest::newRow("leader alone is no program") << QByteArray(200, '\0') + "\r\n%\r\n" << QList<QByteArray>{} << QList<bool>{};
}

void tst_DncCore::programsEnd()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QByteArray>, programs);
    QFETCH(QList<bool>, endMarks);
    QList<bool> marks;
    QCOMPARE(split(stream, true, &marks), programs);
    QCOMPARE(marks, endMarks);
}

void tst_DncCore::sameWhicheverWayTheBytesAreSplit()
{
    QByteArray stream = QByteArray(30, '\0') + "%\r\nO1234 (PART)\r\nG0 X1 (50%)\r\nM30\r\n%\r\n" + QByteArray(10, '\0')
                        + "O77\nM 30\n%\n" + "O88\nG1X1\n";
    const QList<QByteArray> whole = split(stream);
    QCOMPARE(whole.size(), 3);
    for (int chunk : {1, 2, 3, 7}) {
        ProgramSplitter s;
        QList<ProgramSplitter::Program> all;
        for (int i = 0; i < stream.size(); i += chunk)
            all += s.feed(stream.mid(i, chunk));
        all += s.silence();
        QList<QByteArray> got;
        for (const auto &p : all)
            if (ReceivedProgram::hasContent(ReceivedProgram::storedBytes(p, true)))
                got << ReceivedProgram::storedBytes(p, true);
        QCOMPARE(got, whole);
    }
}

void tst_DncCore::leaderStripped_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("strip");
    QTest::addColumn<QByteArray>("stored");
    const QByteArray nul(40, '\0');
    QTest::newRow("NUL leader and trailer") << nul + "%\nO1\nM30\n%" + nul << true << QByteArray("%\nO1\nM30\n%");
    QTest::newRow("kept when off") << nul + "%\nO1\nM30\n%" << false << nul + "%\nO1\nM30\n%";
    QTest::newRow("NUL padding inside") << QByteArray("%\nO1\n\0\0G0X1\n\0M30\n%", 19) << true << QByteArray("%\nO1\nG0X1\nM30\n%");
    QTest::newRow("blanks and DEL before the first percent") << QByteArray("\x7f\x7f  \r\n%\nO2\nM30\n%") << true
                                                            << QByteArray("%\nO2\nM30\n%");
    QTest::newRow("no percent: leader off, line end of last block kept") << nul + "O3\nG0X1\nM30\r\n" << true
                                                                       << QByteArray("O3\nG0X1\nM30\r\n");
    QTest::newRow("bytes of every code kept") << QByteArray("%\nO4 (\xd8 \xb5 \x01)\nM30\n%") << true
                                              << QByteArray("%\nO4 (\xd8 \xb5 \x01)\nM30\n%");
}

void tst_DncCore::leaderStripped()
{
    QFETCH(QByteArray, stream);
    QFETCH(bool, strip);
    QFETCH(QByteArray, stored);
    QCOMPARE(split(stream, strip), QList<QByteArray>{stored});
}

void tst_DncCore::programNumbers_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QString>("number");
    QTest::newRow("O word") << QByteArray("%\r\nO1234\r\nG0X1\r\n") << QStringLiteral("O1234");
    QTest::newRow("leading zeros kept") << QByteArray("%\nO0012 (SHAFT)\n") << QStringLiteral("O0012");
    QTest::newRow("ISO colon") << QByteArray(":4711\nG0X1\n") << QStringLiteral("O4711");
    QTest::newRow("lower case") << QByteArray("o55\n") << QStringLiteral("O55");
    QTest::newRow("after a comment block") << QByteArray("%\n(MADE BY CAM)\nO66\n") << QStringLiteral("O66");
    QTest::newRow("no number") << QByteArray("%\nG0X1\nM30\n%") << QString();
    QTest::newRow("O later in the program") << QByteArray("N10G0X1\nO12\n") << QString();
    QTest::newRow("O without digits") << QByteArray("OX\n") << QString();
    QTest::newRow("too long for a number") << QByteArray("O1234567890\n") << QString();
}

void tst_DncCore::programNumbers()
{
    QFETCH(QByteArray, program);
    QFETCH(QString, number);
    QCOMPARE(ReceivedProgram::programNumber(program), number);
}

void tst_DncCore::unsafeNamesFallBack()
{
    const QDateTime at(QDate(2026, 3, 4), QTime(5, 6, 7));
    auto name = [&](const QString &number, const QString &pattern, const QString &ext) {
        return ReceivedProgram::nameFor(number, pattern, ext, at);
    };
    QCOMPARE(name(QStringLiteral("O1234"), QStringLiteral("%1"), QStringLiteral(".nc")).fileName, QStringLiteral("O1234.nc"));
    QCOMPARE(name(QStringLiteral("O1234"), QStringLiteral("LATHE-%1"), QStringLiteral(".tap")).fileName,
             QStringLiteral("LATHE-O1234.tap"));
    QCOMPARE(name(QString(), QStringLiteral("%1"), QStringLiteral(".nc")).fileName, QStringLiteral("PROGRAM-20260304-050607.nc"));
    for (const QString &pattern : {QStringLiteral("../%1"), QStringLiteral("/etc/%1"), QStringLiteral("a\\%1"),
                                   QStringLiteral("%1:x"), QStringLiteral("%1?")}) {
        const ReceivedProgram::Naming n = name(QStringLiteral("O7"), pattern, QStringLiteral(".nc"));
        QCOMPARE(n.fileName, QStringLiteral("O7.nc"));
        QVERIFY2(n.problem.contains(pattern), qPrintable(n.problem));
    }
    const ReceivedProgram::Naming badExt = name(QString(), QStringLiteral("%1"), QStringLiteral("./x"));
    QVERIFY(badExt.fileName.endsWith(QLatin1String(".nc")));
    QVERIFY(!badExt.problem.isEmpty());
}

void tst_DncCore::storeNeverReplaces()
{
    QTemporaryDir dir;
    QString error;
    TestSupport::writeBytes(dir.filePath(QStringLiteral("O1.nc")), "old program");
    const QString second = ProgramStore::storeNew(dir.path(), QStringLiteral("O1.nc"), "second", &error);
    QCOMPARE(second, dir.filePath(QStringLiteral("O1-2.nc")));
    const QString third = ProgramStore::storeNew(dir.path(), QStringLiteral("O1.nc"), "third", &error);
    QCOMPARE(third, dir.filePath(QStringLiteral("O1-3.nc")));
    QCOMPARE(TestSupport::readBytes(dir.filePath(QStringLiteral("O1.nc"))), QByteArray("old program"));
    QCOMPARE(TestSupport::readBytes(second), QByteArray("second"));
    QCOMPARE(TestSupport::readBytes(third), QByteArray("third"));
    // A name without an extension gets its number at the end; no temporary file is left.
    QCOMPARE(ProgramStore::storeNew(dir.path(), QStringLiteral("O1.nc"), "fourth", &error), dir.filePath(QStringLiteral("O1-4.nc")));
    TestSupport::writeBytes(dir.filePath(QStringLiteral("PROG")), "x");
    QCOMPARE(ProgramStore::storeNew(dir.path(), QStringLiteral("PROG"), "y", &error), dir.filePath(QStringLiteral("PROG-2")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 6);
}

void tst_DncCore::storeFailureLeavesNothing()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(ProgramStore::storeNew(dir.filePath(QStringLiteral("absent")), QStringLiteral("O1.nc"), "x", &error).isEmpty());
    QVERIFY2(error.contains(QLatin1String("absent")), qPrintable(error));
    if (::geteuid() == 0)
        QSKIP("root writes into read-only folders");
    const QString ro = dir.filePath(QStringLiteral("ro"));
    QDir().mkpath(ro);
    ::chmod(QFile::encodeName(ro).constData(), 0555);
    error.clear();
    QVERIFY(ProgramStore::storeNew(ro, QStringLiteral("O1.nc"), "x", &error).isEmpty());
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(ro).entryList(QDir::Files | QDir::Hidden).isEmpty());
    ::chmod(QFile::encodeName(ro).constData(), 0755);
}

void tst_DncCore::requests_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<bool>("isRequest");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<bool>("refused");
    QTest::newRow("number") << QByteArray("%\nO9999\n(REQ O1234)\nM30\n%") << true << QStringLiteral("O1234") << false;
    QTest::newRow("file name, lower case") << QByteArray("o9999\n(req part-17.nc)\nm30\n") << true << QStringLiteral("part-17.nc") << false;
    QTest::newRow("ISO colon") << QByteArray(":9999\n( REQ :1234 )\nM30\n") << true << QStringLiteral(":1234") << false;
    QTest::newRow("O9999 without REQ is a program") << QByteArray("O9999\nG65P1\nM99\n") << false << QString() << false;
    QTest::newRow("REQ in another program") << QByteArray("O1\n(REQ O2)\nM30\n") << false << QString() << false;
    QTest::newRow("parent folder") << QByteArray("O9999\n(REQ ../other/O1.nc)\nM30\n") << true << QStringLiteral("../other/O1.nc") << true;
    QTest::newRow("absolute path") << QByteArray("O9999\n(REQ /etc/passwd)\nM30\n") << true << QStringLiteral("/etc/passwd") << true;
    QTest::newRow("drive") << QByteArray("O9999\n(REQ C:PROG.NC)\nM30\n") << true << QStringLiteral("C:PROG.NC") << true;
    QTest::newRow("dot dot") << QByteArray("O9999\n(REQ ..)\nM30\n") << true << QStringLiteral("..") << true;
    QTest::newRow("empty") << QByteArray("O9999\n(REQ  )\nM30\n") << true << QString() << true;
}

void tst_DncCore::requests()
{
    QFETCH(QByteArray, program);
    QFETCH(bool, isRequest);
    QFETCH(QString, wanted);
    QFETCH(bool, refused);
    const RemoteRequest::Request r = RemoteRequest::parse(program);
    QCOMPARE(r.isRequest, isRequest);
    QCOMPARE(r.wanted, wanted);
    QCOMPARE(!r.refusal.isEmpty(), refused);
}

void tst_DncCore::requestedFileFound()
{
    QTemporaryDir dir;
    for (const char *name : {"O1234.nc", "O1234.bak", "Part-17.NC", "O0055.TAP", ".O77.nc.receiving-1-1"})
        TestSupport::writeBytes(dir.filePath(QLatin1String(name)), name);
    auto find = [&](const char *wanted) {
        const QString f = RemoteRequest::findProgram(dir.path(), QLatin1String(wanted), QStringLiteral(".nc"));
        return f.isEmpty() ? QString() : QFileInfo(f).fileName();
    };
    QCOMPARE(find("O1234"), QStringLiteral("O1234.nc"));
    QCOMPARE(find("o1234"), QStringLiteral("O1234.nc"));
    QCOMPARE(find(":1234"), QStringLiteral("O1234.nc"));
    QCOMPARE(find("PART-17.NC"), QStringLiteral("Part-17.NC"));
    QCOMPARE(find("O0055"), QStringLiteral("O0055.TAP"));
    QCOMPARE(find("O55"), QString()); // the digits as written
    QCOMPARE(find("O77"), QString());  // a temporary file is no program
    QCOMPARE(find("O4321"), QString());
}

void tst_DncCore::notFoundAnswerIsAProgram()
{
    const QByteArray answer = RemoteRequest::notFoundAnswer(QStringLiteral("o12(34)/x"));
    QCOMPARE(answer, QByteArray("%\r\nO9999\r\n(NOT FOUND O1234X)\r\nM30\r\n%\r\n"));
    const QList<QByteArray> programs = split(answer);
    QCOMPARE(programs.size(), 1);
    // An answer read back by a listener would not be taken for a request.
    QVERIFY(!RemoteRequest::parse(programs.first()).isRequest);
}

QTEST_GUILESS_MAIN(tst_DncCore)
#include "tst_dnccore.moc"
