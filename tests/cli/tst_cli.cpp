// zavrin-cnc as scripts use it: the bytes it writes, its exit codes, and that
// a failed run leaves every file as it was.
#include "TestSupport.h"

#include <QProcess>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList &arguments, const QByteArray &input = QByteArray(), const QString &inputFile = QString())
{
    QProcess process;
    if (!inputFile.isEmpty())
        process.setStandardInputFile(inputFile);
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), arguments);
    if (!process.waitForStarted())
        qFatal("zavrin-cnc does not start");
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("zavrin-cnc does not finish");
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

QStringList words(const char *command) { return QString::fromUtf8(command).split(QLatin1Char(' ')); }

QByteArray utf16(const char16_t *text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const char16_t *p = text; *p; ++p) {
        bytes.append(char(*p & 0xFF));
        bytes.append(char(*p >> 8));
    }
    return bytes;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void writesExactBytes_data();
    void writesExactBytes();
    void rejectsWrongCommandLines_data();
    void rejectsWrongCommandLines();
    void conversionErrorWritesNothing();
    void messagesNameTheWrongText_data();
    void messagesNameTheWrongText();
    void fileInBlocksMatchesStandardInput_data();
    void fileInBlocksMatchesStandardInput();
    void writesFilesOnlyWhenComplete();
    void writesIntoWhatCannotBeReplaced();
    void failedRunLeavesAFifoAlone();
    void inPlaceKeepsOwnerAndMode();
    void reportsMissingFiles();
    void refusesEndlessInput_data();
    void refusesEndlessInput();
    void readsWhatEnds();
    void refusesBinaryFiles_data();
    void refusesBinaryFiles();
    void refusesItsOwnExecutable();
    void documentsItself_data();
    void documentsItself();
    void helpIsNoFileAfterOptionsEnd();
};

