#include "editor/ColourText.h"
#include "editor/DocumentSearch.h"
#include "editor/NewFileList.h"
#include "editor/PlainSearch.h"
#include "editor/SearchState.h"

#include <QtTest>

class tst_EditorCore : public QObject
{
    Q_OBJECT

private slots:
    void history();
    void confirmPosition_data();
    void confirmPosition();
    void colourTexts();
    void newFileMarkers();
    void plainSearch_data();
    void plainSearch();
    void documentSearch_data();
    void documentSearch();
    void regexReplacement_data();
    void regexReplacement();
};

void tst_EditorCore::history()
{
    const QStringList entries{QStringLiteral("G01"), QStringLiteral("x10"), QStringLiteral("M30")};
    QCOMPARE(withHistoryEntry(entries, QStringLiteral("X10")),
             (QStringList{QStringLiteral("X10"), QStringLiteral("G01"), QStringLiteral("M30")}));
    QCOMPARE(withHistoryEntry(entries, QString()), entries);
    QStringList many;
    for (int i = 0; i < 15; ++i)
        many << QString::number(i);
    QCOMPARE(historyEntries(historyText(many)), many.mid(0, 10));
    QCOMPARE(historyEntries(QString()), QStringList());
}

void tst_EditorCore::confirmPosition_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y1");
    QTest::addColumn<QPoint>("expected");
    const QRect main(100, 50, 1000, 600); // lower third begins below y = 450
    QTest::newRow("below the line") << main << 300 << 200 << QPoint(300, 220 + 4);
    QTest::newRow("above a low line") << main << 300 << 500 << QPoint(300, 500 - 284 - 4);
    QTest::newRow("moved left at the right edge") << main << 1000 << 200 << QPoint(1100 - 418, 224);
    QTest::newRow("narrow window: centred on it") << QRect(100, 50, 300, 600) << 150 << 200
                                                  << QPoint(100 - (418 - 300) / 2, 224);
}

void tst_EditorCore::confirmPosition()
{
    QFETCH(QRect, area);
    QFETCH(int, x);
    QFETCH(int, y1);
    QFETCH(QPoint, expected);
    QCOMPARE(confirmDialogPosition(QSize(418, 284), area, x, y1, y1 + 20), expected);
}

void tst_EditorCore::colourTexts()
{
    QCOMPARE(colourText(0), QStringLiteral("Black"));
    QCOMPARE(colourText(255), QStringLiteral("Red"));
    QCOMPARE(colourText(0xFF0000), QStringLiteral("Blue"));
    QCOMPARE(colourText(0x00FF8000), QStringLiteral("$00FF8000"));
    QCOMPARE(colourText(-1), QStringLiteral("$FFFFFFFF"));
}

void tst_EditorCore::newFileMarkers()
{
    const QStringList list{newFileMarker(QStringLiteral("New(11)")), newFileMarker(QStringLiteral("Novo(2)"))};
    QVERIFY(isNewFile(list, QStringLiteral("New(11)")));
    QVERIFY(!isNewFile(list, QStringLiteral("New(1)")));
    QVERIFY(isNewFile(list, QStringLiteral("Novo(2)")));
    QCOMPARE(newFileCaption(QStringLiteral("New"), 3), QStringLiteral("New(3)"));
}

void tst_EditorCore::plainSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QString>("flags"); // c match case, w whole word, b last
    QTest::addColumn<int>("at");        // byte index, -1 none
    QTest::addColumn<int>("length");

    QTest::newRow("case-blind ascii") << "g1 G1" << "G1" << "" << 0 << 2;
    QTest::newRow("match case") << "g1 G1" << "G1" << "c" << 3 << 2;
    QTest::newRow("last") << "G1 g1 x" << "G1" << "b" << 3 << 2;
    QTest::newRow("last, match case") << "G1 g1 x" << "G1" << "bc" << 0 << 2;
    QTest::newRow("whole word skips G10") << "G10 G1" << "G1" << "w" << 4 << 2;
    QTest::newRow("whole word, last") << "G1 G10" << "G1" << "wb" << 0 << 2;
    QTest::newRow("unicode folding") << QStringLiteral("(\u00c9T\u00c9)") << QStringLiteral("\u00e9t\u00e9") << "" << 1 << 5;
    QTest::newRow("folded match of other length") << QStringLiteral("x k1") << QStringLiteral("\u212a1") << "" << 2 << 2;
    QTest::newRow("non-ASCII letters are word characters") << QStringLiteral("\u00e9G1 G1") << QStringLiteral("G1")
                                                           << "w" << 5 << 2;
    QTest::newRow("not there") << "G1" << "G2" << "" << -1 << 0;
    QTest::newRow("longer than the text") << "G" << "G1" << "c" << -1 << 0;
}

