#include "FtpTestServer.h"
#include "TestSupport.h"
#include "TransferFixture.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MessagesWindow.h"
#include "journal/JournalRecorder.h"
#include "journal/ProgramHash.h"
#include "lang/Texts.h"
#include "machines/Database.h"
#include "machines/MachineOptions.h"
#include "platform/ScriptedDialogs.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferDirWindow.h"
#include "transfer/TransferFtpWindow.h"

#include <QDir>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using TestSupport::readBytes;
using TestSupport::writeBytes;
using Outcome = JournalEntry::Outcome;

// Every transfer of the directory and FTP windows leaves one journal entry with the
// hash of the program's bytes and the outcome; a sent copy that differs is caught.
class tst_TransferJournal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void directorySendIsVerified();
    void directoryCopyChangedBeforeReadBackIsCaught();
    void directoryReceiveRecordsTheStoredBytes();
    void directoryDeclinedReplaceIsCancelled();
    void ftpSendIsVerifiedByReadingBack();
    void ftpServerCorruptingTheUploadIsCaught();
    void ftpServerWithoutSize_data();
    void ftpServerWithoutSize();
    void ftpReceiveRecordsTheStoredBytes();
    void ftpFailedSendIsRecorded();
    void journalThatCannotBeWrittenNeverStopsATransfer();

private:
    QVector<JournalEntry> journal() const;
    QStringList alarms() const; // red entries of the messages panel
    void directoryMachine();
    void ftpMachine(bool verify);
    void startServer(const QStringList &options = {});
    void sendDirectory(const QString &file);
    void sendFtp(const QString &file);
    TForm_Transfer_DIR *dirWindow() const;
    TForm_Transfer_FTP *ftpWindow() const;

    TransferFixture *m_fx = nullptr;
    QString m_programs;
    QString m_transfer;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<FtpTestServer> m_server;
};

void tst_TransferJournal::init()
{
    m_fx = new TransferFixture;
    QVERIFY(m_fx->ok());
    QVERIFY(JournalRecorder::current());
    m_programs = m_fx->makeFolder(QStringLiteral("programs"));
    m_transfer = m_fx->makeFolder(QStringLiteral("machine"));
    m_root = std::make_unique<QTemporaryDir>();
    QDir(m_root->path()).mkpath(QStringLiteral("nc"));
}

void tst_TransferJournal::cleanup()
{
    TForm_Transfer_DIR::setBeforeReadBack({});
    delete m_fx;
    m_fx = nullptr;
    m_server.reset();
    m_root.reset();
}

QVector<JournalEntry> tst_TransferJournal::journal() const
{
    QString error;
    const QVector<JournalEntry> entries = JournalRecorder::current()->entries({}, &error);
    if (!error.isEmpty())
        qWarning("journal: %s", qPrintable(error));
    return entries;
}

QStringList tst_TransferJournal::alarms() const
{
    QStringList texts;
    auto *panel = qobject_cast<TForm_MSG *>(Application::window(QStringLiteral("Form_MSG")));
    for (int i = 0; panel && i < panel->TreeView1()->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = panel->TreeView1()->topLevelItem(i);
        if (item->foreground(0).color() == QColor(0xC0, 0, 0))
            texts << item->text(0);
    }
    return texts;
}

TForm_Transfer_DIR *tst_TransferJournal::dirWindow() const
{
    return qobject_cast<TForm_Transfer_DIR *>(Application::window(QStringLiteral("Form_Transfer_DIR")));
}

TForm_Transfer_FTP *tst_TransferJournal::ftpWindow() const
{
    return qobject_cast<TForm_Transfer_FTP *>(Application::window(QStringLiteral("Form_Transfer_FTP")));
}

void tst_TransferJournal::directoryMachine()
{
    const QString id = m_fx->addMachine(QStringLiteral("DIRLOCAL"), m_programs);
    TDataModule1::instance().insertPathParameters(id, {m_transfer});
}

