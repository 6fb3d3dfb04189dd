#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/ConfigWindow.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "editor/TextReplaceDialog.h"
#include "lang/ApplyLanguage.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

QByteArray iniBytes(const QString &db, const QByteArray &language)
{
    return "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=" + language
           + "\r\n[OTHER]\r\nKeep=this line\r\n";
}

// Visible controls whose text does not fit in the space the layout gave them.
QStringList clippedControls(QWidget *root)
{
    QStringList clipped;
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisibleTo(root) || w->isWindow())
            continue;
        bool fits = true;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            // Values (a machine's folder) may be cut; captions may not.
            if (label->text().isEmpty() || label->wordWrap()
                || label->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
                continue;
            fits = label->width() >= label->minimumSizeHint().width();
        } else if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w)
                   || qobject_cast<QGroupBox *>(w)) {
            fits = w->width() >= w->minimumSizeHint().width();
        } else if (auto *tabs = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->isTabVisible(i) && tabs->tabRect(i).width() < tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)))
                    clipped << QStringLiteral("tab ") + tabs->tabText(i);
            }
            continue;
        } else {
            continue;
        }
        if (!fits) {
            QString text = w->property("text").toString();
            if (auto *group = qobject_cast<QGroupBox *>(w))
                text = group->title();
            clipped << w->objectName() + QLatin1Char(' ') + text + QStringLiteral(" (%1 < %2)").arg(w->width()).arg(w->minimumSizeHint().width());
        }
    }
    return clipped;
}

} // namespace

class tst_ConfigWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensFromSettingsCommand();
    void showStep_data();
    void showStep();
    void applyWithoutChangeWritesNothing_data();
    void applyWithoutChangeWritesNothing();
    void languageChange_data();
    void languageChange();
    void startLanguageGaps_data();
    void startLanguageGaps();
    void trialRejectsNonDatabase_data();
    void trialRejectsNonDatabase();
    void acceptedDatabaseReconnects();
    void failedTrialForgetsEarlierAcceptance();
    void cancelForgetsEverything();
    void refusedWriteKeepsWindowOpen_data();
    void refusedWriteKeepsWindowOpen();
    void reconnectFailureKeepsWindowOpen();
    void acceleratorsWork_data();
    void acceleratorsWork();
    void captionsFit_data();
    void captionsFit();

private:
    void start(const QByteArray &language, const QString &db, bool maximise = false);
    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QString iniPath() const { return path("Zavrin.ini"); }
    QString makeDatabase(const char *name);
    TForm_Config *config() const
    {
        return qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
    }
    void pick(TForm_Config *c, const QString &file)
    {
        m_dialogs->answerPath(file);
        c->BitBtn2Click();
    }
    void choose(TForm_Config *c, int position)
    {
        c->ComboBox1()->setCurrentIndex(position);
        c->ComboBox1Change();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    QString m_db;
};

void tst_ConfigWindow::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    m_db = makeDatabase("machines.db");
}

