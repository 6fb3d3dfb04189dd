#include "editor/ColourText.h"
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

QTEST_GUILESS_MAIN(tst_EditorCore)
#include "tst_editorcore.moc"
