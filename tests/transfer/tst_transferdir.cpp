#include "FaultInjection.h"
#include "TestSupport.h"
#include "TransferFixture.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "files/BrowserArea.h"
#include "files/ShellListView.h"
#include "lang/ApplyLanguage.h"
#include "machines/Database.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferDirWindow.h"
#include "transfer/TransferValues.h"

#include <QAbstractItemView>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

// The directory transfer: dispatch by transfer type, the window in both modes,
// copies between real folders.
class tst_TransferDir : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void missingTransferFolderOpensNoWindow_data();
    void missingTransferFolderOpensNoWindow();
    void directoryTypesOpenTheWindow_data();
    void directoryTypesOpenTheWindow();
    void sendUnderChangedName();
    void sendWithoutNameAsksForIt();
    void receiveFolderWhole();
    void receiveChecksOriginThenName();
    void listStaysInTheTransferFolder();
    void selectFileOnlyWhenReceiving();
    void declinedReplaceKeepsTargetAndSaysNothing();
    void editorSendsSavedContent();
    void editorAsksAboutUnsavedChanges_data();
    void editorAsksAboutUnsavedChanges();
    void editorWithoutTabAsksToOpenFile();
    void browserSelectionChecks();
    void serialTypeOpensTheSerialWindows_data();
    void languageReachesEveryControl();
    void serialTypeOpensTheSerialWindows();

private:
    TForm_Transfer_DIR *window() const;
    // A machine of type DIRLOCAL whose transfer folder is `transfer` (created unless empty).
    void directoryMachine(const QString &type, const QString &transfer);
    bool waitForListed(const QString &name);

    TransferFixture *m_fx = nullptr;
    QString m_programs;
    QString m_transfer;
};

void tst_TransferDir::init()
{
    m_fx = new TransferFixture;
    QVERIFY(m_fx->ok());
    m_programs = m_fx->makeFolder(QStringLiteral("programs"));
}

void tst_TransferDir::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

TForm_Transfer_DIR *tst_TransferDir::window() const
{
    return qobject_cast<TForm_Transfer_DIR *>(Application::window(QStringLiteral("Form_Transfer_DIR")));
}

void tst_TransferDir::directoryMachine(const QString &type, const QString &transfer)
{
    const QString id = m_fx->addMachine(type, m_programs);
    m_transfer = transfer;
    TDataModule1::instance().insertPathParameters(id, {transfer});
}

bool tst_TransferDir::waitForListed(const QString &name)
{
    ShellListView *list = window()->ShellListView1();
    const QString path = QDir(list->folder()).filePath(name);
    return QTest::qWaitFor([&] { return list->selectPath(path); }, 5000);
}

void tst_TransferDir::missingTransferFolderOpensNoWindow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("withRow");
    QTest::newRow("send") << 1 << true;
    QTest::newRow("receive") << 2 << true;
    QTest::newRow("receive, machine without row") << 2 << false;
}

void tst_TransferDir::missingTransferFolderOpensNoWindow()
{
    QFETCH(int, mode);
    QFETCH(bool, withRow);
    const QString missing = m_fx->path(QStringLiteral("gone"));
    if (withRow)
        directoryMachine(QStringLiteral("DIRNET"), missing);
    else
        m_fx->addMachine(QStringLiteral("DIRNET"), m_programs);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    TestSupport::writeBytes(file, "%\nO1\n%\n");

    WhenShown shown(window(), [] {});
    if (mode == 1)
        TransferCommands::dispatch(file, 1);
    else
        TransferCommands::SpeedButton19Click();
    QVERIFY(!shown.shown());
    const QString expected = withRow ? missing : QString();
    QCOMPARE(m_fx->dialogs().messages(),
             QStringList("ERROR: Directory Machine \"" + expected + "\" does not exist."));
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    QVERIFY(!window()->BitBtn1()->isEnabled());
}

void tst_TransferDir::directoryTypesOpenTheWindow_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("opens");
    QTest::newRow("DIRLOCAL") << "DIRLOCAL" << true;
    QTest::newRow("DIRNET") << "DIRNET" << true;
    QTest::newRow("DIRREDE") << "DIRREDE" << true;
    QTest::newRow("dirnet") << "dirnet" << false;
    QTest::newRow("no machine") << "" << false;
}