void tst_ConfigWindow::cleanup()
{
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

QString tst_ConfigWindow::makeDatabase(const char *name)
{
    const QString file = path(name);
    DatabaseSchema::createDatabase(file, true, m_dir->path());
    return file;
}

void tst_ConfigWindow::start(const QByteArray &language, const QString &db, bool maximise)
{
    TestSupport::writeBytes(iniPath(), iniBytes(db, language));
    m_main = startWindows(m_dir->path(), maximise);
}

void tst_ConfigWindow::opensFromSettingsCommand()
{
    start("EN", m_db);
    auto *button = m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton32"));
    QVERIFY(button);
    TForm_Config *c = config();
    c->findChild<Ribbon *>(QStringLiteral("Ribbon1"))->setCaption(QStringLiteral("stale"));
    c->showMaximized();
    c->hide();

    bool modal = false;
    QString caption;
    QPoint offCentre;
    QTimer::singleShot(0, this, [&] {
        modal = c->isVisible() && c->isModal();
        caption = c->findChild<Ribbon *>(QStringLiteral("Ribbon1"))->caption();
        offCentre = c->frameGeometry().center() - c->screen()->availableGeometry().center();
        // The help button of this window has no page.
        c->findChild<Ribbon *>(QStringLiteral("Ribbon1"))->helpButton()->click();
        c->BitBtn3()->click();
    });
    button->click();
    QVERIFY(modal);
    QCOMPARE(caption, QStringLiteral("Zavrin - Settings"));
    QVERIFY2(offCentre.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(!(c->windowState() & Qt::WindowMaximized));
    QVERIFY(!c->isVisible());
    QCOMPARE(c->result(), int(QDialog::Rejected));
    QVERIFY(m_shell->helpPages.isEmpty());
    QVERIFY(m_dialogs->messages().isEmpty());

    // Every text of this window has its control.
    QStringList missing;
    for (const QString &key : missingControlKeys(Application::windows())) {
        if (key.startsWith(QLatin1String("Form_Config.")))
            missing << key;
    }
    QCOMPARE(missing, QStringList());
}

void tst_ConfigWindow::showStep_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<int>("position");
    QTest::newRow("English") << QByteArray("EN") << 0;
    QTest::newRow("Portuguese read from PTBR") << QByteArray("PTBR") << 1;
    QTest::newRow("Spanish") << QByteArray("ES") << 2;
    QTest::newRow("French") << QByteArray("FR") << 3;
    QTest::newRow("German") << QByteArray("DE") << 4;
    QTest::newRow("no language") << QByteArray() << -1;
    QTest::newRow("lower-case code") << QByteArray("de") << -1;
}

void tst_ConfigWindow::showStep()
{
    QFETCH(QByteArray, language);
    QFETCH(int, position);
    start(language, m_db);
    TForm_Config *c = config();
    c->show();
    QCOMPARE(c->Edit1()->text(), m_db);
    QVERIFY(c->Edit1()->isReadOnly());
    QCOMPARE(c->ComboBox1()->count(), 5);
    QCOMPARE(c->ComboBox1()->currentIndex(), position);
    QCOMPARE(c->chosenLanguageCode(), app().LanguageCode);
    QVERIFY(!c->databaseFileAccepted());
}

void tst_ConfigWindow::applyWithoutChangeWritesNothing_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<int>("position"); // -1: the list is not touched
    QTest::newRow("untouched") << QByteArray("EN") << -1;
    QTest::newRow("current language picked again") << QByteArray("DE") << 4;
    QTest::newRow("PTBR file, Portuguese picked again") << QByteArray("PTBR") << 1;
    QTest::newRow("no language, no choice") << QByteArray() << -1;
}

void tst_ConfigWindow::applyWithoutChangeWritesNothing()
{
    QFETCH(QByteArray, language);
    QFETCH(int, position);
    start(language, m_db);
    const QString before = app().LanguageCode;
    // Any write would create the file again.
    QVERIFY(QFile::remove(iniPath()));
    TForm_Config *c = config();
    c->show();
    if (position >= 0)
        choose(c, position);
    c->BitBtn1()->click();
    QVERIFY(!QFile::exists(iniPath()));
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(!c->isVisible());
    QCOMPARE(c->result(), int(QDialog::Accepted));
    QCOMPARE(app().LanguageCode, before);
    QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
}

