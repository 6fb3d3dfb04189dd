#include "FtpTestServer.h"
#include "TestSupport.h"
#include "TransferFixture.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "machines/Database.h"
#include "platform/Dialogs.h"
#include "platform/ScriptedDialogs.h"
#include "platform/SystemFormats.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferFtpWindow.h"
#include "transfer/TransferValues.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using TestSupport::readBytes;
using TestSupport::writeBytes;

// The FTP transfer window against a pyftpdlib server on loopback.
class tst_TransferFtp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listingShowsOnlyPlainFiles_data();
    void listingShowsOnlyPlainFiles();
    void sendWithBlanksInName();
    void sendWithoutNameAsksForIt();
    void receiveOntoExistingFile_data();
    void receiveOntoExistingFile();
    void receiveChecksOriginThenName();
    void cancelDuringThrottledDownload();
    void connectionLostMidwayIsSaid();
    void connectingCanBeCancelled();
    void connectionFailuresOpenNoWindow_data();
    void connectionFailuresOpenNoWindow();
    void serverStoppedBetweenPreparingAndSending();
    void transferFailureKeepsTheWindowOpen_data();
    void transferFailureKeepsTheWindowOpen();
    void preparingAgainListsAfresh();
    void listedNameLeavingTheFolderIsRefused_data();
    void listedNameLeavingTheFolderIsRefused();
    void cancelWhenIdleKeepsTheConnection();
    void progressFollowsTheClient_data();
    void progressFollowsTheClient();
    void sendGoesUpUnderTemporaryName_data();
    void sendGoesUpUnderTemporaryName();
    void cancelledSendLeavesNoPartialProgram_data();
    void cancelledSendLeavesNoPartialProgram();

private:
    void startServer(const QStringList &options = {});
    // An FTP machine of the server, with the directory as stored.
    void ftpMachine(const QString &directory, const QString &password = FtpTestServer::password(),
                    const QString &port = QString());
    TForm_Transfer_FTP *window() const;
    QStringList listedNames() const;

    TransferFixture *m_fx = nullptr;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<FtpTestServer> m_server;
    QString m_programs;
};

void tst_TransferFtp::init()
{
    m_fx = new TransferFixture;
    QVERIFY(m_fx->ok());
    m_programs = m_fx->makeFolder(QStringLiteral("programs"));
    m_root = std::make_unique<QTemporaryDir>();
    QDir(m_root->path()).mkpath(QStringLiteral("nc/archive"));
    writeBytes(m_root->filePath(QStringLiteral("nc/small.nc")), QByteArray(900, 'x'));
    writeBytes(m_root->filePath(QStringLiteral("nc/O1000.nc")), QByteArray(5000, 'y'));
    writeBytes(m_root->filePath(QStringLiteral("nc/archive/old.nc")), "old\n");
    SystemFormats::setShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    SystemFormats::setLongTimeFormat(QStringLiteral("HH:mm:ss"));
}

void tst_TransferFtp::cleanup()
{
    // The client first: its connection must not outlive the server by much.
    delete m_fx;
    m_fx = nullptr;
    m_server.reset();
    m_root.reset();
    SystemFormats::resetToSystem();
}

void tst_TransferFtp::startServer(const QStringList &options)
{
    m_server = std::make_unique<FtpTestServer>(m_root->path(), options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
}

void tst_TransferFtp::ftpMachine(const QString &directory, const QString &password, const QString &port)
{
    const QString id = m_fx->addMachine(QStringLiteral("FTP"), m_programs);
    TDataModule1::instance().insertFtpParameters(
        id, {directory, QStringLiteral("127.0.0.1"), FtpTestServer::user(), password,
             port.isNull() ? QString::number(m_server->port()) : port});
}

TForm_Transfer_FTP *tst_TransferFtp::window() const
{
    return qobject_cast<TForm_Transfer_FTP *>(Application::window(QStringLiteral("Form_Transfer_FTP")));
}

QStringList tst_TransferFtp::listedNames() const
{
    QStringList names;
    QTreeWidget *list = window()->ListView1();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        names << list->topLevelItem(i)->text(1);
    names.sort();
    return names;
}

void tst_TransferFtp::listingShowsOnlyPlainFiles_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withTime");
    QTest::newRow("MLSD") << QStringList() << true;
    // LIST gives only the day for files older than six months.
    QTest::newRow("LIST") << QStringList(QStringLiteral("--no-mlsd")) << false;
}

