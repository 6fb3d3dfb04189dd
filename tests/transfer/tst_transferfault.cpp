#include "../serial/PtyPair.h"
#include "FaultInjection.h"
#include "FtpTestServer.h"
#include "TestSupport.h"
#include "TransferFixture.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "machines/Database.h"
#include "platform/ScriptedDialogs.h"
#include "transfer/ReceivedText.h"
#include "transfer/SerialReceiveWindow.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferDirWindow.h"
#include "transfer/TransferFtpWindow.h"

#include <QDir>
#include <QLineEdit>
#include <QSerialPort>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// Receiving and copying programs onto a full disk: a file-size limit in this
// process makes the write that crosses it fail with "File too large". Whatever
// was at the target stays, and the window says that the transfer failed.
class tst_TransferFault : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void directoryCopy_data();
    void directoryCopy();
    void ftpReceive();
    void serialReceiveSave();

private:
    static void verifyNoSuccess(const QStringList &messages);
    static QStringList filesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TransferFixture *m_fx = nullptr;
    QString m_programs;
    static constexpr rlim_t Limit = 4096;
};

void tst_TransferFault::init()
{
    m_fx = new TransferFixture;
    QVERIFY(m_fx->ok());
    m_programs = m_fx->makeFolder(QStringLiteral("programs"));
}

void tst_TransferFault::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

void tst_TransferFault::verifyNoSuccess(const QStringList &messages)
{
    for (const QString &text : messages) {
        QVERIFY2(!text.contains(QLatin1String("Successfully"), Qt::CaseInsensitive), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("successfully"), Qt::CaseInsensitive), qPrintable(text));
    }
}

void tst_TransferFault::directoryCopy_data()
{
    QTest::addColumn<bool>("receive");
    QTest::newRow("send to the machine") << false;
    QTest::newRow("receive from the machine") << true;
}

void tst_TransferFault::directoryCopy()
{
    QFETCH(bool, receive);
    const QString machine = m_fx->makeFolder(QStringLiteral("machine"));
    const QString id = m_fx->addMachine(QStringLiteral("DIRLOCAL"), m_programs);
    TDataModule1::instance().insertPathParameters(id, {machine});
    const QString from = (receive ? machine : m_programs) + QDir::separator() + QStringLiteral("O1000.nc");
    const QString target = (receive ? m_programs : machine) + QDir::separator() + QStringLiteral("O1000.nc");
    writeBytes(from, QByteArray(20000, 'x'));
    writeBytes(target, "old program\n");
    const QStringList before = filesIn(QFileInfo(target).absolutePath());
    m_fx->dialogs().answer(Dialogs::Yes); // replace the old program

    auto *w = qobject_cast<TForm_Transfer_DIR *>(Application::window(QStringLiteral("Form_Transfer_DIR")));
    WhenShown shown(w, [&] {
        FaultInjection::FileSizeLimit full(Limit);
        if (receive) {
            w->Edit4()->setText(from);
            w->Edit5()->setText(QStringLiteral("O1000.nc"));
            w->BitBtn2Click();
        } else {
            w->BitBtn1Click();
        }
    });
    if (receive)
        TransferCommands::SpeedButton19Click();
    else
        TransferCommands::dispatch(from, 1);
    QVERIFY(shown.shown());
    const QStringList messages = m_fx->dialogs().messages();
    verifyNoSuccess(messages);
    QVERIFY(!messages.isEmpty());
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    // The copy's own error; the journal on the same full disk then says it cannot be written.
    const QString copyError = messages.size() >= 2 ? messages.at(messages.size() - 2) : messages.last();
    QVERIFY2(copyError.contains(QLatin1String("File too large")), qPrintable(copyError));
    QVERIFY2(messages.last().startsWith(QLatin1String("The transfer journal")), qPrintable(messages.last()));
    QCOMPARE(readBytes(target), QByteArray("old program\n"));
    QCOMPARE(filesIn(QFileInfo(target).absolutePath()), before);
}

