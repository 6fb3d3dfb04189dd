// Help is shown in the application's own help window: the page of the window it
// was asked from, links, back and forward, a search over the pages of the
// language, and a plain statement when a page is missing.
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/HelpPages.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "machines/DatabaseSchema.h"
#include "platform/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

namespace {

QWidget *helpWindow()
{
    // The window of a shown text browser (the help window, not the window it stands over).
    for (QWidget *w : QApplication::allWidgets()) {
        if (qobject_cast<QTextBrowser *>(w) && w->window()->isVisible())
            return w->window();
    }
    return nullptr;
}

QString pageTitle(const QString &path)
{
    static const QRegularExpression re(QStringLiteral("<title>(.*)</title>"));
    return re.match(QString::fromUtf8(TestSupport::readBytes(path))).captured(1);
}

void clickHelp(QWidget *window)
{
    auto *ribbon = window->findChild<Ribbon *>(QStringLiteral("Ribbon1"));
    QVERIFY(ribbon);
    ribbon->helpButton()->click();
}

} // namespace

class tst_HelpWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void helpButtonShowsThePageOfItsWindow_data();
    void helpButtonShowsThePageOfItsWindow();
    void linksBackAndForward();
    void helpFromAModalWindowStandsOverIt();
    void missingPageIsSaidInTheWindow();
    void searchFindsWordsInEveryPage_data();
    void searchFindsWordsInEveryPage();
    void plainTextOfAPage_data();
    void plainTextOfAPage();

private:
    // Starts the windows in a fresh folder whose Help is the built help tree.
    TForm_Main *start(const char *language, bool withHelp = true);
    QTextBrowser *browser();
    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void tst_HelpWindow::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_dir = new QTemporaryDir;
}

void tst_HelpWindow::cleanup()
{
    Application::destroyWindows();
    delete m_dir;
    delete m_dialogs;
}

TForm_Main *tst_HelpWindow::start(const char *language, bool withHelp)
{
    if (withHelp)
        QFile::link(QStringLiteral(ZAVRIN_RUN_DIR "/Help"), m_dir->filePath(QStringLiteral("Help")));
    TestSupport::writeBytes(m_dir->filePath(QStringLiteral("Zavrin.ini")),
                            QByteArray("[DIRBD]\r\nVALUE=\r\n[LANGUAGE]\r\nVALUE=") + language + "\r\n");
    TForm_Main *main = startWindows(m_dir->path());
    m_dialogs->clear(); // the missing database is not the concern here
    return main;
}

QTextBrowser *tst_HelpWindow::browser()
{
    QWidget *w = helpWindow();
    return w ? w->findChild<QTextBrowser *>() : nullptr;
}

void tst_HelpWindow::helpButtonShowsThePageOfItsWindow_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("window"); // empty: the main window on ribbon page `page`
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("file");
    QTest::newRow("main window, browser, English") << "EN" << "" << 0 << "func03.html";
    QTest::newRow("main window, editor, German") << "DE" << "" << 2 << "func05.html";
    QTest::newRow("font window, German") << "DE" << "Form_Font" << 0 << "func05.9.html";
    QTest::newRow("selection window, Portuguese") << "PT-BR" << "Form_Selecionar_Maquina" << 0 << "func03.1.html";
    QTest::newRow("spaces tool, French") << "FR" << "Form_EDT1" << 0 << "func05.4.html";
}