void TestCli::writesExactBytes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("CR LF, no final break") << words("translate --x 10")
        << QByteArray("G00 X0 Y0\r\nG01 X-10\r\nM30") << QByteArray("G00 X10 Y0\r\nG01 X0\r\nM30");
    QTest::newRow("LF with final break") << words("mirror --x --swap-g02")
        << QByteArray("G02 X1.5 I1\nG01 X-2\n") << QByteArray("G03 X-1.5 I1\nG01 X2\n");
    QTest::newRow("CR breaks") << words("spaces --remove") << QByteArray("N10 G01 X5\rN20 G00 (A B)\r")
        << QByteArray("N10G01X5\rN20G00(A B)\r");
    QTest::newRow("mixed breaks kept per line") << words("translate --y 1")
        << QByteArray("Y1\r\nY2\nY3\rY4") << QByteArray("Y2\r\nY3\nY4\rY5");
    QTest::newRow("renumber") << words("renumber --renumber --start 10 --increment 10")
        << QByteArray("%\r\nO1000\r\nN5 G00 X0\r\nG01 X10\r\n(TOOL 1)\r\n\r\nM30\r\n%")
        << QByteArray("%\r\nO1000\r\nN10 G00 X0\r\nN20G01 X10\r\nN30(TOOL 1)\r\n\r\nN40M30\r\n%");
    QTest::newRow("untouched lines keep their blanks") << words("translate --x 1")
        << QByteArray("  G04 P1  \n\tX1\t\n") << QByteArray("  G04 P1  \nX2\n");
    QTest::newRow("UTF-8 comment") << words("translate --z -1 --plus")
        << QByteArray("G01 Z5 (\xC3\xA9paisseur \xE2\x80\x94 Z5)\n")
        << QByteArray("G01 Z+4 (\xC3\xA9paisseur \xE2\x80\x94 Z5)\n");
    QTest::newRow("8-bit bytes survive") << words("translate --x 1")
        << QByteArray("X1 (\xE9\xE8)\r\nX2") << QByteArray("X2 (\xE9\xE8)\r\nX3");
    QTest::newRow("UTF-16 with mark") << words("addchar --text ; --end")
        << utf16(u"G01 X1\r\nG00 X2") << utf16(u"G01 X1;\r\nG00 X2;");
    QTest::newRow("UTF-8 mark kept") << words("translate --x 1") << QByteArray("\xEF\xBB\xBFX1\nX2\n")
        << QByteArray("\xEF\xBB\xBFX2\nX3\n");
    QTest::newRow("second UTF-8 mark is text of line 1") << words("translate --x 1")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFX1 Y2\n\xEF\xBB\xBFX3\n")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFX2 Y2\n\xEF\xBB\xBFX4\n");
    QTest::newRow("UTF-16 big-endian written little-endian")
        << words("translate --x 1") << QByteArray("\xFE\xFF\0X\0001\0\n\0X\0002", 12)
        << QByteArray("\xFF\xFEX\0002\0\n\0X\0003\0", 12);
    QTest::newRow("line range") << words("addchar --text / --start --lines 2:3")
        << QByteArray("A\nB\nC\nD") << QByteArray("A\n/B\n/C\nD");
    QTest::newRow("range past the end") << words("addchar --text % --start --lines 2:9")
        << QByteArray("A\nB") << QByteArray("A\n%B");
    QTest::newRow("comma system") << words("translate --x 0,5 --system-decimal ,")
        << QByteArray("X1,5\n") << QByteArray("X2\n");
    QTest::newRow("equals form and negative value") << QStringList{QStringLiteral("translate"),
                                                                  QStringLiteral("--x=-0.5"), QStringLiteral("--y"),
                                                                  QStringLiteral("-2")}
        << QByteArray("X1 Y1") << QByteArray("X0.5 Y-1");
    QTest::newRow("ij") << words("ij --mode abs-end") << QByteArray("G01 X10 Y20\nG02 X20 Y30 I5 J0\n")
        << QByteArray("G01 X10 Y20\nG02 X20 Y30 I25 J30\n");
    QTest::newRow("nothing chosen") << words("mirror") << QByteArray("G02 X1\r\n") << QByteArray("G02 X1\r\n");
    QTest::newRow("empty input") << words("spaces --add") << QByteArray() << QByteArray();
    QTest::newRow("-h as the value of --text") << words("addchar --text -h --start")
        << QByteArray("X1") << QByteArray("-hX1");
    QTest::newRow("--help as the value of --text") << words("addchar --end --text --help")
        << QByteArray("X1") << QByteArray("X1--help");
    QTest::newRow("--help after --text=") << words("addchar --start --text=--help")
        << QByteArray("X1") << QByteArray("--helpX1");
    QTest::newRow("-h as a value, then --lines") << words("addchar --text -h --start --lines 2:2")
        << QByteArray("A\nB\n") << QByteArray("A\n-hB\n");
    QTest::newRow("tokens") << words("tokens") << QByteArray("N10 G01 X5 (CUT)\n%\n")
        << QByteArray("N@0+3 space@3+1 G@4+3 space@7+1 X@8+2 space@10+1 ()@11+5\n%@0+1\n");
}

void TestCli::writesExactBytes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    const Result r = runCli(arguments, input);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, output);
}

void TestCli::rejectsWrongCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown tool") << words("rotate --x 1");
    QTest::newRow("unknown option") << words("translate --w 1");
    QTest::newRow("option of another tool") << words("spaces --add --plus");
    QTest::newRow("spaces without mode") << words("spaces");
    QTest::newRow("spaces with both modes") << words("spaces --add --remove");
    QTest::newRow("ij without mode") << words("ij --plus");
    QTest::newRow("ij with a wrong mode") << words("ij --mode absolute");
    QTest::newRow("addchar without text") << words("addchar --start");
    QTest::newRow("addchar without place") << words("addchar --text %");
    QTest::newRow("addchar with both places") << words("addchar --text % --start --end");
    QTest::newRow("missing value") << words("translate --x");
    QTest::newRow("lines without colon") << words("spaces --add --lines 3");
    QTest::newRow("lines from 0") << words("spaces --add --lines 0:5");
    QTest::newRow("lines beyond the limit") << words("spaces --add --lines 1:100000001");
    QTest::newRow("lines not numbers") << words("spaces --add --lines a:b");
    QTest::newRow("wrong decimal separator") << words("translate --x 1 --system-decimal ;");
    QTest::newRow("digits 0") << words("renumber --digits 0");
    QTest::newRow("digits beyond the bound") << words("renumber --digits 33");
    QTest::newRow("negative start") << words("renumber --renumber --start -1");
    QTest::newRow("increment 0") << words("renumber --renumber --increment 0");
    QTest::newRow("output and in place") << words("spaces --add -o out.nc --in-place in.nc");
    QTest::newRow("in place without file") << words("spaces --add --in-place");
    QTest::newRow("two files") << words("spaces --add a.nc b.nc");
    QTest::newRow("flag with value") << words("mirror --x=1");
    QTest::newRow("tokens with lines") << words("tokens --lines 1:2");
    const QString longText(100000, QLatin1Char('9')); // below the system's limit for one argument
    QTest::newRow("long start value") << QStringList{QStringLiteral("renumber"), QStringLiteral("--start"), longText};
    QTest::newRow("long lines value") << QStringList{QStringLiteral("spaces"), QStringLiteral("--lines"), longText};
    QTest::newRow("long tool name") << QStringList{longText};
    QTest::newRow("long unknown option") << QStringList{QStringLiteral("mirror"), QLatin1Char('-') + longText};
}

