#include "StartWindows.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/MessagesWindow.h"
#include "editor/ColourWindow.h"
#include "editor/ConfirmReplaceDialog.h"
#include "editor/EditorArea.h"
#include "editor/FontSizeBox.h"
#include "editor/FontWindow.h"
#include "editor/GCodeScanner.h"
#include "editor/TextReplaceDialog.h"
#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/ProfileFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

class tst_EditorArea : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tabNamesAreNeverReused();
    void openingTwiceReloadsTheSameTab();
    void closingPicksTheFollowingTab();
    void saveNewFileAsksForAPath();
    void saveWritesOnlyModifiedTabs();
    void saveAsAsksBeforeReplacing();
    void closeQuestions_data();
    void closeQuestions();
    void saveAllSkipsCancelledNewFiles();
    void noTabLeftMeansNothingToSave();
    void closeSequenceListsChangedTabs();
    void closeAfterYesKeepsWhatWasNotSaved_data();
    void closeAfterYesKeepsWhatWasNotSaved();
    void failedOpenLeavesTheTab();
    void noOpenFileWarnings();
    void findDialogAndHistory();
    void findNextKeepsRegularExpression();
    void replaceDialogConfirmsAndLogs();
    void invalidRegularExpressionIsNamed_data();
    void invalidRegularExpressionIsNamed();
    void confirmationTextInEveryLanguage_data();
    void confirmationTextInEveryLanguage();
    void everyTextReachesItsControl();
    void colourWindowAppliesToOpenEditors();
    void fontWindow();
    void refusedSettingsWriteKeepsWindowOpen();

private:
    QString file(const QString &name, const QByteArray &bytes);
    // Runs `step` on the next modal dialog, then lets the caller's modal call return.
    void onNextModal(std::function<void(QWidget *)> step);

    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    EditorArea *m_area = nullptr;
};

void tst_EditorArea::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")), "[LANGUAGE]\r\nVALUE=EN\r\n");
    QFile::remove(m_dir.filePath(QStringLiteral("ZavrinEditCNC.ini")));
    m_main = startWindows(m_dir.path());
    // Without a database the show step stops before it docks the messages panel.
    m_main->showMessagesPanel();
    m_main->ribbonPages()->setCurrentIndex(2);
    m_area = EditorArea::instance();
    QVERIFY(m_area);
    m_dialogs->clear();
}

void tst_EditorArea::cleanup()
{
    m_dialogs->clear(); // the close question of the main window is not looked at here
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
}

QString tst_EditorArea::file(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    TestSupport::writeBytes(path, bytes);
    return path;
}

void tst_EditorArea::onNextModal(std::function<void(QWidget *)> step)
{
    auto *timer = new QTimer(this);
    timer->setInterval(10);
    connect(timer, &QTimer::timeout, this, [timer, step] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            step(w);
        }
    });
    timer->start();
}

void tst_EditorArea::tabNamesAreNeverReused()
{
    m_area->SpeedButton24Click();
    m_area->SpeedButton24Click();
    QCOMPARE(m_area->tabCaption(0), QStringLiteral("New(1)"));
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(2)"));
    QCOMPARE(m_area->CurrentTab()->objectName(), QStringLiteral("TAB1"));
    QCOMPARE(m_area->CurrentEditor()->objectName(), QStringLiteral("SMemo_TAB1"));
    QVERIFY(!m_area->CurrentEditor()->isModified());
    m_area->SpeedButton14Click();
    m_area->SpeedButton14Click();
    QCOMPARE(m_area->tabCount(), 0);
    m_area->SpeedButton24Click();
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(3)"));
    QCOMPARE(m_area->CurrentTab()->objectName(), QStringLiteral("TAB2"));
    QCOMPARE(app().NewFileList, (QStringList{QStringLiteral("*\\New(1)/*"), QStringLiteral("*\\New(2)/*"),
                                            QStringLiteral("*\\New(3)/*")}));
}

