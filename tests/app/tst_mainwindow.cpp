#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "app/MessagesWindow.h"
#include "app/SplashWindow.h"
#include "lang/ApplyLanguage.h"
#include "machines/DatabaseSchema.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QCheckBox>
#include <QLabel>
#include <QSplitter>
#include <QToolButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithAllWindowsInOrder();
    void ribbonSwitchesWorkAreas();
    void helpPageFollowsVisibleArea();
    void programViewFollowsTheLanguage();
    void programViewLeavesTheEditorItsRoom();
    void messagesCommandTogglesPanel();
    void noOpenFileWarning();
    void historyEntryGoesToThePanel();
    void closeAsksForChangedTabsInOrder();
    void closeWithoutChangesAsksNothing();
    void missingDatabaseIsReportedAndStartupGoesOn();
    void splashClosesAtOnceWhenStartupTookLonger();

private:
    TForm_Main *start(const QByteArray &ini);
    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
};

void tst_MainWindow::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
}

void tst_MainWindow::cleanup()
{
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
}

TForm_Main *tst_MainWindow::start(const QByteArray &ini)
{
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")), ini);
    m_main = startWindows(m_dir.path());
    return m_main;
}

QByteArray iniFor(const QString &db, const char *language = "EN")
{
    return "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=" + language + "\r\n";
}

void tst_MainWindow::startsWithAllWindowsInOrder()
{
    const QString db = m_dir.filePath(QStringLiteral("ok.db"));
    if (!QFile::exists(db))
        DatabaseSchema::createDatabase(db, true, m_dir.path());
    start(iniFor(db));
    QStringList names;
    for (QWidget *w : Application::windows())
        names << w->objectName();
    const QStringList expected{
        "Form_Main", "Form_Screen", "Form_Imagens", "Form_Maquinas", "Form_Selecionar_Maquina", "Form_EDT1",
        "Form_EDT_Progress", "Form_EDT2", "Form_EDT3", "Form_EDT4", "Form_EDT5", "Form_MSG", "Form_EDT_COR",
        "Form_DIR", "Form_Transfer_FTP", "Form_Transfer_DIR", "Form_Transfer_SERIAL232", "Form_Font",
        "Form_Transfer_SERIAL232_R", "Form_Config", "Form_EDT7"};
    QCOMPARE(names, expected);
    QVERIFY(m_dialogs->messages().isEmpty());
    // Every control key of the catalog reaches a control of some window.
    QCOMPARE(missingControlKeys(Application::windows()), QStringList());
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Zavrin"));
    QCOMPARE(m_main->ribbonPages()->count(), 3);
    QCOMPARE(m_main->ribbonPages()->tabText(2), QStringLiteral(" Edit CNC Program "));
    QVERIFY(!m_main->Panel7()->isHidden());
}

void tst_MainWindow::ribbonSwitchesWorkAreas()
{
    start(iniFor(QString()));
    QTabWidget *pages = m_main->ribbonPages();
    struct { int page; bool browser, list, editor; } steps[] = {
        {1, false, true, false}, {2, false, false, true}, {0, true, false, false}};
    for (const auto &s : steps) {
        pages->setCurrentIndex(s.page);
        QCOMPARE(m_main->Panel1()->isVisible(), s.browser);
        QCOMPARE(m_main->DBCtrlGrid1()->isVisible(), s.list);
        QCOMPARE(m_main->Panel6()->isVisible(), s.editor);
    }
    m_main->FUNC_ViewRibbon(3);
    m_main->FUNC_ViewRibbon(-1);
    QVERIFY(m_main->Panel1()->isVisible());
    QVERIFY(!m_main->Panel6()->isVisible());
}

void tst_MainWindow::helpPageFollowsVisibleArea()
{
    start(iniFor(QString(), "DE"));
    const QString help = Paths::withTrailingSeparator(m_dir.path()) + QStringLiteral("Help") + Paths::separator()
                         + QStringLiteral("DE") + Paths::separator();
    m_main->helpButtonClick();
    m_main->ribbonPages()->setCurrentIndex(1);
    m_main->helpButtonClick();
    m_main->ribbonPages()->setCurrentIndex(2);
    m_main->helpButtonClick();
    QCOMPARE(m_shell->helpPages, (QStringList{help + QStringLiteral("func03.html"), help + QStringLiteral("func04.html"),
                                              help + QStringLiteral("func05.html")}));
}

void tst_MainWindow::programViewFollowsTheLanguage()
{
    start(iniFor(QString(), "EN"));
    auto *group = m_main->findChild<RibbonGroup *>(QStringLiteral("RibbonGroupProgramView"));
    QVERIFY(group);
    auto *button = group->findChild<QToolButton *>(QStringLiteral("SpeedButtonProgramView"));
    auto *page = qobject_cast<RibbonPage *>(group->parentWidget());
    QCOMPARE(group->caption(), QStringLiteral("Program View"));
    // The language changes while another ribbon page is shown: the caption is
    // in the new language before the view's page is shown again.
    m_main->ribbonPages()->setCurrentIndex(m_main->ribbonPages()->indexOf(page) == 0 ? 1 : 0);
    app().LanguageCode = QStringLiteral("DE");
    Application::applyLanguage();
    QCOMPARE(group->caption(), QStringLiteral("Programm anzeigen"));
    QCOMPARE(button->toolTip(), QStringLiteral("Werkzeugweg des bearbeiteten Programms ein- oder ausblenden"));
    auto *panel = m_main->findChild<QWidget *>(QStringLiteral("ProgramView"));
    QCOMPARE(panel->findChild<QCheckBox *>(QStringLiteral("ViewDiameter"))->text(),
             Texts::extra(QStringLiteral("Extra.ViewDiameter")));
    QVERIFY(Texts::extra(QStringLiteral("Extra.ViewDiameter")) != QLatin1String("X as diameter"));
}

