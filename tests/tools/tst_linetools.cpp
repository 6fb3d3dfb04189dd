// The six tools line by line: every worked example of the tools, as rows of
// (tool command, program lines before, program lines after). The tools are
// built from the command line's own words so each row reads like a use.
#include "cli/CommandLine.h"
#include "lang/Texts.h"
#include "tools/CoordinateWords.h"
#include "tools/LineTool.h"
#include "tools/MirrorTool.h"
#include "tools/RenumberTool.h"
#include "tools/SpacesTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"

#include "TestSupport.h"

#include <QtTest>

namespace {

QStringList run(const QStringList &command, const QStringList &lines, QChar systemSeparator = QLatin1Char('.'))
{
    const CommandLine parsed = parseCommandLine(command);
    NumberSyntax syntax;
    syntax.systemSeparator = systemSeparator;
    const auto tool = parsed.makeTool(syntax);
    StringListLines program(lines);
    FUNC_Aplicar_Ferramenta(program, *tool, parsed.range);
    return program.lines();
}

QStringList words(const char *command) { return QString::fromUtf8(command).split(QLatin1Char(' ')); }
QStringList lines(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *l : list)
        result << QString::fromUtf8(l);
    return result;
}

} // namespace

class TestLineTools : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }

    void transformsPrograms_data();
    void transformsPrograms();
    void failsOnInvalidNumbers_data();
    void failsOnInvalidNumbers();
    void addsSpaces_data();
    void addsSpaces();
    void readsWords_data();
    void readsWords();
    void replacesFirstToken_data();
    void replacesFirstToken();
    void renumberingKeepsLostBlockNumbers();
    void renumberingStopsBeyondTheLargestNumber();
    void writesHistoryDetails();
};

