#include "lang/Texts.h"

#include <QRegularExpression>
#include <QSet>
#include <QtTest>

using Texts::Language;

class TestTexts : public QObject
{
    Q_OBJECT

private slots:
    void init() { Texts::clearAll(); }

    void catalogShape();
    void languageGaps_data();
    void languageGaps();
    void exactTexts_data();
    void exactTexts();
    void gapsKeepPreviousLanguage_data();
    void gapsKeepPreviousLanguage();
    void unknownCodesRunNothing_data();
    void unknownCodesRunNothing();
    void extrasFollowLanguage();
    void extrasCompleteAndConsistent_data();
    void extrasCompleteAndConsistent();
};

void TestTexts::catalogShape()
{
    const QStringList keys = Texts::allKeys();
    QCOMPARE(keys.size(), 534);
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 534);
    QCOMPARE(keys.first(), QStringLiteral("Form_Main.Caption"));
    QCOMPARE(keys.last(), QStringLiteral("Shared.MSG07"));

    const QStringList controls = Texts::controlKeys();
    QCOMPARE(controls.size(), 328);
    QCOMPARE(keys.size() - controls.size(), 206);
    // The find and replace dialogs copy their own keys when they are created.
    QVERIFY(!controls.contains(QStringLiteral("TextSearchDialog.Ribbon1")));
    QVERIFY(!controls.contains(QStringLiteral("TextReplaceDialog.rgSearchDirection.Item1")));
    QVERIFY(!controls.contains(QStringLiteral("Form_Maquinas.MSG01")));
    QVERIFY(controls.contains(QStringLiteral("Form_Main.SpeedButton15.Hint")));
    QVERIFY(controls.contains(QStringLiteral("Form_EDT_Progress.BitBtn3")));

    // Every control key belongs to a window the apply procedure visits, and all
    // twenty windows have keys.
    const QStringList windows = Texts::applyWindowOrder();
    QCOMPARE(windows.size(), 20);
    QSet<QString> seen;
    for (const QString &key : controls)
        seen.insert(key.section(QLatin1Char('.'), 0, 0));
    QCOMPARE(seen, QSet<QString>(windows.begin(), windows.end()));
}

void TestTexts::languageGaps_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("EN") << int(Texts::EN) << QStringList();
    QTest::newRow("PT-BR") << int(Texts::PTBR) << QStringList();
    QTest::newRow("ES") << int(Texts::ES) << QStringList();
    QTest::newRow("FR") << int(Texts::FR)
                        << QStringList{QStringLiteral("Form_Main.Caption"),
                                       QStringLiteral("Form_Main.Ribbon1"),
                                       QStringLiteral("Form_Screen.Caption"),
                                       QStringLiteral("Form_Config.Caption"),
                                       QStringLiteral("Form_Maquinas.Caption"),
                                       QStringLiteral("Form_DIR.Caption"),
                                       QStringLiteral("Form_EDT_COR.Caption"),
                                       QStringLiteral("Form_Font.Caption"),
                                       QStringLiteral("Form_EDT1.Caption"),
                                       QStringLiteral("Form_EDT3.Caption"),
                                       QStringLiteral("Form_EDT4.Caption"),
                                       QStringLiteral("Form_EDT5.Caption"),
                                       QStringLiteral("Form_Transfer_SERIAL232.Caption"),
                                       QStringLiteral("Form_Transfer_SERIAL232_R.Caption")};
    QTest::newRow("DE") << int(Texts::DE)
                        << QStringList{QStringLiteral("Form_Main.Caption"),
                                       QStringLiteral("Form_Config.Caption"),
                                       QStringLiteral("Form_EDT1.Caption"),
                                       QStringLiteral("Form_EDT3.Caption"),
                                       QStringLiteral("Form_EDT4.Caption"),
                                       QStringLiteral("Form_EDT5.Caption"),
                                       QStringLiteral("Form_Transfer_SERIAL232_R.Caption")};
}

void TestTexts::languageGaps()
{
    QFETCH(int, language);
    QFETCH(QStringList, missing);
    QStringList found;
    for (const QString &key : Texts::allKeys()) {
        if (!Texts::hasText(key, Language(language)))
            found.append(key);
    }
    QCOMPARE(found, missing);
}