void tst_EditorArea::openingTwiceReloadsTheSameTab()
{
    const QString path = file(QStringLiteral("P1.NC"), "G0 X1\r\n");
    const QString other = file(QStringLiteral("p1.nc"), "G0 X9\r\n");
    m_dialogs->answerPath(path);
    m_area->SpeedButton15Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("G0 X2"));
    m_dialogs->answerPath(other);
    m_area->SpeedButton15Click();
    m_dialogs->answerPath(path);
    m_area->SpeedButton15Click();
    // Letter case makes another file; the same path gives its tab again, reloaded
    // without a question.
    QCOMPARE(m_area->tabCount(), 2);
    QCOMPARE(m_area->CurrentFileName(), path);
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("G0 X1"));
    QVERIFY(m_dialogs->messages().isEmpty());
    // The discarded edit is one undo away.
    m_area->CurrentEditor()->undo();
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("G0 X2"));
}

void tst_EditorArea::closingPicksTheFollowingTab()
{
    QStringList paths;
    for (int i = 0; i < 3; ++i)
        paths << file(QStringLiteral("F%1.NC").arg(i), "M30\n");
    for (const QString &p : paths)
        m_area->FUNC_Abrir_Arquivo(p);
    m_area->PageControl1()->setCurrentIndex(1);
    m_area->SpeedButton14Click();
    QCOMPARE(m_area->CurrentTab()->objectName(), QStringLiteral("TAB2"));
    QCOMPARE(m_area->CurrentFileName(), paths[2]);
    m_area->PageControl1()->setCurrentIndex(0);
    m_area->FUNC_Abrir_Arquivo(paths[2]);
    QCOMPARE(m_area->CurrentTab()->objectName(), QStringLiteral("TAB2"));
    m_area->SpeedButton14Click(); // the last tab: the first becomes active
    QCOMPARE(m_area->CurrentFileName(), paths[0]);
    m_area->SpeedButton24Click();
    QCOMPARE(m_area->CurrentTab()->objectName(), QStringLiteral("TAB3"));
}

void tst_EditorArea::saveNewFileAsksForAPath()
{
    m_area->SpeedButton24Click();
    m_area->FUNC_Salvar_Arquivo(); // not modified: nothing, not even for a new file
    QVERIFY(m_dialogs->calls().isEmpty());

    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("G0 X1"));
    m_dialogs->answerPath(QString());
    m_area->FUNC_Salvar_Arquivo();
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("saveFile"));
    QCOMPARE(m_dialogs->last().folder, QStringLiteral("New(1)"));
    QVERIFY(m_area->CurrentEditor()->isModified());

    const QString path = m_dir.filePath(QStringLiteral("NEW.NC"));
    m_dialogs->answerPath(path);
    m_area->SpeedButton13Click();
    QCOMPARE(m_area->CurrentFileName(), path);
    QCOMPARE(m_area->tabCaption(0), path);
    QCOMPARE(TestSupport::readBytes(path), QByteArray("G0 X1"));

    m_dialogs->clear();
    m_area->CurrentEditor()->replaceLine(1, QStringLiteral("M30"));
    m_area->SpeedButton13Click();
    QVERIFY(m_dialogs->calls().isEmpty());
    QCOMPARE(TestSupport::readBytes(path), QByteArray("G0 X1\r\nM30"));
}

void tst_EditorArea::saveWritesOnlyModifiedTabs()
{
    const QString path = file(QStringLiteral("A.NC"), "N1\nN2\n");
    m_area->FUNC_Abrir_Arquivo(path);
    QFile::remove(path);
    m_area->FUNC_Salvar_Arquivo();
    QVERIFY(!QFile::exists(path));
    m_area->CurrentEditor()->replaceLine(1, QStringLiteral("N20"));
    m_area->FUNC_Salvar_Arquivo();
    QCOMPARE(TestSupport::readBytes(path), QByteArray("N1\nN20\n"));
    QVERIFY(!m_area->CurrentEditor()->isModified());
}