void tst_HelpWindow::helpButtonShowsThePageOfItsWindow()
{
    QFETCH(QString, language);
    QFETCH(QString, window);
    QFETCH(int, page);
    QFETCH(QString, file);
    TForm_Main *main = start(language.toLatin1().constData());
    QWidget *asking = main;
    if (window.isEmpty())
        main->ribbonPages()->setCurrentIndex(page);
    else
        asking = Application::window(window);
    QVERIFY(asking);
    clickHelp(asking);
    QVERIFY2(helpWindow(), "no help window is shown");
    const QString expected = QDir(m_dir->path()).filePath(QStringLiteral("Help/") + language + QLatin1Char('/') + file);
    QCOMPARE(QFileInfo(browser()->source().toLocalFile()).absoluteFilePath(), QFileInfo(expected).absoluteFilePath());
    QCOMPARE(browser()->documentTitle(), pageTitle(expected));
    QVERIFY(!helpWindow()->windowTitle().isEmpty());
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_HelpWindow::linksBackAndForward()
{
    TForm_Main *main = start("EN");
    main->ribbonPages()->setCurrentIndex(0);
    clickHelp(main);
    QTextBrowser *b = browser();
    QVERIFY(b);
    auto *back = helpWindow()->findChild<QToolButton *>(QStringLiteral("HelpBack"));
    auto *forward = helpWindow()->findChild<QToolButton *>(QStringLiteral("HelpForward"));
    QVERIFY(back && forward);
    QVERIFY(!back->isEnabled());

    // A link of the page's navigation bar, as the reader's click hands it over.
    emit b->anchorClicked(QUrl(QStringLiteral("func04.html")));
    QCOMPARE(b->source().fileName(), QStringLiteral("func04.html"));
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(b->source().fileName(), QStringLiteral("func03.html"));
    QVERIFY(forward->isEnabled());
    forward->click();
    QCOMPARE(b->source().fileName(), QStringLiteral("func04.html"));

    // A link to a page that is not there says so; Back returns to the page.
    emit b->anchorClicked(QUrl(QStringLiteral("func99.html")));
    QVERIFY2(b->toPlainText().contains(QStringLiteral("func99.html")), qPrintable(b->toPlainText()));
    QVERIFY(b->toPlainText().contains(QStringLiteral("does not exist")));
    back->click();
    QCOMPARE(b->source().fileName(), QStringLiteral("func04.html"));
    QCOMPARE(b->documentTitle(), pageTitle(QStringLiteral(ZAVRIN_RUN_DIR "/Help/EN/func04.html")));
}

// A modal window blocks every window but its own: the help window asked from it
// belongs to it, so that it can be read and used while the modal window is open.
void tst_HelpWindow::helpFromAModalWindowStandsOverIt()
{
    TForm_Main *main = start("EN");
    QWidget *font = Application::window(QStringLiteral("Form_Font"));
    QVERIFY(font);
    font->setWindowModality(Qt::ApplicationModal);
    font->show();
    QCOMPARE(QApplication::activeModalWidget(), font);
    clickHelp(font);
    QVERIFY(helpWindow());
    QCOMPARE(helpWindow()->parentWidget(), font);
    QCOMPARE(browser()->source().fileName(), QStringLiteral("func05.9.html"));
    font->hide();
    font->setWindowModality(Qt::NonModal);

    // Asked again from the main window, the same help window moves over it.
    QWidget *help = helpWindow();
    main->ribbonPages()->setCurrentIndex(1);
    clickHelp(main);
    QCOMPARE(helpWindow(), help);
    QCOMPARE(help->parentWidget(), main);
    QCOMPARE(browser()->source().fileName(), QStringLiteral("func04.html"));
}

void tst_HelpWindow::missingPageIsSaidInTheWindow()
{
    TForm_Main *main = start("ES", false);
    clickHelp(main);
    QTextBrowser *b = browser();
    QVERIFY2(b, "no help window is shown");
    const QString text = b->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("func03.html")) && text.contains(QStringLiteral("no existe")), qPrintable(text));
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_HelpWindow::searchFindsWordsInEveryPage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("mustFind");  // a page that holds the words
    QTest::addColumn<QString>("mustNotFind"); // one that does not
    QTest::newRow("German word") << "DE" << "Papierkorb" << "func03.html" << "func05.4.html";
    QTest::newRow("case and accents do not matter") << "PT-BR" << "MAQUINA SELECIONADA" << "func03.html" << "";
    QTest::newRow("every word must be there") << "EN" << "trash xyzzy" << "" << "func03.html";
}

void tst_HelpWindow::searchFindsWordsInEveryPage()
{
    QFETCH(QString, language);
    QFETCH(QString, query);
    QFETCH(QString, mustFind);
    QFETCH(QString, mustNotFind);
    TForm_Main *main = start(language.toLatin1().constData());
    clickHelp(main);
    QWidget *help = helpWindow();
    QVERIFY(help);
    auto *edit = help->findChild<QLineEdit *>(QStringLiteral("HelpSearchEdit"));
    auto *go = help->findChild<QPushButton *>(QStringLiteral("HelpSearchButton"));
    auto *results = help->findChild<QListWidget *>(QStringLiteral("HelpResults"));
    QVERIFY(edit && go && results);
    edit->setText(query);
    go->click();
    QStringList found;
    for (int i = 0; i < results->count(); ++i)
        found << QFileInfo(results->item(i)->data(Qt::UserRole).toString()).fileName();
    if (!mustFind.isEmpty()) {
        QVERIFY2(found.contains(mustFind), qPrintable(found.join(QLatin1Char(' '))));
        // The first result is shown at once.
        QCOMPARE(browser()->source().fileName(), found.first());
    } else {
        QVERIFY(found.isEmpty());
        auto *label = help->findChild<QLabel *>(QStringLiteral("HelpResultsLabel"));
        QVERIFY(label && label->isVisible() && label->text().contains(query));
    }
    if (!mustNotFind.isEmpty())
        QVERIFY2(!found.contains(mustNotFind), qPrintable(found.join(QLatin1Char(' '))));
    // Each result holds the words: its page text is where the search looked.
    for (int i = 0; i < results->count(); ++i) {
        const QString text = HelpPages::foldForSearch(HelpPages::plainText(
            QString::fromUtf8(TestSupport::readBytes(results->item(i)->data(Qt::UserRole).toString()))));
        for (const QString &word : query.split(QLatin1Char(' ')))
            QVERIFY2(text.contains(HelpPages::foldForSearch(word)), qPrintable(found.at(i) + QLatin1Char(' ') + word));
    }
}

void tst_HelpWindow::plainTextOfAPage_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("navigation and head left out")
        << "<html><head><title>T</title><style>p{}</style></head><body><nav><a href=x>Other page</a></nav>"
           "<h1>Spaces</h1><p>Adds  a\nblank</p></body></html>"
        << "Spaces Adds a blank";
    QTest::newRow("entities decoded") << "<p>A &amp; B &lt;C&gt; &quot;D&quot; &#x27;E&#39; &nbsp;F &bogus;</p>"
                                      << "A & B <C> \"D\" 'E' F &bogus;";
    QTest::newRow("comments left out") << "<p>one<!-- two --> three</p>" << "one three";
}

void tst_HelpWindow::plainTextOfAPage()
{
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(HelpPages::plainText(html), text);
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_helpwindow.moc"