void tst_TransferFtp::listingShowsOnlyPlainFiles()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withTime);
    const QDateTime modified(QDate(2021, 3, 5), QTime(14, 30), Qt::UTC);
    const QString date = withTime ? SystemFormats::formatDateTime(modified.toLocalTime()) : QStringLiteral("05/03/2021");
    for (const char *name : {"nc/small.nc", "nc/O1000.nc"}) {
        QFile f(m_root->filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    startServer(options);
    ftpMachine(QStringLiteral("nc"));

    QList<QStringList> rows;
    QString caption, label, directory;
    bool receiveButtons = false;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        for (int i = 0; i < w->ListView1()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = w->ListView1()->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)};
        }
        caption = w->ribbonCaption();
        label = w->Label5()->text();
        directory = w->Edit5()->text();
        receiveButtons = !w->BitBtn1()->isVisible() && w->BitBtn2()->isVisible() && w->BitBtn4()->isVisible();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    std::sort(rows.begin(), rows.end(), [](const QStringList &a, const QStringList &b) { return a[1] < b[1]; });
    QCOMPARE(rows, (QList<QStringList>{{"", "O1000.nc", "4 KB", date}, {"", "small.nc", "0 KB", date}}));
    QCOMPARE(caption, QStringLiteral("Zavrin - Receive Program"));
    QCOMPARE(label, QStringLiteral("Local Directory :"));
    QCOMPARE(directory, app().SelectedProgramDirectory);
    QVERIFY(receiveButtons);
    QCOMPARE(transferValues().FtpDirectory, QStringLiteral("/nc/"));
    QCOMPARE(transferValues().FtpReceiveMode, 1);
    QVERIFY(m_fx->dialogs().messages().isEmpty());
}

void tst_TransferFtp::sendWithBlanksInName()
{
    startServer();
    ftpMachine(QStringLiteral("/nc/"));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O2000.nc");
    const QByteArray program("%\r\nO2000\r\nG0 X10.5 Y-3\r\nM30\r\n%\r\n");
    writeBytes(file, program);

    QString origin, name, caption;
    QStringList afterSend;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        origin = w->Edit6()->text();
        name = w->Edit7()->text();
        caption = w->ribbonCaption();
        w->Edit7()->setText(QStringLiteral("part 2 op 10.nc"));
        w->BitBtn1Click();
        afterSend = listedNames();
        QVERIFY(!w->isVisible());
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QCOMPARE(origin, file);
    QCOMPARE(name, QStringLiteral("O2000.nc"));
    QCOMPARE(caption, QStringLiteral("Zavrin - Transfer Program"));
    QCOMPARE(readBytes(m_root->filePath(QStringLiteral("nc/part 2 op 10.nc"))), program);
    QCOMPARE(afterSend, QStringList({"O1000.nc", "part 2 op 10.nc", "small.nc"}));
    QCOMPARE(m_fx->dialogs().messages(),
             QStringList("INFORMATION: The File \"" + file + "\" transferred to \"/nc/part 2 op 10.nc\" Successfully sent."));
    QCOMPARE(window()->statusText(), QString());
    QVERIFY(window()->BitBtn1()->isEnabled());
    QVERIFY(window()->IdFTP1()->connected());
    QVERIFY(m_server->log().contains(QStringLiteral("CMD TYPE I")));
}

void tst_TransferFtp::sendWithoutNameAsksForIt()
{
    startServer();
    ftpMachine(QStringLiteral("/nc/"));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    writeBytes(file, "O1\n");
    m_fx->sendWithBlankName(window(), window()->Edit7(), QStringLiteral("  "), file);
    QCOMPARE(m_server->count(QStringLiteral("CMD STOR")), 0);
}