void tst_EditorArea::saveAsAsksBeforeReplacing()
{
    const QString path = file(QStringLiteral("A.NC"), "N1\n");
    const QString target = file(QStringLiteral("B.NC"), "OLD\n");
    m_area->FUNC_Abrir_Arquivo(path);
    m_dialogs->answerPath(target);
    m_dialogs->answer(Dialogs::No);
    m_area->SpeedButton16Click();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("QUESTION: The File \"") + target
                                                + QStringLiteral("\"already exists. Would You Like to Replace File ?")});
    QCOMPARE(TestSupport::readBytes(target), QByteArray("OLD\n"));
    QCOMPARE(m_area->CurrentFileName(), path);

    m_dialogs->answerPath(target);
    m_dialogs->answer(Dialogs::Yes);
    m_area->SpeedButton16Click(); // also when not modified
    QCOMPARE(TestSupport::readBytes(target), QByteArray("N1\n"));
    QCOMPARE(m_area->CurrentFileName(), target);
}

void tst_EditorArea::closeQuestions_data()
{
    QTest::addColumn<bool>("newFile");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("savePath"); // answer of the save dialog, "-" when none is shown
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("no discards the edits") << false << int(Dialogs::No) << "-" << true << QByteArray("N1\n");
    QTest::newRow("yes saves first") << false << int(Dialogs::Yes) << "-" << true << QByteArray("N9\n");
    QTest::newRow("new file, save dialog cancelled keeps the tab") << true << int(Dialogs::Yes) << "" << false
                                                                   << QByteArray();
    QTest::newRow("new file saved") << true << int(Dialogs::Yes) << "SAVED.NC" << true << QByteArray("N9");
}

void tst_EditorArea::closeQuestions()
{
    QFETCH(bool, newFile);
    QFETCH(int, answer);
    QFETCH(QString, savePath);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);

    const QString path = file(QStringLiteral("A.NC"), "N1\n");
    if (newFile)
        m_area->SpeedButton24Click();
    else
        m_area->FUNC_Abrir_Arquivo(path);
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("N9"));
    const QString caption = m_area->CurrentFileName();
    m_dialogs->answer(Dialogs::Button(answer));
    if (savePath != QLatin1String("-"))
        m_dialogs->answerPath(savePath.isEmpty() ? QString() : m_dir.filePath(savePath));
    m_area->SpeedButton14Click();
    QCOMPARE(m_dialogs->messages().value(0), QStringLiteral("QUESTION: Do you like to save changes to the File \"")
                                                 + caption + QStringLiteral("\" before it closes ?"));
    QCOMPARE(m_area->tabCount(), closed ? 0 : 1);
    if (newFile && !savePath.isEmpty())
        QCOMPARE(TestSupport::readBytes(m_dir.filePath(savePath)), onDisk);
    else if (!newFile)
        QCOMPARE(TestSupport::readBytes(path), onDisk);
    if (closed)
        QVERIFY(m_area->CurrentFileName().isEmpty());
}

void tst_EditorArea::saveAllSkipsCancelledNewFiles()
{
    const QString a = file(QStringLiteral("A.NC"), "A\n");
    const QString b = file(QStringLiteral("B.NC"), "B\n");
    m_area->FUNC_Abrir_Arquivo(a);
    m_area->SpeedButton24Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("NEW"));
    m_area->SpeedButton24Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("NEW2"));
    m_area->FUNC_Abrir_Arquivo(b);
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("B2"));
    m_area->PageControl1()->setCurrentIndex(1);

    const QString saved = m_dir.filePath(QStringLiteral("N2.NC"));
    m_dialogs->answerPath(QString()); // New(1): cancelled, skipped
    m_dialogs->answerPath(saved);     // New(2)
    m_area->SpeedButton33Click();
    QCOMPARE(m_dialogs->calls().size(), 2);
    QCOMPARE(TestSupport::readBytes(saved), QByteArray("NEW2"));
    QCOMPARE(TestSupport::readBytes(b), QByteArray("B2\n"));
    QCOMPARE(TestSupport::readBytes(a), QByteArray("A\n"));
    QCOMPARE(m_area->tabCaption(2), saved);
    QVERIFY(m_area->editorAt(1)->isModified());
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(1)"));
}