void TestTexts::exactTexts_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("blanks at both ends") << "EN" << "Form_Main.RibbonPage3" << " Edit CNC Program ";
    QTest::newRow("no-break space in German") << "DE" << "Form_Main.Label3" << QStringLiteral("\u00A0Nummer");
    QTest::newRow("inner quotes") << "EN" << "Form_Main.MSG26"
                                  << "QUESTION: The following Files have been changed. Would you like to save "
                                     "changes before closing the \"Zavrin\" System ?";
    QTest::newRow("opening quote at the end") << "EN" << "Form_Config.MSG01" << "ERROR: File \"";
    QTest::newRow("closing quote at the start") << "EN" << "Shared.MSG07"
                                                << "\"already exists. Would You Like to Replace File ?";
    QTest::newRow("backslash") << "PT-BR" << "Form_EDT7.Ribbon1" << "Zavrin - Adicionar Caractere Início\\Fim";
    QTest::newRow("doubled blank") << "EN" << "Form_EDT_COR.Label16" << "Y Function  :";
    QTest::newRow("trailing blank only in EN") << "EN" << "Form_EDT_Progress.Label1" << "0% ";
    QTest::newRow("no trailing blank in PT-BR") << "PT-BR" << "Form_EDT_Progress.Label1" << "0%";
    QTest::newRow("accelerator inside") << "EN" << "Form_Maquinas.BitBtn2" << "Ch&ange";
    QTest::newRow("accelerator in Spanish") << "ES" << "Form_Maquinas.BitBtn2" << "C&ambiar";
    QTest::newRow("blank caret column") << "FR" << "Form_Transfer_FTP.ListView1.Column0" << " ^ ";
    QTest::newRow("placeholder") << "EN" << "ConfirmReplaceDialog.MSG01" << "Replace this occurence of \"%s\"?";
    QTest::newRow("Spanish inverted question mark") << "ES" << "Shared.MSG07"
                                                   << "\" ya existe. ¿Quisiera reemplazar el archivo?";
}

void TestTexts::exactTexts()
{
    QFETCH(QString, code);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QVERIFY(Texts::runLanguageProcedure(code));
    QCOMPARE(Texts::text(key), text);
}

void TestTexts::gapsKeepPreviousLanguage_data()
{
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("start in FR: no main title") << QStringList{"FR"} << "Form_Main.Caption" << QString();
    QTest::newRow("start in FR: no main ribbon caption") << QStringList{"FR"} << "Form_Main.Ribbon1" << QString();
    QTest::newRow("start in FR: labels in French") << QStringList{"FR"} << "Form_Main.Label8" << "Numéro de Machine :";
    QTest::newRow("EN then FR keeps the title") << QStringList{"EN", "FR"} << "Form_Main.Caption" << "Zavrin";
    QTest::newRow("EN then FR keeps the ribbon caption") << QStringList{"EN", "FR"} << "Form_Main.Ribbon1" << "Zavrin";
    QTest::newRow("ES then DE keeps the Spanish title") << QStringList{"ES", "DE"} << "Form_Config.Caption" << "Zavrin";
    QTest::newRow("start in DE: no settings title") << QStringList{"DE"} << "Form_Config.Caption" << QString();
    QTest::newRow("EN then DE keeps the English title")
        << QStringList{"EN", "DE"} << "Form_Config.Caption" << "Form_Config";
    QTest::newRow("a later language replaces") << QStringList{"FR", "EN"} << "Form_Main.Label8" << "Machine Number :";
}

void TestTexts::gapsKeepPreviousLanguage()
{
    QFETCH(QStringList, codes);
    QFETCH(QString, key);
    QFETCH(QString, text);
    for (const QString &code : codes)
        QVERIFY(Texts::runLanguageProcedure(code));
    QCOMPARE(Texts::text(key), text);
}

void TestTexts::unknownCodesRunNothing_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("empty") << QString();
    QTest::newRow("lower case en") << "en";
    QTest::newRow("lower case pt-br") << "pt-br";
    QTest::newRow("underscore") << "PT_BR";
    QTest::newRow("trailing blank") << "EN ";
    QTest::newRow("other language") << "IT";
}