void TestLineTools::transformsPrograms_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QChar>("systemSeparator");
    const QChar dot = QLatin1Char('.'), comma = QLatin1Char(',');

    // Coordinate words
    QTest::newRow("translate X by 1") << words("translate --x 1")
        << lines({"G01 X10 Y5", "G01X-0.5Y2", "G00 X Y10", "x10", "G01 X10(CUT)"})
        << lines({"G01 X11 Y5", "G01X0.5Y2", "G00 X Y10", "x10", "G01 X11(CUT)"}) << dot;
    QTest::newRow("plus option to zero") << words("translate --x 1 --plus") << lines({"G01 X-1"})
        << lines({"G01 X+0"}) << dot;
    QTest::newRow("comment copied") << words("translate --x 2.5") << lines({"N10 G01 X5.000 (X IS 5)"})
        << lines({"N10 G01 X7.5 (X IS 5)"}) << dot;
    QTest::newRow("plus in the text by -20") << words("translate --x -20") << lines({"G01 X+10"})
        << lines({"G01 X-10"}) << dot;
    QTest::newRow("plus in the text by 5") << words("translate --x 5") << lines({"G01 X+10", "G01 X+1 X2"})
        << lines({"G01 X+15", "G01 X+6 X+7"}) << dot;
    QTest::newRow("comma read on comma system") << words("translate --x 0") << lines({"X1,5"}) << lines({"X1.5"})
        << comma;

    // Spaces
    QTest::newRow("remove spaces") << words("spaces --remove")
        << lines({"N10 G01 X5 Y-3 (TOOL 1)", "N10 G01 X5 #1", "(A B)", "G01\tX1 Y2"})
        << lines({"N10G01X5Y-3(TOOL 1)", "N10G01X5#1", "(A B)", "G01\tX1Y2"}) << dot;
    QTest::newRow("add spaces") << words("spaces --add")
        << lines({"N10G01X5.Y-3.(CUT)", "G00X0Y0", "(TOOL 1)", "N10 G01 X5", "O1000", "N10", "G01E5", "%",
                  "G65P9010#1=5", "   ", "{A}B"})
        // Lines whose only change is a leading blank are not written back.
        << lines({"N10 G01 X5. Y-3. (CUT)", " G00 X0 Y0", "(TOOL 1)", "N10  G01  X5", "O1000", "N10", "G01E5", "%",
                  " G65 P9010#1=5", "   ", "{A}B"}) << dot;

    // Block renumbering
    QTest::newRow("renumber 10 by 10") << words("renumber --renumber --start 10 --increment 10")
        << lines({"%", "O1000", "N5 G00 X0", "G01 X10", "(TOOL 1)", "", "M30"})
        << lines({"%", "O1000", "N10 G00 X0", "N20G01 X10", "N30(TOOL 1)", "", "N40M30"}) << dot;
    QTest::newRow("renumber again changes nothing") << words("renumber --renumber --start 10 --increment 10")
        << lines({"%", "O1000", "N10 G00 X0", "N20G01 X10", "N30(TOOL 1)", "", "N40M30"})
        << lines({"%", "O1000", "N10 G00 X0", "N20G01 X10", "N30(TOOL 1)", "", "N40M30"}) << dot;
    QTest::newRow("renumber a range") << words("renumber --renumber --start 100 --increment 1 --lines 3:4")
        << lines({"N1 G00", "N2 G01", "N3 G01", "G01 X1", "N5 M30"})
        << lines({"N1 G00", "N2 G01", "N100 G01", "N101G01 X1", "N5 M30"}) << dot;
    QTest::newRow("block skip and leading blanks") << words("renumber --renumber --start 10 --increment 10")
        << lines({"/N10 G01", "  G01 X1", "  N7 X1"}) << lines({"/N10 G01", "  G01 X1", "N10   X1"}) << dot;
    QTest::newRow("digits with renumbering") << words("renumber --renumber --start 5 --digits 4")
        << lines({"G01 X1", "N3"}) << lines({"N0005G01 X1", "N0006"}) << dot;
    QTest::newRow("digits only") << words("renumber --digits 4")
        << lines({"N00010 X1", "G01 X1", "N12345 G01", "G01 N10"})
        << lines({"N0010 X1", "N0000G01 X1", "N12345 G01", "N0000G01 N10"}) << dot;
    QTest::newRow("new number glued, old blank kept") << words("renumber --renumber --start 20 --increment 10")
        << lines({"G01 X10", "N5 G01", "G01 N10"}) << lines({"N20G01 X10", "N30 G01", "N40G01 N10"}) << dot;
    QTest::newRow("padding is bounded") << words("renumber --digits 32") << lines({"N7"})
        << lines({"N00000000000000000000000000000007"}) << dot;
    QTest::newRow("renumber nothing chosen") << words("renumber") << lines({"N5 G01", "G01"})
        << lines({"N5 G01", "G01"}) << dot;

    // I/J conversion
    QTest::newRow("absolute end") << words("ij --mode abs-end") << lines({"G01 X10 Y20", "G02 X20 Y30 I5 J0"})
        << lines({"G01 X10 Y20", "G02 X20 Y30 I25 J30"}) << dot;
    QTest::newRow("incremental start") << words("ij --mode inc-start") << lines({"G01 X10 Y20", "G02 X20 Y30 I15 J20"})
        << lines({"G01 X10 Y20", "G02 X20 Y30 I5 J0"}) << dot;
    QTest::newRow("incremental start plus") << words("ij --mode inc-start --plus")
        << lines({"G01 X10 Y20", "G02 X20 Y30 I15 J20"}) << lines({"G01 X10 Y20", "G02 X20 Y30 I+5 J+0"}) << dot;
    QTest::newRow("incremental end fractions") << words("ij --mode inc-end")
        << lines({"G01 X10.3 Y0", "G03 X10.3 Y5 I10.2 J2.5"}) << lines({"G01 X10.3 Y0", "G03 X10.3 Y5 I-0.1 J-2.5"})
        << dot;
    QTest::newRow("absolute end before a comment") << words("ij --mode abs-end") << lines({"G02 X20 Y30 I5 J0 (ARC 1)"})
        << lines({"G02 X20 Y30 I25 J30 (ARC 1)"}) << dot;
    QTest::newRow("start of an axis moves only with it") << words("ij --mode abs-start")
        << lines({"G01 X10 Y20", "G01 X30", "G03 Y40 I-5 J10"}) << lines({"G01 X10 Y20", "G01 X30", "G03 Y40 I5 J30"})
        << dot;
    QTest::newRow("range starts at the origin") << words("ij --mode abs-start --lines 2:2")
        << lines({"G01 X10 Y20", "G02 X20 Y30 I5 J0"}) << lines({"G01 X10 Y20", "G02 X20 Y30 I5 J0"}) << dot;
    QTest::newRow("empty I kept, comment I kept") << words("ij --mode abs-end")
        << lines({"G01 X1 Y1", "G02 I J2 (I5)"}) << lines({"G01 X1 Y1", "G02 I J3 (I5)"}) << dot;

    // Translation
    QTest::newRow("translate X by 10") << words("translate --x 10") << lines({"G00 X0 Y0", "G01 X-10"})
        << lines({"G00 X10 Y0", "G01 X0"}) << dot;
    QTest::newRow("translate X by -5.5") << words("translate --x -5.5") << lines({"G01 X10.25 Y3"})
        << lines({"G01 X4.75 Y3"}) << dot;
    QTest::newRow("translate Z with plus") << words("translate --z -1 --plus") << lines({"G01 Z5", "G01 Z0.5"})
        << lines({"G01 Z+4", "G01 Z-0.5"}) << dot;
    QTest::newRow("translate Y before comment") << words("translate --y 1") << lines({"G01 Y10 (Y10 IS THE TOP)"})
        << lines({"G01 Y11 (Y10 IS THE TOP)"}) << dot;
    QTest::newRow("translate by 0 rewrites") << words("translate --x 0") << lines({"G01 X10.000"})
        << lines({"G01 X10"}) << dot;
    QTest::newRow("translate X and Y") << words("translate --x 1 --y 2") << lines({"G01X1Y1"}) << lines({"G01X2Y3"})
        << dot;
    QTest::newRow("typed comma increment") << words("translate --x 0,5") << lines({"X1"}) << lines({"X1.5"}) << comma;
    QTest::newRow("bad increment unused") << words("translate --x abc") << lines({"G01 Y1"}) << lines({"G01 Y1"})
        << dot;

    // Mirror
    QTest::newRow("mirror X") << words("mirror --x") << lines({"G01 X10 Y5", "G01 X-2.5", "G00 X0"})
        << lines({"G01 X-10 Y5", "G01 X2.5", "G00 X0"}) << dot;
    QTest::newRow("mirror X plus") << words("mirror --x --plus") << lines({"G01 X-2.5", "X0"})
        << lines({"G01 X+2.5", "X+0"}) << dot;
    QTest::newRow("mirror all") << words("mirror --x --y --swap-g02 --swap-g03 --swap-g41 --swap-g42")
        << lines({"G41 G01 X10 Y10 D1", "G02 X20 Y0 I5 J0", "G3 X5 Y5 R5", "G02 X1 (WAS G03)"})
        << lines({"G42 G01 X-10 Y-10 D1", "G03 X-20 Y0 I5 J0", "G2 X-5 Y-5 R5", "G03 X-1 (WAS G03)"}) << dot;
    QTest::newRow("only the G03 swap") << words("mirror --swap-g03") << lines({"G03 X1 (WAS G03)"})
        << lines({"G02 X1 (WAS G03)"}) << dot;
    QTest::newRow("swap acts in comments") << words("mirror --swap-g02") << lines({"G01 X1 (NEXT G02)"})
        << lines({"G01 X1 (NEXT G03)"}) << dot;
    QTest::newRow("G20 G21 G28 are not G2") << words("mirror --swap-g02") << lines({"G20", "G21 G2 X1", "G28 X0 Y0"})
        << lines({"G20", "G21 G3 X1", "G28 X0 Y0"}) << dot;
    QTest::newRow("mirror nothing chosen") << words("mirror") << lines({"G02 X1"}) << lines({"G02 X1"}) << dot;

    // Start/end character
    QTest::newRow("percent at start") << QStringList{QStringLiteral("addchar"), QStringLiteral("--text=%"),
                                                     QStringLiteral("--start")}
        << lines({"G01 X1", ""}) << lines({"%G01 X1", "%"}) << dot;
    QTest::newRow("semicolon at end") << words("addchar --text ; --end") << lines({"G01 X1  "})
        << lines({"G01 X1;"}) << dot;
    QTest::newRow("slash and blank at start") << QStringList{QStringLiteral("addchar"), QStringLiteral("--text"),
                                                             QStringLiteral("/ "), QStringLiteral("--start")}
        << lines({"G01 X1"}) << lines({"/ G01 X1"}) << dot;
    QTest::newRow("added again") << words("addchar --text % --start") << lines({"%G01 X1"}) << lines({"%%G01 X1"})
        << dot;
    QTest::newRow("empty text") << QStringList{QStringLiteral("addchar"), QStringLiteral("--text="),
                                               QStringLiteral("--start")}
        << lines({" G01 X1 ", ""}) << lines({" G01 X1 ", ""}) << dot;
    QTest::newRow("range past the end does not grow") << words("addchar --text % --start --lines 2:6")
        << lines({"A", "B"}) << lines({"A", "%B"}) << dot;
}

