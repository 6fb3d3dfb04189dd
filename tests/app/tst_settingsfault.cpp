#include "FaultInjection.h"
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/ConfigWindow.h"
#include "app/MainWindow.h"
#include "editor/ColourWindow.h"
#include "editor/FontWindow.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The settings writers on a full disk: a file-size limit makes the write that
// crosses it fail. The settings files keep what they held, so the next start
// still finds its database and its language.
class tst_SettingsFault : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void applyOnFullDisk_data();
    void applyOnFullDisk();

private:
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
};

void tst_SettingsFault::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
}

void tst_SettingsFault::cleanup()
{
    Application::destroyWindows();
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

void tst_SettingsFault::applyOnFullDisk_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("language") << "language";
    QTest::newRow("database") << "database";
    QTest::newRow("colours") << "colours";
    QTest::newRow("font") << "font";
}

void tst_SettingsFault::applyOnFullDisk()
{
    QFETCH(QString, window);
    const QString db = path("machines.db");
    const QString other = path("other.db");
    DatabaseSchema::createDatabase(db, true, m_dir->path());
    DatabaseSchema::createDatabase(other, true, m_dir->path());
    const QByteArray ini = "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=EN\r\n";
    QByteArray editorIni;
    for (const char *section : {"CODA", "CODB", "CODG", "COD6"})
        editorIni += QByteArray("[") + section + "]\r\nValor=255\r\n";
    editorIni += "[FONTE]\r\nTIPO=Monospace\r\nTAMANHO=12\r\n";
    TestSupport::writeBytes(path("Zavrin.ini"), ini);
    TestSupport::writeBytes(path("ZavrinEditCNC.ini"), editorIni);
    startWindows(m_dir->path());
    const QStringList before = files();
    m_dialogs->clear();

    QDialog *shown = nullptr;
    const char *file = "Zavrin.ini";
    if (window == QLatin1String("language") || window == QLatin1String("database")) {
        auto *c = qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
        c->show();
        if (window == QLatin1String("language")) {
            c->ComboBox1()->setCurrentIndex(4);
            c->ComboBox1Change();
        } else {
            m_dialogs->answerPath(other);
            c->BitBtn2Click();
            QVERIFY(c->databaseFileAccepted());
        }
        shown = c;
    } else {
        file = "ZavrinEditCNC.ini";
        shown = qobject_cast<QDialog *>(
            Application::window(window == QLatin1String("colours") ? QStringLiteral("Form_EDT_COR")
                                                                   : QStringLiteral("Form_Font")));
        shown->show();
    }
    auto *apply = shown->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
    {
        FaultInjection::FileSizeLimit full(16);
        apply->click();
    }
    QCOMPARE(m_dialogs->messages(), QStringList(QStringLiteral("Unable to write to ") + path(file)));
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QVERIFY(shown->isVisible());
    QCOMPARE(TestSupport::readBytes(path("Zavrin.ini")), ini);
    QCOMPARE(TestSupport::readBytes(path("ZavrinEditCNC.ini")), editorIni);
    QCOMPARE(files(), before);

    // The next start has what the files held.
    Application::destroyWindows();
    TestSupport::resetAppState();
    startWindows(m_dir->path());
    QCOMPARE(app().LanguageCode, QStringLiteral("EN"));
    QCOMPARE(app().DatabaseFile, db);
    QVERIFY(TDataModule1::instance().isOpen());
    QCOMPARE(app().EditorFontName, QStringLiteral("Monospace"));
    QCOMPARE(app().EditorFontSize, 12);
    QCOMPARE(app().Colours.values[4], 255); // CODG
}

QTEST_MAIN(tst_SettingsFault)
#include "tst_settingsfault.moc"