void tst_ConfigWindow::languageChange_data()
{
    QTest::addColumn<QByteArray>("startCode");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("mainTitle");
    QTest::addColumn<QString>("mainRibbon");
    QTest::addColumn<QString>("configTitle");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("firstLanguage");
    QTest::addColumn<QString>("settingsGroup");

    // The config window's title is its caption, never the name "Form_Config" of the catalog.
    QTest::newRow("EN to DE") << QByteArray("EN") << 4 << "DE" << "Zavrin" << "Zavrin"
                              << QStringLiteral("Zavrin\u00A0- Einstellungen")
                              << "BD Maschinen :" << "Englisch" << "Einstellungen";
    QTest::newRow("EN to FR keeps the main title") << QByteArray("EN") << 3 << "FR" << "Zavrin" << "Zavrin"
                                                   << "Zavrin - Paramètres" << "Machines BD :" << "Anglais" << "Paramètres";
    QTest::newRow("ES to DE: the config title follows")
        << QByteArray("ES") << 4 << "DE" << "Zavrin" << "Zavrin" << QStringLiteral("Zavrin\u00A0- Einstellungen")
        << "BD Maschinen :" << "Englisch"
        << "Einstellungen";
    QTest::newRow("FR to DE: title still empty") << QByteArray("FR") << 4 << "DE" << "" << "Zavrin"
                                                 << QStringLiteral("Zavrin\u00A0- Einstellungen")
                                                 << "BD Maschinen :" << "Englisch" << "Einstellungen";
    QTest::newRow("PTBR to EN") << QByteArray("PTBR") << 0 << "EN" << "Zavrin" << "Zavrin" << "Zavrin - Settings"
                                << "Machines DB :" << "English" << "Settings";
    QTest::newRow("no language to ES") << QByteArray() << 2 << "ES" << "Zavrin" << "Zavrin" << "Zavrin - Ajustes"
                                       << "BD Máquinas:" << "Inglés" << "Configuración";
}

void tst_ConfigWindow::languageChange()
{
    QFETCH(QByteArray, startCode);
    QFETCH(int, position);
    QFETCH(QString, code);
    start(startCode, m_db);
    TForm_Config *c = config();
    c->show();
    choose(c, position);
    QCOMPARE(c->chosenLanguageCode(), code);
    c->BitBtn1()->click();

    QVERIFY(m_dialogs->messages().isEmpty());
    QCOMPARE(TestSupport::readBytes(iniPath()), iniBytes(m_db, code.toLatin1()));
    QCOMPARE(app().LanguageCode, code);
    QCOMPARE(app().HelpDirectory, TestSupport::folder(m_dir->path()) + QStringLiteral("Help") + Paths::separator()
                                      + code + Paths::separator());
    QVERIFY(!c->isVisible());
    QCOMPARE(c->result(), int(QDialog::Accepted));

    QTEST(m_main->windowTitle(), "mainTitle");
    QTEST(m_main->ribbon()->caption(), "mainRibbon");
    QTEST(m_main->findChild<RibbonGroup *>(QStringLiteral("RibbonGroup25"))->caption(), "settingsGroup");
    QTEST(c->windowTitle(), "configTitle");
    QTEST(c->findChild<QLabel *>(QStringLiteral("Label1"))->text(), "label1");
    // The list is rebuilt in the new language, without a selection.
    QCOMPARE(c->ComboBox1()->count(), 5);
    QTEST(c->ComboBox1()->itemText(0), "firstLanguage");
    QCOMPARE(c->ComboBox1()->currentIndex(), -1);
    // The next show selects the new language.
    c->show();
    QCOMPARE(c->ComboBox1()->currentIndex(), position);
}

void tst_ConfigWindow::startLanguageGaps_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QString>("mainTitle");
    QTest::addColumn<QString>("mainRibbon");
    QTest::addColumn<QString>("configTitle");
    QTest::addColumn<QString>("label2");
    // A window's title is its caption (the ribbon's), or "Zavrin" without one.
    QTest::newRow("French has no main title") << QByteArray("FR") << "" << "" << "Zavrin - Paramètres" << "Langue :";
    QTest::newRow("German has no config title") << QByteArray("DE") << "" << "Zavrin" << QStringLiteral("Zavrin\u00A0- Einstellungen")
                                                << "Sprache :";
    QTest::newRow("English") << QByteArray("EN") << "Zavrin" << "Zavrin" << "Zavrin - Settings" << "Language :";
    QTest::newRow("no language") << QByteArray() << "" << "" << "Zavrin" << "";
}

