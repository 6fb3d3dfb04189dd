// Every help button opens the page written for its window, and every such page
// exists in every language folder of the built help tree.
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "journalview/JournalCommands.h"
#include "editor/TextReplaceDialog.h"
#include "editor/TextSearchDialog.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/TransferDirWindow.h"
#include "transfer/TransferFtpWindow.h"
#include "transfer/TransferRules.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// Secondary windows and the page of their help button (empty: the button does nothing).
const QList<QPair<QString, QString>> &windowPages()
{
    static const QList<QPair<QString, QString>> table{
        {"Form_Maquinas", "func04.html"},
        {"Form_Selecionar_Maquina", "func03.1.html"},
        {"Form_DIR", "func03.3.html"},
        {"Form_Transfer_SERIAL232", "func03.4.3.html"},
        {"Form_Transfer_SERIAL232_R", "func03.5.3.html"},
        {"TextSearchDialog", "func05.2.html"},
        {"TextReplaceDialog", "func05.3.html"},
        {"Form_EDT1", "func05.4.html"},
        {"Form_EDT2", "func05.5.html"},
        {"Form_EDT3", "func05.6.html"},
        {"Form_EDT4", "func05.7.html"},
        {"Form_EDT5", "func05.8.html"},
        {"Form_Font", "func05.9.html"},
        {"Form_EDT_COR", "func05.10.html"},
        {"Form_EDT7", "func05.12.html"},
        {"Form_Config", ""},
    };
    return table;
}

const QStringList &allPages()
{
    static const QStringList pages{"func03.html",     "func04.html",     "func05.html",     "func03.1.html",
                                   "func03.3.html",   "func03.4.1.html", "func03.5.1.html", "func03.4.2.html",
                                   "func03.5.2.html", "func03.4.3.html", "func03.5.3.html", "func05.2.html",
                                   "func05.3.html",   "func05.4.html",   "func05.5.html",   "func05.6.html",
                                   "func05.7.html",   "func05.8.html",   "func05.9.html",   "func05.10.html",
                                   "func05.12.html",  "func05.13.html", "func03.6.html",  "func03.4.4.html"};
    return pages;
}

const QStringList languages{"PT-BR", "EN", "ES", "FR", "DE"};

QToolButton *helpButtonOf(QWidget *window)
{
    auto *ribbon = window->findChild<Ribbon *>(QStringLiteral("Ribbon1"), Qt::FindDirectChildrenOnly);
    if (!ribbon)
        ribbon = window->findChild<Ribbon *>(QStringLiteral("Ribbon1"));
    return ribbon ? ribbon->helpButton() : nullptr;
}

} // namespace

class tst_HelpPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyHelpButtonOpensItsPage();
    void everyPageExistsInEveryLanguage();
    void pageLinksAndPicturesResolve();

private:
    // Clicks the window's help button and returns the pages opened by it.
    QStringList click(QWidget *window);
    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
};

void tst_HelpPages::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
}

void tst_HelpPages::cleanup()
{
    Application::destroyWindows();
    delete m_shell;
    delete m_dialogs;
}

QStringList tst_HelpPages::click(QWidget *window)
{
    m_shell->helpPages.clear();
    QToolButton *help = helpButtonOf(window);
    if (!help)
        return {QStringLiteral("<no help button>")};
    help->click();
    return m_shell->helpPages;
}