void tst_TransferFtp::receiveOntoExistingFile_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("No keeps the local file") << false;
    QTest::newRow("Yes replaces it") << true;
}

void tst_TransferFtp::receiveOntoExistingFile()
{
    QFETCH(bool, replace);
    startServer();
    ftpMachine(QStringLiteral("nc"));
    const QString local = m_programs + QDir::separator() + QStringLiteral("O1000.nc");
    writeBytes(local, "local program\n");
    m_fx->dialogs().answer(replace ? Dialogs::Yes : Dialogs::No);

    QWidget *focus = nullptr;
    QString origin;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        QTreeWidgetItem *row = w->ListView1()->findItems(QStringLiteral("O1000.nc"), Qt::MatchExactly, 1).value(0);
        QVERIFY(row);
        w->ListView1()->setCurrentItem(row);
        w->ListView1DblClick();
        origin = w->Edit6()->text();
        w->BitBtn2Click();
        focus = w->focusWidget();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QCOMPARE(origin, QStringLiteral("/nc/O1000.nc"));
    const QString question = "QUESTION: The File \"" + local + "\"already exists. Would You Like to Replace File ?";
    QCOMPARE(m_fx->dialogs().calls().value(0).text, question);
    QCOMPARE(m_fx->dialogs().calls().value(0).icon, Dialogs::Icon::Question);
    if (replace) {
        QCOMPARE(readBytes(local), QByteArray(5000, 'y'));
        QCOMPARE(m_fx->dialogs().messages(),
                 QStringList({question, "INFORMATION: The File \"/nc/O1000.nc\" transferred to \"" + local
                                            + "\" Successfully received."}));
    } else {
        QCOMPARE(readBytes(local), QByteArray("local program\n"));
        QCOMPARE(m_fx->dialogs().messages(), QStringList(question));
        QCOMPARE(focus, window()->Edit7());
        QCOMPARE(m_server->count(QStringLiteral("CMD RETR")), 0);
    }
    QCOMPARE(QDir(m_programs).entryList(QDir::Files | QDir::Hidden), QStringList("O1000.nc"));
}

void tst_TransferFtp::receiveChecksOriginThenName()
{
    startServer();
    ftpMachine(QStringLiteral("nc"));
    TForm_Transfer_FTP *w = window();
    m_fx->receiveAsksForFileThenName(w, w->ListView1(), w->Edit7(), QStringLiteral("name.nc"), QStringLiteral(" "),
                                     [w] { w->ListView1()->setCurrentItem(w->ListView1()->topLevelItem(0)); });
}

void tst_TransferFtp::cancelDuringThrottledDownload()
{
    const QByteArray big(4 * 1024 * 1024, 'g');
    writeBytes(m_root->filePath(QStringLiteral("nc/BIG.nc")), big);
    startServer({QStringLiteral("--write-limit"), QStringLiteral("300000")});
    ftpMachine(QStringLiteral("nc"));
    const QString local = m_programs + QDir::separator() + QStringLiteral("BIG.nc");
    writeBytes(local, "the good old program\n");
    m_fx->dialogs().answer(Dialogs::Yes);

    int ticks = 0;
    QString status, percent;
    int position = -1;
    bool cancelEnabled = false;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        w->ListView1()->setCurrentItem(w->ListView1()->findItems(QStringLiteral("BIG.nc"), Qt::MatchExactly, 1).value(0));
        w->BitBtn4Click();
        // The window's own events keep flowing while the data comes in.
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        QTimer::singleShot(1500, w, [&] {
            status = w->statusText();
            percent = w->Label8()->text();
            position = w->ProgressBar1()->value();
            cancelEnabled = w->BitBtn3()->isEnabled() && !w->BitBtn2()->isEnabled();
            w->BitBtn3Click();
            QVERIFY(w->isVisible()); // closes only once the download handler has finished
        });
        w->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QVERIFY(cancelEnabled);
    QVERIFY2(status.startsWith(QLatin1String("Received : ")) && status.endsWith(QLatin1String(" Bytes")), qPrintable(status));
    QVERIFY2(position > 0 && position < big.size(), qPrintable(QString::number(position)));
    QCOMPARE(window()->ProgressBar1()->maximum(), big.size());
    QVERIFY(percent != QLatin1String("100%"));
    QCOMPARE(m_fx->dialogs().messages().last(), QStringLiteral("INFORMATION: Operation Cancelled."));
    QCOMPARE(readBytes(local), QByteArray("the good old program\n"));
    QCOMPARE(QDir(m_programs).entryList(QDir::Files | QDir::Hidden), QStringList("BIG.nc"));
    QVERIFY(!window()->isVisible());
}