void tst_EditorArea::noTabLeftMeansNothingToSave()
{
    m_area->SpeedButton24Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("X"));
    m_dialogs->answer(Dialogs::No);
    m_area->SpeedButton14Click();
    QVERIFY(m_area->CurrentFileName().isEmpty());
    QVERIFY(!m_area->CurrentEditor());
    m_dialogs->clear();
    m_area->SpeedButton13Click();
    m_area->SpeedButton16Click();
    m_area->SpeedButton33Click();
    m_area->SpeedButton14Click();
    QVERIFY(m_dialogs->calls().isEmpty());
}

void tst_EditorArea::closeSequenceListsChangedTabs()
{
    const QString a = file(QStringLiteral("A.NC"), "A\n");
    m_area->FUNC_Abrir_Arquivo(a);
    m_area->SpeedButton24Click();
    m_area->SpeedButton24Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("X"));
    m_area->editorAt(0)->replaceLine(0, QStringLiteral("A2"));
    m_area->PageControl1()->setCurrentIndex(0);
    QCOMPARE(m_main->changedTabCaptions(), (QStringList{a, QStringLiteral("New(2)")}));
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(2)"));
}

void tst_EditorArea::closeAfterYesKeepsWhatWasNotSaved_data()
{
    QTest::addColumn<QString>("middle"); // what the middle of three changed tabs is
    QTest::addColumn<bool>("lastSaved"); // the tab after it
    QTest::newRow("new file, save dialog cancelled") << "cancelled" << true;
    QTest::newRow("new file, replace answered No") << "declined" << true;
    QTest::newRow("write fails: folder gone") << "vanished" << false;
}

void tst_EditorArea::closeAfterYesKeepsWhatWasNotSaved()
{
    QFETCH(QString, middle);
    QFETCH(bool, lastSaved);
    const QString a = file(QStringLiteral("A.NC"), "A\n");
    const QString c = file(QStringLiteral("C.NC"), "C\n");
    const QString existing = file(QStringLiteral("X.NC"), "X\n");
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
    const QString vanished = file(QStringLiteral("sub/M.NC"), "M\n");
    m_area->FUNC_Abrir_Arquivo(a);
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("A2"));
    if (middle == QLatin1String("vanished"))
        m_area->FUNC_Abrir_Arquivo(vanished);
    else
        m_area->SpeedButton24Click();
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("M2"));
    const QString middleCaption = m_area->CurrentFileName();
    m_area->FUNC_Abrir_Arquivo(c);
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("C2"));

    m_dialogs->answer(Dialogs::Yes);
    if (middle == QLatin1String("cancelled")) {
        m_dialogs->answerPath(QString());
    } else if (middle == QLatin1String("declined")) {
        m_dialogs->answerPath(existing);
        m_dialogs->answer(Dialogs::No);
    } else {
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("sub"))).removeRecursively());
    }
    QVERIFY(!m_main->close());
    QVERIFY(m_main->isVisible());
    if (middle == QLatin1String("vanished")) {
        QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
        QVERIFY2(m_dialogs->last().text.contains(vanished), qPrintable(m_dialogs->last().text));
    }
    // On the tab that was not saved, with its edits; the one before it saved.
    QCOMPARE(m_area->CurrentFileName(), middleCaption);
    QCOMPARE(m_area->PageControl1()->currentIndex(), 1);
    QVERIFY(m_area->CurrentEditor()->isModified());
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("M2"));
    QCOMPARE(TestSupport::readBytes(a), QByteArray("A2\n"));
    QCOMPARE(TestSupport::readBytes(existing), QByteArray("X\n"));
    QCOMPARE(TestSupport::readBytes(c), lastSaved ? QByteArray("C2\n") : QByteArray("C\n"));
    QCOMPARE(m_area->editorAt(2)->isModified(), !lastSaved);

    // Asked again, "No" lets the application end.
    m_dialogs->clear();
    m_dialogs->answer(Dialogs::No);
    QVERIFY(m_main->close());
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY(!m_main->isVisible());
}