void tst_EditorCore::plainSearch()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(QString, flags);
    QFETCH(int, at);
    QFETCH(int, length);
    const PlainSearch search(needle.toUtf8(), flags.contains(QLatin1Char('c')), flags.contains(QLatin1Char('w')));
    const QByteArray bytes = text.toUtf8();
    qsizetype found = 0;
    const qsizetype i = flags.contains(QLatin1Char('b')) ? search.findLast(bytes, -1, -1, &found)
                                                         : search.findFirst(bytes, -1, -1, &found);
    QCOMPARE(int(i), at);
    if (at >= 0)
        QCOMPARE(int(found), length);
}

void tst_EditorCore::documentSearch_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("flags"); // x regex, c match case, w whole word, b backwards
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("found"); // "start-end" in bytes, "-" none

    QTest::newRow("astral character before the match") << QByteArray("\xF0\x9F\x94\xA7 X1") << "X1" << "x" << 0 << "5-7";
    QTest::newRow("astral character matched") << QByteArray("N1 \xF0\x9F\x94\xA7") << "." << "x" << 3 << "3-7";
    QTest::newRow("malformed byte") << QByteArray("\xFF X1") << "X1" << "x" << 0 << "2-4";
    QTest::newRow("malformed byte matched") << QByteArray("\xFF X1") << "^." << "x" << 0 << "0-1";
    QTest::newRow("CR LF lines") << QByteArray("G0\r\nG1\r\n") << "^G1$" << "x" << 0 << "4-6";
    QTest::newRow("CR LF lines back") << QByteArray("G0\r\nG1\r\n") << "^G.$" << "xb" << 8 << "4-6";
    QTest::newRow("lone CR lines") << QByteArray("G0\rG1") << "0$" << "x" << 0 << "1-2";
    QTest::newRow("look-behind before the start") << QByteArray("AX1 X1") << "(?<=A)X1" << "x" << 1 << "1-3";
    QTest::newRow("$ is the line end, not the caret") << QByteArray("X1 X2") << "X.$" << "xb" << 3 << "-";
    QTest::newRow("whole word, open quotation") << QByteArray("X10 X1") << "\\QX1" << "xw" << 0 << "4-6";
    QTest::newRow("whole word, extended comment") << QByteArray("X10 X1") << "(?x) X 1 # the word" << "xw" << 0
                                                  << "4-6";
    QTest::newRow("whole word, a longer alternative") << QByteArray("X10 Y") << "X1|X10" << "xw" << 0 << "0-3";
    QTest::newRow("any case, Greek") << QByteArray("(\xCE\xA9)") << QString::fromUtf8("\xCF\x89") << "x" << 0 << "1-3";
    QTest::newRow("match case, Greek") << QByteArray("(\xCE\xA9)") << QString::fromUtf8("\xCF\x89") << "xc" << 0 << "-";
    QTest::newRow("plain, back in scope") << QByteArray("X1 X1 X1") << "X1" << "b" << 5 << "3-5";
}

void tst_EditorCore::documentSearch()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, pattern);
    QFETCH(QString, flags);
    QFETCH(int, from);
    QFETCH(QString, found);
    const DocumentSearch search(pattern, flags.contains(QLatin1Char('c')), flags.contains(QLatin1Char('w')),
                                flags.contains(QLatin1Char('x')));
    QVERIFY2(search.isValid(), qPrintable(search.patternError()));
    const DocumentSearch::Match m = flags.contains(QLatin1Char('b')) ? search.findBackward(text, 0, from, false)
                                                                   : search.findForward(text, from, text.size(), true);
    QCOMPARE(m.found() ? QStringLiteral("%1-%2").arg(m.start).arg(m.end) : QStringLiteral("-"), found);
}

void tst_EditorCore::regexReplacement_data()
{
    QTest::addColumn<QString>("replace");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("groups") << "\\2\\1\\0" << QByteArray("1XX1");
    QTest::newRow("missing group") << "<\\7>" << QByteArray("<>");
    QTest::newRow("escapes") << "\\\\\\t\\n" << QByteArray("\\\t\n");
    QTest::newRow("other backslashes stay") << "\\q\\" << QByteArray("\\q\\");
    QTest::newRow("non-ASCII") << QStringLiteral("\\1\u00e9") << QByteArray("X\xC3\xA9");
}

void tst_EditorCore::regexReplacement()
{
    QFETCH(QString, replace);
    QFETCH(QByteArray, bytes);
    const DocumentSearch search(QStringLiteral("(X)(1)"), true, false, true);
    const QByteArray text("G X1");
    const DocumentSearch::Match m = search.findForward(text, 0, text.size(), true);
    QCOMPARE(search.replacementFor(m, replace), bytes);
    // A replace all expands the same way.
    const DocumentSearch::Block block = search.replaceAll(text, 0, text.size(), true, true, replace);
    QCOMPARE(block.text, bytes);
    QCOMPARE(block.start, 2);
    QCOMPARE(block.end, 4);
}

QTEST_GUILESS_MAIN(tst_EditorCore)
#include "tst_editorcore.moc"
