// The program view's remembered settings in Zavrin.ini: the rapid rate for all
// programs, centres and diameter per program folder, the defaults for a file
// without the section, and a refused write that keeps the value for the run.
#include "view/ViewSettings.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Folder = ViewSettings::Folder;

class TestViewSettings : public QObject
{
    Q_OBJECT

private slots:
    void missingSectionGivesTheDefaults_data();
    void missingSectionGivesTheDefaults();
    void settingsSurviveANewReading();
    void folderNamesComeBackAsTheyWere_data();
    void folderNamesComeBackAsTheyWere();
    void oldestFolderGoesPastTheLimit();
    void refusedWriteKeepsTheValue();
    void programWithoutAFileHasNoFolder();
    void folderOfAProgram_data();
    void folderOfAProgram();
};

void TestViewSettings::missingSectionGivesTheDefaults_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("other sections") << QByteArray("[LANGUAGE]\r\nVALUE=DE\r\n[RECENT]\r\nFILE1=/a/b.nc\r\n");
    QTest::newRow("rapid not a number") << QByteArray("[PROGRAMVIEW]\r\nRAPID=fast\r\n");
    QTest::newRow("rapid out of range") << QByteArray("[PROGRAMVIEW]\r\nRAPID=-3\r\n");
    QTest::newRow("empty list") << QByteArray("[PROGRAMVIEW]\r\nFOLDER1=\r\nIJ1=abs\r\nDIAMETER1=1\r\n");
}

void TestViewSettings::missingSectionGivesTheDefaults()
{
    QFETCH(QByteArray, ini);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    if (!ini.isEmpty())
        TestSupport::writeBytes(path, ini);
    const ViewSettings settings(path);
    QCOMPARE(settings.rapidRate(), ViewSettings::DefaultRapidRate);
    QCOMPARE(settings.folder(QStringLiteral("/a")), Folder());
    QCOMPARE(settings.folder(QString()), Folder());
    // Reading never writes.
    QCOMPARE(QFile::exists(path), !ini.isEmpty());
}

void TestViewSettings::settingsSurviveANewReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    const QByteArray before = "[LANGUAGE]\r\nVALUE=DE\r\n";
    TestSupport::writeBytes(path, before);
    {
        ViewSettings settings(path);
        QString error;
        QVERIFY(settings.setRapidRate(12000, &error));
        QVERIFY(settings.setFolder(QStringLiteral("/shop/mill"), {true, false}, &error));
        QVERIFY(settings.setFolder(QStringLiteral("/shop/lathe"), {false, true}, &error));
        QVERIFY(settings.setFolder(QStringLiteral("/shop/mill"), {true, true}, &error)); // set again
    }
    const ViewSettings again(path);
    QCOMPARE(again.rapidRate(), 12000.0);
    QCOMPARE(again.folder(QStringLiteral("/shop/mill")), (Folder{true, true}));
    QCOMPARE(again.folder(QStringLiteral("/shop/lathe")), (Folder{false, true}));
    QCOMPARE(again.folder(QStringLiteral("/shop")), Folder());
    const QByteArray after = TestSupport::readBytes(path);
    QVERIFY(after.startsWith(before));
    // Set again, a folder is not listed twice.
    QCOMPARE(after.count("/shop/mill"), 1);
    QVERIFY(!after.contains("FOLDER3"));
}

void TestViewSettings::folderNamesComeBackAsTheyWere_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("spaces at the ends") << QStringLiteral(" /shop/old jobs ");
    QTest::newRow("equals and semicolon") << QStringLiteral("/shop/a=b;c");
    QTest::newRow("quotes") << QStringLiteral("\"/shop/quoted\"");
    QTest::newRow("accents") << QStringLiteral("/oficina/programações");
    QTest::newRow("brackets") << QStringLiteral("/shop/[PROGRAMVIEW]");
}

void TestViewSettings::folderNamesComeBackAsTheyWere()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    {
        ViewSettings settings(path);
        QString error;
        QVERIFY2(settings.setFolder(folder, {true, true}, &error), qPrintable(error));
    }
    const ViewSettings again(path);
    QCOMPARE(again.folder(folder), (Folder{true, true}));
    // A folder whose name differs only in letter case is another folder here.
    QCOMPARE(again.folder(folder.toUpper()) == (Folder{true, true}), folder.toUpper() == folder);
}

void TestViewSettings::oldestFolderGoesPastTheLimit()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    {
        ViewSettings settings(path);
        QString error;
        for (int i = 0; i <= ViewSettings::FolderLimit; ++i)
            QVERIFY(settings.setFolder(QStringLiteral("/f%1").arg(i), {true, i % 2 == 1}, &error));
    }
    const ViewSettings again(path);
    QCOMPARE(again.folder(QStringLiteral("/f0")), Folder());
    QCOMPARE(again.folder(QStringLiteral("/f1")), (Folder{true, true}));
    QCOMPARE(again.folder(QStringLiteral("/f%1").arg(ViewSettings::FolderLimit)), (Folder{true, false}));
}

void TestViewSettings::refusedWriteKeepsTheValue()
{
    QTemporaryDir dir;
    // A folder where the file should be: the system refuses the write.
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    QVERIFY(QDir().mkdir(path));
    ViewSettings settings(path);
    QString error;
    QVERIFY(!settings.setFolder(QStringLiteral("/shop/mill"), {true, true}, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(settings.folder(QStringLiteral("/shop/mill")), (Folder{true, true}));
    error.clear();
    QVERIFY(!settings.setRapidRate(800, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(settings.rapidRate(), 800.0);
    // A name the file cannot hold on one line is kept for the run and reported.
    QTemporaryDir good;
    ViewSettings other(good.filePath(QStringLiteral("Zavrin.ini")));
    error.clear();
    QVERIFY(!other.setFolder(QStringLiteral("/shop/two\nlines"), {true, false}, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(other.folder(QStringLiteral("/shop/two\nlines")), (Folder{true, false}));
}

void TestViewSettings::programWithoutAFileHasNoFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zavrin.ini"));
    ViewSettings settings(path);
    QString error;
    QVERIFY(settings.setFolder(QString(), {true, false}, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(settings.folder(QString()), (Folder{true, false}));
    QCOMPARE(ViewSettings(path).folder(QString()), Folder());
}

void TestViewSettings::folderOfAProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << QStringLiteral("/shop/mill/part.nc") << QStringLiteral("/shop/mill");
    QTest::newRow("dots") << QStringLiteral("/shop/mill/../lathe/./part.nc") << QStringLiteral("/shop/lathe");
    QTest::newRow("untitled") << QStringLiteral("Untitled1") << QString();
    QTest::newRow("none") << QString() << QString();
}

void TestViewSettings::folderOfAProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, folder);
    QCOMPARE(ViewSettings::folderOf(program), folder);
}

QTEST_MAIN(TestViewSettings)
#include "tst_viewsettings.moc"