void tst_TransferJournal::startServer(const QStringList &options)
{
    m_server = std::make_unique<FtpTestServer>(m_root->path(), options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
}

void tst_TransferJournal::ftpMachine(bool verify)
{
    const QString id = m_fx->addMachine(QStringLiteral("FTP"), m_programs);
    TDataModule1::instance().insertFtpParameters(id, {QStringLiteral("/nc/"), QStringLiteral("127.0.0.1"),
                                                      FtpTestServer::user(), FtpTestServer::password(),
                                                      QString::number(m_server->port())});
    MachineOptions options;
    options.verifyByReadBack = verify;
    QString error;
    QVERIFY2(options.write(app().mainSettingsPath(), id, &error), qPrintable(error));
}

void tst_TransferJournal::sendDirectory(const QString &file)
{
    WhenShown shown(dirWindow(), [&] { dirWindow()->BitBtn1Click(); });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
}

void tst_TransferJournal::sendFtp(const QString &file)
{
    WhenShown shown(ftpWindow(), [&] { ftpWindow()->BitBtn1Click(); });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
}

void tst_TransferJournal::directorySendIsVerified()
{
    directoryMachine();
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1000.nc");
    const QByteArray program("%\r\nO1000\r\nG0 X1\r\nM30\r\n%\r\n");
    writeBytes(file, program);
    sendDirectory(file);
    const QString target = m_transfer + QDir::separator() + QStringLiteral("O1000.nc");
    QCOMPARE(m_fx->dialogs().messages(), QStringList("INFORMATION: The File \"" + target + "\" Successfully transferred."));

    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    const JournalEntry &e = entries[0];
    QVERIFY(e.id > 0); // written, not only kept
    QCOMPARE(e.outcome, Outcome::Verified);
    QCOMPARE(e.medium, JournalEntry::Medium::Directory);
    QCOMPARE(e.direction, JournalEntry::Direction::Send);
    QCOMPARE(e.localPath, file);
    QCOMPARE(e.remote, target);
    QCOMPARE(e.bytes, qint64(program.size()));
    QCOMPARE(e.sha256, ProgramHash::ofBytes(program));
    QCOMPARE(e.machineNumber, app().SelectedMachineNumber);
    QCOMPARE(e.machineDescription, app().SelectedMachineDescription);
    QCOMPARE(e.machineId, app().SelectedMachineId);
    QCOMPARE(e.workstation, QSysInfo::machineHostName());
    QVERIFY(!e.user.isEmpty());
    QVERIFY(e.error.isEmpty());
    QVERIFY(QFileInfo::exists(m_fx->path(QStringLiteral("journal.db"))));
}

void tst_TransferJournal::directoryCopyChangedBeforeReadBackIsCaught()
{
    directoryMachine();
    const QString file = m_programs + QDir::separator() + QStringLiteral("O2000.nc");
    const QByteArray program("%\r\nO2000\r\nG1 X10 F100\r\nM30\r\n%\r\n");
    writeBytes(file, program);
    // A share that hands back other bytes than it took: one byte changed, one lost.
    TForm_Transfer_DIR::setBeforeReadBack([](const QString &target) {
        QByteArray bytes = readBytes(target);
        bytes[9] = 'Y';
        bytes.chop(1);
        writeBytes(target, bytes);
    });
    sendDirectory(file);
    const QString target = m_transfer + QDir::separator() + QStringLiteral("O2000.nc");
    const QStringList messages = m_fx->dialogs().messages();
    QCOMPARE(messages,
             QStringList(Texts::extra("Extra.VerificationFailed")
                             .arg(target, QString::number(program.size()), QString::number(program.size() - 1))));
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    QCOMPARE(alarms().size(), 1);
    QVERIFY2(alarms()[0].contains(Texts::extra("Extra.VerificationFailedPanel")), qPrintable(alarms()[0]));

    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::VerificationFailed);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(program)); // as it left
    QVERIFY(!entries[0].error.isEmpty());
}