void tst_TransferDir::directoryTypesOpenTheWindow()
{
    QFETCH(QString, type);
    QFETCH(bool, opens);
    directoryMachine(type, m_fx->makeFolder(QStringLiteral("machine")));
    QString caption, label, directory;
    bool receiveVisible = false;
    WhenShown shown(window(), [&] {
        caption = window()->ribbonCaption();
        label = window()->Label3()->text();
        directory = window()->Edit3()->text();
        receiveVisible = window()->BitBtn2()->isVisible() && window()->BitBtn4()->isVisible()
                         && !window()->BitBtn1()->isVisible();
    });
    TransferCommands::SpeedButton19Click();
    QCOMPARE(shown.shown(), opens);
    QVERIFY(m_fx->dialogs().messages().isEmpty());
    if (!opens)
        return;
    QCOMPARE(caption, QStringLiteral("Zavrin - Receive Program"));
    QCOMPARE(label, QStringLiteral("Local Directory :"));
    QCOMPARE(directory, app().SelectedProgramDirectory);
    QVERIFY(receiveVisible);
    QCOMPARE(transferValues().DirReceiveMode, 1);
}

void tst_TransferDir::sendUnderChangedName()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1000.nc");
    TestSupport::writeBytes(file, "%\r\nO1000\r\nG0 X1\r\n%\r\n");

    QString caption, origin, name, listed;
    WhenShown shown(window(), [&] {
        TForm_Transfer_DIR *w = window();
        caption = w->ribbonCaption();
        origin = w->Edit4()->text();
        name = w->Edit5()->text();
        listed = w->ShellListView1()->folder();
        w->Edit5()->setText(QStringLiteral("  O2000 copy.nc "));
        w->BitBtn1Click();
        QVERIFY(!w->isVisible());
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QCOMPARE(caption, QStringLiteral("Zavrin - Transfer Program"));
    QCOMPARE(origin, file);
    QCOMPARE(name, QStringLiteral("O1000.nc"));
    QCOMPARE(QDir::toNativeSeparators(listed), m_transfer);
    QCOMPARE(transferValues().DirReceiveMode, 0);

    const QString target = m_transfer + QDir::separator() + QStringLiteral("O2000 copy.nc");
    QCOMPARE(TestSupport::readBytes(target), TestSupport::readBytes(file));
    QVERIFY(QFile::exists(file));
    QCOMPARE(QDir(m_transfer).entryList(QDir::Files | QDir::Hidden), QStringList("O2000 copy.nc"));
    QCOMPARE(m_fx->dialogs().messages(), QStringList("INFORMATION: The File \"" + target + "\" Successfully transferred."));
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Information);
}

void tst_TransferDir::sendWithoutNameAsksForIt()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    TestSupport::writeBytes(file, "O1\n");
    m_fx->sendWithBlankName(window(), window()->Edit5(), QStringLiteral("   "), file);
    QVERIFY(QDir(m_transfer).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}

