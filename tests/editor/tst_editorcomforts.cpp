#include "StartWindows.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "platform/ProfileFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <functional>

// The editor's everyday helps: the modified mark, Ctrl+S, the position in the
// status bar, Go to, the recent programs, dropped files and where the file
// dialogs start. Driven through the keys, menus and windows an operator uses.
class tst_EditorComforts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void ctrlSSavesTheActiveTab();
    void modifiedMarkFollowsTheText();
    void newFileMarkNeverReachesTheFile();
    void statusBarShowsLineColumnAndLines();
    void goTo_data();
    void goTo();
    void recentFilesOrderAndLimit();
    void recentFileThatIsGone();
    void droppedFilesOpenInTabs();
    void dialogsStartInTheMachineFolder();

private:
    QString file(const QString &name, const QByteArray &bytes);
    void start();
    void onNextModal(std::function<void(QWidget *)> step);
    QString tabText(int index) const { return m_area->PageControl1()->tabText(index); }
    QString position() const
    {
        const auto *label = m_main->StatusBar1()->findChild<QLabel *>(QStringLiteral("EditorPosition"));
        return label ? label->text() : QStringLiteral("<no position field>");
    }
    QStringList recentMenuEntries();
    QMenu *recentMenu() const
    {
        return m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton15"))->menu();
    }

    QTemporaryDir m_dir;
    QString m_bigProgram;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    EditorArea *m_area = nullptr;
};

void tst_EditorComforts::initTestCase()
{
    // 1,000,000 lines: a header with a block number in a comment and one behind a
    // block skip, numbered blocks, and a last block written with leading zeros.
    QByteArray big;
    big.reserve(40 * 1000 * 1000);
    big += "%\r\nO1000 (N20 SHOWN IN A COMMENT)\r\n/N30 G90\r\n";
    for (int k = 0; k < 999996; ++k) {
        big += 'N';
        big += QByteArray::number(100 + 10 * qint64(k));
        big += " G01 X";
        big += QByteArray::number(k % 500);
        big += ".000 Y12.500 F1200\r\n";
    }
    big += "N0099999 M30";
    m_bigProgram = file(QStringLiteral("BIG.NC"), big);
}

void tst_EditorComforts::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")), "[LANGUAGE]\r\nVALUE=EN\r\n");
    start();
}

void tst_EditorComforts::start()
{
    m_main = startWindows(m_dir.path());
    m_main->ribbonPages()->setCurrentIndex(2);
    m_area = EditorArea::instance();
    QVERIFY(m_area);
    m_dialogs->clear();
}

void tst_EditorComforts::cleanup()
{
    m_dialogs->clear();
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
}

QString tst_EditorComforts::file(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    TestSupport::writeBytes(path, bytes);
    return path;
}

void tst_EditorComforts::onNextModal(std::function<void(QWidget *)> step)
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

QStringList tst_EditorComforts::recentMenuEntries()
{
    QMenu *menu = recentMenu();
    if (!menu)
        return {QStringLiteral("<no menu>")};
    emit menu->aboutToShow();
    QStringList entries;
    for (QAction *action : menu->actions())
        entries << (action->isEnabled() ? action->data().toString() : QStringLiteral("<disabled> ") + action->text());
    return entries;
}

