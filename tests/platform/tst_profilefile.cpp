#include "TestSupport.h"
#include "platform/ProfileFile.h"

#include <QTemporaryDir>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void readsWithoutRegardToCase();
    void integers_data();
    void integers();
    void readIsLimitedTo2047Characters();
    void missingFileAndKeyGiveDefault();
    void writeKeepsEverythingElseByteForByte();
    void writeAddsKeyAndSection();
    void writeKeepsEachLineBreak();
    void writeCreatesMissingFile();
    void refusedWriteNamesTheFile();
    void latin1FileStaysLatin1();

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
};

void tst_ProfileFile::readsWithoutRegardToCase()
{
    writeBytes(path("case.ini"), "[language]\r\nvalue=EN\r\n[DirBd]\r\n  Value = C:\\CNC\\maq.mdb  \r\n");
    ProfileFile ini(path("case.ini"));
    QCOMPARE(ini.readString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QString()), QStringLiteral("EN"));
    QCOMPARE(ini.readString(QStringLiteral("DIRBD"), QStringLiteral("VALUE"), QString()),
             QStringLiteral("C:\\CNC\\maq.mdb"));
}

void tst_ProfileFile::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -999 = the default (not an integer)
    QTest::newRow("decimal") << "255" << 255;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("0x hex") << "0xFF" << 255;
    QTest::newRow("0X hex") << "0X1f" << 31;
    QTest::newRow("dollar hex") << "$FF" << 255;
    QTest::newRow("dollar full pattern") << "$FFFFFFFF" << -1;
    QTest::newRow("0x alone is not hex") << "0x" << -999;
    QTest::newRow("garbage") << "red" << -999;
    QTest::newRow("trailing garbage") << "12px" << -999;
    QTest::newRow("empty") << "" << -999;
    QTest::newRow("decimal overflow") << "99999999999" << -999;
    QTest::newRow("blue") << "16711680" << 16711680;
}

void tst_ProfileFile::integers()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    writeBytes(path("int.ini"), "[CODG]\r\nValor=" + text.toUtf8() + "\r\n");
    QCOMPARE(ProfileFile(path("int.ini")).readInteger(QStringLiteral("codg"), QStringLiteral("VALOR"), -999),
             expected);
}

void tst_ProfileFile::readIsLimitedTo2047Characters()
{
    const QByteArray longValue(3000, 'x');
    writeBytes(path("long.ini"), "[A]\nK=" + longValue + "\n");
    QCOMPARE(ProfileFile(path("long.ini")).readString(QStringLiteral("A"), QStringLiteral("K"), QString()).size(),
             2047);
}

void tst_ProfileFile::missingFileAndKeyGiveDefault()
{
    ProfileFile missing(path("nothere.ini"));
    QCOMPARE(missing.readString(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("d")), QStringLiteral("d"));
    writeBytes(path("other.ini"), "[A]\nC=1\n[B]\nB=2\n");
    QCOMPARE(ProfileFile(path("other.ini")).readString(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("d")),
             QStringLiteral("d"));
}

void tst_ProfileFile::writeKeepsEverythingElseByteForByte()
{
    const QByteArray before = "; shop settings\r\n[DIRBD]\r\nVALUE=old.db\r\nExtra = kept  as is\r\n\r\n"
                              "[LANGUAGE]\r\nVALUE=PTBR\r\n[UNKNOWN]\r\nfoo=bar\r\n";
    writeBytes(path("keep.ini"), before);
    ProfileFile ini(path("keep.ini"));
    QString error;
    QVERIFY(ini.writeString(QStringLiteral("language"), QStringLiteral("value"), QStringLiteral("EN"), &error));
    QByteArray expected = before;
    expected.replace("VALUE=PTBR", "value=EN");
    QCOMPARE(readBytes(path("keep.ini")), expected);
}

void tst_ProfileFile::writeAddsKeyAndSection()
{
    writeBytes(path("add.ini"), "[FONTE]\nTIPO=Courier\n\n[CODA]\nValor=1\n");
    ProfileFile ini(path("add.ini"));
    QString error;
    QVERIFY(ini.writeInteger(QStringLiteral("FONTE"), QStringLiteral("TAMANHO"), 10, &error));
    QVERIFY(ini.writeInteger(QStringLiteral("CODB"), QStringLiteral("Valor"), 255, &error));
    QCOMPARE(readBytes(path("add.ini")), QByteArray("[FONTE]\nTIPO=Courier\nTAMANHO=10\n\n[CODA]\nValor=1\n\n"
                                                    "[CODB]\nValor=255\n"));
    QCOMPARE(ini.readInteger(QStringLiteral("fonte"), QStringLiteral("tamanho"), 0), 10);
}

void tst_ProfileFile::writeKeepsEachLineBreak()
{
    // Mixed breaks stay as they were; new lines take the file's usual break, and
    // a file without a final break keeps going without one.
    writeBytes(path("mixed.ini"), "[A]\r\nx=1\ny=2\rz=3");
    ProfileFile ini(path("mixed.ini"));
    QString error;
    QVERIFY(ini.writeString(QStringLiteral("A"), QStringLiteral("y"), QStringLiteral("20"), &error));
    QCOMPARE(readBytes(path("mixed.ini")), QByteArray("[A]\r\nx=1\ny=20\rz=3"));
    QVERIFY(ini.writeString(QStringLiteral("A"), QStringLiteral("w"), QStringLiteral("4"), &error));
    QCOMPARE(readBytes(path("mixed.ini")), QByteArray("[A]\r\nx=1\ny=20\rz=3\r\nw=4"));
    QVERIFY(ini.writeString(QStringLiteral("B"), QStringLiteral("v"), QStringLiteral("5"), &error));
    QCOMPARE(readBytes(path("mixed.ini")), QByteArray("[A]\r\nx=1\ny=20\rz=3\r\nw=4\r\n\r\n[B]\r\nv=5\r\n"));
}

void tst_ProfileFile::writeCreatesMissingFile()
{
    ProfileFile ini(path("new.ini"));
    QString error;
    QVERIFY(ini.writeString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QStringLiteral("DE"), &error));
    QCOMPARE(ini.readString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QString()), QStringLiteral("DE"));
}

void tst_ProfileFile::refusedWriteNamesTheFile()
{
    // A folder that does not exist cannot take the file (this holds for root too).
    const QString target = m_dir.filePath(QStringLiteral("no/such/folder/Zavrin.ini"));
    ProfileFile ini(target);
    QString error;
    QVERIFY(!ini.writeString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QStringLiteral("EN"), &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + target);
}

void tst_ProfileFile::latin1FileStaysLatin1()
{
    const QByteArray before = "[FONTE]\r\nTIPO=Fonte m\xe9" "dia\r\n";
    writeBytes(path("latin.ini"), before);
    ProfileFile ini(path("latin.ini"));
    QCOMPARE(ini.readString(QStringLiteral("FONTE"), QStringLiteral("TIPO"), QString()),
             QString::fromUtf8("Fonte média"));
    QString error;
    QVERIFY(ini.writeInteger(QStringLiteral("FONTE"), QStringLiteral("TAMANHO"), 9, &error));
    QCOMPARE(readBytes(path("latin.ini")), before + "TAMANHO=9\r\n");
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
