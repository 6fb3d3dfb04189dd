#include "FaultInjection.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/History.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "lang/Texts.h"
#include "platform/Paths.h"
#include "platform/SystemFormats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startupValues_data();
    void startupValues();
    void missingFilesKeepDefaults();
    void coloursAndFont();
    void firstColourApplyCreatesOnlyColourSections();
    void fontWriteLeavesColours();
    void refusedWriteKeepsNewValueInMemory();
    void editorFileWithoutUsableFont_data();
    void editorFileWithoutUsableFont();
    void refusedEditorWriteKeepsEveryNewValue();
    void coloursAreWrittenInOneRewrite();
    void historyEntryText_data();
    void historyEntryText();
    void historyChildren();

private:
    QTemporaryDir m_dir;
    QString dir() const { return Paths::withTrailingSeparator(m_dir.path()); }
};

void tst_Settings::init()
{
    TestSupport::resetAppState();
    QFile::remove(dir() + QStringLiteral("Zavrin.ini"));
    QFile::remove(dir() + QStringLiteral("ZavrinEditCNC.ini"));
}

void tst_Settings::startupValues_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("labelText"); // Form_Main.Label3 after the language procedure

    QTest::newRow("PTBR read as PT-BR") << QByteArray("[LANGUAGE]\r\nVALUE=PTBR\r\n") << "PT-BR"
                                        << QString::fromUtf8("Número");
    QTest::newRow("lower-case section and key") << QByteArray("[language]\nvalue=EN\n") << "EN" << "Number";
    QTest::newRow("lower-case code selects nothing") << QByteArray("[LANGUAGE]\nVALUE=en\n") << "en" << "";
    QTest::newRow("empty language") << QByteArray("[LANGUAGE]\nVALUE=\n") << "" << "";
}

void tst_Settings::startupValues()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, language);
    QFETCH(QString, labelText);
    writeBytes(dir() + QStringLiteral("Zavrin.ini"), ini + "[DIRBD]\nVALUE=/data/maq.db\n");
    Startup::initialiseState(app(), m_dir.path());
    QCOMPARE(app().AppDirectory, dir());
    QCOMPARE(app().LanguageCode, language);
    QCOMPARE(app().DatabaseFile, QStringLiteral("/data/maq.db"));
    QCOMPARE(app().HelpDirectory, dir() + QStringLiteral("Help") + Paths::separator() + language + Paths::separator());
    QCOMPARE(app().ProgramDecimalPoint, QLatin1Char('.'));
    Startup::runLanguage(app());
    QCOMPARE(Texts::text("Form_Main.Label3"), labelText);
    // The file is never rewritten by reading it.
    QVERIFY(readBytes(dir() + QStringLiteral("Zavrin.ini")).startsWith(ini));
}

void tst_Settings::missingFilesKeepDefaults()
{
    Startup::initialiseState(app(), m_dir.path());
    QVERIFY(app().DatabaseFile.isEmpty());
    QVERIFY(app().LanguageCode.isEmpty());
    QCOMPARE(app().HelpDirectory, dir() + QStringLiteral("Help") + Paths::separator() + Paths::separator());
    for (int v : app().Colours.values)
        QCOMPARE(v, 0);
    QVERIFY(app().EditorFontName.isEmpty());
    QCOMPARE(app().EditorFontSize, 0);
}

void tst_Settings::coloursAndFont()
{
    writeBytes(dir() + QStringLiteral("ZavrinEditCNC.ini"),
               "[CODG]\nValor=0xFF\n[CODX]\nValor=$FF0000\n[cod6]\nvalor=16711680\n[CODM]\nValor=blue\n"
               "[FONTE]\nTIPO=Courier New\nTAMANHO=12\n");
    Startup::initialiseState(app(), m_dir.path());
    QCOMPARE(app().Colours.values[4], 255);       // G
    QCOMPARE(app().Colours.values[13], 16711680); // X
    QCOMPARE(app().Colours.values[21], 16711680); // [] pair
    QCOMPARE(app().Colours.values[8], 0);         // M: not an integer
    QCOMPARE(app().EditorFontName, QStringLiteral("Courier New"));
    QCOMPARE(app().EditorFontSize, 12);
}