void tst_TransferJournal::directoryReceiveRecordsTheStoredBytes()
{
    directoryMachine();
    const QString from = m_transfer + QDir::separator() + QStringLiteral("O7.nc");
    const QByteArray program("O7\nG0 Z5\nM30\n");
    writeBytes(from, program);
    WhenShown shown(dirWindow(), [&] {
        dirWindow()->Edit4()->setText(from);
        dirWindow()->Edit5()->setText(QStringLiteral("O7 back.nc"));
        dirWindow()->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    const QString stored = m_programs + QDir::separator() + QStringLiteral("O7 back.nc");
    QCOMPARE(readBytes(stored), program);
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::Done);
    QCOMPARE(entries[0].direction, JournalEntry::Direction::Receive);
    QCOMPARE(entries[0].localPath, stored);
    QCOMPARE(entries[0].remote, from);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(program));
    QCOMPARE(entries[0].bytes, qint64(program.size()));
}

void tst_TransferJournal::directoryDeclinedReplaceIsCancelled()
{
    directoryMachine();
    const QString file = m_programs + QDir::separator() + QStringLiteral("O3.nc");
    writeBytes(file, "O3 new\n");
    writeBytes(m_transfer + QDir::separator() + QStringLiteral("O3.nc"), "O3 old\n");
    m_fx->dialogs().answer(Dialogs::No);
    sendDirectory(file);
    QCOMPARE(readBytes(m_transfer + QDir::separator() + QStringLiteral("O3.nc")), QByteArray("O3 old\n"));
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::Cancelled);
}

void tst_TransferJournal::ftpSendIsVerifiedByReadingBack()
{
    startServer();
    ftpMachine(true);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O4000.nc");
    QByteArray program;
    for (int i = 0; i < 20000; ++i)
        program += "N" + QByteArray::number(i) + " G01 X" + QByteArray::number(i % 91) + "\r\n";
    writeBytes(file, program);
    sendFtp(file);
    QCOMPARE(readBytes(m_root->filePath(QStringLiteral("nc/O4000.nc"))), program);
    QCOMPARE(m_fx->dialogs().messages(),
             QStringList("INFORMATION: The File \"" + file + "\" transferred to \"/nc/O4000.nc\" Successfully sent."));
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::Verified);
    QCOMPARE(entries[0].medium, JournalEntry::Medium::Ftp);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(program));
    QCOMPARE(entries[0].bytes, qint64(program.size()));
    QCOMPARE(entries[0].remote,
             QStringLiteral("ftp://%1@127.0.0.1:%2/nc/O4000.nc").arg(FtpTestServer::user()).arg(m_server->port()));
    QVERIFY(!entries[0].remote.contains(FtpTestServer::password()));
    const QStringList log = m_server->log();
    QVERIFY(log.contains(QStringLiteral("CMD SIZE O4000.nc")));
    QVERIFY(log.contains(QStringLiteral("CMD RETR O4000.nc")));
}

void tst_TransferJournal::ftpServerCorruptingTheUploadIsCaught()
{
    startServer({QStringLiteral("--corrupt-upload")});
    ftpMachine(true);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O5000.nc");
    const QByteArray program("%\r\nO5000\r\nG0 X1 Y2\r\nG1 Z-1 F50\r\nM30\r\n%\r\n");
    writeBytes(file, program);
    sendFtp(file);
    const QByteArray stored = readBytes(m_root->filePath(QStringLiteral("nc/O5000.nc")));
    QCOMPARE(stored.size(), program.size());
    QVERIFY(stored != program); // the server did damage it: same size, other bytes
    const QString n = QString::number(program.size());
    QCOMPARE(m_fx->dialogs().messages(),
             QStringList(Texts::extra("Extra.VerificationFailed").arg(QStringLiteral("/nc/O5000.nc"), n, n)));
    QCOMPARE(alarms().size(), 1);
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::VerificationFailed);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(program));
}

void tst_TransferJournal::ftpServerWithoutSize_data()
{
    QTest::addColumn<bool>("verify");
    QTest::addColumn<int>("outcome");
    QTest::newRow("reading back on: verified all the same") << true << int(Outcome::Verified);
    QTest::newRow("reading back off: done, not verified") << false << int(Outcome::Done);
}