void tst_TransferDir::receiveFolderWhole()
{
    directoryMachine(QStringLiteral("DIRNET"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString sub = m_fx->makeFolder(QStringLiteral("machine/part 7"));
    TestSupport::writeBytes(sub + QDir::separator() + QStringLiteral("O7.nc"), "O7\n");
    QDir().mkpath(sub + QDir::separator() + QStringLiteral("inner"));
    TestSupport::writeBytes(sub + QDir::separator() + QStringLiteral("inner") + QDir::separator() + QStringLiteral("O8.nc"), "O8\n");

    WhenShown shown(window(), [&] {
        TForm_Transfer_DIR *w = window();
        QVERIFY(waitForListed(QStringLiteral("part 7")));
        w->BitBtn4Click();
        QCOMPARE(w->Edit4()->text(), sub);
        QCOMPARE(w->Edit5()->text(), QStringLiteral("part 7"));
        w->Edit5()->setText(QStringLiteral("received"));
        w->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    const QString target = m_programs + QDir::separator() + QStringLiteral("received");
    QCOMPARE(TestSupport::readBytes(target + QStringLiteral("/O7.nc")), QByteArray("O7\n"));
    QCOMPARE(TestSupport::readBytes(target + QStringLiteral("/inner/O8.nc")), QByteArray("O8\n"));
    QVERIFY(QFile::exists(sub + QStringLiteral("/O7.nc")));
    QCOMPARE(m_fx->dialogs().messages(), QStringList("INFORMATION: The File \"" + target + "\" Successfully transferred."));
}

void tst_TransferDir::listStaysInTheTransferFolder()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString sub = m_fx->makeFolder(QStringLiteral("machine/part 7"));
    QStringList folders;
    WhenShown shown(window(), [&] {
        ShellListView *list = window()->ShellListView1();
        QAbstractItemView *view = list->currentView();
        const auto here = [&] { folders << QDir::cleanPath(QDir::fromNativeSeparators(list->folder())); };
        here();
        QTest::keyClick(view, Qt::Key_Backspace); // at the top already
        here();
        QVERIFY(waitForListed(QStringLiteral("part 7")));
        QTest::keyClick(view, Qt::Key_Return); // into the subfolder
        here();
        QTest::keyClick(view, Qt::Key_Backspace);
        here();
        QTest::keyClick(view, Qt::Key_Backspace);
        here();
        window()->BitBtn3Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    const QString top = QDir::cleanPath(QDir::fromNativeSeparators(m_transfer));
    QCOMPARE(folders, QStringList({top, top, QDir::cleanPath(QDir::fromNativeSeparators(sub)), top, top}));
}

void tst_TransferDir::receiveChecksOriginThenName()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    TestSupport::writeBytes(m_transfer + QStringLiteral("/O5.nc"), "O5\n");
    TForm_Transfer_DIR *w = window();
    m_fx->receiveAsksForFileThenName(w, w->ShellListView1()->currentView(), w->Edit5(), QString(), QString(),
                                     [&] { QVERIFY(waitForListed(QStringLiteral("O5.nc"))); });
    QVERIFY(!QFile::exists(m_programs + QStringLiteral("/O5.nc")));
}

void tst_TransferDir::selectFileOnlyWhenReceiving()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    TestSupport::writeBytes(m_transfer + QStringLiteral("/O5.nc"), "O5\n");
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    TestSupport::writeBytes(file, "O1\n");
    WhenShown shown(window(), [&] {
        TForm_Transfer_DIR *w = window();
        QVERIFY(waitForListed(QStringLiteral("O5.nc")));
        w->ShellListView1DblClick();
        QCOMPARE(w->Edit4()->text(), file);
        QCOMPARE(w->Edit5()->text(), QStringLiteral("O1.nc"));
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
}

void tst_TransferDir::declinedReplaceKeepsTargetAndSaysNothing()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    TestSupport::writeBytes(file, "new\n");
    TestSupport::writeBytes(m_transfer + QStringLiteral("/O1.nc"), "old\n");
    m_fx->dialogs().answer(Dialogs::No);
    WhenShown shown(window(), [&] { window()->BitBtn1Click(); });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QCOMPARE(TestSupport::readBytes(m_transfer + QStringLiteral("/O1.nc")), QByteArray("old\n"));
    for (const QString &text : m_fx->dialogs().messages())
        QVERIFY2(!text.contains(QLatin1String("Successfully")), qPrintable(text));
    QVERIFY(!window()->isVisible());
}

void tst_TransferDir::editorSendsSavedContent()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O3.nc");
    TestSupport::writeBytes(file, "O3\nG1 X5\n");
    EditorArea *editor = EditorArea::instance();
    QVERIFY(editor);
    editor->FUNC_Abrir_Arquivo(file);
    editor->CurrentEditor()->setText(QStringLiteral("changed, not saved\n"));
    editor->CurrentEditor()->setModified(true);
    m_fx->dialogs().answer(Dialogs::No); // send the saved file
    WhenShown shown(window(), [&] { window()->BitBtn1Click(); });
    TransferCommands::SpeedButton31Click();
    QVERIFY(shown.shown());
    QCOMPARE(TestSupport::readBytes(m_transfer + QStringLiteral("/O3.nc")), QByteArray("O3\nG1 X5\n"));
}

void tst_TransferDir::editorAsksAboutUnsavedChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QByteArray>("sent"); // empty: nothing sent
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("yes saves and sends the changes") << int(Dialogs::Yes) << false << QByteArray("O4\nG1 X9\n")
                                                     << QByteArray("O4\nG1 X9\n");
    QTest::newRow("no sends the saved file") << int(Dialogs::No) << false << QByteArray("O4\nG1 X5\n")
                                             << QByteArray("O4\nG1 X5\n");
    QTest::newRow("cancel sends nothing") << int(Dialogs::Cancel) << false << QByteArray()
                                          << QByteArray("O4\nG1 X5\n");
    QTest::newRow("yes with a failing save sends nothing") << int(Dialogs::Yes) << true << QByteArray()
                                                           << QByteArray("O4\nG1 X5\n");
}

void tst_TransferDir::editorAsksAboutUnsavedChanges()
{
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, onDisk);
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O4.nc");
    TestSupport::writeBytes(file, "O4\nG1 X5\n");
    EditorArea *editor = EditorArea::instance();
    editor->FUNC_Abrir_Arquivo(file);
    // Not modified: no question.
    {
        WhenShown shown(window(), [] {});
        TransferCommands::SpeedButton31Click();
        QVERIFY(shown.shown());
        QVERIFY(m_fx->dialogs().messages().isEmpty());
    }
    editor->CurrentEditor()->replaceLine(1, QStringLiteral("G1 X9"));

    m_fx->dialogs().answer(Dialogs::Button(answer));
    WhenShown shown(window(), [&] { window()->BitBtn1Click(); });
    {
        // The write of the save crosses the limit; the copy never starts.
        std::unique_ptr<FaultInjection::FileSizeLimit> full(saveFails ? new FaultInjection::FileSizeLimit(8) : nullptr);
        QToolButton *button = m_fx->main()->findChild<QToolButton *>(QStringLiteral("SpeedButton31"));
        QVERIFY(button);
        button->click();
    }
    const QList<ScriptedDialogs::Call> calls = m_fx->dialogs().calls();
    QVERIFY(!calls.isEmpty());
    QCOMPARE(calls.first().icon, Dialogs::Icon::Question);
    QCOMPARE(calls.first().buttons, int(Dialogs::Yes | Dialogs::No | Dialogs::Cancel));
    QCOMPARE(calls.first().text, QStringLiteral("QUESTION: The File \"") + file
                                     + QStringLiteral("\" has changes that are not saved. Yes: save the changes and "
                                                      "send the File. No: send the File as it was last saved, "
                                                      "without the changes. Cancel: send nothing."));
    QCOMPARE(shown.shown(), !sent.isEmpty());
    const QString target = m_transfer + QStringLiteral("/O4.nc");
    if (sent.isEmpty())
        QVERIFY(!QFile::exists(target));
    else
        QCOMPARE(TestSupport::readBytes(target), sent);
    QCOMPARE(TestSupport::readBytes(file), onDisk);
    QCOMPARE(editor->CurrentEditor()->isModified(), answer != Dialogs::Yes || saveFails);
    if (saveFails) {
        QCOMPARE(m_fx->dialogs().last().kind, QStringLiteral("error"));
        QVERIFY2(m_fx->dialogs().last().text.contains(QLatin1String("File too large")),
                 qPrintable(m_fx->dialogs().last().text));
    }
}

void tst_TransferDir::editorWithoutTabAsksToOpenFile()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    WhenShown shown(window(), [] {});
    TransferCommands::SpeedButton31Click();
    QCOMPARE(m_fx->dialogs().messages(), QStringList("INFORMATION: Please open File to transfer."));
    // A new tab never saved has no file on disk: nothing happens.
    m_fx->dialogs().clear();
    EditorArea::instance()->SpeedButton24Click();
    TransferCommands::SpeedButton31Click();
    QVERIFY(m_fx->dialogs().messages().isEmpty());
    QVERIFY(!shown.shown());
}