void tst_TransferFtp::connectionLostMidwayIsSaid()
{
    const QByteArray big(4 * 1024 * 1024, 'g');
    writeBytes(m_root->filePath(QStringLiteral("nc/BIG.nc")), big);
    startServer({QStringLiteral("--write-limit"), QStringLiteral("300000")});
    ftpMachine(QStringLiteral("nc"));
    const quint16 port = m_server->port();
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        w->ListView1()->setCurrentItem(w->ListView1()->findItems(QStringLiteral("BIG.nc"), Qt::MatchExactly, 1).value(0));
        w->BitBtn4Click();
        // The server goes away once data flows.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (w->ProgressBar1()->value() > 0) {
                poll.stop();
                m_server->stop();
            }
        });
        poll.start(20);
        w->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QCOMPARE(m_fx->dialogs().messages().size(), 1);
    const QStringList lines = m_fx->dialogs().last().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("ERROR: Failed to receive File by FTP."));
    QCOMPARE(lines.value(1), QStringLiteral("The connection to the FTP server 127.0.0.1:%1 was lost.").arg(port));
    QVERIFY(!QFile::exists(m_programs + QDir::separator() + QStringLiteral("BIG.nc")));
}

// Preparing the window connects first, which may take the client's whole time limit against
// a server that accepts and never answers: a notice says so and its Cancel stops it.
void tst_TransferFtp::connectingCanBeCancelled()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    startServer();
    ftpMachine(QStringLiteral("nc"), FtpTestServer::password(), QString::number(silent.serverPort()));
    QString text;
    std::function<void()> pressCancel = [&] {
        QDialog *notice = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ConnectingNotice") && w->isVisible())
                notice = qobject_cast<QDialog *>(w);
        if (!notice) {
            QTimer::singleShot(20, pressCancel);
            return;
        }
        text = notice->findChild<QLabel *>(QStringLiteral("ConnectingText"))->text();
        notice->findChild<QPushButton *>(QStringLiteral("ConnectingCancel"))->click();
    };
    QTimer::singleShot(0, pressCancel);
    WhenShown shown(window(), [] {});
    QVERIFY(guarded([] { TransferCommands::SpeedButton19Click(); }));
    QCOMPARE(text, QStringLiteral("Connecting to 127.0.0.1:%1 ...").arg(silent.serverPort()));
    QVERIFY(!shown.shown());
    QCOMPARE(m_fx->dialogs().messages(), QStringList(QStringLiteral("INFORMATION: Operation Cancelled.")));
    QVERIFY(!window()->IdFTP1()->connected());
}

void tst_TransferFtp::connectionFailuresOpenNoWindow_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("said"); // the first line of the message; %1: host and port
    QTest::newRow("wrong password") << "nc" << "wrong" << QString() << "530"
                                    << "The FTP server %1 refused the login: check the user and the password.";
    QTest::newRow("missing directory") << "nowhere" << FtpTestServer::password() << QString() << "550"
                                       << "The FTP server %1 refused the request.";
    QTest::newRow("port not a number") << "nc" << FtpTestServer::password() << "21a" << "Invalid port \"21a\""
                                       << "Invalid port \"21a\"";
    QTest::newRow("no port stored") << "nc" << FtpTestServer::password() << "" << "Invalid port \"\"" << "Invalid port \"\"";
    QTest::newRow("nobody listening") << "nc" << FtpTestServer::password() << "closed" << "Could"
                                      << "No FTP server answers at %1: check the host and the port, and that the "
                                         "machine's FTP server is running.";
}