void tst_MainWindow::programViewLeavesTheEditorItsRoom()
{
    start(iniFor(QString(), "EN"));
    m_main->showNormal();
    m_main->resize(1440, 860);
    m_main->ribbonPages()->setCurrentIndex(2);
    auto *button = m_main->findChild<QToolButton *>(QStringLiteral("SpeedButtonProgramView"));
    auto *beside = m_main->findChild<QSplitter *>(QStringLiteral("ProgramViewSplitter"));
    QVERIFY(button && beside);
    button->setChecked(true);
    QCoreApplication::processEvents();
    // The tabs keep the larger part: three fifths of the width.
    const QList<int> sizes = beside->sizes();
    QVERIFY2(sizes.value(0) > sizes.value(1) && sizes.value(1) > 0,
             qPrintable(QStringLiteral("%1 %2").arg(sizes.value(0)).arg(sizes.value(1))));
    button->setChecked(false);
}

void tst_MainWindow::messagesCommandTogglesPanel()
{
    const QString db = m_dir.filePath(QStringLiteral("ok.db"));
    if (!QFile::exists(db))
        DatabaseSchema::createDatabase(db, true, m_dir.path());
    start(iniFor(db));
    m_main->ribbonPages()->setCurrentIndex(2);
    QVERIFY(m_main->Panel7()->isVisible());
    m_main->SpeedButton25Click();
    QVERIFY(!m_main->Panel7()->isVisible());
    m_main->SpeedButton25Click();
    QVERIFY(m_main->Panel7()->isVisible());
    QCOMPARE(m_main->messages()->parentWidget(), m_main->Panel7());
    // Closing the messages window itself hides the panel too.
    m_main->messages()->close();
    QVERIFY(!m_main->Panel7()->isVisible());
}

void tst_MainWindow::noOpenFileWarning()
{
    start(iniFor(QString()));
    m_dialogs->clear();
    m_main->FUNC_Mensagem(1, QStringLiteral("Edit Number of Blocks"));
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("ATTENTION: No open File to apply the Function \"Edit Number of Blocks\"."));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Warning);
}

void tst_MainWindow::historyEntryGoesToThePanel()
{
    start(iniFor(QString()));
    m_main->showMessagesPanel();
    m_main->FUNC_Historico(QStringLiteral("Number of Blocks"), QStringLiteral("Start 10"), QString(),
                           QStringLiteral("  "), QStringLiteral("Function Applied across File"));
    QTreeWidget *tree = m_main->messages()->TreeView1();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QVERIFY(tree->topLevelItem(0)->text(0).endsWith(QStringLiteral(" - Number of Blocks")));
    QCOMPARE(tree->topLevelItem(0)->childCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->child(1)->text(0), QStringLiteral("Function Applied across File"));
}

void tst_MainWindow::closeAsksForChangedTabsInOrder()
{
    start(iniFor(QString()));
    bool saved = false;
    m_main->changedTabCaptions = [] { return QStringList{QStringLiteral("/p/A.NC"), QStringLiteral("/p/B.NC")}; };
    m_main->saveAllTabs = [&saved] { return saved = true; };
    m_dialogs->clear();
    m_dialogs->answer(Dialogs::No);
    m_main->close();
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("QUESTION: The following Files have been changed. Would you like to save "
                                        "changes before closing the \"Zavrin\" System ?\r/p/A.NC\r/p/B.NC\r")});
    QVERIFY(!saved);
    QVERIFY(!m_main->isVisible());
}

void tst_MainWindow::closeWithoutChangesAsksNothing()
{
    start(iniFor(QString()));
    m_main->changedTabCaptions = [] { return QStringList(); };
    m_dialogs->clear();
    m_main->close();
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_MainWindow::missingDatabaseIsReportedAndStartupGoesOn()
{
    const QString missing = m_dir.filePath(QStringLiteral("gone.db"));
    start(iniFor(missing));
    QVERIFY(!m_dialogs->messages().isEmpty());
    QVERIFY2(m_dialogs->messages().first().contains(missing), qPrintable(m_dialogs->messages().first()));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(Application::windows().size(), 21);
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("--------------------"));
}

void tst_MainWindow::splashClosesAtOnceWhenStartupTookLonger()
{
    TForm_Screen splash;
    QTest::qWait(TForm_Screen::DisplayMilliseconds + 400);
    QVERIFY(splash.expired());
    QElapsedTimer t;
    t.start();
    splash.exec();
    QVERIFY(t.elapsed() < 1000);
    QVERIFY(splash.findChild<QLabel *>(QStringLiteral("Label1"))->text().count(QLatin1Char('.')) >= 9);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