void TestLineTools::transformsPrograms()
{
    QFETCH(QStringList, command);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QChar, systemSeparator);
    QCOMPARE(run(command, before, systemSeparator), after);
}

void TestLineTools::failsOnInvalidNumbers_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after"); // what the run left
    QTest::newRow("two points") << words("translate --x 1") << lines({"X1", "X1.2.3", "X5"}) << 2 << "1.2.3"
                                << lines({"X2", "X1.2.3", "X5"});
    QTest::newRow("sign after digit") << words("mirror --x") << lines({"X1-2"}) << 1 << "1-2" << lines({"X1-2"});
    QTest::newRow("comma on point system") << words("translate --x 1") << lines({"X1,5"}) << 1 << "1,5"
                                           << lines({"X1,5"});
    QTest::newRow("bad increment") << words("translate --y 1 --x 1..") << lines({"Y1", "X1"}) << 2 << "1.."
                                   << lines({"Y2", "X1"});
    QTest::newRow("empty increment") << QStringList{QStringLiteral("translate"), QStringLiteral("--z=")}
        << lines({"Z1"}) << 1 << "" << lines({"Z1"});
    QTest::newRow("bad I") << words("ij --mode abs-end") << lines({"G02 I1.2.3"}) << 1 << "1.2.3"
                           << lines({"G02 I1.2.3"});
    QTest::newRow("bad tracked X used later") << words("ij --mode abs-end") << lines({"G01 X1..", "G02 I1"}) << 2
                                              << "1.." << lines({"G01 X1..", "G02 I1"});
}