void tst_EditorComforts::ctrlSSavesTheActiveTab()
{
    const QString one = file(QStringLiteral("ONE.NC"), "G0 X1\r\nM30\r\n");
    const QString two = file(QStringLiteral("TWO.NC"), "G0 X2\r\nM30\r\n");
    m_area->FUNC_Abrir_Arquivo(one);
    CncEditor *first = m_area->CurrentEditor();
    QTest::keyClicks(first, QStringLiteral("N5 "));
    m_area->FUNC_Abrir_Arquivo(two);
    CncEditor *second = m_area->CurrentEditor();
    QTest::keyClicks(second, QStringLiteral("N7 "));
    m_main->show();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    second->setFocus();

    QTest::keyClick(second, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(TestSupport::readBytes(two), QByteArray("N7 G0 X2\r\nM30\r\n"));
    QVERIFY(!second->isModified());
    // Only the active tab, as the ribbon's Save.
    QCOMPARE(TestSupport::readBytes(one), QByteArray("G0 X1\r\nM30\r\n"));
    QVERIFY(first->isModified());
    QVERIFY(m_dialogs->calls().isEmpty());
}

void tst_EditorComforts::modifiedMarkFollowsTheText()
{
    const QString path = file(QStringLiteral("MARK.NC"), "G0 X1\r\n");
    m_area->FUNC_Abrir_Arquivo(path);
    CncEditor *editor = m_area->CurrentEditor();
    QCOMPARE(tabText(0), path);

    QTest::keyClicks(editor, QStringLiteral("N1 "));
    QCOMPARE(tabText(0), QStringLiteral("* ") + path);
    // The caption, and so the file name, stay as they were.
    QCOMPARE(m_area->tabCaption(0), path);
    QCOMPARE(m_area->CurrentFileName(), path);

    editor->undo();
    QVERIFY(!editor->isModified());
    QCOMPARE(tabText(0), path);

    QTest::keyClicks(editor, QStringLiteral("N2 "));
    QCOMPARE(tabText(0), QStringLiteral("* ") + path);
    m_area->SpeedButton13Click();
    QCOMPARE(tabText(0), path);
    QCOMPARE(TestSupport::readBytes(path), QByteArray("N2 G0 X1\r\n"));

    // A tool marks the tab modified without a text change of the control's own.
    editor->setModified(true);
    QCOMPARE(tabText(0), QStringLiteral("* ") + path);
    m_area->SpeedButton13Click();
    QCOMPARE(tabText(0), path);
}

void tst_EditorComforts::newFileMarkNeverReachesTheFile()
{
    m_area->SpeedButton24Click();
    QTest::keyClicks(m_area->CurrentEditor(), QStringLiteral("M30"));
    QCOMPARE(tabText(0), QStringLiteral("* New(1)"));
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(1)"));
    const QString target = m_dir.filePath(QStringLiteral("SAVED.NC"));
    m_dialogs->answerPath(target);
    m_area->SpeedButton13Click();
    QCOMPARE(m_dialogs->calls().at(0).folder, QStringLiteral("New(1)")); // no machine selected
    QCOMPARE(tabText(0), target);
    QCOMPARE(m_area->CurrentFileName(), target);
    QCOMPARE(TestSupport::readBytes(target), QByteArray("M30"));
}

void tst_EditorComforts::statusBarShowsLineColumnAndLines()
{
    const QString path = file(QStringLiteral("POS.NC"), "N10 G0 X1\r\nN20 G1 Y\xc3\xa9 Z2\r\nM30");
    const QString other = file(QStringLiteral("OTHER.NC"), "M30\r\n");
    m_main->show();
    m_area->FUNC_Abrir_Arquivo(path);
    CncEditor *editor = m_area->CurrentEditor();
    QCOMPARE(position(), QStringLiteral("Line 1, Column 1 | 3 lines"));
    // Past a two-byte character the column still counts characters.
    // The control reports caret moves from the event loop.
    editor->setCursorPosition(1, 9);
    QCoreApplication::processEvents();
    QCOMPARE(position(), QStringLiteral("Line 2, Column 10 | 3 lines"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(position(), QStringLiteral("Line 3, Column 1 | 4 lines"));

    // The values follow the active tab, and go with the last tab.
    m_area->FUNC_Abrir_Arquivo(other);
    QCOMPARE(position(), QStringLiteral("Line 1, Column 1 | 2 lines"));
    m_area->PageControl1()->setCurrentIndex(0);
    QCOMPARE(position(), QStringLiteral("Line 3, Column 1 | 4 lines"));
    m_area->SpeedButton14Click(); // modified: answered No by default
    m_area->SpeedButton14Click();
    QCOMPARE(m_area->tabCount(), 0);
    QCOMPARE(position(), QString());

    // The field belongs to the editor area: the other pages do not show it.
    auto *field = m_main->StatusBar1()->findChild<QLabel *>(QStringLiteral("EditorPosition"));
    QVERIFY(field->isVisible());
    m_main->ribbonPages()->setCurrentIndex(0);
    QVERIFY(!field->isVisible());
    m_main->ribbonPages()->setCurrentIndex(2);
    QVERIFY(field->isVisible());
}

void tst_EditorComforts::goTo_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("line");       // 1-based line reached; 0: the window stays open
    QTest::addColumn<QString>("message"); // shown when it stays open
    QTest::newRow("block behind a block skip") << "N30" << 3 << "";
    QTest::newRow("first numbered block, blank and small letter") << "n 100" << 4 << "";
    QTest::newRow("typed with leading zeros") << "N00100" << 4 << "";
    QTest::newRow("block near the end") << "N10000050" << 999999 << "";
    QTest::newRow("block written with leading zeros") << "N99999" << 1000000 << "";
    QTest::newRow("line number") << "524288" << 524288 << "";
    QTest::newRow("last line") << "1000000" << 1000000 << "";
    QTest::newRow("block only in a comment")
        << "N20" << 0 << "INFORMATION: No block \"N20\" was found in this program.";
    QTest::newRow("line past the end")
        << "1000001" << 0 << "INFORMATION: The program has no line 1000001: it has 1000000 lines.";
    QTest::newRow("not a number") << "X12" << 0
                                  << "ERROR: \"X12\" is neither a line number nor a block number such as N1234.";
    QTest::newRow("line zero") << "0" << 0
                               << "ERROR: \"0\" is neither a line number nor a block number such as N1234.";
}

void tst_EditorComforts::goTo()
{
    QFETCH(QString, typed);
    QFETCH(int, line);
    QFETCH(QString, message);
    m_area->FUNC_Abrir_Arquivo(m_bigProgram);
    CncEditor *editor = m_area->CurrentEditor();
    QCOMPARE(editor->count(), 1000000);
    m_main->show();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    editor->setFocus();

    QString caption;
    bool stayedOpen = false;
    onNextModal([&](QWidget *w) {
        caption = w->windowTitle();
        w->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(typed);
        w->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        stayedOpen = w->isVisible();
        if (stayedOpen)
            w->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
    });
    QTest::keyClick(editor, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(caption, QStringLiteral("Go to Line or Block"));
    int caretLine = -1, index = -1;
    editor->getCursorPosition(&caretLine, &index);
    if (line > 0) {
        QVERIFY(!stayedOpen);
        QVERIFY(m_dialogs->messages().isEmpty());
        QCOMPARE(caretLine + 1, line);
        QCOMPARE(position(), QStringLiteral("Line %1, Column 1 | 1000000 lines").arg(line));
    } else {
        QVERIFY(stayedOpen);
        QCOMPARE(m_dialogs->messages(), QStringList{message});
        QCOMPARE(caretLine, 0);
    }
}

void tst_EditorComforts::recentFilesOrderAndLimit()
{
    // A Zavrin.ini from before the list: empty, nothing to choose.
    QCOMPARE(recentMenuEntries(), QStringList{QStringLiteral("<disabled> (no programs opened yet)")});
    QStringList paths;
    for (int i = 0; i < 12; ++i) {
        paths << file(QStringLiteral("R%1.NC").arg(i), "M30\r\n");
        m_area->FUNC_Abrir_Arquivo(paths.last());
    }
    m_area->FUNC_Abrir_Arquivo(paths[3]); // opened again: first, and only once
    const QStringList expected{paths[3], paths[11], paths[10], paths[9], paths[8],
                               paths[7], paths[6],  paths[5],  paths[4], paths[2]};
    QCOMPARE(recentMenuEntries(), expected);
    // A program saved under a new name is a recent program too.
    const QString saved = m_dir.filePath(QStringLiteral("SAVED-AS.NC"));
    m_dialogs->answerPath(saved);
    m_area->SpeedButton16Click();
    QCOMPARE(recentMenuEntries().first(), saved);

    // Kept in Zavrin.ini, for the next run.
    const ProfileFile ini(m_dir.filePath(QStringLiteral("Zavrin.ini")));
    QCOMPARE(ini.readString(QStringLiteral("RECENT"), QStringLiteral("FILE1"), QString()), saved);
    QCOMPARE(ini.readString(QStringLiteral("RECENT"), QStringLiteral("FILE10"), QString()), paths[4]);
    QCOMPARE(ini.readString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QString()), QStringLiteral("EN"));
    Application::destroyWindows();
    start();
    QStringList afterRestart{saved};
    afterRestart += expected.mid(0, 9);
    QCOMPARE(recentMenuEntries(), afterRestart);

    // Choosing an entry opens it.
    recentMenu()->actions().at(2)->trigger();
    QCOMPARE(m_area->CurrentFileName(), paths[11]);
    QCOMPARE(recentMenuEntries().first(), paths[11]);
}

void tst_EditorComforts::recentFileThatIsGone()
{
    const QString kept = file(QStringLiteral("KEPT.NC"), "M30\r\n");
    const QString gone = file(QStringLiteral("GONE.NC"), "M30\r\n");
    m_area->FUNC_Abrir_Arquivo(kept);
    m_area->FUNC_Abrir_Arquivo(gone);
    m_area->SpeedButton14Click();
    QVERIFY(QFile::remove(gone));
    QCOMPARE(recentMenuEntries(), (QStringList{gone, kept}));
    recentMenu()->actions().at(0)->trigger();
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("ERROR: The File \"%1\" no longer exists. It was removed from the list "
                                        "of recent programs.")
                             .arg(gone)});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(m_area->tabCount(), 1);
    QCOMPARE(recentMenuEntries(), QStringList{kept});
    const ProfileFile ini(m_dir.filePath(QStringLiteral("Zavrin.ini")));
    QCOMPARE(ini.readString(QStringLiteral("RECENT"), QStringLiteral("FILE1"), QString()), kept);
    QCOMPARE(ini.readString(QStringLiteral("RECENT"), QStringLiteral("FILE2"), QString()), QString());
}