void tst_TransferFtp::connectionFailuresOpenNoWindow()
{
    QFETCH(QString, directory);
    QFETCH(QString, password);
    QFETCH(QString, port);
    QFETCH(QString, reason);
    QFETCH(QString, said);
    startServer();
    if (port == QLatin1String("closed")) {
        // A free port: taken and given back, so nothing listens on it.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = QString::number(probe.serverPort());
    }
    ftpMachine(directory, password, port);
    WhenShown shown(window(), [] {});
    QVERIFY(!guarded([] { TransferCommands::SpeedButton19Click(); }));
    QVERIFY(!shown.shown());
    QCOMPARE(m_fx->dialogs().calls().size(), 1);
    QCOMPARE(m_fx->dialogs().last().kind, QStringLiteral("error"));
    QVERIFY2(m_fx->dialogs().last().text.contains(reason), qPrintable(m_fx->dialogs().last().text));
    const QString place = QStringLiteral("127.0.0.1:") + (port.isNull() ? QString::number(m_server->port()) : port);
    QCOMPARE(m_fx->dialogs().last().text.section(QLatin1Char('\n'), 0, 0), said.arg(place));
}

void tst_TransferFtp::serverStoppedBetweenPreparingAndSending()
{
    startServer();
    ftpMachine(QStringLiteral("nc"));
    const QString file = m_programs + QDir::separator() + QStringLiteral("O1.nc");
    writeBytes(file, "O1\n");
    WhenShown shown(window(), [&] {
        m_server->stop();
        QVERIFY(!guarded([&] { window()->BitBtn1Click(); }));
        QVERIFY(window()->isVisible());
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    // The lost connection is made again, which fails: said in the operator's terms, with
    // the system's reason.
    QCOMPARE(m_fx->dialogs().calls().size(), 1);
    QCOMPARE(m_fx->dialogs().last().kind, QStringLiteral("error"));
    QVERIFY2(m_fx->dialogs().last().text.startsWith(QStringLiteral("No FTP server answers at 127.0.0.1:%1:").arg(m_server->port())),
             qPrintable(m_fx->dialogs().last().text));
    QVERIFY(window()->statusText().isEmpty()); // no longer "Connecting to ..."
    QVERIFY2(m_fx->dialogs().last().text.contains(QLatin1String("connect")), qPrintable(m_fx->dialogs().last().text));
}

void tst_TransferFtp::transferFailureKeepsTheWindowOpen_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("said"); // the reason line of the message; %1: the server's port
    QTest::newRow("send of a file gone from disk") << 1 << "ERROR: Failed to send the File by FTP." << "Cannot read"
                                                   << "Cannot read";
    QTest::newRow("receive of a file gone from the server") << 2 << "ERROR: Failed to receive File by FTP." << "550"
                                                            << "The FTP server 127.0.0.1:%1 refused the request.";
}

void tst_TransferFtp::transferFailureKeepsTheWindowOpen()
{
    QFETCH(int, mode);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    QFETCH(QString, said);
    startServer();
    ftpMachine(QStringLiteral("nc"));
    const QString file = m_programs + QDir::separator() + QStringLiteral("gone.nc");
    QString status;
    bool open = false, buttonEnabled = true;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        if (mode == 1) {
            w->BitBtn1Click();
            buttonEnabled = w->BitBtn1()->isEnabled();
        } else {
            w->Edit6()->setText(QStringLiteral("/nc/gone.nc"));
            w->Edit7()->setText(QStringLiteral("gone.nc"));
            w->BitBtn2Click();
            buttonEnabled = w->BitBtn2()->isEnabled();
        }
        status = w->statusText();
        open = w->isVisible();
    });
    TransferCommands::dispatch(file, mode);
    QVERIFY(shown.shown());
    // The fixed message, then the reason in the operator's terms with the client's text.
    QCOMPARE(m_fx->dialogs().messages().size(), 1);
    const QStringList lines = m_fx->dialogs().last().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), message);
    QVERIFY2(lines.size() >= 2 && lines.at(1).startsWith(said.arg(m_server->port())), qPrintable(m_fx->dialogs().last().text));
    QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    QVERIFY(open);
    QVERIFY(!buttonEnabled);
    // The fixed message says what failed; the status bar keeps the reason.
    QVERIFY2(status.contains(reason), qPrintable(status));
    QVERIFY(!QFile::exists(file));
}