void TestLineTools::failsOnInvalidNumbers()
{
    QFETCH(QStringList, command);
    QFETCH(QStringList, before);
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    const CommandLine parsed = parseCommandLine(command);
    NumberSyntax syntax;
    const auto tool = parsed.makeTool(syntax);
    StringListLines program(before);
    try {
        FUNC_Aplicar_Ferramenta(program, *tool, parsed.range);
        QFAIL("the run completed");
    } catch (const ToolLineError &error) {
        QCOMPARE(error.lineNumber(), line);
        QVERIFY2(error.message().contains(QLatin1Char('"') + text + QLatin1Char('"')), qPrintable(error.message()));
        // A wrong increment is named by its axis, not by the line it was met on.
        if (command.first() == QLatin1String("translate") && text != QLatin1String("1.2.3") && text != QLatin1String("1,5"))
            QVERIFY2(error.message().contains(QLatin1String("axis")), qPrintable(error.message()));
        else
            QVERIFY(error.message().contains(QStringLiteral("Line %1").arg(line)));
    }
    QCOMPARE(program.lines(), after);
}

void TestLineTools::addsSpaces_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comment") << "(TOOL 1)" << " (TOOL 1)";
    QTest::newRow("E gets none") << "G01E5" << " G01E5";
    QTest::newRow("brace ends") << "{A}B" << " {A}B";
    QTest::newRow("lower case") << "g01x5" << "g01x5";
}

void TestLineTools::addsSpaces()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(FUNC_Adicionar_Espacos(line), expected);
}

void TestLineTools::readsWords_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("before comment") << "G02 X10 Y5 I2 J0 (ARC)" << "10";
    QTest::newRow("only in comment") << "(X10)" << "";
    QTest::newRow("last word") << "X10 X20" << "20";
    QTest::newRow("last word empty") << "X10 X" << "";
    QTest::newRow("glued") << "G01X-1.5Y2" << "-1.5";
    QTest::newRow("word open at a stop") << "X7(A)" << "7";
    QTest::newRow("lower case") << "x10" << "";
}

void TestLineTools::readsWords()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(FUNC_Ler_Palavra(line, QLatin1Char('X')), expected);
}

void TestLineTools::replacesFirstToken_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("oldToken");
    QTest::addColumn<QString>("newToken");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first only") << "G03 X1 (WAS G03)" << "G03" << "G02" << "G02 X1 (WAS G03)";
    QTest::newRow("G2 skips G20") << "G20 G2 X1" << "G2" << "G3" << "G20 G3 X1";
    QTest::newRow("G2 at the end") << "X1 G2" << "G2" << "G3" << "X1 G3";
    QTest::newRow("absent") << "G28 X0" << "G2" << "G3" << "G28 X0";
}