void TestTexts::unknownCodesRunNothing()
{
    QFETCH(QString, code);
    QVERIFY(!Texts::runLanguageProcedure(code));
    QCOMPARE(Texts::text("Form_Main.Label8"), QString());
    QCOMPARE(Texts::text("Shared.MSG05"), QString());

    QVERIFY(Texts::runLanguageProcedure(QStringLiteral("ES")));
    QVERIFY(!Texts::runLanguageProcedure(code));
    QCOMPARE(Texts::text("Form_Main.Label8"), QStringLiteral("Número de máquina :"));
}

void TestTexts::extrasFollowLanguage()
{
    QCOMPARE(Texts::extra("Extra.Cancel"), QString());
    Texts::FUNC_Textos_DE();
    QCOMPARE(Texts::extra("Extra.Cancel"), QStringLiteral("&Abbrechen"));
    Texts::FUNC_Textos_EN();
    QCOMPARE(Texts::extra("Extra.CopyYesToAll"), QStringLiteral("Yes to &All"));
    QCOMPARE(Texts::extra("Extra.CopyFailed").arg(QStringLiteral("/a/b.nc"), QStringLiteral("disk full")),
             QStringLiteral("ERROR: Could not copy \"/a/b.nc\": disk full"));
    QCOMPARE(Texts::extra("Extra.NoSuchText"), QString());
}

void TestTexts::extrasCompleteAndConsistent_data()
{
    QTest::addColumn<QString>("id");
    const QStringList required{
        "Extra.CopyOverwriteQuestion", "Extra.CopyYesToAll", "Extra.CopyProgressTitle", "Extra.CopyProgressText",
        "Extra.CopyFailed", "Extra.ConversionError", "Extra.BlockCounterOverflow", "Extra.PortNotAvailable",
        "Extra.LineNotReported", "Extra.FolderNotCreated", "Extra.DatabaseNotSet",
        "Extra.SerialSendFailed", "Extra.Yes", "Extra.No", "Extra.OK", "Extra.Cancel"};
    const QStringList ids = Texts::allExtraIds();
    for (const QString &id : required)
        QVERIFY2(ids.contains(id), qPrintable(id));
    for (const QString &id : ids)
        QTest::newRow(qPrintable(id)) << id;
}

// Every extra text exists in all five languages, uses the same placeholders, and
// starts with the category word the catalog uses in that language, so a message
// box built from it gets the same icon whatever the language.
void TestTexts::extrasCompleteAndConsistent()
{
    QFETCH(QString, id);
    const auto extraIn = [&](const QString &code) {
        Texts::runLanguageProcedure(code);
        return Texts::extra(id);
    };
    const auto firstWordIn = [](const QString &code, const char *key) {
        Texts::runLanguageProcedure(code);
        return Texts::text(key).section(QLatin1Char(' '), 0, 0);
    };
    const auto placeholdersOf = [](const QString &text) {
        static const QRegularExpression placeholder(QStringLiteral("%\\d"));
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();)
            found.append(it.next().captured());
        found.sort();
        return found;
    };
    // Keys whose text starts with each category word in every language.
    const QList<QPair<QString, const char *>> categories{
        {QStringLiteral("ERROR:"), "Form_Main.MSG22"},
        {QStringLiteral("INFORMATION:"), "Shared.MSG05"},
        {QStringLiteral("QUESTION:"), "Shared.MSG06"},
        {QStringLiteral("ATTENTION:"), "Form_Main.MSG21"},
    };
    const QString english = extraIn(QStringLiteral("EN"));
    for (const QString &code : {QStringLiteral("EN"), QStringLiteral("PT-BR"), QStringLiteral("ES"),
                                QStringLiteral("FR"), QStringLiteral("DE")}) {
        const QString text = extraIn(code);
        QVERIFY2(!text.isEmpty(), qPrintable(code));
        QCOMPARE(placeholdersOf(text), placeholdersOf(english));
        for (const auto &category : categories) {
            if (english.startsWith(category.first)) {
                const QString word = firstWordIn(code, category.second);
                QVERIFY2(text.startsWith(word + QLatin1Char(' ')), qPrintable(text));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestTexts)
#include "tst_texts.moc"