void tst_TransferFtp::preparingAgainListsAfresh()
{
    startServer();
    ftpMachine(QStringLiteral("nc"));
    {
        WhenShown first(window(), [this] {
            TForm_Transfer_FTP *w = window();
            w->ListView1()->setCurrentItem(w->ListView1()->findItems(QStringLiteral("small.nc"), Qt::MatchExactly, 1).value(0));
            w->BitBtn4Click();
        });
        TransferCommands::SpeedButton19Click();
        QVERIFY(first.shown());
    }
    QVERIFY(window()->IdFTP1()->connected());

    // Still connected: the preparation connects afresh and lists the folder as it
    // is now; neither the earlier rows (perhaps another machine's) nor the name
    // picked from them stay, and the operator can pick at once.
    writeBytes(m_root->filePath(QStringLiteral("nc/new.nc")), "N1\n");
    QStringList rowsShown;
    QString originShown, nameShown, originAfterSelect;
    bool connectedWhenShown = false;
    WhenShown second(window(), [&] {
        TForm_Transfer_FTP *w = window();
        rowsShown = listedNames();
        originShown = w->Edit6()->text();
        nameShown = w->Edit7()->text();
        connectedWhenShown = w->IdFTP1()->connected();
        w->ListView1()->setCurrentItem(w->ListView1()->findItems(QStringLiteral("new.nc"), Qt::MatchExactly, 1).value(0));
        w->BitBtn4Click();
        originAfterSelect = w->Edit6()->text();
        w->BitBtn2Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(second.shown());
    QVERIFY2(rowsShown.contains(QStringLiteral("new.nc")), qPrintable(rowsShown.join(QLatin1Char(','))));
    QCOMPARE(originShown, QString());
    QCOMPARE(nameShown, QString());
    QVERIFY(connectedWhenShown);
    QCOMPARE(originAfterSelect, QStringLiteral("/nc/new.nc"));
    QCOMPARE(readBytes(m_programs + QStringLiteral("/new.nc")), QByteArray("N1\n"));
    QCOMPARE(m_server->count(QStringLiteral("CONNECT")), 2);
}

void tst_TransferFtp::listedNameLeavingTheFolderIsRefused_data()
{
    QTest::addColumn<QString>("name");
    // Both would land beside the program folder, still inside the test's own folder.
    QTest::newRow("up one folder") << "../escape.nc";
    QTest::newRow("down and up") << "sub/../../escape.nc";
    QTest::newRow("drive") << "C:escape.nc";
}

void tst_TransferFtp::listedNameLeavingTheFolderIsRefused()
{
    QFETCH(QString, name);
    const QString listing = m_fx->makeFolder(QStringLiteral("listing")) + QStringLiteral("/list.txt");
    writeBytes(listing, "-rw-r--r--   1 owner    group         900 Mar 05  2021 " + name.toUtf8() + "\r\n");
    writeBytes(m_root->filePath(QStringLiteral("escape.nc")), "outside\n");
    startServer({QStringLiteral("--no-mlsd"), QStringLiteral("--listing"), listing});
    ftpMachine(QStringLiteral("nc"));
    QString focused;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        w->ListView1()->setCurrentItem(w->ListView1()->topLevelItem(0));
        w->BitBtn4Click();
        w->BitBtn2Click();
        focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        w->BitBtn3Click();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QCOMPARE(m_fx->dialogs().messages(),
             QStringList("ERROR: The name \"" + name + "\" cannot be used as a local file name: a name must not hold a "
                         "folder separator, \"..\", a drive letter or a control character."));
    QCOMPARE(m_server->count(QStringLiteral("CMD RETR")), 0);
    QVERIFY(!QFile::exists(QDir(m_programs).absoluteFilePath(name)));
}

void tst_TransferFtp::cancelWhenIdleKeepsTheConnection()
{
    startServer();
    ftpMachine(QStringLiteral("nc"));
    bool closed = false;
    WhenShown shown(window(), [&] {
        window()->BitBtn3Click();
        closed = !window()->isVisible();
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QVERIFY(closed);
    QVERIFY(window()->IdFTP1()->connected());
    QVERIFY(m_fx->dialogs().messages().isEmpty());
}

void tst_TransferFtp::progressFollowsTheClient_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("status");
    QTest::newRow("upload a quarter") << false << qint64(1000) << qint64(250) << 1000 << "25%" << "Sent : 250 Bytes";
    QTest::newRow("download done") << true << qint64(5000) << qint64(5000) << 5000 << "100%" << "Received : 5000 Bytes";
    // No size announced: the earlier maximum stays and the count stops there.
    QTest::newRow("size unknown") << true << qint64(0) << qint64(250) << 100 << "100%" << "Received : 100 Bytes";
    QTest::newRow("beyond 2 GB") << true << qint64(6) * 1024 * 1024 * 1024 << qint64(3) * 1024 * 1024 * 1024
                                 << 6 * 1024 * 1024 << "50%" << "Received : 3221225472 Bytes";
}

void tst_TransferFtp::progressFollowsTheClient()
{
    QFETCH(bool, reading);
    QFETCH(qint64, total);
    QFETCH(qint64, done);
    QFETCH(int, maximum);
    QFETCH(QString, percent);
    QFETCH(QString, status);
    TForm_Transfer_FTP *w = window();
    FtpClient *client = w->IdFTP1();
    const auto mode = reading ? FtpClient::WorkMode::Read : FtpClient::WorkMode::Write;
    emit client->workBegin(mode, total);
    QCOMPARE(w->ProgressBar1()->value(), 0);
    QCOMPARE(w->Label8()->text(), QStringLiteral("0%"));
    emit client->work(mode, done);
    QCOMPARE(w->ProgressBar1()->maximum(), maximum);
    QCOMPARE(w->Label8()->text(), percent);
    QCOMPARE(w->statusText(), status);
    emit client->workEnd(mode);
    QCOMPARE(w->ProgressBar1()->value(), 0);
    QCOMPARE(w->Label8()->text(), QStringLiteral("0%"));
}

void tst_TransferFtp::sendGoesUpUnderTemporaryName_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("commands");
    // First the question whether the server renames at all: RNFR of a name that is not there.
    const QString probe = QStringLiteral("CMD RNFR .zavrin-rename-probe-0a9f3c");
    QTest::newRow("server renames") << QStringList()
                                    << QStringList{probe, "CMD STOR O5.nc.part", "CMD RNFR O5.nc.part", "CMD RNTO O5.nc"};
    QTest::newRow("server cannot rename") << QStringList{"--no-rename"} << QStringList{probe, "CMD STOR O5.nc"};
}

void tst_TransferFtp::sendGoesUpUnderTemporaryName()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, commands);
    startServer(options);
    ftpMachine(QStringLiteral("nc"));
    writeBytes(m_root->filePath(QStringLiteral("nc/O5.nc")), "the old O5\n");
    const QString file = m_programs + QDir::separator() + QStringLiteral("O5.nc");
    writeBytes(file, "O5\nG0 X1\nM30\n");
    WhenShown shown(window(), [&] { window()->BitBtn1Click(); });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QCOMPARE(readBytes(m_root->filePath(QStringLiteral("nc/O5.nc"))), QByteArray("O5\nG0 X1\nM30\n"));
    QCOMPARE(QDir(m_root->filePath(QStringLiteral("nc"))).entryList(QDir::Files),
             QStringList({"O1000.nc", "O5.nc", "small.nc"}));
    QStringList sent;
    for (const QString &line : m_server->log())
        if (line.startsWith(QLatin1String("CMD STOR")) || line.startsWith(QLatin1String("CMD RN")))
            sent << line;
    QCOMPARE(sent, commands);
    QCOMPARE(m_fx->dialogs().messages().size(), 1);
}