void tst_EditorArea::failedOpenLeavesTheTab()
{
    const QString missing = m_dir.filePath(QStringLiteral("GONE.NC"));
    m_dialogs->answerPath(missing);
    m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton15"))->click();
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QCOMPARE(m_dialogs->last().text, QStringLiteral("file not found: ") + missing);
    QCOMPARE(m_area->CurrentFileName(), missing);
    QCOMPARE(m_area->CurrentEditor()->count(), 1);
}

void tst_EditorArea::noOpenFileWarnings()
{
    m_area->SpeedButton27Click();
    m_area->SpeedButton28Click();
    m_area->SpeedButton29Click();
    m_area->SpeedButton30Click();
    const QString text = QStringLiteral("ATTENTION: No open File to apply the Function \"%1\".");
    QCOMPARE(m_dialogs->messages(), (QStringList{text.arg(QStringLiteral("Find Text")), text.arg(QStringLiteral("Find Next")),
                                                 text.arg(QStringLiteral("Find Previous")),
                                                 text.arg(QStringLiteral("Replace Text"))}));
}

void tst_EditorArea::findDialogAndHistory()
{
    m_area->FUNC_Abrir_Arquivo(file(QStringLiteral("A.NC"), "G1 X1\nG1 X2\nG1 X1\n"));
    CncEditor *editor = m_area->CurrentEditor();
    editor->setCursorPosition(1, 0);
    m_area->searchState().searchHistory = QStringLiteral("Y5\r\nx1\r\nZ0");
    QString ribbon, fromCursor;
    int entries = 0;
    onNextModal([&](QWidget *w) {
        auto *d = qobject_cast<TextSearchDialog *>(w);
        ribbon = d->findChild<QWidget *>(QStringLiteral("Ribbon1"))->property("caption").toString();
        entries = d->cbSearchText()->count();
        fromCursor = d->cbSearchFromCursor()->text();
        d->cbSearchText()->setCurrentText(QStringLiteral("X1"));
        d->BitBtn1Click();
    });
    m_area->SpeedButton27Click();
    QCOMPARE(ribbon, QStringLiteral("Zavrin - Find"));
    QCOMPARE(entries, 3);
    QCOMPARE(fromCursor, QStringLiteral("&Use Wildcards"));
    // The whole text is searched although the caret was further on; the text
    // went to the top of the history, replacing "x1".
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 3L);
    QCOMPARE(m_area->searchState().searchHistory, QStringLiteral("X1\r\nY5\r\nZ0"));
    QVERIFY(m_area->SearchFromCaretMode);

    m_area->SpeedButton28Click(); // from the caret now
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 15L);
    m_area->SpeedButton28Click();
    QCOMPARE(m_main->statusBar()->currentMessage(), QStringLiteral("Text not found"));
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART),
             editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND));
    m_area->SpeedButton29Click();
    QVERIFY(m_main->statusBar()->currentMessage().isEmpty());
    QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), 15L);

    // Ten entries at most.
    for (int i = 0; i < 12; ++i) {
        onNextModal([i](QWidget *w) {
            auto *d = qobject_cast<TextSearchDialog *>(w);
            d->cbSearchText()->setCurrentText(QStringLiteral("T%1").arg(i));
            d->BitBtn1Click();
        });
        m_area->SpeedButton27Click();
    }
    QCOMPARE(m_area->searchState().searchHistory.split(QStringLiteral("\r\n")).size(), 10);
    QVERIFY(m_area->searchState().searchHistory.startsWith(QStringLiteral("T11\r\nT10")));
}

