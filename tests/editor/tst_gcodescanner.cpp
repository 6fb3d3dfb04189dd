#include "TestSupport.h"

#include "editor/GCodeScanner.h"
#include "editor/ProgramFile.h"

#include <QtTest>

class tst_GCodeScanner : public QObject
{
    Q_OBJECT

private slots:
    void tokens_data();
    void tokens();
    void corpusLinesAreCoveredExactly();
    void colourIndices();
};

void tst_GCodeScanner::tokens_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("tokens");

    auto row = [](const char *name, const QString &line, const char *tokens) {
        QTest::newRow(name) << line << QString::fromLatin1(tokens);
    };
    row("words split at letters", QStringLiteral("G01X-10.5Y2"), "G@0+3 X@3+6 Y@9+2");
    row("lower case alike", QStringLiteral("g01x-10.5y2"), "G@0+3 X@3+6 Y@9+2");
    row("blank after letter belongs to it", QStringLiteral("G X10"), "G@0+2 X@2+3");
    row("second blank is a space token", QStringLiteral("G  X10"), "G@0+2 space@2+1 X@3+3");
    row("two letters in a row are one word", QStringLiteral("XY10"), "X@0+4");
    row("block number then word", QStringLiteral("N10G0"), "N@0+3 G@3+2");
    row("blank ends a word", QStringLiteral("N10 G0"), "N@0+3 space@3+1 G@4+2");
    row("blanks and tabs are one space", QStringLiteral("G1  \t X2"), "G@0+2 space@2+4 X@6+2");
    row("letter alone", QStringLiteral("G"), "G@0+1");
    row("letter always takes the next character", QStringLiteral("X(abc)"), "X@0+2 A@2+2 C@4+2");
    row("star ends a word", QStringLiteral("X1*Y"), "X@0+2 char@2+1 Y@3+1");
    row("unclosed comment runs to the end", QStringLiteral("G1 (COMMENT"), "G@0+2 space@2+1 ()@3+8");
    row("comment", QStringLiteral("G0(A)X1"), "G@0+2 ()@2+3 X@5+2");
    row("second opener is plain", QStringLiteral("((A))"), "()@0+4 char@4+1");
    row("percent alone", QStringLiteral("%"), "%@0+1");
    row("percent pair", QStringLiteral("%PROG%X1"), "%@0+6 X@6+2");
    row("hash pair", QStringLiteral("#1=5#"), "#@0+5");
    row("angle, brace, bracket", QStringLiteral("<a>{b}[c]"), "<>@0+3 {}@3+3 []@6+3");
    row("W is a plain character", QStringLiteral("W1w"), "char@0+1 char@1+1 char@2+1");
    row("punctuation", QStringLiteral("|~;:"), "char@0+1 char@1+1 char@2+1 char@3+1");
    row("unlabelled number", QStringLiteral("-1.5"), "char@0+1 char@1+1 char@2+1 char@3+1");
    row("identifier U", QStringLiteral("U-1"), "ident@0+1 char@1+1 char@2+1");
    row("identifier runs over letters", QStringLiteral("O1000X5"), "ident@0+7");
    row("identifiers", QStringLiteral("D12 H3 P5000 Q1 E5 V L2 _A"),
        "ident@0+3 space@3+1 ident@4+2 space@6+1 ident@7+5 space@12+1 ident@13+2 space@15+1 "
        "ident@16+2 space@18+1 ident@19+1 space@20+1 ident@21+2 space@23+1 ident@24+2");
    row("keyword upper case", QStringLiteral("HARBOUR"), "keyword@0+7");
    row("keyword lower case", QStringLiteral("harbour X1"), "keyword@0+7 space@7+1 X@8+2");
    row("longer identifier is no keyword", QStringLiteral("HARBOURS"), "ident@0+8");
    row("semicolon comment", QStringLiteral("G1 ;comment"), "G@0+2 space@2+1 char@3+1 C@4+2 M@6+2 ident@8+3");
    row("characters above 127", QStringLiteral("X\u00e9 \u00c9"), "X@0+2 space@2+1 char@3+1");
    row("kelvin sign is no K", QStringLiteral("\u212a1"), "char@0+1 char@1+1");
    row("zero character", QString::fromUtf8("G\0X", 3), "G@0+2 X@2+1");
    row("zero character alone", QString(QChar(0)), "nul@0+1");
    row("empty line", QString(), "");
    row("leading blanks", QStringLiteral("  M30"), "space@0+2 M@2+3");
}

void tst_GCodeScanner::tokens()
{
    QFETCH(QString, line);
    QFETCH(QString, tokens);
    QCOMPARE(formatGCodeTokens(scanGCodeLine(line)), tokens);
}

// Whatever the text, the tokens follow one another without gap or overlap and
// end exactly at the end of the line (the editor styles by these lengths).
void tst_GCodeScanner::corpusLinesAreCoveredExactly()
{
    int lines = 0;
    for (const QString &path : TestSupport::corpusFiles()) {
        const ProgramText text = readProgramFile(path);
        for (const QString &line : text.lines) {
            int at = 0;
            for (const GCodeToken &t : scanGCodeLine(line)) {
                QCOMPARE(t.start, at);
                QVERIFY(t.length > 0);
                QVERIFY(t.kind != GCodeTokenKind::Test);
                at += t.length;
            }
            QCOMPARE(at, int(line.size()));
            ++lines;
        }
    }
    QVERIFY(lines > 0);
}

void tst_GCodeScanner::colourIndices()
{
    // The colour of each address letter is the setting of that letter.
    const QString order = QStringLiteral("ABCFGIJKMNRSTXYZ");
    for (int i = 0; i < order.size(); ++i) {
        const QList<GCodeToken> t = scanGCodeLine(order.mid(i, 1) + QStringLiteral("1"));
        QCOMPARE(t.size(), 1);
        QCOMPARE(gcodeColourIndex(t[0].kind), i);
    }
    const QStringList delimited{QStringLiteral("%%"), QStringLiteral("##"), QStringLiteral("<>"),
                                QStringLiteral("()"), QStringLiteral("{}"), QStringLiteral("[]")};
    for (int i = 0; i < delimited.size(); ++i)
        QCOMPARE(gcodeColourIndex(scanGCodeLine(delimited[i]).at(0).kind), 16 + i);
    QCOMPARE(gcodeAttributeName(GCodeTokenKind::AddressY), QStringLiteral("String15"));
    QCOMPARE(gcodeColourIndex(GCodeTokenKind::Identifier), -1);
}

QTEST_GUILESS_MAIN(tst_GCodeScanner)
#include "tst_gcodescanner.moc"