void tst_TransferFtp::cancelledSendLeavesNoPartialProgram_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QStringList>("messages");
    const QString cancelled = QStringLiteral("INFORMATION: Operation Cancelled.");
    QTest::newRow("under a temporary name, deleted")
        << QStringList() << QByteArray("the old O5\n")
        << QStringList(cancelled + "\nThe incomplete file \"O5.nc.part\" was deleted from the machine."
                                   " The program \"O5.nc\" on the machine was not changed.");
    QTest::newRow("under its own name, deleted")
        << QStringList{"--no-rename"} << QByteArray()
        << QStringList(cancelled + "\nThe incomplete file \"O5.nc\" was deleted from the machine.");
    QTest::newRow("under its own name, not deletable")
        << QStringList{"--no-rename", "--no-delete"} << QByteArray("partial")
        << QStringList{cancelled, "ATTENTION: The incomplete file \"O5.nc\" is still on the machine"};
}

void tst_TransferFtp::cancelledSendLeavesNoPartialProgram()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, left);
    QFETCH(QStringList, messages);
    // A slow control: 300 KB at 10 KB/s would take half a minute.
    startServer(options + QStringList{"--read-limit", "10240"});
    ftpMachine(QStringLiteral("nc"));
    const QString remoteFile = m_root->filePath(QStringLiteral("nc/O5.nc"));
    writeBytes(remoteFile, "the old O5\n");
    const QString file = m_programs + QDir::separator() + QStringLiteral("O5.nc");
    writeBytes(file, QByteArray(300 * 1024, 'p'));

    int progressBeforeCancel = 0;
    QElapsedTimer clock;
    qint64 cancelToClose = -1;
    WhenShown shown(window(), [&] {
        TForm_Transfer_FTP *w = window();
        connect(w->IdFTP1(), &FtpClient::work, w, [&] { ++progressBeforeCancel; });
        QTimer::singleShot(1500, w, [&] {
            disconnect(w->IdFTP1(), &FtpClient::work, w, nullptr);
            clock.start();
            w->BitBtn3Click();
        });
        w->BitBtn1Click();
        cancelToClose = clock.elapsed();
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QVERIFY2(progressBeforeCancel >= 3, qPrintable(QString::number(progressBeforeCancel)));
    // Cancel ended the send long before the server could have read the file.
    QVERIFY2(cancelToClose >= 0 && cancelToClose < 15000, qPrintable(QString::number(cancelToClose)));
    const QStringList shownMessages = m_fx->dialogs().messages();
    QCOMPARE(shownMessages.size(), messages.size());
    QCOMPARE(shownMessages.first(), messages.first());
    if (messages.size() > 1)
        QVERIFY2(shownMessages.last().startsWith(messages.last()), qPrintable(shownMessages.last()));
    if (left == "partial") {
        QVERIFY(QFileInfo(remoteFile).size() < 300 * 1024);
    } else if (left.isEmpty()) {
        QVERIFY(!QFile::exists(remoteFile));
    } else {
        QCOMPARE(readBytes(remoteFile), left);
    }
    QVERIFY(!QFile::exists(remoteFile + QStringLiteral(".part")));
    QVERIFY(!window()->isVisible());
}

QTEST_MAIN(tst_TransferFtp)
#include "tst_transferftp.moc"
