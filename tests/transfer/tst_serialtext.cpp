#include "transfer/ProgramEnd.h"
#include "transfer/ReceivedText.h"
#include "transfer/ReceptionWatch.h"
#include "transfer/SerialSendStream.h"

#include <QtTest>

// What goes out over the line for a program file, and how received bytes are shown and saved.
class tst_SerialText : public QObject
{
    Q_OBJECT

private slots:
    void endOfProgramMark_data();
    void endOfProgramMark();
    void transmission_data();
    void transmission();
    void progressCountsFileBytes();
    void shownText_data();
    void shownText();
    void savedLines_data();
    void savedLines();
    void endOfTransmission();
};

void tst_SerialText::transmission_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("LF line ends become CR LF") << QByteArray("%\nG0 X1\nM30\n") << QByteArray("%\r\nG0 X1\r\nM30\r\n");
    QTest::newRow("CR LF line ends unchanged") << QByteArray("%\r\nG0 X1\r\n") << QByteArray("%\r\nG0 X1\r\n");
    QTest::newRow("lone CR unchanged") << QByteArray("A\rB\r") << QByteArray("A\rB\r");
    QTest::newRow("LF first") << QByteArray("\nA") << QByteArray("\r\nA");
    QTest::newRow("LF CR LF") << QByteArray("A\n\r\nB") << QByteArray("A\r\n\r\nB");
    QTest::newRow("Ctrl-Z in the middle ends it") << QByteArray("A\nB\x1a" "C\n") << QByteArray("A\r\nB");
    QTest::newRow("Ctrl-Z first sends only that byte") << QByteArray("\x1a" "ABC\n") << QByteArray("\x1a");
    QTest::newRow("LF after a first Ctrl-Z not sent") << QByteArray("\x1a\n") << QByteArray("\x1a");
    QTest::newRow("Ctrl-Z last") << QByteArray("M30\n\x1a") << QByteArray("M30\r\n");
    QTest::newRow("empty file sends nothing") << QByteArray() << QByteArray();
    // Multi-byte text goes out as its bytes: nothing is re-encoded.
    QTest::newRow("UTF-8 bytes as stored") << QByteArray("(\xc3\x98 10)\n") << QByteArray("(\xc3\x98 10)\r\n");
    QTest::newRow("8-bit and zero bytes as stored")
        << QByteArray(2, '\0') + "%\n(\xe9)\xff\n" << QByteArray(2, '\0') + "%\r\n(\xe9)\xff\r\n";
}

void tst_SerialText::transmission()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, sent);
    QCOMPARE(SerialSendStream::wholeTransmission(file), sent);
}

void tst_SerialText::progressCountsFileBytes()
{
    SerialSendStream stream(QByteArray("A\nB\x1a" "C"));
    QCOMPARE(stream.size(), 5);
    QList<qint64> positions;
    QByteArrayList writes;
    while (!stream.atEnd()) {
        writes << stream.next();
        positions << stream.position();
    }
    // One write per file byte; the inserted CR rides with its LF.
    QCOMPARE(writes, QByteArrayList({"A", "\r\n", "B"}));
    QCOMPARE(positions, QList<qint64>({1, 2, 3}));
    QVERIFY(stream.next().isEmpty());
}

void tst_SerialText::shownText_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QString>("shown");

    QTest::newRow("CR LF") << QByteArrayList{"G0\r\nG1\r\n"} << QStringLiteral("G0\nG1\n");
    QTest::newRow("CR LF split over two notifications") << QByteArrayList{"G0\r", "\nG1\r", "\n"}
                                                        << QStringLiteral("G0\nG1\n");
    QTest::newRow("lone LF and lone CR") << QByteArrayList{"A\nB\rC"} << QStringLiteral("A\nB\nC");
    // One LF with the CRs next to it is one line end.
    QTest::newRow("LF CR is one break") << QByteArrayList{"A\n\rB"} << QStringLiteral("A\nB");
    QTest::newRow("LF CR CR is one break") << QByteArrayList{"N10 G0\n\r\rN20"} << QStringLiteral("N10 G0\nN20");
    QTest::newRow("CR CR LF is one break") << QByteArrayList{"A\r\r\nB"} << QStringLiteral("A\nB");
    QTest::newRow("LF CR CR split over notifications")
        << QByteArrayList{"A\n", "\r", "\rB\n\r", "\r"} << QStringLiteral("A\nB\n");
    QTest::newRow("CR CR split before its LF") << QByteArrayList{"A\r", "\r", "\nB"} << QStringLiteral("A\nB");
    QTest::newRow("LF LF gives a blank line") << QByteArrayList{"A\n\r\n\rB"} << QStringLiteral("A\n\nB");
    QTest::newRow("CRs without LF: one break each") << QByteArrayList{"A\r\rB\r"} << QStringLiteral("A\n\nB\n");
    QTest::newRow("UTF-8 comment") << QByteArrayList{"(\xc3\x98 10 \xc2\xb5m)"} << QStringLiteral("(\u00d8 10 \u00b5m)");
    QTest::newRow("UTF-8 split over notifications") << QByteArrayList{"(\xe2\x82", "\xac)"} << QStringLiteral("(\u20ac)");
    QTest::newRow("four-byte UTF-8") << QByteArrayList{"\xf0\x9f\x94\xa7"} << QStringLiteral("\U0001F527");
    QTest::newRow("broken UTF-8 as Latin-1") << QByteArrayList{"\xc3(\xc0\xaf\xed\xa0\x80"}
                                             << QStringLiteral("\u00c3(\u00c0\u00af\u00ed\u00a0\u0080");
    QTest::newRow("UTF-8 cut by a line end") << QByteArrayList{"\xc3\n"} << QStringLiteral("\u00c3\n");
    QTest::newRow("unfinished UTF-8 at the end") << QByteArrayList{"A\xe2\x82"} << QStringLiteral("A\u00e2\u0082");
    QTest::newRow("zero bytes shown as the null symbol")
        << QByteArrayList{QByteArray("\0\0%", 3)} << QStringLiteral("\u2400\u2400%");
    QTest::newRow("each byte one character") << QByteArrayList{"\xe9\xff\x80"} << QStringLiteral("\u00e9\u00ff\u0080");
}