void tst_EditorComforts::droppedFilesOpenInTabs()
{
    const QString a = file(QStringLiteral("DROP-A.NC"), "G0 X1\r\n");
    const QString b = file(QStringLiteral("DROP-B.NC"), "G0 X2\r\n");
    const QString c = file(QStringLiteral("DROP-C.NC"), "G0 X3\r\n");
    auto drop = [](QWidget *target, const QStringList &paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };
    m_main->show();
    // On the empty tab area: a folder among the files is left out.
    QVERIFY(drop(m_area->PageControl1(), {a, m_dir.path()}));
    QCOMPARE(m_area->tabCount(), 1);
    QCOMPARE(m_area->CurrentFileName(), a);
    // On an editor: each file in its own tab, its text not pasted into the editor.
    CncEditor *editor = m_area->CurrentEditor();
    QVERIFY(drop(editor->viewport(), {b, c}));
    QCOMPARE(m_area->tabCount(), 3);
    QCOMPARE(m_area->tabCaption(1), b);
    QCOMPARE(m_area->CurrentFileName(), c);
    QCOMPARE(m_area->CurrentEditor()->line(0), QStringLiteral("G0 X3"));
    QCOMPARE(editor->allText(), QStringLiteral("G0 X1\r\n"));
    QVERIFY(!editor->isModified());
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_EditorComforts::dialogsStartInTheMachineFolder()
{
    const QString programs = m_dir.filePath(QStringLiteral("M1-programs"));
    QVERIFY(QDir().mkpath(programs));
    app().SelectedProgramDirectory = programs + QDir::separator();

    m_area->SpeedButton15Click(); // cancelled
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("openFile"));
    QCOMPARE(m_dialogs->last().folder, programs + QDir::separator());

    m_area->SpeedButton24Click();
    QTest::keyClicks(m_area->CurrentEditor(), QStringLiteral("M30"));
    m_area->SpeedButton13Click(); // cancelled
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("saveFile"));
    QCOMPARE(m_dialogs->last().folder, programs + QDir::separator() + QStringLiteral("New(1)"));
    // The caption stays the new file's own.
    QCOMPARE(m_area->CurrentFileName(), QStringLiteral("New(1)"));

    // A program with a folder of its own is offered there.
    const QString elsewhere = file(QStringLiteral("ELSEWHERE.NC"), "M30\r\n");
    m_area->FUNC_Abrir_Arquivo(elsewhere);
    m_area->SpeedButton16Click();
    QCOMPARE(m_dialogs->last().folder, elsewhere);

    // A machine folder that does not exist is not offered.
    app().SelectedProgramDirectory = m_dir.filePath(QStringLiteral("missing")) + QDir::separator();
    m_area->SpeedButton15Click();
    QCOMPARE(m_dialogs->last().folder, QString());
}

QTEST_MAIN(tst_EditorComforts)
#include "tst_editorcomforts.moc"
