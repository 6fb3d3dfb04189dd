#include "BrowserTestWindows.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "files/BrowserArea.h"
#include "files/ProductDirectoryWindow.h"
#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class tst_ProductDirectory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void missingFieldsInOrder_data();
    void missingFieldsInOrder();
    void noProgramDirectory();
    void createsAndShowsTheFolder();
    void secondTimeReportsExisting();
    void refusedNameIsNotReportedAsCreated();
    void openCommandPreparesTheWindow();
    void textsFitInEveryLanguage();

private:
    void fill(const QString &customer, const QString &product, const QString &revision)
    {
        m_window->Edit2()->setText(customer);
        m_window->Edit3()->setText(product);
        m_window->Edit4()->setText(revision);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    TForm_DIR *m_window = nullptr;
    QString m_programs;
};

void tst_ProductDirectory::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    m_main = startWindows(*m_dir);
    m_window = qobject_cast<TForm_DIR *>(Application::window(QStringLiteral("Form_DIR")));
    QVERIFY(m_window);
    QDir().mkpath(m_dir->filePath(QStringLiteral("cnc/M01")));
    m_programs = Paths::withTrailingSeparator(m_dir->filePath(QStringLiteral("cnc/M01")));
    m_window->prepare(m_programs);
    m_dialogs->clear();
}

void tst_ProductDirectory::cleanup()
{
    Application::destroyWindows();
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

void tst_ProductDirectory::missingFieldsInOrder_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("revision");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty") << "" << "" << "" << "ERROR: Please fill the \"Customer or Company\" field." << "Edit2";
    QTest::newRow("blank customer") << "   " << "4711" << "B" << "ERROR: Please fill the \"Customer or Company\" field." << "Edit2";
    QTest::newRow("product") << "ACME" << " " << "" << "ERROR: Please fill the \"Product Number\" field." << "Edit3";
    QTest::newRow("revision") << "ACME" << "4711" << "  " << "ERROR: Please fill the \"Product Review\" field." << "Edit4";
}

void tst_ProductDirectory::missingFieldsInOrder()
{
    QFETCH(QString, customer);
    QFETCH(QString, product);
    QFETCH(QString, revision);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QSignalSpy accepted(m_window, &QDialog::accepted);
    fill(customer, product, revision);
    m_window->BitBtn1Click();
    QCOMPARE(m_dialogs->messages(), QStringList{message});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(m_window->focusWidget()->objectName(), focus);
    QCOMPARE(accepted.count(), 0);
    QVERIFY(QDir(m_programs).isEmpty());
}

void tst_ProductDirectory::noProgramDirectory()
{
    m_window->prepare(QString());
    fill(QStringLiteral("ACME"), QStringLiteral("4711"), QStringLiteral("B"));
    m_window->BitBtn1Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: Program Directory \"\" does not exist."});
    const QString gone = Paths::withTrailingSeparator(m_dir->filePath(QStringLiteral("gone")));
    m_window->prepare(gone);
    fill(QStringLiteral("ACME"), QStringLiteral("4711"), QStringLiteral("B"));
    m_window->BitBtn1Click();
    QCOMPARE(m_dialogs->last().text, "ERROR: Program Directory \"" + gone + "\" does not exist.");
    QVERIFY(!QFileInfo::exists(gone));
}

void tst_ProductDirectory::createsAndShowsTheFolder()
{
    QSignalSpy accepted(m_window, &QDialog::accepted);
    fill(QStringLiteral("  ACME "), QStringLiteral("4711"), QStringLiteral(" B"));
    m_window->BitBtn1Click();
    const QString path = m_programs + QStringLiteral("ACME_4711_B");
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: Product Directory \"" + path + "\"Successfully created."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(currentBrowserFolder(), path);

    // Intermediate folders are made on the way.
    m_window->prepare(m_programs);
    fill(QStringLiteral("ACME\\Plant 2"), QStringLiteral("4711"), QStringLiteral("C"));
    m_window->BitBtn1Click();
    QVERIFY(QFileInfo(m_programs + QStringLiteral("ACME/Plant 2_4711_C")).isDir());
}