void tst_SerialText::shownText()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QString, shown);
    ReceivedText text;
    QString all;
    QByteArray bytes;
    for (const QByteArray &chunk : chunks) {
        all += text.append(chunk);
        bytes += chunk;
    }
    all += text.flush(); // the transmission ended
    QCOMPARE(all, shown);
    QCOMPARE(text.bytes(), bytes);
    QCOMPARE(text.length(), bytes.size());
}

void tst_SerialText::savedLines_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("saved");

    QTest::newRow("CR LF kept") << QByteArray("%\r\nO1\r\n%\r\n") << QByteArray("%\r\nO1\r\n%\r\n");
    QTest::newRow("LF becomes CR LF") << QByteArray("%\nO1\n%\n") << QByteArray("%\r\nO1\r\n%\r\n");
    QTest::newRow("lone CR becomes CR LF") << QByteArray("%\rO1\r") << QByteArray("%\r\nO1\r\n");
    QTest::newRow("last line gets its line end") << QByteArray("G0\r\nM30") << QByteArray("G0\r\nM30\r\n");
    QTest::newRow("blank lines kept") << QByteArray("A\r\n\r\nB\n\nC") << QByteArray("A\r\n\r\nB\r\n\r\nC\r\n");
    QTest::newRow("tape leader zeros and 8-bit bytes kept")
        << QByteArray(3, '\0') + "%\n(\xe9\xff)\x1a\n" << QByteArray(3, '\0') + "%\r\n(\xe9\xff)\x1a\r\n";
    QTest::newRow("nothing received") << QByteArray() << QByteArray();
    QTest::newRow("LF CR CR is one line end") << QByteArray("N10\n\r\rN20\n\r\r") << QByteArray("N10\r\nN20\r\n");
    QTest::newRow("LF CR is one line end") << QByteArray("A\n\rB\n\r") << QByteArray("A\r\nB\r\n");
    QTest::newRow("CR CR LF is one line end") << QByteArray("A\r\r\nB") << QByteArray("A\r\nB\r\n");
    QTest::newRow("a run of LFs keeps its blank lines")
        << QByteArray("A\n\r\r\n\r\rB") << QByteArray("A\r\n\r\nB\r\n");
    QTest::newRow("CRs without LF: one line end each") << QByteArray("A\r\rB") << QByteArray("A\r\n\r\nB\r\n");
    QTest::newRow("UTF-8 bytes as received") << QByteArray("(\xc3\x98)\n") << QByteArray("(\xc3\x98)\r\n");
}

void tst_SerialText::savedLines()
{
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, saved);
    ReceivedText text;
    // Split anywhere: how the bytes arrived must not matter.
    for (qsizetype i = 0; i < received.size(); i += 3)
        text.append(received.mid(i, 3));
    QCOMPARE(text.fileBytes(), saved);
}

void tst_SerialText::endOfTransmission()
{
    ReceptionWatch watch;
    QVERIFY(!watch.tick(0)); // waiting, without a time limit
    QVERIFY(!watch.tick(0));
    QVERIFY(!watch.tick(10)); // first tick with text only records it
    QVERIFY(!watch.tick(25));
    QVERIFY(watch.tick(25)); // no growth since the tick before
    QCOMPARE(watch.ReceivedLength, 25);

    watch.reset();
    QVERIFY(!watch.tick(7));
    QVERIFY(watch.tick(7)); // a short program ends at its second tick
}

void tst_SerialText::endOfProgramMark_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ends");
    QTest::newRow("M30 last") << QByteArray("O1\r\nG0 X1\r\nM30\r\n") << true;
    QTest::newRow("M30 then closing % and tape trailer")
        << QByteArray("%\nO1\nG0 X1\nM30\n%\n\0\0\0\x13") << true;
    QTest::newRow("closing % alone") << QByteArray("%\nO1\nG0 X1\n%") << true;
    QTest::newRow("M2 and M02 with a sequence number") << QByteArray("N10 G0 X1\nN20 M02\n") << true;
    QTest::newRow("M99 of a subprogram, lower case") << QByteArray("o9001\ng0 x1\nm99\n") << true;
    QTest::newRow("M30 with a comment after it") << QByteArray("G0 X1\nM30 (END OF PART)\n") << true;
    QTest::newRow("M30 blank-separated from its letter") << QByteArray("G0 X1\nM 30\n") << true;
    QTest::newRow("cut off before M30") << QByteArray("%\nO1\nG0 X1\nG1 X2 Y3 F10") << false;
    QTest::newRow("M30 only in a comment") << QByteArray("G0 X1\n(M30 COMES LATER)\n") << false;
    QTest::newRow("M300 and M3 are no end") << QByteArray("M3 S1000\nM300\n") << false;
    QTest::newRow("M30 too far back") << QByteArray("M30\nG0 X1\nG0 X2\nG0 X3\n") << false;
    QTest::newRow("a % inside a line is no closing %") << QByteArray("G0 X1\n#1=5%2\n") << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void tst_SerialText::endOfProgramMark()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ends);
    QCOMPARE(ProgramEnd::hasEndMark(text), ends);
}

QTEST_GUILESS_MAIN(tst_SerialText)
#include "tst_serialtext.moc"