void tst_TransferDir::browserSelectionChecks()
{
    directoryMachine(QStringLiteral("DIRLOCAL"), m_fx->makeFolder(QStringLiteral("machine")));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O9.nc");
    TestSupport::writeBytes(file, "O9\n");
    QDir().mkpath(m_programs + QStringLiteral("/folder"));
    BrowserArea *browser = BrowserArea::instance();
    QVERIFY(browser);
    browser->FUNC_Atualizar_DIR(4, m_programs);
    ShellListView *list = browser->ShellListView1();
    {
        WhenShown shown(window(), [] {});

        list->currentView()->clearSelection();
        TransferCommands::SpeedButton4Click();
        QCOMPARE(m_fx->dialogs().messages(), QStringList("INFORMATION: Please select File to Transfer."));
        m_fx->dialogs().clear();

        QVERIFY(QTest::qWaitFor([&] { return list->selectPath(m_programs + QStringLiteral("/folder")); }, 5000));
        TransferCommands::SpeedButton4Click();
        QVERIFY(m_fx->dialogs().messages().isEmpty());
        QVERIFY(!shown.shown());
    }

    QVERIFY(list->selectPath(file));
    QString origin;
    WhenShown send(window(), [&] { origin = window()->Edit4()->text(); });
    TransferCommands::SpeedButton4Click();
    QVERIFY(send.shown());
    QCOMPARE(QDir::fromNativeSeparators(origin), QDir::fromNativeSeparators(file));
}