void tst_ConfigWindow::startLanguageGaps()
{
    QFETCH(QByteArray, language);
    start(language, m_db);
    TForm_Config *c = config();
    QTEST(m_main->windowTitle(), "mainTitle");
    QTEST(m_main->ribbon()->caption(), "mainRibbon");
    QTEST(c->windowTitle(), "configTitle");
    QTEST(c->findChild<QLabel *>(QStringLiteral("Label2"))->text(), "label2");
    if (language.isEmpty()) {
        // No language: every caption is empty, the list holds five empty entries.
        QCOMPARE(c->findChild<QGroupBox *>(QStringLiteral("GroupBox3"))->title(), QString());
        QCOMPARE(c->BitBtn1()->text(), QString());
        QCOMPARE(c->ComboBox1()->count(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(c->ComboBox1()->itemText(i), QString());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(m_main->ribbonPages()->tabText(i), QString());
        QCOMPARE(m_main->findChild<RibbonGroup *>(QStringLiteral("RibbonGroup25"))->caption(), QString());
    }
}

void tst_ConfigWindow::trialRejectsNonDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("picture") << "picture";
    QTest::newRow("database without the tables") << "other database";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("missing file") << "missing";
}

void tst_ConfigWindow::trialRejectsNonDatabase()
{
    QFETCH(QString, kind);
    QString file;
    if (kind == QLatin1String("text")) {
        file = path("program.nc");
        TestSupport::writeBytes(file, "%\r\nO1000\r\nG0 X10 Y10\r\nM30\r\n%\r\n");
    } else if (kind == QLatin1String("picture")) {
        file = path("machine.png");
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(file));
    } else if (kind == QLatin1String("other database")) {
        file = path("other.db");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("CREATE TABLE PARTS (ID INTEGER)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
    } else if (kind == QLatin1String("empty")) {
        file = path("empty.db");
        TestSupport::writeBytes(file, QByteArray());
    } else {
        file = path("no such file.db");
    }

    start("EN", m_db);
    QVERIFY(QFile::remove(iniPath()));
    TForm_Config *c = config();
    c->show();
    pick(c, file);
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("ERROR: File \"") + file + QStringLiteral("\"\rNot a Valid File DB Machines.")});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(c->Edit1()->text(), m_db);
    QVERIFY(!c->databaseFileAccepted());
    QCOMPARE(c->chosenDatabaseFile(), file);
    QVERIFY(!QSqlDatabase::contains(QLatin1String(TDataModule1::TrialConnection)));

    c->BitBtn1()->click();
    QVERIFY(!QFile::exists(iniPath()));
    QCOMPARE(app().DatabaseFile, m_db);
    QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
    QVERIFY(TDataModule1::instance().isOpen());
}

void tst_ConfigWindow::acceptedDatabaseReconnects()
{
    // A start whose database is missing: the settings are the way out.
    start("EN", path("gone.db"));
    QVERIFY(!m_dialogs->messages().isEmpty());
    m_dialogs->clear();
    QVERIFY(!TDataModule1::instance().isOpen());

    const QString other = makeDatabase("other machines.db");
    TForm_Config *c = config();
    c->show();
    pick(c, other);
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(c->databaseFileAccepted());
    QCOMPARE(c->Edit1()->text(), other);
    QCOMPARE(app().DatabaseFile, path("gone.db")); // nothing passed on before Apply

    c->BitBtn1()->click();
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(!c->isVisible());
    QCOMPARE(TestSupport::readBytes(iniPath()), iniBytes(other, "EN"));
    QCOMPARE(app().DatabaseFile, other);
    QCOMPARE(TDataModule1::instance().databaseFile(), other);
    QVERIFY(TDataModule1::instance().isOpen());
    QVERIFY(!TDataModule1::instance().allMachines().isEmpty());
    // The lists were reloaded and the first machine selected.
    QVERIFY(!app().SelectedMachineId.isEmpty());
}

void tst_ConfigWindow::failedTrialForgetsEarlierAcceptance()
{
    start("EN", m_db);
    const QString other = makeDatabase("other.db");
    const QString text = path("notes.txt");
    TestSupport::writeBytes(text, "not a database\n");
    TForm_Config *c = config();
    c->show();
    pick(c, other);
    QVERIFY(c->databaseFileAccepted());
    pick(c, text);
    QVERIFY(!c->databaseFileAccepted());
    QCOMPARE(c->Edit1()->text(), other); // the text of the last accepted file stays
    choose(c, 4);
    c->BitBtn1()->click();
    // Only the language is applied.
    QCOMPARE(TestSupport::readBytes(iniPath()), iniBytes(m_db, "DE"));
    QCOMPARE(app().DatabaseFile, m_db);
    QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
}