void tst_TransferJournal::ftpServerWithoutSize()
{
    QFETCH(bool, verify);
    QFETCH(int, outcome);
    startServer({QStringLiteral("--no-size")});
    ftpMachine(verify);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O6.nc");
    writeBytes(file, "O6\nM30\n");
    sendFtp(file);
    QCOMPARE(m_fx->dialogs().messages().size(), 1);
    QVERIFY(m_fx->dialogs().messages()[0].startsWith(QStringLiteral("INFORMATION: The File")));
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(int(entries[0].outcome), outcome);
    QCOMPARE(m_server->log().contains(QStringLiteral("CMD RETR O6.nc")), verify);
}

void tst_TransferJournal::ftpReceiveRecordsTheStoredBytes()
{
    startServer();
    ftpMachine(true);
    const QByteArray program(70000, 'z');
    writeBytes(m_root->filePath(QStringLiteral("nc/O9.nc")), program);
    WhenShown shown(ftpWindow(), [&] {
        ftpWindow()->Edit6()->setText(QStringLiteral("/nc/O9.nc"));
        ftpWindow()->Edit7()->setText(QStringLiteral("O9.nc"));
        ftpWindow()->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    const QString stored = app().SelectedProgramDirectory + QStringLiteral("O9.nc");
    QCOMPARE(readBytes(stored), program);
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::Done);
    QCOMPARE(entries[0].direction, JournalEntry::Direction::Receive);
    QCOMPARE(entries[0].localPath, stored);
    QCOMPARE(entries[0].sha256, ProgramHash::ofBytes(program));
    QCOMPARE(entries[0].bytes, qint64(program.size()));
}

void tst_TransferJournal::ftpFailedSendIsRecorded()
{
    startServer();
    ftpMachine(true);
    const QString file = m_programs + QDir::separator() + QStringLiteral("O8.nc");
    writeBytes(file, "O8\n");
    WhenShown shown(ftpWindow(), [&] {
        ftpWindow()->Edit7()->setText(QStringLiteral("no/such/folder/O8.nc"));
        ftpWindow()->BitBtn1Click();
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    const QVector<JournalEntry> entries = journal();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0].outcome, Outcome::Failed);
    QVERIFY(!entries[0].error.isEmpty());
}

void tst_TransferJournal::journalThatCannotBeWrittenNeverStopsATransfer()
{
    directoryMachine();
    // The journal's place is taken by a folder: it cannot be opened.
    QVERIFY(QDir().mkpath(m_fx->path(QStringLiteral("journal.db"))));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O10.nc");
    writeBytes(file, "O10\nM30\n");
    sendDirectory(file);
    m_fx->dialogs().answer(Dialogs::Yes); // replace the copy of the first send
    sendDirectory(file);                  // a second transfer while the journal still fails
    const QStringList messages = m_fx->dialogs().messages();
    const QString success = "INFORMATION: The File \"" + m_transfer + QDir::separator() + "O10.nc\" Successfully transferred.";
    // The journal's failure is told once, as the first transfer ends; both transfers succeed.
    QCOMPARE(messages.size(), 4);
    QVERIFY2(messages[0].startsWith(QStringLiteral("The transfer journal")), qPrintable(messages[0]));
    QCOMPARE(m_fx->dialogs().calls()[0].kind, QStringLiteral("error"));
    QCOMPARE(messages[1], success);
    QVERIFY(messages[2].startsWith(QStringLiteral("QUESTION:")));
    QCOMPARE(messages[3], success);
    QCOMPARE(alarms().size(), 1);
    QCOMPARE(JournalRecorder::current()->pending().size(), 2);
    QCOMPARE(JournalRecorder::current()->pending()[1].outcome, Outcome::Verified);
    // Once the journal can be written, the kept entries go in, in order.
    QVERIFY(QDir(m_fx->path(QStringLiteral("journal.db"))).removeRecursively());
    QVERIFY(JournalRecorder::current()->flush());
    QCOMPARE(journal().size(), 2);
    QVERIFY(journal()[0].id > 0);
}

QTEST_MAIN(tst_TransferJournal)
#include "tst_transferjournal.moc"