void tst_HelpPages::everyHelpButtonOpensItsPage()
{
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=\r\n[LANGUAGE]\r\nVALUE=FR\r\n");
    TForm_Main *main = startWindows(m_dir.path());
    m_dialogs->clear(); // the start-up report of the missing database is not the concern here
    const QString help = Paths::withTrailingSeparator(m_dir.path()) + QStringLiteral("Help") + Paths::separator()
                         + QStringLiteral("FR") + Paths::separator();
    auto opened = [&](const QString &page) { return page.isEmpty() ? QStringList() : QStringList{help + page}; };

    // The main window: the page follows the visible work area.
    const char *areas[] = {"func03.html", "func04.html", "func05.html"};
    for (int page = 0; page < 3; ++page) {
        main->ribbonPages()->setCurrentIndex(page);
        QCOMPARE(click(main), opened(QLatin1String(areas[page])));
    }

    // The program view beside the editor tabs has a help button of its own.
    auto *viewHelp = main->findChild<QToolButton *>(QStringLiteral("ViewHelp"));
    QVERIFY(viewHelp);
    m_shell->helpPages.clear();
    viewHelp->click();
    QCOMPARE(m_shell->helpPages, opened(QStringLiteral("func05.13.html")));

    // The journal window, and the line monitor of the serial windows.
    auto *journalButton = main->findChild<QToolButton *>(QStringLiteral("SpeedButtonJournal"));
    QVERIFY(journalButton);
    journalButton->click();
    QVERIFY(journalWindow() && journalWindow()->isVisible());
    QCOMPARE(click(journalWindow()), opened(QStringLiteral("func03.6.html")));
    journalWindow()->close();
    for (const char *serial : {"Form_Transfer_SERIAL232", "Form_Transfer_SERIAL232_R"}) {
        auto *monitorHelp = Application::window(QLatin1String(serial))->findChild<QToolButton *>(QStringLiteral("MonitorHelp"));
        QVERIFY(monitorHelp);
        m_shell->helpPages.clear();
        monitorHelp->click();
        QCOMPARE(m_shell->helpPages, opened(QStringLiteral("func03.4.4.html")));
    }

    // The transfer windows in both modes.
    auto *dir = qobject_cast<TForm_Transfer_DIR *>(Application::window(QStringLiteral("Form_Transfer_DIR")));
    auto *ftp = qobject_cast<TForm_Transfer_FTP *>(Application::window(QStringLiteral("Form_Transfer_FTP")));
    QVERIFY(dir && ftp);
    dir->prepare(QString(), TransferRules::Send);
    QCOMPARE(click(dir), opened(QStringLiteral("func03.4.1.html")));
    dir->prepare(QString(), TransferRules::Receive);
    QCOMPARE(click(dir), opened(QStringLiteral("func03.5.1.html")));
    ftp->prepare(QString(), TransferRules::Send);
    QCOMPARE(click(ftp), opened(QStringLiteral("func03.4.2.html")));
    ftp->prepare(QString(), TransferRules::Receive);
    QCOMPARE(click(ftp), opened(QStringLiteral("func03.5.2.html")));

    // Every other window with a ribbon is in the table, and the table names no missing window.
    // The find and replace dialogs are made when they are used, so they are made here too.
    TextSearchDialog search(main);
    TextReplaceDialog replace(main);
    QList<QWidget *> windows = Application::windows();
    windows << &search << &replace;
    QSet<QString> seen;
    for (QWidget *w : windows) {
        const QString name = w->objectName();
        if (w == main || w == dir || w == ftp || !helpButtonOf(w))
            continue;
        auto row = std::find_if(windowPages().begin(), windowPages().end(),
                                [&](const QPair<QString, QString> &r) { return r.first == name; });
        QVERIFY2(row != windowPages().end(), qPrintable(name + QStringLiteral(" has a help button but no page")));
        QVERIFY2(click(w) == opened(row->second), qPrintable(name + QStringLiteral(" opened ") + m_shell->helpPages.join(
                                                                                          QLatin1Char(' '))));
        seen << name;
    }
    for (const auto &row : windowPages())
        QVERIFY2(seen.contains(row.first), qPrintable(row.first + QStringLiteral(" was not found")));
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_HelpPages::everyPageExistsInEveryLanguage()
{
    const QString root = QStringLiteral(ZAVRIN_RUN_DIR "/Help/");
    QStringList missing;
    for (const QString &language : languages) {
        for (const QString &page : allPages()) {
            if (!QFileInfo(root + language + QLatin1Char('/') + page).isFile())
                missing << language + QLatin1Char('/') + page;
        }
    }
    if (!QFileInfo(root + QStringLiteral("help.css")).isFile())
        missing << QStringLiteral("help.css");
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

// A page whose picture or neighbour is missing looks broken to the operator.
void tst_HelpPages::pageLinksAndPicturesResolve()
{
    const QString root = QStringLiteral(ZAVRIN_RUN_DIR "/Help/");
    static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"#:]+)\""));
    QStringList broken;
    for (const QString &language : languages) {
        const QDir folder(root + language);
        for (const QString &page : allPages()) {
            if (!QFileInfo(folder.filePath(page)).isFile())
                continue; // reported by everyPageExistsInEveryLanguage
            const QString text = QString::fromUtf8(TestSupport::readBytes(folder.filePath(page)));
            if (!text.contains(QStringLiteral("<html lang=")))
                broken << language + QLatin1Char('/') + page + QStringLiteral(" (not a page)");
            for (auto it = reference.globalMatch(text); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (!QFileInfo(folder.filePath(target)).isFile())
                    broken << language + QLatin1Char('/') + page + QStringLiteral(" -> ") + target;
            }
        }
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_HelpPages)
#include "tst_helppages.moc"
