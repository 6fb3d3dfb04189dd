#include "TestSupport.h"

#include "editor/ProgramFile.h"
#include "platform/Error.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ProgramEncoding)

namespace {

QByteArray utf16le(const QString &text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

QByteArray utf16be(const QString &text)
{
    QByteArray out("\xFE\xFF", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

QString ls() { return QString(QChar(0x2028)); }

} // namespace

class tst_ProgramFile : public QObject
{
    Q_OBJECT

private slots:
    void corpusRoundTrip_data();
    void corpusRoundTrip();
    void handMade_data();
    void handMade();
    void changedLinesKeepTheirBreak();
    void appendedLinesTakeTheFileBreak();
    void newText();
    void unrepresentableCharacterRefusesToWrite();
    void readErrors();
    void documentStandsInForLineSeparators_data();
    void documentStandsInForLineSeparators();
    void documentLatin1();
};

void tst_ProgramFile::corpusRoundTrip_data()
{
    QTest::addColumn<QString>("path");
    const QStringList files = TestSupport::corpusFiles();
    QVERIFY(!files.isEmpty());
    for (const QString &path : files)
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

// Every real program is written back exactly as it was read, through both the
// line view and the buffer the editor holds, and both see the same lines.
void tst_ProgramFile::corpusRoundTrip()
{
    QFETCH(QString, path);
    const QByteArray bytes = TestSupport::readBytes(path);
    const ProgramText text = decodeProgramFile(bytes);
    QCOMPARE(encodeProgramFile(text), bytes);

    const ProgramDocument doc = decodeProgramDocument(bytes);
    QCOMPARE(encodeProgramDocument(doc.utf8, doc.form), bytes);
    QCOMPARE(doc.form.encoding, text.encoding);
    QCOMPARE(doc.form.lineBreak, text.lineBreak);
    const qsizetype docLines = doc.utf8.count('\n') + doc.utf8.count('\r') - doc.utf8.count("\r\n") + 1;
    QCOMPARE(docLines, text.lines.size());

    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.nc"));
    writeProgramFile(copy, readProgramFile(path));
    QCOMPARE(TestSupport::readBytes(copy), bytes);
}

void tst_ProgramFile::handMade_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ProgramEncoding>("encoding");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("lineBreak");
    QTest::addColumn<QByteArray>("written");

    const QString crlf = QStringLiteral("\r\n");
    const QString lf = QStringLiteral("\n");
    const QString cr = QStringLiteral("\r");
    const QByteArray same;

    QTest::newRow("empty file") << QByteArray() << ProgramEncoding::Utf8 << QStringList{QString()} << crlf << same;
    QTest::newRow("crlf with final break")
        << QByteArray("G1 X1\r\nM30\r\n") << ProgramEncoding::Utf8
        << QStringList{QStringLiteral("G1 X1"), QStringLiteral("M30"), QString()} << crlf << same;
    QTest::newRow("lf without final break") << QByteArray("G1\nM30") << ProgramEncoding::Utf8
                                            << QStringList{QStringLiteral("G1"), QStringLiteral("M30")} << lf << same;
    QTest::newRow("cr only") << QByteArray("%\rO1\r%\r") << ProgramEncoding::Utf8
                             << QStringList{QStringLiteral("%"), QStringLiteral("O1"), QStringLiteral("%"), QString()}
                             << cr << same;
    QTest::newRow("mixed, tie goes to the first break")
        << QByteArray("A\r\nB\nC\rD") << ProgramEncoding::Utf8
        << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")} << crlf
        << same;
    QTest::newRow("mixed, lf most frequent")
        << QByteArray("A\r\nB\nC\nD") << ProgramEncoding::Utf8
        << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}
        << lf << same;
    QTest::newRow("cr then lf is one break") << QByteArray("A\r\n\rB\n\r") << ProgramEncoding::Utf8
                                             << QStringList{QStringLiteral("A"), QString(), QStringLiteral("B"),
                                                            QString(), QString()}
                                             << cr << same;
    QTest::newRow("latin-1 bytes") << QByteArray("N10 (\xE9\xFC\xB0)\r\n") << ProgramEncoding::Latin1
                                   << QStringList{QStringLiteral("N10 (\u00e9\u00fc\u00b0)"), QString()} << crlf << same;
    QTest::newRow("every byte value")
        << [] { QByteArray b; for (int i = 0; i < 256; ++i) b.append(char(i)); return b; }()
        << ProgramEncoding::Latin1
        << [] {
               QString s;
               for (int i = 0; i < 256; ++i)
                   s.append(QChar(i));
               QStringList l = s.split(QStringLiteral("\n"));
               return QStringList{l[0], l[1].left(2), l[1].mid(3)};
           }()
        << lf << same;
    QTest::newRow("valid utf-8") << QByteArray("(\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xA7)\n") << ProgramEncoding::Utf8
                                 << QStringList{QStringLiteral("(\u00e9 \u20ac \U0001F527)"), QString()} << lf << same;
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFG1\r\n") << ProgramEncoding::Utf8
                                << QStringList{QStringLiteral("G1"), QString()} << crlf << same;
    QTest::newRow("utf-8 noncharacter") << QByteArray("\xEF\xBF\xBE\n") << ProgramEncoding::Utf8
                                        << QStringList{QString(QChar(0xFFFE)), QString()} << lf << same;
    QTest::newRow("overlong utf-8 is latin-1") << QByteArray("\xC0\xAF") << ProgramEncoding::Latin1
                                               << QStringList{QStringLiteral("\u00c0\u00af")} << crlf << same;
    QTest::newRow("encoded surrogate is latin-1") << QByteArray("\xED\xA0\x80") << ProgramEncoding::Latin1
                                                  << QStringList{QStringLiteral("\u00ed\u00a0\u0080")} << crlf << same;
    QTest::newRow("truncated utf-8 is latin-1") << QByteArray("G1 \xE2\x82") << ProgramEncoding::Latin1
                                                << QStringList{QStringLiteral("G1 \u00e2\u0082")} << crlf << same;
    QTest::newRow("zero bytes") << QByteArray("G1\0X2\n", 6) << ProgramEncoding::Utf8
                                << QStringList{QString::fromUtf8("G1\0X2", 5), QString()} << lf << same;
    QTest::newRow("utf-16 le") << utf16le(QStringLiteral("G1 \u00e9\r\nM30\r\n")) << ProgramEncoding::Utf16LE
                               << QStringList{QStringLiteral("G1 \u00e9"), QStringLiteral("M30"), QString()} << crlf
                               << same;
    QTest::newRow("utf-16 be is written little-endian")
        << utf16be(QStringLiteral("G1\nM30")) << ProgramEncoding::Utf16BE
        << QStringList{QStringLiteral("G1"), QStringLiteral("M30")} << lf << utf16le(QStringLiteral("G1\nM30"));
    QTest::newRow("utf-16 line separators") << utf16le(QStringLiteral("G1") + ls() + QStringLiteral("M30") + ls())
                                            << ProgramEncoding::Utf16LE
                                            << QStringList{QStringLiteral("G1"), QStringLiteral("M30"), QString()}
                                            << ls() << same;
    QTest::newRow("utf-16 lone surrogate") << utf16le(QString(QChar(0xD800)) + QStringLiteral("\r\nX"))
                                           << ProgramEncoding::Utf16LE
                                           << QStringList{QString(QChar(0xD800)), QStringLiteral("X")} << crlf << same;
    QTest::newRow("utf-16 mark alone") << QByteArray("\xFF\xFE") << ProgramEncoding::Utf16LE
                                       << QStringList{QString()} << crlf << same;
    QTest::newRow("odd length after a utf-16 mark is 8-bit")
        << QByteArray("\xFF\xFE" "A") << ProgramEncoding::Latin1 << QStringList{QStringLiteral("\u00ff\u00fe" "A")}
        << crlf << same;
    QTest::newRow("second utf-8 mark is text")
        << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF%\n") << ProgramEncoding::Utf8
        << QStringList{QStringLiteral("\ufeff%"), QString()} << lf << same;
    QTest::newRow("line separator in utf-8 is no break")
        << QByteArray("A\xE2\x80\xA8" "B") << ProgramEncoding::Utf8 << QStringList{QStringLiteral("A\u2028B")} << crlf
        << same;
}

void tst_ProgramFile::handMade()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ProgramEncoding, encoding);
    QFETCH(QStringList, lines);
    QFETCH(QString, lineBreak);
    QFETCH(QByteArray, written);
    if (written.isNull())
        written = bytes;

