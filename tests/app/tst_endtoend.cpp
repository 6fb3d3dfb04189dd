// One operator's day on the demo workspace, through the real windows: start with the
// splash, select a machine, open a real program from the browser, renumber it, save
// it, send it to an FTP machine and to a serial machine, and receive it back from
// both; the bytes are checked at every hop.
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "editor/OpenFromBrowser.h"
#include "files/BrowserArea.h"
#include "files/ShellListView.h"
#include "ftp/FtpTestServer.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineListArea.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "serial/PtyPair.h"
#include "tools/RenumberWindow.h"
#include "tools/ToolSpinBox.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalWords.h"
#include "journal/ProgramHash.h"
#include "lang/Texts.h"
#include "transfer/ReceivedText.h"
#include "transfer/SerialReceiveWindow.h"
#include "transfer/SerialSendStream.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferFixture.h"
#include "transfer/TransferFtpWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

class tst_EndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void operatorsDay();
};

namespace {
template <typename T> T *window(const char *name) { return qobject_cast<T *>(Application::window(QLatin1String(name))); }
} // namespace

void tst_EndToEnd::operatorsDay()
{
    QTemporaryDir dir;
    const QString root = Paths::withTrailingSeparator(dir.path());
    const QString program = QStringLiteral("cncjs_circle-diamond-square_n-every-line-no-final-eol.gcode");
    const QByteArray original = TestSupport::readBytes(QStringLiteral(ZAVRIN_CORPUS_DIR "/") + program);
    for (const char *folder : {"programs/VMC-850", "programs/GM-3000", "programs/TL-20", "ftp"})
        QVERIFY(QDir(root).mkpath(QLatin1String(folder)));
    const QString programPath = Paths::toNative(root + QStringLiteral("programs/VMC-850/") + program);
    TestSupport::writeBytes(programPath, original);

    // The machines: the demo database, its FTP machine pointed at a real server and its
    // serial machine at one end of a real serial line.
    const QString db = root + QStringLiteral("machines.db");
    DatabaseSchema::createDatabase(db, true, root);
    FtpTestServer server(dir.filePath(QStringLiteral("ftp")));
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    PtyPair pty;
    QVERIFY2(pty.start(dir.path(), &error), qPrintable(error));
    TestSupport::writeBytes(root + QStringLiteral("Zavrin.ini"),
                            "[DIRBD]\nVALUE=" + db.toUtf8() + "\n[LANGUAGE]\nVALUE=EN\n[SERIALPORTS]\nCOM1="
                                + pty.endA().toUtf8() + "\n");

    ScriptedDialogs dialogs;
    ScriptedShell shell;
    Application::Options options;
    options.appDirectory = root;
    options.showSplash = true;
    options.maximise = false;
    TForm_Main *main = Application::createWindows(options);
    QElapsedTimer started;
    started.start();
    Application::firstShow(main, options);
    QVERIFY(started.elapsed() >= 4000); // the splash stayed up for the rest of its five seconds
    QVERIFY(dialogs.messages().isEmpty());
    {
        TDataModule1 &data = TDataModule1::instance();
        for (const MachineRecord &m : data.allMachines()) {
            if (m.number == QLatin1String("1003"))
                data.updateFtpParameters(m.id, {QStringLiteral("/"), QStringLiteral("127.0.0.1"), FtpTestServer::user(),
                                                FtpTestServer::password(), QString::number(server.port())});
        }
    }

    // Select the vertical machining centre: the browser shows its programs.
    FUNC_Selecionar_Maquina(1);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("1001"));
    QCOMPARE(main->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("1001"));
    QVERIFY(BrowserArea::instance()->ShellListView1()->selectPath(programPath));

    // Open it from the browser into the editor.
    SpeedButton2Click(main);
    QCOMPARE(main->ribbonPages()->currentIndex(), 2);
    QCOMPARE(EditorArea::instance()->CurrentFileName(), programPath);

    // Renumber from 10 by 10 and save: the file is what the command line makes of it.
    auto *renumber = window<TForm_EDT2>("Form_EDT2");
    renumber->CheckBox3()->click();
    renumber->SpinEdit4()->setValue(10);
    renumber->SpinEdit5()->setValue(10);
    renumber->BitBtn1Click();
    EditorArea::instance()->FUNC_Salvar_Arquivo();
    QVERIFY(dialogs.messages().isEmpty());
    QProcess cli;
    cli.start(QStringLiteral(ZAVRIN_CNC), {QStringLiteral("renumber"), QStringLiteral("--renumber"), QStringLiteral("--start"),
                                            QStringLiteral("10"), QStringLiteral("--increment"), QStringLiteral("10"),
                                            QStringLiteral(ZAVRIN_CORPUS_DIR "/") + program});
    QVERIFY(cli.waitForFinished(20000));
    const QByteArray renumbered = cli.readAllStandardOutput();
    QVERIFY(renumbered != original);
    QCOMPARE(TestSupport::readBytes(programPath), renumbered);
    QVERIFY(!renumbered.endsWith('\n')); // no final line end, as the original

    // Send it to the gantry mill by FTP and fetch it back into that machine's folder.
    FUNC_Selecionar_Maquina(3);
    QCOMPARE(app().SelectedTransferType, QStringLiteral("FTP"));
    auto *ftp = window<TForm_Transfer_FTP>("Form_Transfer_FTP");
    // What the machine will hand back later (its listing is read when the window opens).
    TestSupport::writeBytes(dir.filePath(QStringLiteral("ftp/BACK.nc")), renumbered);
    {
        WhenShown shown(ftp, [ftp] { ftp->BitBtn1Click(); });
        TransferCommands::SpeedButton31Click();
        QVERIFY(shown.shown());
    }
    QCOMPARE(TestSupport::readBytes(dir.filePath(QStringLiteral("ftp/")) + program), renumbered);
    {
        WhenShown shown(ftp, [ftp] {
            QTreeWidgetItem *row = ftp->ListView1()->findItems(QStringLiteral("BACK.nc"), Qt::MatchExactly, 1).value(0);
            QVERIFY(row);
            ftp->ListView1()->setCurrentItem(row);
            ftp->ListView1DblClick();
            ftp->BitBtn2Click();
        });
        TransferCommands::SpeedButton19Click();
        QVERIFY(shown.shown());
    }
    QCOMPARE(TestSupport::readBytes(Paths::toNative(root + QStringLiteral("programs/GM-3000/BACK.nc"))), renumbered);

    // Send it to the lathe over the serial line, and let the lathe send it back.
    FUNC_Selecionar_Maquina(4);
    QCOMPARE(app().SelectedTransferType, QStringLiteral("SERIAL232"));
    QSerialPort peer(pty.endB());
    QVERIFY(peer.open(QIODevice::ReadWrite));
    QByteArray atMachine;
    connect(&peer, &QSerialPort::readyRead, this, [&] { atMachine += peer.readAll(); });
    auto *send = Application::window(QStringLiteral("Form_Transfer_SERIAL232"));
    QTimer press;
    press.setInterval(10);
    connect(&press, &QTimer::timeout, this, [&] {
        if (!send->isVisible())
            return;
        press.stop();
        send->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    });
    press.start();
    TransferCommands::SpeedButton31Click();
    const QByteArray onTheLine = SerialSendStream::wholeTransmission(renumbered);
    QTRY_COMPARE_WITH_TIMEOUT(atMachine.size(), onTheLine.size(), 20000);
    QCOMPARE(atMachine, onTheLine);

    dialogs.clear();
    auto *receive = window<TForm_Transfer_SERIAL232_R>("Form_Transfer_SERIAL232_R");
    bool receiving = false;
    QTimer receiver;
    receiver.setInterval(10);
    connect(&receiver, &QTimer::timeout, this, [&] {
        if (!receive->isVisible())
            return;
        if (!receiving) {
            receiving = true;
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
            peer.write(atMachine);
        } else if (receive->statusText() == QLatin1String("CNC File Data Received successfully.")) {
            receiver.stop();
            receive->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("LATHE.nc"));
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
        }
    });
    receiver.start();
    TransferCommands::SpeedButton19Click();
    ReceivedText expected;
    expected.append(atMachine);
    const QByteArray back = TestSupport::readBytes(Paths::toNative(root + QStringLiteral("programs/TL-20/LATHE.nc")));
    QCOMPARE(back, expected.fileBytes());
    // What came back is the program as it went out on the line, each line ended by CR LF.
    QCOMPARE(back, onTheLine + "\r\n");
    // The program has no end-of-program mark: the operator was warned before the save.
    QVERIFY(dialogs.messages().contains(Texts::extra("Extra.NoEndOfProgramWarning")));

    // Every transfer of the day is in the journal beside Zavrin.ini, with the hash of the
    // bytes as they left or as they were stored.
    QVERIFY(QFileInfo::exists(root + QStringLiteral("journal.db")));
    QVERIFY(JournalRecorder::current());
    const QVector<JournalEntry> journal = JournalRecorder::current()->entries({}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(journal.size(), 4);
    using E = JournalEntry;
    const struct
    {
        E::Medium medium;
        E::Direction direction;
        E::Outcome outcome;
        QByteArray bytes;
        QString localPath;
        const char *notice;
    } expectedEntries[] = {
        {E::Medium::Ftp, E::Direction::Send, E::Outcome::Verified, renumbered, programPath, ""},
        {E::Medium::Ftp, E::Direction::Receive, E::Outcome::Done, renumbered,
         Paths::toNative(root + QStringLiteral("programs/GM-3000/BACK.nc")), ""},
        {E::Medium::Serial, E::Direction::Send, E::Outcome::Done, onTheLine, programPath, ""},
        {E::Medium::Serial, E::Direction::Receive, E::Outcome::Done, back,
         Paths::toNative(root + QStringLiteral("programs/TL-20/LATHE.nc")), JournalWords::NoEndOfProgramKeyword},
    };
    for (int i = 0; i < 4; ++i) {
        const JournalEntry &e = journal[i];
        QVERIFY(e.id > 0);
        QCOMPARE(e.medium, expectedEntries[i].medium);
        QCOMPARE(e.direction, expectedEntries[i].direction);
        QCOMPARE(e.outcome, expectedEntries[i].outcome);
        QCOMPARE(e.sha256, ProgramHash::ofBytes(expectedEntries[i].bytes));
        QCOMPARE(e.bytes, qint64(expectedEntries[i].bytes.size()));
        QCOMPARE(e.localPath, expectedEntries[i].localPath);
        QCOMPARE(e.notice, QLatin1String(expectedEntries[i].notice));
        QVERIFY(e.error.isEmpty());
    }
    QCOMPARE(journal[0].machineNumber, QStringLiteral("1003"));
    QCOMPARE(journal[2].machineNumber, QStringLiteral("1004"));

    Application::destroyWindows();
}

QTEST_MAIN(tst_EndToEnd)
#include "tst_endtoend.moc"