void TestLineTools::replacesFirstToken()
{
    QFETCH(QString, line);
    QFETCH(QString, oldToken);
    QFETCH(QString, newToken);
    QFETCH(QString, expected);
    QCOMPARE(FUNC_Substituir_Primeiro(line, oldToken, newToken), expected);
}

void TestLineTools::renumberingKeepsLostBlockNumbers()
{
    // Taking the N word out without giving a new one would lose the number.
    qint64 counter = 0;
    for (const char *line : {"N10 #1=5", "N 10 G01", "N", "  N%"}) {
        const QString text = QString::fromLatin1(line);
        QCOMPARE(FUNC_Numerar_Bloco(text, 1, 0, true, counter), text);
    }
    QCOMPARE(counter, qint64(0));
}

void TestLineTools::renumberingStopsBeyondTheLargestNumber()
{
    qint64 counter = 2147483646;
    QCOMPARE(FUNC_Numerar_Bloco(u"G01", 1, 0, true, counter), QStringLiteral("N2147483647G01"));
    QVERIFY_THROWS_EXCEPTION(Error, FUNC_Numerar_Bloco(u"G01", 1, 0, true, counter));
    QCOMPARE(counter, qint64(2147483647));
    QVERIFY_THROWS_EXCEPTION(Error, FUNC_Numerar_Bloco(u"N2147483648 G01", 1, 0, false, counter));
    QCOMPARE(FUNC_Numerar_Bloco(u"N000000000000002147483647", 1, 0, false, counter), QStringLiteral("N2147483647"));

    RenumberTool::Options options;
    options.renumber = true;
    options.start = 100000000;
    options.increment = 100000000;
    RenumberTool tool(options);
    QStringList many;
    for (int i = 0; i < 30; ++i)
        many << QStringLiteral("G01");
    StringListLines big(many);
    try {
        FUNC_Aplicar_Ferramenta(big, tool, ToolRange());
        QFAIL("no error");
    } catch (const ToolLineError &error) {
        QCOMPARE(error.lineNumber(), 22); // 100000000 * 22 > 2147483647
    }
    QCOMPARE(big.line(20), QStringLiteral("N2100000000G01"));
    QCOMPARE(big.line(21), QStringLiteral("G01"));
}

void TestLineTools::writesHistoryDetails()
{
    Texts::FUNC_Textos_EN();
    RenumberTool::Options options;
    options.digitsOn = true;
    options.digits = 4;
    options.renumber = true;
    options.start = 100;
    options.increment = 5;
    QCOMPARE(RenumberTool(options).historyDetails(),
             QStringList({QStringLiteral("Defined number of significant digits - Number of significant digits "
                                         "applied in function : 4"),
                          QStringLiteral("Renumbered Number of Blocks of File"),
                          QStringLiteral("Starting Number of Block  for the function : 100 - Increment value for "
                                         "the Block of function : 5")}));
    MirrorTool::Options mirror;
    mirror.y = true;
    mirror.g02 = true;
    mirror.g03 = true;
    QCOMPARE(MirrorTool(mirror).historyDetails(),
             QStringList({QStringLiteral("/ Mirroring the \"Y\" axis"),
                          QStringLiteral("Replaced G02 code by G03 code / Replaced G03 code by G02 code"), QString()}));
    const auto addchar = parseCommandLine({QStringLiteral("addchar"), QStringLiteral("--text="), QStringLiteral("--start")});
    QCOMPARE(addchar.makeTool(NumberSyntax())->historyDetails().first(),
             QStringLiteral("Added character at the beginning of the file lines : "));
    const auto translate = parseCommandLine({QStringLiteral("translate"), QStringLiteral("--y"), QStringLiteral(" 2 ")});
    QCOMPARE(translate.makeTool(NumberSyntax())->historyDetails(),
             QStringList({QString(), QStringLiteral("Incremented the \"Y\" axis value of :  2 "), QString()}));
    ToolRange range;
    QCOMPARE(range.historyLine(), QStringLiteral("Function Applied across File"));
    range.wholeFile = false;
    range.firstLine = 5;
    range.lastLine = 3;
    QCOMPARE(range.historyLine(), QStringLiteral("Function applied on line 5 up the line 3 of the File"));
}

QTEST_GUILESS_MAIN(TestLineTools)
#include "tst_linetools.moc"