    const ProgramText text = decodeProgramFile(bytes);
    QCOMPARE(text.encoding, encoding);
    QCOMPARE(text.lines, lines);
    QCOMPARE(text.lineBreak, lineBreak);
    QCOMPARE(encodeProgramFile(text), written);

    const ProgramDocument doc = decodeProgramDocument(bytes);
    QCOMPARE(doc.form.encoding, encoding);
    QCOMPARE(doc.form.lineBreak, lineBreak);
    QCOMPARE(encodeProgramDocument(doc.utf8, doc.form), written);
}

void tst_ProgramFile::changedLinesKeepTheirBreak()
{
    ProgramText text = decodeProgramFile(QByteArray("A\r\nB\nC\rD"));
    text.lines[1] = QStringLiteral("B2");
    text.lines[3] = QStringLiteral("D2");
    QCOMPARE(encodeProgramFile(text), QByteArray("A\r\nB2\nC\rD2"));
}

void tst_ProgramFile::appendedLinesTakeTheFileBreak()
{
    ProgramText text = decodeProgramFile(QByteArray("A\nB\r\nC\n"));
    text.lines.last() = QStringLiteral("D");
    text.lines << QStringLiteral("E") << QString();
    QCOMPARE(encodeProgramFile(text), QByteArray("A\nB\r\nC\nD\nE\n"));

    // A file without breaks ends its old last line with CR LF.
    ProgramText one = decodeProgramFile(QByteArray("G1"));
    one.lines << QStringLiteral("M30");
    QCOMPARE(encodeProgramFile(one), QByteArray("G1\r\nM30"));

    // An empty last line after a lone CR keeps its own line: an LF would join
    // that CR into one CR LF.
    ProgramText cr = decodeProgramFile(QByteArray("A\nB\r"));
    cr.lines << QStringLiteral("C");
    const QByteArray bytes = encodeProgramFile(cr);
    QCOMPARE(bytes, QByteArray("A\nB\r\rC"));
    QCOMPARE(decodeProgramFile(bytes).lines, cr.lines);
}