void TestCli::rejectsWrongCommandLines()
{
    QFETCH(QStringList, arguments);
    const Result r = runCli(arguments, QByteArray("X1\n"));
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(r.err.startsWith("zavrin-cnc: "));
    QVERIFY2(r.err.size() < 400, r.err.left(400).constData()); // a long value is shortened
}

void TestCli::conversionErrorWritesNothing()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.nc"));
    const QString out = dir.filePath(QStringLiteral("out.nc"));
    const QByteArray program("X1\r\nX1.2.3\r\nX2\r\n");
    TestSupport::writeBytes(in, program);

    Result r = runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), in});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, QByteArray("zavrin-cnc: ERROR: Line 2: \"1.2.3\" is not a valid number.\n"));

    r = runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), QStringLiteral("-o"), out, in});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFile::exists(out));

    r = runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), QStringLiteral("--in-place"), in});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(TestSupport::readBytes(in), program);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("in.nc")});

    // An increment that is not a number fails at the first word that needs it.
    r = runCli({QStringLiteral("translate"), QStringLiteral("--y"), QStringLiteral("1.5"),
                QStringLiteral("--system-decimal"), QStringLiteral(","), in});
    QCOMPARE(r.exitCode, 0);
    r = runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1.5"),
                QStringLiteral("--system-decimal"), QStringLiteral(","), in});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QByteArray("zavrin-cnc: ERROR: The increment of the \"X\" axis, \"1.5\", is not a valid number.\n"));

    // Renumbering past the largest block number.
    r = runCli(words("renumber --renumber --start 100000000 --increment 100000000"),
               QByteArray(QByteArray("G01\n").repeated(25)));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(r.err.startsWith("zavrin-cnc: ERROR: Line 22: "));
}

void TestCli::messagesNameTheWrongText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("message");
    const QByteArray digits(1048576, '7');
    const QByteArray shown = digits.left(40) + "\xE2\x80\xA6 (1048576 characters)";
    QTest::newRow("increment not a number") << words("translate --x abc") << QByteArray("G01 X1")
        << QByteArray("ERROR: The increment of the \"X\" axis, \"abc\", is not a valid number.");
    QTest::newRow("increment too large") << QStringList{QStringLiteral("translate"), QStringLiteral("--z"),
                                                        QString::fromLatin1(digits.left(5000))}
        << QByteArray("Z1") << QByteArray("ERROR: The increment of the \"Z\" axis, \"" + digits.left(40)
                                          + "\xE2\x80\xA6 (5000 characters)\", is too large.");
    QTest::newRow("word too large") << words("mirror --y") << QByteArray("G01\nY" + digits + "\n")
        << QByteArray("ERROR: Line 2: \"" + shown + "\" is too large.");
    QTest::newRow("long invalid word") << words("translate --x 1") << QByteArray("X-" + digits + "-\n")
        << QByteArray("ERROR: Line 1: \"-" + digits.left(39) + "\xE2\x80\xA6 (1048578 characters)\" is not a valid number.");
    QTest::newRow("short enough to show whole") << words("translate --x 1") << QByteArray("X" + digits.left(58) + "..")
        << QByteArray("ERROR: Line 1: \"" + digits.left(58) + "..\" is not a valid number.");
}