void tst_ProductDirectory::secondTimeReportsExisting()
{
    fill(QStringLiteral("ACME"), QStringLiteral("4711"), QStringLiteral("B"));
    m_window->BitBtn1Click();
    QSignalSpy accepted(m_window, &QDialog::accepted);
    m_dialogs->clear();
    m_window->prepare(m_programs);
    fill(QStringLiteral("ACME"), QStringLiteral("4711"), QStringLiteral("B"));
    m_window->Edit4()->setFocus();
    m_window->BitBtn1Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: Directory Product \"" + m_programs + "ACME_4711_B\" already exists."});
    QCOMPARE(m_window->focusWidget(), m_window->Edit2());
    QCOMPARE(accepted.count(), 0);
}

// The folder is checked after creating it: a name the file system refuses is an
// error naming the path, and the window stays open.
void tst_ProductDirectory::refusedNameIsNotReportedAsCreated()
{
    QSignalSpy accepted(m_window, &QDialog::accepted);
    const QString browserBefore = currentBrowserFolder();
    const QString customer(300, QLatin1Char('A'));
    fill(customer, QStringLiteral("4711"), QStringLiteral("B"));
    m_window->BitBtn1Click();
    const QString path = m_programs + customer + QStringLiteral("_4711_B");
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: The folder \"" + path + "\" could not be created."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(currentBrowserFolder(), browserBefore);
}

void tst_ProductDirectory::openCommandPreparesTheWindow()
{
    app().SelectedProgramDirectory = m_programs;
    m_window->Edit2()->setText(QStringLiteral("left over"));
    QString shownDirectory, caption;
    bool emptyFields = false;
    QTimer::singleShot(0, m_window, [&] {
        shownDirectory = m_window->Edit1()->text();
        emptyFields = m_window->Edit2()->text().isEmpty() && m_window->Edit3()->text().isEmpty()
                      && m_window->Edit4()->text().isEmpty();
        caption = m_window->findChild<Ribbon *>(QStringLiteral("Ribbon1"))->caption();
        emit m_window->findChild<Ribbon *>(QStringLiteral("Ribbon1"))->helpRequested();
        m_window->BitBtn3Click();
    });
    m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton3"))->click();
    QCOMPARE(shownDirectory, m_programs);
    QVERIFY(emptyFields);
    QCOMPARE(caption, QStringLiteral("Zavrin - Create Program Directory"));
    QCOMPARE(m_shell->helpPages.size(), 1);
    QVERIFY(m_shell->helpPages.first().endsWith(QStringLiteral("func03.3.html")));
    QVERIFY(m_window->Edit1()->isReadOnly());
}

void tst_ProductDirectory::textsFitInEveryLanguage()
{
    for (const char *code : {"EN", "PT-BR", "ES", "FR", "DE"}) {
        Texts::runLanguageProcedure(QLatin1String(code));
        FUNC_Aplicar_Idioma(Application::windows());
        m_window->show();
        QCoreApplication::processEvents();
        QVERIFY2(m_window->width() >= 668 && m_window->height() >= 281,
                 qPrintable(QStringLiteral("%1: %2 x %3").arg(QLatin1String(code)).arg(m_window->width()).arg(m_window->height())));
        for (QWidget *w : m_window->findChildren<QWidget *>()) {
            if (qobject_cast<QLabel *>(w) || qobject_cast<QPushButton *>(w)) {
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(QLatin1String(code) + QLatin1Char(' ') + w->objectName()));
                QVERIFY2(w->height() >= w->sizeHint().height(), qPrintable(QLatin1String(code) + QLatin1Char(' ') + w->objectName()));
            }
        }
        m_window->hide();
    }
}

QTEST_MAIN(tst_ProductDirectory)
#include "tst_productdirectory.moc"