void tst_Settings::firstColourApplyCreatesOnlyColourSections()
{
    app().AppDirectory = dir();
    int colours[22];
    for (int i = 0; i < 22; ++i)
        colours[i] = i;
    QString error;
    QVERIFY(Settings::writeColours(app(), colours, &error));
    const QString text = QString::fromLatin1(readBytes(app().editorSettingsPath()));
    QCOMPARE(text.count(QLatin1Char('[')), 22);
    QVERIFY(!text.contains(QStringLiteral("FONTE")));
    QVERIFY(text.indexOf(QStringLiteral("[CODA]")) < text.indexOf(QStringLiteral("[COD6]")));
    Settings::FUNC_LeIni_CNC(app());
    QCOMPARE(app().Colours.values[21], 21);
}

void tst_Settings::fontWriteLeavesColours()
{
    app().AppDirectory = dir();
    const QByteArray colours = "[CODA]\r\nValor=255\r\n[CODB]\r\nValor=0x10\r\n";
    writeBytes(app().editorSettingsPath(), colours);
    QString error;
    QVERIFY(Settings::writeFont(app(), QStringLiteral("Mono"), 11, &error));
    QCOMPARE(readBytes(app().editorSettingsPath()),
             colours + "\r\n[FONTE]\r\nTIPO=Mono\r\nTAMANHO=11\r\n");
}