void TestCli::messagesNameTheWrongText()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, message);
    const Result r = runCli(arguments, input);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.err, "zavrin-cnc: " + message + "\n");
}

void TestCli::fileInBlocksMatchesStandardInput_data()
{
    // A UTF-8 FILE is worked on in blocks of 1 MiB; standard input is held whole.
    // Both must give the same bytes, whatever falls on a block's edge.
    QTest::addColumn<QByteArray>("program");
    const qsizetype block = 1 << 20;
    const auto filler = [](qsizetype size, const char *lineBreak) {
        QByteArray bytes;
        for (int i = 0; bytes.size() < size; ++i)
            bytes += "N" + QByteArray::number(i) + " G01 X" + QByteArray::number(i % 977) + ".25 Y-1" + lineBreak;
        bytes.truncate(size);
        return bytes;
    };
    for (const qsizetype edge : {block - 2, block - 1, block, block + 1}) {
        for (const char *lineBreak : {"\r\n", "\n", "\r"}) {
            const QByteArray name = "break " + QByteArray(lineBreak).toPercentEncoding() + " at " + QByteArray::number(edge);
            QByteArray program = filler(edge, "\r\n");
            program += lineBreak;
            program += "G01 X5\r\nX6";
            QTest::newRow(name.constData()) << program;
        }
    }
    QTest::newRow("CR only, 3 MiB") << filler(3 * block, "\r");
    QTest::newRow("final break, 2 MiB") << (filler(2 * block, "\n") + "\n");
    QTest::newRow("final CR LF, empty line before") << (filler(block + 7, "\r\n") + "\r\n\r\n");
    QTest::newRow("line longer than a block") << ("X1 (" + QByteArray(3 * block, 'A') + ")\nX2\r\n" + filler(block, "\n"));
    QTest::newRow("byte-order mark") << ("\xEF\xBB\xBF" + filler(block + 3, "\r\n"));
    QByteArray utf8 = filler(block - 1, "\n");
    utf8 += "\xC3\xA9X1\xE2\x80\x94\n"; // a character across the edge
    QTest::newRow("UTF-8 across the edge") << (utf8 + filler(1000, "\n"));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one break") << QByteArray("\r\n");
}

void TestCli::fileInBlocksMatchesStandardInput()
{
    QFETCH(QByteArray, program);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, program);
    for (const char *command : {"translate --x 10", "renumber --renumber --start 5", "addchar --text ; --end",
                                "spaces --remove --lines 3:70000", "tokens"}) {
        const Result whole = runCli(words(command), program);
        const Result blocks = runCli(words(command) << in);
        QVERIFY2(whole.exitCode == 0 && blocks.exitCode == 0, command);
        QVERIFY2(whole.out == blocks.out, command);
    }
}

void TestCli::writesFilesOnlyWhenComplete()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    const QString out = dir.filePath(QStringLiteral("P2.NC"));
    TestSupport::writeBytes(in, QByteArray("G01 X1\r\nG01 X2"));

    Result r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), in, QStringLiteral("-o"), out});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(TestSupport::readBytes(out), QByteArray("G01 X-1\r\nG01 X-2"));
    QCOMPARE(TestSupport::readBytes(in), QByteArray("G01 X1\r\nG01 X2"));

    r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), QStringLiteral("--in-place"), in});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(TestSupport::readBytes(in), QByteArray("G01 X-1\r\nG01 X-2"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // "-" is standard input.
    r = runCli({QStringLiteral("mirror"), QStringLiteral("--y"), QStringLiteral("-")}, QByteArray("Y3"));
    QCOMPARE(r.out, QByteArray("Y-3"));
}

void TestCli::writesIntoWhatCannotBeReplaced()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, QByteArray("G01 X1\r\n"));
    const QByteArray expected("G01 X-1\r\n");

    // A FIFO: its reader gets the program and the FIFO stays one.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    Result r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), in, QStringLiteral("-o"), fifo});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.readAllStandardOutput(), expected);
    struct stat st = {};
    QVERIFY(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));

    // /dev/stdout while standard output is a pipe.
    r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), in, QStringLiteral("-o"), QStringLiteral("/dev/stdout")});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, expected);

    // A character device node of our own (the null device's numbers).
    const QString node = dir.filePath(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP("creating a device node is not permitted here");
    QFile probe(node);
    if (!probe.open(QIODevice::WriteOnly))
        QSKIP("device nodes cannot be opened on this file system");
    probe.close();
    r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), in, QStringLiteral("-o"), node});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(::stat(QFile::encodeName(node).constData(), &st) == 0 && S_ISCHR(st.st_mode));
    QCOMPARE(st.st_rdev, makedev(1, 3));
}