void tst_TransferFault::ftpReceive()
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("nc"));
    writeBytes(root.filePath(QStringLiteral("nc/O1000.nc")), QByteArray(60000, 'y'));
    FtpTestServer server(root.path());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const QString id = m_fx->addMachine(QStringLiteral("FTP"), m_programs);
    TDataModule1::instance().insertFtpParameters(
        id, {QStringLiteral("nc"), QStringLiteral("127.0.0.1"), FtpTestServer::user(), FtpTestServer::password(),
             QString::number(server.port())});
    const QString local = m_programs + QDir::separator() + QStringLiteral("O1000.nc");
    writeBytes(local, "local program\n");
    m_fx->dialogs().answer(Dialogs::Yes); // replace the local program

    auto *w = qobject_cast<TForm_Transfer_FTP *>(Application::window(QStringLiteral("Form_Transfer_FTP")));
    bool stayedOpen = false;
    QString status;
    WhenShown shown(w, [&] {
        QTreeWidgetItem *row = w->ListView1()->findItems(QStringLiteral("O1000.nc"), Qt::MatchExactly, 1).value(0);
        QVERIFY(row);
        w->ListView1()->setCurrentItem(row);
        w->ListView1DblClick();
        {
            FaultInjection::FileSizeLimit full(Limit);
            w->BitBtn2Click();
        }
        stayedOpen = w->isVisible();
        status = w->statusText();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    const QStringList messages = m_fx->dialogs().messages();
    verifyNoSuccess(messages);
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    QVERIFY2(status.contains(QLatin1String("File too large")), qPrintable(status));
    QVERIFY(stayedOpen);
    QCOMPARE(readBytes(local), QByteArray("local program\n"));
    QCOMPARE(filesIn(m_programs), QStringList(QStringLiteral("O1000.nc")));
}

void tst_TransferFault::serialReceiveSave()
{
    QTemporaryDir ptyDir;
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(ptyDir.path(), &error), qPrintable(error));
    QSerialPort peer(pty.endB());
    QVERIFY2(peer.open(QIODevice::ReadWrite), qPrintable(peer.errorString()));

    auto *w = qobject_cast<TForm_Transfer_SERIAL232_R *>(
        Application::window(QStringLiteral("Form_Transfer_SERIAL232_R")));
    QVERIFY(w);
    SerialTables::SerialCodes codes;
    codes.portName = pty.endA(); // a device path is used as it is
    codes.speed = QStringLiteral("13");
    codes.dataBits = QStringLiteral("4");
    codes.parity = QStringLiteral("3");
    codes.stopBits = QStringLiteral("2");
    codes.flow = QStringLiteral("1");
    w->prepareReceive(m_programs + QDir::separator(), codes);
    w->show();
    w->BitBtn2Click();
    QByteArray program = "%\r\nO1000\r\n";
    for (int i = 0; i < 600; ++i)
        program += "N" + QByteArray::number(i) + " G1 X" + QByteArray::number(i) + "\r\n";
    program += "%\r\n";
    peer.write(program);
    QVERIFY(peer.waitForBytesWritten(2000));
    QTRY_COMPARE_WITH_TIMEOUT(w->receivedText().length(), qint64(program.size()), 5000);
    const QString path = m_programs + QDir::separator() + QStringLiteral("O1000.nc");
    writeBytes(path, "old program\n");
    w->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("O1000.nc"));
    m_fx->dialogs().clear();
    m_fx->dialogs().answer(Dialogs::Yes); // replace the old program
    {
        FaultInjection::FileSizeLimit full(Limit);
        QVERIFY(!guarded([w] { w->BitBtn4Click(); }));
    }
    verifyNoSuccess(m_fx->dialogs().messages());
    QCOMPARE(m_fx->dialogs().last().kind, QStringLiteral("error"));
    QVERIFY2(m_fx->dialogs().last().text.contains(QLatin1String("File too large")),
             qPrintable(m_fx->dialogs().last().text));
    QVERIFY(w->isVisible());
    QCOMPARE(w->receivedText().length(), qint64(program.size()));
    QCOMPARE(readBytes(path), QByteArray("old program\n"));
    QCOMPARE(filesIn(m_programs), QStringList(QStringLiteral("O1000.nc")));
    w->hide();
}

QTEST_MAIN(tst_TransferFault)
#include "tst_transferfault.moc"