void tst_Settings::refusedWriteKeepsNewValueInMemory()
{
    app().AppDirectory = dir() + QStringLiteral("missing-folder") + Paths::separator();
    QString error;
    QVERIFY(!Settings::writeDatabaseFile(app(), QStringLiteral("/db/new.db"), &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + app().mainSettingsPath());
    QCOMPARE(app().DatabaseFile, QStringLiteral("/db/new.db"));
    // The language stays the one shown, so that the next Apply writes it again.
    app().LanguageCode = QStringLiteral("EN");
    QVERIFY(!Settings::writeLanguage(app(), QStringLiteral("DE"), &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + app().mainSettingsPath());
    QCOMPARE(app().LanguageCode, QStringLiteral("EN"));
}

void tst_Settings::editorFileWithoutUsableFont_data()
{
    QTest::addColumn<QByteArray>("tail"); // after the colour sections
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    const QString builtIn = QLatin1String(Settings::BuiltInFontName);
    QTest::newRow("cut before the font") << QByteArray("[FON") << builtIn << Settings::BuiltInFontSize;
    QTest::newRow("cut inside the name") << QByteArray("[FONTE]\r\nTIPO=Cour") << "Cour" << Settings::BuiltInFontSize;
    QTest::newRow("cut inside the size key") << QByteArray("[FONTE]\r\nTIPO=Courier New\r\nTAMA") << "Courier New"
                                             << Settings::BuiltInFontSize;
    QTest::newRow("empty name, size 0") << QByteArray("[FONTE]\r\nTIPO=\r\nTAMANHO=0\r\n") << builtIn
                                        << Settings::BuiltInFontSize;
    QTest::newRow("size beyond the window's range") << QByteArray("[FONTE]\r\nTIPO=Mono\r\nTAMANHO=5000\r\n")
                                                    << "Mono" << Settings::BuiltInFontSize;
    QTest::newRow("a whole font") << QByteArray("[FONTE]\r\nTIPO=Mono\r\nTAMANHO=9\r\n") << "Mono" << 9;
}

void tst_Settings::editorFileWithoutUsableFont()
{
    QFETCH(QByteArray, tail);
    QFETCH(QString, name);
    QFETCH(int, size);
    writeBytes(dir() + QStringLiteral("ZavrinEditCNC.ini"), "[CODA]\r\nValor=255\r\n" + tail);
    Startup::initialiseState(app(), m_dir.path());
    QCOMPARE(app().Colours.values[0], 255);
    QCOMPARE(app().EditorFontName, name);
    QCOMPARE(app().EditorFontSize, size);
}

void tst_Settings::refusedEditorWriteKeepsEveryNewValue()
{
    app().AppDirectory = dir();
    QVERIFY(QDir().mkpath(app().editorSettingsPath())); // a folder where the file should be
    int colours[22];
    for (int i = 0; i < 22; ++i)
        colours[i] = 1000 + i;
    QString error;
    QVERIFY(!Settings::writeColours(app(), colours, &error));
    QCOMPARE(error, QStringLiteral("Unable to write to ") + app().editorSettingsPath());
    for (int i = 0; i < 22; ++i)
        QCOMPARE(app().Colours.values[i], 1000 + i);
    QVERIFY(!Settings::writeFont(app(), QStringLiteral("Mono"), 17, &error));
    QCOMPARE(app().EditorFontName, QStringLiteral("Mono"));
    QCOMPARE(app().EditorFontSize, 17);
    QVERIFY(QDir(app().editorSettingsPath()).removeRecursively());
}

// A full disk part-way: written key by key, the first colours would reach the
// file and the rest not; one rewrite leaves the file as it was.
void tst_Settings::coloursAreWrittenInOneRewrite()
{
    app().AppDirectory = dir();
    const QByteArray before = "; shop colours\r\n[coda]\r\nvalor=1\r\n[OTHER]\r\nKeep= as it is \r\n";
    writeBytes(app().editorSettingsPath(), before);
    int colours[22];
    for (int i = 0; i < 22; ++i)
        colours[i] = i;
    QString error;
    {
        FaultInjection::FileSizeLimit full(before.size() + 60);
        QVERIFY(!Settings::writeColours(app(), colours, &error));
    }
    QCOMPARE(readBytes(app().editorSettingsPath()), before);
    QVERIFY(Settings::writeColours(app(), colours, &error));
    QByteArray expected = "; shop colours\r\n[coda]\r\nValor=0\r\n[OTHER]\r\nKeep= as it is \r\n";
    for (int i = 1; i < 22; ++i)
        expected += "\r\n[" + QByteArray(Settings::colourSection(i)) + "]\r\nValor=" + QByteArray::number(i) + "\r\n";
    QCOMPARE(readBytes(app().editorSettingsPath()), expected);
}

void tst_Settings::historyEntryText_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("expected");
    QTest::newRow("afternoon") << QDateTime(QDate(2020, 3, 3), QTime(14, 5, 9))
                               << "C:\\CNC\\P1.NC - 03/03/2020 14:05:09 - Number of Blocks";
    QTest::newRow("exactly midnight leaves the time out")
        << QDateTime(QDate(2020, 3, 3), QTime(0, 0, 0)) << "C:\\CNC\\P1.NC - 03/03/2020 - Number of Blocks";
    QTest::newRow("one millisecond after midnight")
        << QDateTime(QDate(2020, 3, 3), QTime(0, 0, 0, 1)) << "C:\\CNC\\P1.NC - 03/03/2020 00:00:00 - Number of Blocks";
}

void tst_Settings::historyEntryText()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, expected);
    SystemFormats::setShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    SystemFormats::setLongTimeFormat(QStringLiteral("HH:mm:ss"));
    QCOMPARE(History::entryText(QStringLiteral("C:\\CNC\\P1.NC"), moment, QStringLiteral("Number of Blocks")),
             expected);
    SystemFormats::resetToSystem();
}

void tst_Settings::historyChildren()
{
    QCOMPARE(History::childLines({QStringLiteral(" Start 10 "), QString(), QStringLiteral(" \t"),
                                  QStringLiteral("Function Applied across File")}),
             (QStringList{QStringLiteral(" Start 10 "), QStringLiteral("Function Applied across File")}));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