void TestCli::failedRunLeavesAFifoAlone()
{
    // The FIFO is not even opened: its reader does not get an empty program.
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, QByteArray("G01 X1\r\nG01 X1.2.3\r\n"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QProcess reader;
    reader.start(QStringLiteral("cat"), {fifo});
    QVERIFY(reader.waitForStarted());
    const Result r = runCli({QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("1"), in,
                             QStringLiteral("-o"), fifo});
    QCOMPARE(r.exitCode, 1);
    // Given a moment, a reader that had been handed an empty program would end;
    // this one must still be waiting for a writer.
    QVERIFY(!reader.waitForFinished(200));
    QFile writer(fifo);
    QVERIFY(writer.open(QIODevice::WriteOnly));
    writer.write("M30\n");
    writer.close();
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.readAllStandardOutput(), QByteArray("M30\n"));
}

void TestCli::inPlaceKeepsOwnerAndMode()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("P1.NC"));
    TestSupport::writeBytes(in, QByteArray("G01 X1\n"));
    const QByteArray path = QFile::encodeName(in);
    QVERIFY(::chmod(path.constData(), 0604) == 0);
    const bool root = ::geteuid() == 0;
    if (root)
        QVERIFY(::chown(path.constData(), 12345, 23456) == 0);

    const Result r = runCli({QStringLiteral("mirror"), QStringLiteral("--x"), QStringLiteral("--in-place"), in});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(TestSupport::readBytes(in), QByteArray("G01 X-1\n"));
    struct stat st = {};
    QVERIFY(::stat(path.constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0604));
    if (root) {
        QCOMPARE(st.st_uid, uid_t(12345));
        QCOMPARE(st.st_gid, gid_t(23456));
    }
}

void TestCli::reportsMissingFiles()
{
    QTemporaryDir dir;
    const Result r = runCli({QStringLiteral("spaces"), QStringLiteral("--add"), dir.filePath(QStringLiteral("none.nc"))});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY(r.err.contains("none.nc"));
}

void TestCli::refusesEndlessInput_data()
{
    QTest::addColumn<QString>("file");      // FILE, relative to a temporary folder
    QTest::addColumn<QString>("stdinFile"); // standard input
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("/dev/zero as FILE") << QStringLiteral("/dev/zero") << QString()
        << QByteArray("cannot read /dev/zero: it is a device, not a regular file, a pipe or a terminal");
    QTest::newRow("/dev/zero as standard input") << QString() << QStringLiteral("/dev/zero")
        << QByteArray("cannot read standard input: it is a device, not a regular file, a pipe or a terminal");
    QTest::newRow("a folder") << QStringLiteral("sub") << QString() << QByteArray("sub: it is a folder, not a file");
    QTest::newRow("above the size bound") << QStringLiteral("huge.nc") << QString()
        << QByteArray("huge.nc: it is larger than 2000000000 bytes, the most zavrin-cnc reads");
    QTest::newRow("in place on a FIFO") << QStringLiteral("fifo --in-place") << QString()
        << QByteArray("fifo: --in-place needs a regular file");
}

void TestCli::refusesEndlessInput()
{
    QFETCH(QString, file);
    QFETCH(QString, stdinFile);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600) == 0);
    QFile huge(dir.filePath(QStringLiteral("huge.nc")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(2000000001)); // sparse: no disk used
    huge.close();

    QStringList arguments = words("spaces --add");
    for (const QString &part : file.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        arguments << (part.startsWith(QLatin1Char('/')) || part.startsWith(QLatin1Char('-')) ? part : dir.filePath(part));
    const Result r = runCli(arguments, QByteArray(), stdinFile);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.endsWith(reason + "\n"), r.err.constData());
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("fifo"))).isFile(), false);
}