void tst_TransferDir::serialTypeOpensTheSerialWindows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("windowName");
    QTest::addColumn<QString>("caption");
    QTest::newRow("send") << 1 << "Form_Transfer_SERIAL232" << "Zavrin - Transfer Program";
    QTest::newRow("receive") << 2 << "Form_Transfer_SERIAL232_R" << "Zavrin - Receive Program";
}

void tst_TransferDir::serialTypeOpensTheSerialWindows()
{
    QFETCH(int, mode);
    QFETCH(QString, windowName);
    QFETCH(QString, caption);
    const QString id = m_fx->addMachine(QStringLiteral("SERIAL232"), m_programs);
    SerialParameters p;
    p.speed = 7;
    p.dataBits = 4;
    p.parity = 3;
    p.stopBits = 2;
    p.flow = 3;
    p.port = QStringLiteral("COM3");
    TDataModule1::instance().insertSerialParameters(id, p);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O4.nc");
    TestSupport::writeBytes(file, "O4\n");

    auto *serial = qobject_cast<QDialog *>(Application::window(windowName));
    QVERIFY(serial);
    QString shownCaption;
    WhenShown shown(serial, [&] { shownCaption = serial->findChild<QWidget *>(QStringLiteral("Ribbon1"))->property("caption").toString(); });
    TransferCommands::dispatch(file, mode);
    QVERIFY(shown.shown());
    QCOMPARE(shownCaption, caption);
    QCOMPARE(transferValues().SerialPortName, QStringLiteral("COM3"));
    QCOMPARE(transferValues().SerialSpeedCode, QStringLiteral("7"));
}

void tst_TransferDir::languageReachesEveryControl()
{
    QStringList missing;
    for (const QString &key : missingControlKeys(Application::windows()))
        if (key.startsWith(QLatin1String("Form_Transfer_DIR.")) || key.startsWith(QLatin1String("Form_Transfer_FTP.")))
            missing << key;
    QCOMPARE(missing, QStringList());
    app().LanguageCode = QStringLiteral("DE");
    Application::applyLanguage();
    QCOMPARE(window()->BitBtn1()->text(), QStringLiteral("CNC-Programm Übertragen"));
    auto *ftp = Application::window(QStringLiteral("Form_Transfer_FTP"));
    QCOMPARE(ftp->findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("Host oder IP :"));
}

QTEST_MAIN(tst_TransferDir)
#include "tst_transferdir.moc"
