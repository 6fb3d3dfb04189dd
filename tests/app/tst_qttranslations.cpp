// Qt's own texts (standard buttons, file dialogs) follow the interface language:
// at start-up and when the language is changed in the configuration window.
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/ConfigWindow.h"
#include "platform/ScriptedDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString cancelText()
{
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&'));
}
} // namespace

class tst_QtTranslations : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }
    void cleanup() { Application::destroyWindows(); }
    void standardButtonsFollowTheLanguage_data();
    void standardButtonsFollowTheLanguage();
};

void tst_QtTranslations::standardButtonsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("startLanguage");
    QTest::addColumn<QString>("startCancel");
    QTest::addColumn<QString>("newLanguage");
    QTest::addColumn<QString>("newCancel");
    QTest::newRow("German, then English") << "DE" << "Abbrechen" << "EN" << "Cancel";
    QTest::newRow("English, then French") << "EN" << "Cancel" << "FR" << "Annuler";
    QTest::newRow("Spanish, then Portuguese") << "ES" << "Cancelar" << "PT-BR" << "Cancelar";
    QTest::newRow("French, then German") << "FR" << "Annuler" << "DE" << "Abbrechen";
}

void tst_QtTranslations::standardButtonsFollowTheLanguage()
{
    QFETCH(QString, startLanguage);
    QFETCH(QString, newLanguage);
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    TestSupport::writeBytes(dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=\r\n[LANGUAGE]\r\nVALUE=" + startLanguage.toLatin1() + "\r\n");
    startWindows(dir.path());
    QTEST(cancelText(), "startCancel");

    auto *config = qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
    QVERIFY(config);
    config->FormShow();
    config->ComboBox1()->setCurrentIndex(int(TForm_Config::languageCodes().indexOf(newLanguage)));
    config->ComboBox1Change();
    QCOMPARE(config->chosenLanguageCode(), newLanguage);
    config->BitBtn1Click();
    QTEST(cancelText(), "newCancel");
}

QTEST_MAIN(tst_QtTranslations)
#include "tst_qttranslations.moc"