void TestCli::readsWhatEnds()
{
    // /dev/null reads as an empty program; a FIFO gives what its writer wrote.
    Result r = runCli(words("spaces --add /dev/null"));
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray());
    r = runCli(words("spaces --add"), QByteArray(), QStringLiteral("/dev/null"));
    QCOMPARE(r.exitCode, 0);

    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QProcess process;
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), {QStringLiteral("spaces"), QStringLiteral("--add"), fifo});
    QVERIFY(process.waitForStarted());
    QFile writer(fifo);
    QVERIFY(writer.open(QIODevice::WriteOnly));
    writer.write("G01X1\n");
    writer.close();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray(" G01 X1\n"));
}

void TestCli::refusesBinaryFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("binary");
    QTest::newRow("ELF header") << QByteArray("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0G01 X1\n", 31)
        << true;
    QTest::newRow("DOS executable") << QByteArray("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\x0E\x1F\xBA\x0E\0\xB4\x09\xCD!", 25)
        << true;
    QTest::newRow("tape leader and trailer of NULs")
        << (QByteArray(200, '\0') + "%\r\nO1000\r\nG01X1\r\n%\r\n" + QByteArray(300, '\0')) << false;
    QTest::newRow("NULs between lines, tape codes") << QByteArray("\x12%\nG01X1\n\0\0\0\nG01X2\n%\x14\x1A", 24)
        << false;
    QTest::newRow("control characters without NUL") << QByteArray("G01X1\x01\x02\x1B\n") << false;
    QTest::newRow("NUL padding then binary after the first block")
        << (QByteArray("G01X1\n") + QByteArray(5000, '\0') + "\x01\x02") << false;
    QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFEG\0\x01\0", 6) << false;
}

void TestCli::refusesBinaryFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, binary);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.bin"));
    const QString out = dir.filePath(QStringLiteral("out.nc"));
    TestSupport::writeBytes(in, bytes);
    Result r = runCli({QStringLiteral("spaces"), QStringLiteral("--add"), in, QStringLiteral("-o"), out});
    QCOMPARE(r.exitCode, binary ? 1 : 0);
    QCOMPARE(QFile::exists(out), !binary);
    if (binary)
        QVERIFY2(r.err.contains("looks like a binary file") && r.err.contains("--binary-ok"), r.err.constData());
    r = runCli({QStringLiteral("spaces"), QStringLiteral("--add"), QStringLiteral("--binary-ok"), QStringLiteral("-"),
                QStringLiteral("-o"), out}, bytes);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
}

void TestCli::refusesItsOwnExecutable()
{
    // A real executable, through standard input and as FILE.
    const QString self = QStringLiteral(ZAVRIN_CNC_PATH);
    Result r = runCli(words("spaces --remove"), QByteArray(), self);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.startsWith("zavrin-cnc: standard input looks like a binary file"), r.err.constData());
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("prog"));
    QVERIFY(QFile::copy(self, copy));
    const QByteArray before = TestSupport::readBytes(copy);
    r = runCli({QStringLiteral("spaces"), QStringLiteral("--add"), QStringLiteral("--in-place"), copy});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(TestSupport::readBytes(copy), before);
}

void TestCli::documentsItself_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("--help") << words("--help");
    QTest::newRow("-h") << words("-h");
    QTest::newRow("after a tool") << words("translate --help");
    QTest::newRow("after an option's value") << words("addchar --text % -h");
}

void TestCli::documentsItself()
{
    QFETCH(QStringList, arguments);
    const Result r = runCli(arguments);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    for (const char *word : {"Usage: zavrin-cnc", "spaces", "renumber", "ij --mode", "translate", "mirror",
                             "addchar", "tokens", "--lines", "--system-decimal", "--in-place", "Exit status"})
        QVERIFY2(r.out.contains(word), word);
}

void TestCli::helpIsNoFileAfterOptionsEnd()
{
    // After "--" a "-h" is FILE; writing the program there must not be
    // mistaken for a request for help.
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    Result r = runCli(words("spaces --add -- -h"));
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains("file not found: -h"), r.err.constData());

    TestSupport::writeBytes(dir.filePath(QStringLiteral("--help")), QByteArray("G01X1"));
    r = runCli(words("spaces --add -- --help"));
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QByteArray(" G01 X1"));
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