void tst_ConfigWindow::cancelForgetsEverything()
{
    start("EN", m_db);
    QVERIFY(QFile::remove(iniPath()));
    const QString other = makeDatabase("other.db");
    TForm_Config *c = config();
    c->show();
    // A cancelled file dialog changes nothing.
    pick(c, QString());
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(c->chosenDatabaseFile().isEmpty());
    pick(c, other);
    choose(c, 4);
    c->BitBtn3()->click();
    QVERIFY(!c->isVisible());
    QCOMPARE(c->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(iniPath()));
    QCOMPARE(app().LanguageCode, QStringLiteral("EN"));
    QCOMPARE(app().DatabaseFile, m_db);
    QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
    QCOMPARE(m_main->ribbonPages()->tabText(1), QStringLiteral("Machines"));

    // The next show starts afresh: Apply then changes nothing.
    c->show();
    QVERIFY(!c->databaseFileAccepted());
    QCOMPARE(c->chosenLanguageCode(), QStringLiteral("EN"));
    QCOMPARE(c->ComboBox1()->currentIndex(), 0);
    QCOMPARE(c->Edit1()->text(), m_db);
    c->BitBtn1()->click();
    QVERIFY(!QFile::exists(iniPath()));
    QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
}

void tst_ConfigWindow::refusedWriteKeepsWindowOpen_data()
{
    QTest::addColumn<bool>("changeLanguage");
    QTest::newRow("language") << true;
    QTest::newRow("database") << false;
}

void tst_ConfigWindow::refusedWriteKeepsWindowOpen()
{
    QFETCH(bool, changeLanguage);
    start("EN", m_db);
    const QString other = makeDatabase("other.db");
    TForm_Config *c = config();
    c->show();
    if (changeLanguage)
        choose(c, 4);
    else
        pick(c, other);
    // A folder in the file's place refuses every write (whoever runs the test).
    QVERIFY(QFile::remove(iniPath()));
    QVERIFY(QDir().mkdir(iniPath()));

    c->BitBtn1()->click();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("Unable to write to ") + iniPath()});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(c->isVisible());
    // The language shown stays, and a second Apply tries again; a database file
    // set before the write stays for this run; nothing after the write ran.
    if (changeLanguage) {
        QCOMPARE(app().LanguageCode, QStringLiteral("EN"));
        QCOMPARE(m_main->ribbonPages()->tabText(1), QStringLiteral("Machines"));
        QCOMPARE(c->ComboBox1()->itemText(0), QStringLiteral("English"));
        QVERIFY(QDir().rmdir(iniPath()));
        m_dialogs->clear();
        c->BitBtn1()->click();
        QVERIFY(m_dialogs->messages().isEmpty());
        QVERIFY(!c->isVisible());
        QCOMPARE(app().LanguageCode, QStringLiteral("DE"));
        QCOMPARE(TestSupport::readBytes(iniPath()), QByteArray("[LANGUAGE]\r\nVALUE=DE\r\n"));
        QCOMPARE(m_main->ribbonPages()->tabText(1), QStringLiteral("Maschinen"));
    } else {
        QCOMPARE(app().DatabaseFile, other);
        QCOMPARE(TDataModule1::instance().databaseFile(), m_db);
    }
}

void tst_ConfigWindow::reconnectFailureKeepsWindowOpen()
{
    start("EN", m_db);
    const QString other = makeDatabase("other.db");
    TForm_Config *c = config();
    c->show();
    pick(c, other);
    QVERIFY(c->databaseFileAccepted());
    QVERIFY(QFile::remove(other)); // gone between the trial and Apply
    c->BitBtn1()->click();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY(m_dialogs->messages().first().contains(other));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(c->isVisible());
    QCOMPARE(TestSupport::readBytes(iniPath()), iniBytes(other, "EN"));
    QVERIFY(!TDataModule1::instance().isOpen());
}