void tst_ProgramFile::newText()
{
    ProgramText text = newProgramText();
    QCOMPARE(text.lines, QStringList{QString()});
    QCOMPARE(encodeProgramFile(text), QByteArray());
    text.lines = QStringList{QStringLiteral("G0 X1"), QStringLiteral("M30"), QString()};
    QCOMPARE(encodeProgramFile(text), QByteArray("G0 X1\r\nM30\r\n"));
}

// A character the file's 8-bit encoding has no byte for is never written as
// something else: the write fails with the line named, the old file stays.
void tst_ProgramFile::unrepresentableCharacterRefusesToWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.nc"));
    TestSupport::writeBytes(path, QByteArray("N10 (\xE9)\nN20\n"));
    ProgramText text = readProgramFile(path);
    QCOMPARE(text.encoding, ProgramEncoding::Latin1);
    text.lines[1] = QStringLiteral("N20 (\u20ac)");
    try {
        writeProgramFile(path, text);
        QFAIL("no error");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("line 2")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("\u20ac")), qPrintable(e.message()));
    }
    QCOMPARE(TestSupport::readBytes(path), QByteArray("N10 (\xE9)\nN20\n"));

    ProgramDocument doc = readProgramDocument(path);
    doc.utf8.append("\xE2\x82\xAC");
    QVERIFY_THROWS_EXCEPTION(Error, encodeProgramDocument(doc.utf8, doc.form));
}

void tst_ProgramFile::readErrors()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.nc"));
    try {
        readProgramFile(missing);
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("file not found: ") + missing);
    }
    QVERIFY_THROWS_EXCEPTION(Error, readProgramFile(dir.path()));
    QVERIFY_THROWS_EXCEPTION(Error, writeProgramFile(dir.filePath(QStringLiteral("no/such/dir/p.nc")), newProgramText()));
}

void tst_ProgramFile::documentStandsInForLineSeparators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("standIn");
    QTest::addColumn<QString>("edited"); // the text after a line "N" was added at the end

    QTest::newRow("separators only") << QStringLiteral("A\u2028B") << QByteArray("\n") << QStringLiteral("A\u2028B\u2028N");
    QTest::newRow("separators and lf") << QStringLiteral("A\u2028B\nC") << QByteArray("\r\n")
                                       << QStringLiteral("A\u2028B\nC\u2028N");
    QTest::newRow("separator after a cr break") << QStringLiteral("A\r\u2028B\u2028C") << QByteArray("\r\n")
                                                << QStringLiteral("A\r\u2028B\u2028C\u2028N");
    // A LF stand-in would turn the LF of each CR LF into a separator on saving.
    QTest::newRow("separators and cr lf") << QStringLiteral("A\r\nB\u2028C\u2028D") << QByteArray("\r")
                                          << QStringLiteral("A\r\nB\u2028C\u2028D\u2028N");
    // With every control line end in use there is nothing to stand in: the
    // separators stay inside the lines, and the file still round-trips.
    QTest::newRow("all breaks in use") << QStringLiteral("A\r\nB\nC\u2028D\u2028E") << QByteArray()
                                       << QStringLiteral("A\r\nB\nC\u2028D\u2028E\r\nN");
}

void tst_ProgramFile::documentStandsInForLineSeparators()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, standIn);
    QFETCH(QString, edited);

    const QByteArray bytes = utf16le(text);
    ProgramDocument doc = decodeProgramDocument(bytes);
    QCOMPARE(doc.form.separatorStandIn, standIn);
    QVERIFY(!doc.utf8.contains("\xE2\x80\xA8") || standIn.isEmpty());
    QCOMPARE(encodeProgramDocument(doc.utf8, doc.form), bytes);

    doc.utf8 += doc.form.editorLineEnd() + "N";
    QCOMPARE(encodeProgramDocument(doc.utf8, doc.form), utf16le(edited));
}

void tst_ProgramFile::documentLatin1()
{
    const ProgramDocument doc = decodeProgramDocument(QByteArray("(\xB0\xE9)\r"));
    QCOMPARE(doc.form.encoding, ProgramEncoding::Latin1);
    QCOMPARE(doc.utf8, QByteArray("(\xC2\xB0\xC3\xA9)\r"));
    QCOMPARE(doc.form.editorLineEnd(), QByteArray("\r"));
}

QTEST_GUILESS_MAIN(tst_ProgramFile)
#include "tst_programfile.moc"