void tst_EditorArea::findNextKeepsRegularExpression()
{
    m_area->FUNC_Abrir_Arquivo(file(QStringLiteral("A.NC"), "N10 G1\nN20 G2\n"));
    onNextModal([](QWidget *w) {
        auto *d = qobject_cast<TextSearchDialog *>(w);
        d->cbRegularExpression()->setChecked(true);
        d->cbSearchText()->setCurrentText(QStringLiteral("G[0-9]"));
        d->BitBtn1Click();
    });
    m_area->SpeedButton27Click();
    QCOMPARE(m_area->CurrentEditor()->selectedText(), QStringLiteral("G1"));
    bool unchecked = false;
    onNextModal([&unchecked](QWidget *w) {
        auto *d = qobject_cast<TextSearchDialog *>(w);
        unchecked = !d->cbRegularExpression()->isChecked();
        d->reject();
    });
    m_area->SpeedButton27Click();
    QVERIFY(unchecked);
    m_area->SpeedButton28Click();
    QCOMPARE(m_area->CurrentEditor()->selectedText(), QStringLiteral("G2"));
}

void tst_EditorArea::replaceDialogConfirmsAndLogs()
{
    m_area->FUNC_Abrir_Arquivo(file(QStringLiteral("A.NC"), "X1 X1 X1\n"));
    QStringList questions;
    // Yes once, then "Yes to all".
    std::function<void(QWidget *)> answer = [&](QWidget *w) {
        if (auto *d = qobject_cast<TextSearchDialog *>(w)) {
            d->cbSearchText()->setCurrentText(QStringLiteral("X1"));
            d->cbReplaceText()->setCurrentText(QStringLiteral("X2"));
            onNextModal(answer);
            d->BitBtn1Click();
            return;
        }
        auto *c = qobject_cast<ConfirmReplaceDialog *>(w);
        questions << c->lblConfirmation()->text();
        if (questions.size() == 1) {
            onNextModal(answer);
            c->btnReplace()->click();
        } else {
            c->btnReplaceAll()->click();
        }
    };
    onNextModal(answer);
    m_area->SpeedButton30Click();
    QCOMPARE(questions, (QStringList{QStringLiteral("Replace this occurence of \"X1\"?"),
                                     QStringLiteral("Replace this occurence of \"X1\"?")}));
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("X2 X2 X2"));
    QTreeWidget *tree = m_main->messages()->TreeView1();
    QTreeWidgetItem *entry = tree->topLevelItem(tree->topLevelItemCount() - 1);
    QVERIFY(entry->text(0).endsWith(QStringLiteral(" - Replace Text")));
    QCOMPARE(entry->childCount(), 1);
    QCOMPARE(entry->child(0)->text(0), QStringLiteral("Replaced Text \"X1\" by \"X2\""));

    // The same text by itself: nothing asked, nothing changed.
    m_area->searchState().replaceText = QStringLiteral("X2");
    m_area->searchState().searchText = QStringLiteral("X2");
    m_area->SearchFromCaretMode = false;
    m_area->RunFindReplace(true, false);
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("X2 X2 X2"));
    QCOMPARE(m_main->statusBar()->currentMessage(), QStringLiteral("Text not found"));
}

void tst_EditorArea::invalidRegularExpressionIsNamed_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("replace");
    for (const char *pattern : {"([", "x{2,1}", "*"}) {
        QTest::addRow("find %s", pattern) << QString::fromLatin1(pattern) << false;
        QTest::addRow("replace %s", pattern) << QString::fromLatin1(pattern) << true;
    }
}

// A pattern the engine refuses is not a text that was not found: the operator
// reads what is wrong with it, and the text stays as it was.
void tst_EditorArea::invalidRegularExpressionIsNamed()
{
    QFETCH(QString, pattern);
    QFETCH(bool, replace);
    m_area->FUNC_Abrir_Arquivo(file(QStringLiteral("A.NC"), "x{2,1} ([ *\n"));
    SearchState &state = m_area->searchState();
    state.regularExpression = true;
    state.searchText = pattern;
    state.replaceText = QStringLiteral("Y");
    m_dialogs->clear();
    m_area->RunFindReplace(replace, false);
    const QRegularExpression engine(pattern);
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("ERROR: The regular expression \"%1\" is not valid: %2 (at character %3).")
                             .arg(pattern, engine.errorString())
                             .arg(engine.patternErrorOffset() + 1)});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(m_main->statusBar()->currentMessage().isEmpty());
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("x{2,1} ([ *"));
}