void tst_ConfigWindow::acceleratorsWork_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QKeySequence>("apply");
    QTest::addColumn<QKeySequence>("cancel");
    QTest::newRow("EN") << QByteArray("EN") << QKeySequence(Qt::ALT | Qt::Key_A) << QKeySequence(Qt::ALT | Qt::Key_C);
    QTest::newRow("PT-BR") << QByteArray("PT-BR") << QKeySequence(Qt::ALT | Qt::Key_A)
                           << QKeySequence(Qt::ALT | Qt::Key_L);
    QTest::newRow("FR has none") << QByteArray("FR") << QKeySequence() << QKeySequence();
}

void tst_ConfigWindow::acceleratorsWork()
{
    QFETCH(QByteArray, language);
    QFETCH(QKeySequence, apply);
    QFETCH(QKeySequence, cancel);
    start(language, m_db);
    TForm_Config *c = config();
    QCOMPARE(c->BitBtn1()->shortcut(), apply);
    QCOMPARE(c->BitBtn3()->shortcut(), cancel);
    if (cancel.isEmpty())
        return;
    // The mark works as a key: Alt and the letter cancel the window.
    c->show();
    c->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(c));
    QTest::keyClick(c->windowHandle(), Qt::Key(cancel[0].key()), Qt::AltModifier);
    QTRY_VERIFY(!c->isVisible()); // a mnemonic clicks the button after a short animation
    QCOMPARE(c->result(), int(QDialog::Rejected));
}

void tst_ConfigWindow::captionsFit_data()
{
    QTest::addColumn<QByteArray>("language");
    for (const char *code : {"EN", "PT-BR", "ES", "FR", "DE"})
        QTest::newRow(code) << QByteArray(code);
}

void tst_ConfigWindow::captionsFit()
{
    QFETCH(QByteArray, language);
    start(language, m_db);
    // The main window at its design size, each ribbon page in turn.
    m_main->resize(1459, 754);
    for (int page = 0; page < 3; ++page) {
        m_main->ribbonPages()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QStringList clipped = clippedControls(m_main);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String(" | "))));
        QVERIFY(m_main->width() <= 1459);
    }
    // A 1280 x 720 screen: the ribbon breaks long group captions onto a second
    // line rather than making the window wider than the screen.
    m_main->resize(1280, 720);
    for (int page = 0; page < 3; ++page) {
        m_main->ribbonPages()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        QVERIFY2(m_main->width() <= 1280, qPrintable(QString::number(m_main->width())));
        const QStringList clipped = clippedControls(m_main);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String(" | "))));
    }
    TForm_Config *c = config();
    c->show();
    QCoreApplication::processEvents();
    const QStringList clipped = clippedControls(c);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String(" | "))));
    // Long language names fit in the list too.
    QVERIFY(c->ComboBox1()->width() >= c->ComboBox1()->minimumSizeHint().width());
    c->hide();

    // Every other window as it first shows, and the find and replace dialogs.
    std::vector<std::unique_ptr<QDialog>> searchDialogs;
    searchDialogs.emplace_back(new TextSearchDialog);
    searchDialogs.emplace_back(new TextReplaceDialog);
    QList<QWidget *> windows = Application::windows();
    for (const auto &dialog : searchDialogs)
        windows << dialog.get();
    QStringList faults;
    for (QWidget *w : windows) {
        if (!qobject_cast<QDialog *>(w) || w == c || w->objectName() == QLatin1String("Form_Imagens"))
            continue;
        w->show();
        QCoreApplication::processEvents();
        const QStringList clipped = clippedControls(w);
        if (!clipped.isEmpty())
            faults << w->objectName() + QLatin1String(": ") + clipped.join(QLatin1String(", "));
        w->hide();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String(" | "))));
}

QTEST_MAIN(tst_ConfigWindow)
#include "tst_configwindow.moc"