void tst_EditorArea::everyTextReachesItsControl()
{
    const QList<QWidget *> windows{Application::window(QStringLiteral("Form_EDT_COR")),
                                   Application::window(QStringLiteral("Form_Font"))};
    QStringList missing;
    for (const QString &key : missingControlKeys(windows)) {
        if (key.startsWith(QLatin1String("Form_EDT_COR.")) || key.startsWith(QLatin1String("Form_Font.")))
            missing << key;
    }
    QCOMPARE(missing, QStringList());
    QCOMPARE(windows[1]->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("N10X2Y3Z4"));

    // The find and replace dialogs take their texts when they are made.
    TextReplaceDialog replace;
    QCOMPARE(replace.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Replace with :"));
    QCOMPARE(replace.cbRegularExpression()->text(), QStringLiteral("Regular &Expression"));
    QCOMPARE(replace.backButton()->text(), QStringLiteral("Back"));
    QCOMPARE(replace.findChild<QGroupBox *>(QStringLiteral("gbSearchOptions"))->title(), QStringLiteral(" Operations "));
    TextSearchDialog find;
    QCOMPARE(find.cbSearchCaseSensitive()->text(), QStringLiteral("&Match case"));
    QCOMPARE(find.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("&Find"));
}

void tst_EditorArea::confirmationTextInEveryLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("EN") << "EN" << QStringLiteral("Replace this occurence of \"G1\"?");
    // Two catalogs write the place of the text as "% s".
    QTest::newRow("ES") << "ES" << QStringLiteral("\u00bfVuelva a colocar la ocurrencia de \"G1\"?");
    QTest::newRow("DE") << "DE" << QStringLiteral("Das Vorkommen von \"G1\" ersetzen?");
}

void tst_EditorArea::confirmationTextInEveryLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QVERIFY(Texts::runLanguageProcedure(language));
    ConfirmReplaceDialog dialog;
    dialog.PrepareShow(QRect(0, 0, 1000, 800), 10, 10, 30, QStringLiteral("G1"));
    QCOMPARE(dialog.lblConfirmation()->text(), text);
    Texts::runLanguageProcedure(QStringLiteral("EN"));
}

void tst_EditorArea::colourWindowAppliesToOpenEditors()
{
    m_area->SpeedButton24Click();
    m_area->SpeedButton24Click();
    m_area->PageControl1()->setCurrentIndex(0);
    auto *window = qobject_cast<TForm_EDT_COR *>(Application::window(QStringLiteral("Form_EDT_COR")));
    QVERIFY(window);

    // Cancel: nothing stored, and the window shows the stored colour again.
    QString edit5, label3;
    onNextModal([&](QWidget *w) {
        auto *c = qobject_cast<TForm_EDT_COR *>(w);
        edit5 = c->findChild<QLineEdit *>(QStringLiteral("Edit5"))->text();
        label3 = c->findChild<QLabel *>(QStringLiteral("Label3"))->text();
        c->SpeedButtonClick(5);
        c->BitBtn3Click();
    });
    m_dialogs->answerColour(QColor(255, 0, 0));
    m_area->SpeedButton18Click();
    QCOMPARE(edit5, QStringLiteral("Black"));
    QCOMPARE(label3, QStringLiteral("() Function :"));
    QVERIFY(!QFile::exists(app().editorSettingsPath()));
    QCOMPARE(window->rowValue(5), 255); // until shown again
    int shownAgain = -1;
    onNextModal([&](QWidget *w) {
        auto *c = qobject_cast<TForm_EDT_COR *>(w);
        shownAgain = c->rowValue(5);
        c->SpeedButtonClick(5);
        c->BitBtn1Click();
    });
    m_dialogs->answerColour(QColor(0, 0, 255));
    m_area->SpeedButton18Click();
    QCOMPARE(shownAgain, 0);
    QCOMPARE(app().Colours.values[4], 0xFF0000);
    const ProfileFile ini(app().editorSettingsPath());
    QCOMPARE(ini.readInteger(QStringLiteral("CODG"), QStringLiteral("Valor"), -1), 0xFF0000);
    QCOMPARE(ini.readInteger(QStringLiteral("COD6"), QStringLiteral("Valor"), -1), 0);
    QCOMPARE(ini.readString(QStringLiteral("FONTE"), QStringLiteral("TIPO"), QStringLiteral("none")),
             QStringLiteral("none"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(m_area->editorAt(i)->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                                    (unsigned long)GCodeTokenKind::AddressG),
                 0xFF0000L);
    }
    QCOMPARE(m_area->PageControl1()->currentIndex(), 0);
    // Editors made later take the new colours too.
    m_area->SpeedButton24Click();
    QCOMPARE(m_area->CurrentEditor()->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                                    (unsigned long)GCodeTokenKind::AddressG),
             0xFF0000L);
}

void tst_EditorArea::fontWindow()
{
    m_area->SpeedButton24Click();
    auto *window = qobject_cast<TForm_Font *>(Application::window(QStringLiteral("Form_Font")));
    QVERIFY(window);
    QVERIFY(window->ComboBox1()->count() > 0);
    app().EditorFontName = QStringLiteral("No Such Font Anywhere");
    app().EditorFontSize = 0;
    window->fillFromSettings();
    QCOMPARE(window->ComboBox1()->currentIndex(), -1);
    QCOMPARE(window->SpinEdit1()->value(), 8);

    FontSizeBox *size = window->SpinEdit1();
    for (const auto &[typed, held] : {std::pair{"0", 8}, std::pair{"2000", 1000}, std::pair{"", 8}, std::pair{"12", 12}}) {
        size->findChild<QLineEdit *>()->setText(QLatin1String(typed));
        size->interpretText();
        QCOMPARE(size->value(), held);
    }

    const QString family = window->ComboBox1()->itemText(0);
    int preview = 0;
    onNextModal([&](QWidget *w) {
        auto *f = qobject_cast<TForm_Font *>(w);
        f->ComboBox1()->setCurrentIndex(0);
        f->SpinEdit1()->setValue(15);
        preview = f->Panel1()->font().pointSize();
        f->BitBtn1Click();
    });
    m_area->SpeedButton17Click();
    QCOMPARE(preview, 15);
    const ProfileFile ini(app().editorSettingsPath());
    QCOMPARE(ini.readString(QStringLiteral("FONTE"), QStringLiteral("TIPO"), QString()), family);
    QCOMPARE(ini.readInteger(QStringLiteral("FONTE"), QStringLiteral("TAMANHO"), 0), 15);
    QCOMPARE(ini.readInteger(QStringLiteral("CODA"), QStringLiteral("Valor"), -1), -1);
    QCOMPARE(m_area->CurrentEditor()->editorFont().pointSize(), 15);
}

// The settings file cannot be written: the error is shown, the window stays open
// and reports no Apply; the value in memory has changed already.
void tst_EditorArea::refusedSettingsWriteKeepsWindowOpen()
{
    QVERIFY(QDir().mkpath(app().editorSettingsPath())); // a folder where the file should be
    auto *window = qobject_cast<TForm_Font *>(Application::window(QStringLiteral("Form_Font")));
    bool stillOpen = false;
    onNextModal([&](QWidget *w) {
        auto *f = qobject_cast<TForm_Font *>(w);
        f->SpinEdit1()->setValue(20);
        f->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        stillOpen = f->isVisible();
        f->BitBtn3Click();
    });
    m_area->SpeedButton17Click();
    QDir(app().editorSettingsPath()).removeRecursively();
    QVERIFY(stillOpen);
    QVERIFY(!window->applied());
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QVERIFY2(m_dialogs->last().text.contains(QStringLiteral("ZavrinEditCNC.ini")), qPrintable(m_dialogs->last().text));
}

QTEST_MAIN(tst_EditorArea)
#include "tst_editorarea.moc"
