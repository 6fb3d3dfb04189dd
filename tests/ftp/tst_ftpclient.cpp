#include "FtpTestServer.h"
#include "TestSupport.h"
#include "platform/ftp/FtpClient.h"

#include <curl/curl.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using TestSupport::readBytes;
using TestSupport::writeBytes;

class TestFtpClient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listShowsFilesAndFolders_data();
    void listShowsFilesAndFolders();
    void namesWithBlanksBothWays();
    void putReplacesAndGetIsByteExact_data();
    void putReplacesAndGetIsByteExact();
    void wrongPasswordIsRefused();
    void missingDirectoryFailsAndKeepsConnection();
    void portFromText_data();
    void portFromText();
    void failureKinds_data();
    void failureKinds();
    void unreachableHostFailsInTime_data();
    void unreachableHostFailsInTime();
    void oneControlConnectionForEverything();
    void cancelledDownloadKeepsOldFile();
    void stalledDownloadFailsAndKeepsOldFile();
    void serverStoppedBetweenConnectAndPut();
    void disconnectFromFrozenServerIsBounded();
    void progressSignalsInOrder();
    void uploadToSlowServerStaysLive_data();
    void uploadToSlowServerStaysLive();
    void cancelDuringSlowUploadActsAtOnce();
    void sizeAndDownloadIntoADevice_data();
    void sizeAndDownloadIntoADevice();

private:
    std::unique_ptr<FtpTestServer> startServer(const QStringList &options = {});
    void connectClient(FtpClient &client, const FtpTestServer &server);
    QString remote(const QString &name) const { return m_root->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_root; // what the server serves
    std::unique_ptr<QTemporaryDir> m_local; // the workstation's side
};

namespace {
QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(12345);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

} // namespace

std::unique_ptr<FtpTestServer> TestFtpClient::startServer(const QStringList &options)
{
    auto server = std::make_unique<FtpTestServer>(m_root->path(), options);
    QString error;
    if (!server->start(&error))
        qFatal("%s", qPrintable(error));
    return server;
}

void TestFtpClient::connectClient(FtpClient &client, const FtpTestServer &server)
{
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(server.port());
    client.setUser(FtpTestServer::user());
    client.setPassword(FtpTestServer::password());
    client.connectToHost();
    QVERIFY(client.connected());
}

void TestFtpClient::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_local = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid() && m_local->isValid());
}

void TestFtpClient::listShowsFilesAndFolders_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("canned");
    QTest::addColumn<bool>("utcTimes");

    QTest::newRow("MLSD") << QStringList() << QByteArray() << true;
    // pyftpdlib writes its LIST times in UTC; other servers use their local time.
    QTest::newRow("Unix LIST") << QStringList{QStringLiteral("--no-mlsd")} << QByteArray() << false;
    QTest::newRow("DOS LIST") << QStringList{QStringLiteral("--no-mlsd")}
                              << QByteArray("12-31-20  03:45PM       <DIR>          sub one\r\n"
                                            "12-31-20  03:45PM       <DIR>          sub two\r\n"
                                            "02-10-2021  11:02AM                900 O1000.NC\r\n"
                                            "02-10-2021  11:02AM                  3 my prog.nc\r\n")
                              << false;
}

void TestFtpClient::listShowsFilesAndFolders()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, canned);
    QFETCH(bool, utcTimes);

    QVERIFY(QDir(m_root->path()).mkdir(QStringLiteral("sub one")));
    QVERIFY(QDir(m_root->path()).mkdir(QStringLiteral("sub two")));
    writeBytes(remote(QStringLiteral("O1000.NC")), randomBytes(900));
    writeBytes(remote(QStringLiteral("my prog.nc")), "G0\n");
    if (!canned.isEmpty()) {
        writeBytes(m_local->filePath(QStringLiteral("listing.txt")), canned);
        options << QStringLiteral("--listing") << m_local->filePath(QStringLiteral("listing.txt"));
    }
    auto server = startServer(options);

    FtpClient client;
    connectClient(client, *server);
    client.changeDir(QStringLiteral("/"));
    client.setTransferType(FtpClient::TransferType::Ascii);
    const QList<FtpListEntry> entries = client.list();

    QMap<QString, FtpListEntry> byName;
    for (const FtpListEntry &entry : entries)
        byName.insert(entry.name, entry);
    QCOMPARE(byName.keys(), (QStringList{QStringLiteral("O1000.NC"), QStringLiteral("my prog.nc"),
                                         QStringLiteral("sub one"), QStringLiteral("sub two")}));
    QVERIFY(byName[QStringLiteral("O1000.NC")].isFile);
    QVERIFY(byName[QStringLiteral("my prog.nc")].isFile);
    QVERIFY(!byName[QStringLiteral("sub one")].isFile);
    QVERIFY(!byName[QStringLiteral("sub two")].isFile);
    QCOMPARE(byName[QStringLiteral("O1000.NC")].size, qint64(900));
    QCOMPARE(byName[QStringLiteral("my prog.nc")].size, qint64(3));

    const QDateTime shown = byName[QStringLiteral("O1000.NC")].modified;
    QVERIFY(shown.isValid());
    if (canned.isEmpty()) {
        const QDateTime written = QFileInfo(remote(QStringLiteral("O1000.NC"))).lastModified().toUTC();
        const QDateTime asUtc = utcTimes ? shown.toUTC() : QDateTime(shown.date(), shown.time(), Qt::UTC);
        QVERIFY2(qAbs(asUtc.secsTo(written)) < 61, qPrintable(asUtc.toString(Qt::ISODate)));
    } else {
        QCOMPARE(shown, QDateTime(QDate(2021, 2, 10), QTime(11, 2)));
    }
    QCOMPARE(server->count(options.contains(QStringLiteral("--no-mlsd")) ? QStringLiteral("CMD LIST")
                                                                           : QStringLiteral("CMD MLSD")),
             1);
}

void TestFtpClient::namesWithBlanksBothWays()
{
    QVERIFY(QDir(m_root->path()).mkdir(QStringLiteral("sub two")));
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);

    const QByteArray program = "%\nO0001 (A B)\nG0 X0\n%\n";
    writeBytes(m_local->filePath(QStringLiteral("local prog.nc")), program);
    client.changeDir(QStringLiteral("/sub two/"));
    client.setTransferType(FtpClient::TransferType::Binary);
    client.put(m_local->filePath(QStringLiteral("local prog.nc")), QStringLiteral("my new  prog.nc"));
    QCOMPARE(readBytes(remote(QStringLiteral("sub two/my new  prog.nc"))), program);
    QCOMPARE(client.pwd(), QStringLiteral("/sub two"));

    client.changeDir(client.pwd());
    bool listed = false;
    for (const FtpListEntry &entry : client.list())
        listed = listed || (entry.name == QStringLiteral("my new  prog.nc") && entry.isFile);
    QVERIFY(listed);

    // The receive window names the file by its full path.
    client.changeDir(QStringLiteral("/"));
    const QString back = m_local->filePath(QStringLiteral("back again.nc"));
    client.get(QStringLiteral("/sub two/my new  prog.nc"), back);
    QCOMPARE(readBytes(back), program);
}

void TestFtpClient::putReplacesAndGetIsByteExact_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary, 300 KB") << randomBytes(300 * 1024);
    const QStringList corpus = TestSupport::corpusFiles(false);
    QVERIFY(!corpus.isEmpty());
    for (const QString &path : corpus.mid(0, 3))
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << readBytes(path);
    QTest::newRow("empty file") << QByteArray();
}

void TestFtpClient::putReplacesAndGetIsByteExact()
{
    QFETCH(QByteArray, content);
    writeBytes(remote(QStringLiteral("O2000.NC")), QByteArray(500 * 1024, 'x')); // longer than any row
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);
    client.changeDir(QStringLiteral("/"));
    client.setTransferType(FtpClient::TransferType::Binary);

    const QString source = m_local->filePath(QStringLiteral("source.nc"));
    writeBytes(source, content);
    client.put(source, QStringLiteral("O2000.NC"));
    QCOMPARE(readBytes(remote(QStringLiteral("O2000.NC"))), content);

    const QString target = m_local->filePath(QStringLiteral("received.nc"));
    writeBytes(target, "an older program that must be replaced entirely\n");
    client.get(QStringLiteral("/O2000.NC"), target);
    QCOMPARE(readBytes(target), content);
    QCOMPARE(QDir(m_local->path()).entryList(QDir::Files).size(), 2); // no temporary file left
}

void TestFtpClient::wrongPasswordIsRefused()
{
    auto server = startServer();
    FtpClient client;
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(server->port());
    client.setUser(FtpTestServer::user());
    client.setPassword(QStringLiteral("wrong"));
    try {
        client.connectToHost();
        QFAIL("login with a wrong password succeeded");
    } catch (const FtpAborted &) {
        QFAIL("reported as cancelled");
    } catch (const FtpError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("530")), qPrintable(e.message()));
        QCOMPARE(e.kind(), FtpFailure::Kind::LoginRefused);
    }
    QVERIFY(!client.connected());
    QVERIFY_THROWS_EXCEPTION(Error, client.list());
}

void TestFtpClient::missingDirectoryFailsAndKeepsConnection()
{
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);
    try {
        client.changeDir(QStringLiteral("/no such dir/"));
        QFAIL("changing into a missing directory succeeded");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("550")), qPrintable(e.message()));
    }
    QVERIFY(client.connected());
    client.changeDir(QStringLiteral("/"));
    client.list();
    QCOMPARE(server->count(QStringLiteral("CONNECT")), 1);
}

void TestFtpClient::portFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port"); // 0: refused
    QTest::newRow("plain") << "21" << 21;
    QTest::newRow("blanks around") << " 2121 " << 2121;
    QTest::newRow("highest") << "65535" << 65535;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("too large") << "70000" << 0;
    QTest::newRow("negative") << "-21" << 0;
    QTest::newRow("decimal") << "21.5" << 0;
}

void TestFtpClient::portFromText()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    if (port) {
        QCOMPARE(int(FtpClient::portFromText(text)), port);
        return;
    }
    try {
        FtpClient::portFromText(text);
        QFAIL("accepted");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("Invalid port \"%1\"").arg(text));
    }
}

void TestFtpClient::failureKinds_data()
{
    using Kind = FtpFailure::Kind;
    QTest::addColumn<int>("curlCode");
    QTest::addColumn<QByteArray>("lastReply");
    QTest::addColumn<bool>("stalled");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("password refused") << int(CURLE_LOGIN_DENIED) << QByteArray("530 Login incorrect.") << false << Kind::LoginRefused;
    QTest::newRow("session refused later") << int(CURLE_QUOTE_ERROR) << QByteArray("530 Not logged in.") << false << Kind::LoginRefused;
    QTest::newRow("host name unknown") << int(CURLE_COULDNT_RESOLVE_HOST) << QByteArray() << false << Kind::HostNotFound;
    QTest::newRow("nothing listening") << int(CURLE_COULDNT_CONNECT) << QByteArray() << false << Kind::NoServer;
    QTest::newRow("no greeting in time") << int(CURLE_OPERATION_TIMEDOUT) << QByteArray() << false << Kind::TimedOut;
    QTest::newRow("server never connects back") << int(CURLE_FTP_ACCEPT_TIMEOUT) << QByteArray("200 PORT ok") << false << Kind::TimedOut;
    QTest::newRow("data connection stalled") << int(CURLE_RECV_ERROR) << QByteArray("150 Here it comes") << true << Kind::TimedOut;
    QTest::newRow("closed mid-way") << int(CURLE_PARTIAL_FILE) << QByteArray("150 Here it comes") << false << Kind::ConnectionLost;
    QTest::newRow("reset mid-way") << int(CURLE_RECV_ERROR) << QByteArray() << false << Kind::ConnectionLost;
    QTest::newRow("server shutting down") << int(CURLE_WEIRD_SERVER_REPLY) << QByteArray("421 Bye") << false << Kind::ConnectionLost;
    QTest::newRow("directory missing") << int(CURLE_REMOTE_ACCESS_DENIED) << QByteArray("550 No such file") << false << Kind::Refused;
    QTest::newRow("disk full") << int(CURLE_UPLOAD_FAILED) << QByteArray("452 No space") << false << Kind::Refused;
    QTest::newRow("multi-line refusal") << int(CURLE_QUOTE_ERROR) << QByteArray("550-Denied") << false << Kind::Refused;
    QTest::newRow("not a reply") << int(CURLE_WEIRD_SERVER_REPLY) << QByteArray("5500 x") << false << Kind::Other;
    QTest::newRow("local failure") << int(CURLE_OUT_OF_MEMORY) << QByteArray("226 Done") << false << Kind::Other;
}

void TestFtpClient::failureKinds()
{
    QFETCH(int, curlCode);
    QFETCH(QByteArray, lastReply);
    QFETCH(bool, stalled);
    QFETCH(FtpFailure::Kind, kind);
    QCOMPARE(FtpFailure::classify(curlCode, FtpFailure::replyCode(lastReply.constData(), int(lastReply.size())), stalled),
             kind);
}

void TestFtpClient::unreachableHostFailsInTime_data()
{
    QTest::addColumn<bool>("silentListener");
    QTest::addColumn<FtpFailure::Kind>("kind");
    QTest::newRow("nothing listening") << false << FtpFailure::Kind::NoServer;
    // Connects but never greets: the connect time-out covers greeting and login.
    QTest::newRow("server never answers") << true << FtpFailure::Kind::TimedOut;
}

void TestFtpClient::unreachableHostFailsInTime()
{
    QFETCH(bool, silentListener);
    QFETCH(FtpFailure::Kind, kind);
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    if (!silentListener)
        listener.close();

    FtpClient client;
    client.setHost(QStringLiteral("127.0.0.1"));
    client.setPort(port);
    client.setUser(FtpTestServer::user());
    client.setPassword(FtpTestServer::password());
    client.setConnectTimeoutMs(1500);
    QElapsedTimer clock;
    clock.start();
    try {
        client.connectToHost();
        QFAIL("connected");
    } catch (const FtpError &e) {
        QCOMPARE(e.kind(), kind);
    }
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!client.connected());
}

void TestFtpClient::oneControlConnectionForEverything()
{
    QVERIFY(QDir(m_root->path()).mkdir(QStringLiteral("progs")));
    writeBytes(remote(QStringLiteral("progs/O1.NC")), "G1 X1\n");
    writeBytes(m_local->filePath(QStringLiteral("O2.NC")), "G1 X2\n");
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);

    client.changeDir(QStringLiteral("/progs/"));
    client.setTransferType(FtpClient::TransferType::Ascii);
    client.list();
    client.setTransferType(FtpClient::TransferType::Binary);
    client.put(m_local->filePath(QStringLiteral("O2.NC")), QStringLiteral("O2.NC"));
    QCOMPARE(client.pwd(), QStringLiteral("/progs"));
    client.get(QStringLiteral("/progs/O1.NC"), m_local->filePath(QStringLiteral("O1.NC")));
    QVERIFY_THROWS_EXCEPTION(Error, client.changeDir(QStringLiteral("/missing/")));
    client.changeDir(QStringLiteral("/progs/"));
    client.list();
    QVERIFY(client.connected());
    client.disconnectFromHost();
    QVERIFY(!client.connected());

    const QStringList log = server->log();
    QCOMPARE(server->count(QStringLiteral("CONNECT")), 1);
    QCOMPARE(server->count(QStringLiteral("CMD USER")), 1);
    QCOMPARE(server->count(QStringLiteral("CMD QUIT")), 1);
    QCOMPARE(server->count(QStringLiteral("CMD PASV")) + server->count(QStringLiteral("CMD EPSV")), 0);
    // Active mode: the server connects back for each of the four data transfers.
    QCOMPARE(server->count(QStringLiteral("CMD PORT")), 4);
    // TYPE I goes out before STOR and RETR (after the listing's TYPE A).
    const auto lastTypeBefore = [&](const QString &command) {
        QString type;
        for (const QString &line : log) {
            if (line.startsWith(QStringLiteral("CMD TYPE")))
                type = line.mid(4);
            if (line.startsWith(command))
                return type;
        }
        return QString();
    };
    QCOMPARE(lastTypeBefore(QStringLiteral("CMD STOR")), QStringLiteral("TYPE I"));
    QCOMPARE(lastTypeBefore(QStringLiteral("CMD RETR")), QStringLiteral("TYPE I"));
    QCOMPARE(lastTypeBefore(QStringLiteral("CMD MLSD")), QStringLiteral("TYPE A"));
}

void TestFtpClient::cancelledDownloadKeepsOldFile()
{
    writeBytes(remote(QStringLiteral("BIG.NC")), randomBytes(4 * 1024 * 1024));
    auto server = startServer({QStringLiteral("--write-limit"), QStringLiteral("400000")});
    FtpClient client;
    connectClient(client, *server);
    const QString target = m_local->filePath(QStringLiteral("BIG.NC"));
    const QByteArray old = "the program the operator had before\n";
    writeBytes(target, old);

    // The Cancel button: a queued event while the download runs. A second timer
    // shows that other events keep flowing as well.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(50);
    qint64 receivedWhenCancelled = 0;
    connect(&client, &FtpClient::work, this, [&](FtpClient::WorkMode, qint64 done) { receivedWhenCancelled = done; });
    QTimer::singleShot(1000, &client, [&] { client.abort(); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY_THROWS_EXCEPTION(FtpAborted, client.get(QStringLiteral("BIG.NC"), target));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(receivedWhenCancelled > 0);
    QVERIFY(ticks >= 10);
    QCOMPARE(readBytes(target), old);
    QCOMPARE(QDir(m_local->path()).entryList(QDir::Files), QStringList{QStringLiteral("BIG.NC")});

    // The abort closed the control connection; connecting again works.
    QVERIFY(!client.connected());
    client.connectToHost();
    client.list();
}

void TestFtpClient::stalledDownloadFailsAndKeepsOldFile()
{
    writeBytes(remote(QStringLiteral("BIG.NC")), randomBytes(1024 * 1024));
    auto server = startServer({QStringLiteral("--stall-after"), QStringLiteral("100000")});
    FtpClient client;
    connectClient(client, *server);
    client.setStallTimeoutSeconds(2);
    const QString target = m_local->filePath(QStringLiteral("BIG.NC"));
    writeBytes(target, "old\n");
    QElapsedTimer clock;
    clock.start();
    try {
        client.get(QStringLiteral("BIG.NC"), target);
        QFAIL("a stalled download succeeded");
    } catch (const FtpAborted &) {
        QFAIL("reported as cancelled");
    } catch (const Error &e) {
        QVERIFY2(clock.elapsed() < 10000, qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("stalled")), qPrintable(e.message()));
    }
    QCOMPARE(readBytes(target), QByteArray("old\n"));
    QCOMPARE(QDir(m_local->path()).entryList(QDir::Files).size(), 1);
}

void TestFtpClient::serverStoppedBetweenConnectAndPut()
{
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);
    client.changeDir(QStringLiteral("/"));
    server->stop();
    QTest::qWait(100);
    QVERIFY(!client.connected());

    writeBytes(m_local->filePath(QStringLiteral("O3.NC")), "G0\n");
    QElapsedTimer clock;
    clock.start();
    try {
        client.put(m_local->filePath(QStringLiteral("O3.NC")), QStringLiteral("O3.NC"));
        QFAIL("uploading to a stopped server succeeded");
    } catch (const FtpAborted &) {
        QFAIL("reported as cancelled");
    } catch (const Error &e) {
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(!client.connected());
}

void TestFtpClient::disconnectFromFrozenServerIsBounded()
{
    auto server = startServer();
    FtpClient client;
    connectClient(client, *server);
    server->freeze(true); // still connected, never answers QUIT
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(100);
    QElapsedTimer clock;
    clock.start();
    client.disconnectFromHost();
    QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(ticks > 0);
    QVERIFY(!client.connected());
    server->freeze(false);
}

void TestFtpClient::progressSignalsInOrder()
{
    const QByteArray content = randomBytes(1024 * 1024);
    writeBytes(remote(QStringLiteral("P.NC")), content);
    writeBytes(m_local->filePath(QStringLiteral("UP.NC")), content);
    auto server = startServer({QStringLiteral("--write-limit"), QStringLiteral("500000")});
    FtpClient client;
    connectClient(client, *server);
    client.setTransferType(FtpClient::TransferType::Binary);

    QStringList events;
    QList<qint64> values;
    connect(&client, &FtpClient::workBegin, this, [&](FtpClient::WorkMode mode, qint64 total) {
        events << (mode == FtpClient::WorkMode::Read ? QStringLiteral("begin read") : QStringLiteral("begin write"));
        values << total;
    });
    connect(&client, &FtpClient::work, this, [&](FtpClient::WorkMode mode, qint64 done) {
        events << (mode == FtpClient::WorkMode::Read ? QStringLiteral("work read") : QStringLiteral("work write"));
        values << done;
    });
    connect(&client, &FtpClient::workEnd, this, [&](FtpClient::WorkMode mode) {
        events << (mode == FtpClient::WorkMode::Read ? QStringLiteral("end read") : QStringLiteral("end write"));
        values << -1;
    });

    const auto check = [&](const QString &direction, qint64 total) {
        QVERIFY2(events.size() >= 4, qPrintable(events.join(QLatin1Char(','))));
        QCOMPARE(events.first(), QStringLiteral("begin ") + direction);
        QCOMPARE(values.first(), total);
        QCOMPARE(events.last(), QStringLiteral("end ") + direction);
        qint64 previous = 0;
        for (qsizetype i = 1; i + 1 < events.size(); ++i) {
            QCOMPARE(events[i], QStringLiteral("work ") + direction);
            QVERIFY(values[i] >= previous);
            previous = values[i];
        }
        QCOMPARE(values[values.size() - 2], total);
    };

    client.get(QStringLiteral("P.NC"), m_local->filePath(QStringLiteral("P.NC")));
    check(QStringLiteral("read"), content.size());
    events.clear();
    values.clear();
    // Uploads run at loopback speed; progress may then come as one step.
    client.put(m_local->filePath(QStringLiteral("UP.NC")), QStringLiteral("UP.NC"));
    QVERIFY(events.size() >= 3);
    QCOMPARE(events.first(), QStringLiteral("begin write"));
    QCOMPARE(values.first(), qint64(content.size()));
    QCOMPARE(events.last(), QStringLiteral("end write"));
    QCOMPARE(values[values.size() - 2], qint64(content.size()));
    events.clear();
    values.clear();
    // A listing is a read of unknown size.
    client.list();
    QVERIFY(events.size() >= 3);
    QCOMPARE(events.first(), QStringLiteral("begin read"));
    QCOMPARE(values.first(), qint64(0));
    QCOMPARE(events.last(), QStringLiteral("end read"));
}

void TestFtpClient::uploadToSlowServerStaysLive_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bytesPerSecond");
    QTest::addColumn<int>("responseTimeout");

    // Small enough to sit whole in the socket buffers: the client has nothing left
    // to write long before the server has read it.
    QTest::newRow("10 KB/s, 50 KB") << 50 * 1024 << 10 * 1024 << 60;
    // The server takes longer to read what is buffered than the reply time-out:
    // it is still reading, so that is not a time-out.
    QTest::newRow("20 KB/s, 60 KB, 1 s reply time-out") << 60 * 1024 << 20 * 1024 << 1;
}

void TestFtpClient::uploadToSlowServerStaysLive()
{
    QFETCH(int, size);
    QFETCH(int, bytesPerSecond);
    QFETCH(int, responseTimeout);

    const QByteArray content = randomBytes(size);
    writeBytes(m_local->filePath(QStringLiteral("UP.NC")), content);
    auto server = startServer({QStringLiteral("--read-limit"), QString::number(bytesPerSecond)});
    FtpClient client;
    connectClient(client, *server);
    client.setResponseTimeoutSeconds(responseTimeout);
    client.setTransferType(FtpClient::TransferType::Binary);

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
    ticker.start(100);
    int works = 0;
    qint64 last = 0;
    bool decreased = false;
    connect(&client, &FtpClient::work, this, [&](FtpClient::WorkMode, qint64 done) {
        ++works;
        decreased = decreased || done < last;
        last = done;
    });
    QElapsedTimer clock;
    clock.start();
    try {
        client.put(m_local->filePath(QStringLiteral("UP.NC")), QStringLiteral("UP.NC"));
    } catch (const Error &e) {
        QFAIL(qPrintable(e.message()));
    }
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(readBytes(remote(QStringLiteral("UP.NC"))), content);
    QCOMPARE(last, qint64(size));
    QVERIFY(!decreased);
    // The upload lasts seconds (the server reads slowly); a timer of 100 ms and
    // the progress must have gone on all along, not once at the end.
    const qint64 expectedTicks = elapsed / 100;
    QVERIFY2(expectedTicks >= 10, qPrintable(QString::number(elapsed)));
    QVERIFY2(ticks >= expectedTicks / 2, qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(elapsed)));
    QVERIFY2(works >= elapsed / 500, qPrintable(QStringLiteral("%1 progress reports in %2 ms").arg(works).arg(elapsed)));
    QVERIFY(client.connected());
}

void TestFtpClient::cancelDuringSlowUploadActsAtOnce()
{
    const int size = 300 * 1024;
    const int bytesPerSecond = 10 * 1024;
    writeBytes(m_local->filePath(QStringLiteral("UP.NC")), randomBytes(size));
    auto server = startServer({QStringLiteral("--read-limit"), QString::number(bytesPerSecond)});
    FtpClient client;
    connectClient(client, *server);
    client.setTransferType(FtpClient::TransferType::Binary);

    int ticksAfterCancel = -1;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (ticksAfterCancel >= 0)
            ++ticksAfterCancel;
    });
    ticker.start(50);
    QElapsedTimer clock;
    QTimer::singleShot(1500, &client, [&] {
        ticksAfterCancel = 0;
        clock.start();
        client.abort();
    });
    QVERIFY_THROWS_EXCEPTION(FtpAborted, client.put(m_local->filePath(QStringLiteral("UP.NC")), QStringLiteral("UP.NC")));
    // Cancel was seen at all (the event got through) and stopped the upload long
    // before the server would have read the whole file (30 s at its speed).
    QVERIFY(ticksAfterCancel >= 0);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(ticksAfterCancel <= 10, qPrintable(QString::number(ticksAfterCancel)));
    QTest::qWait(300);
    QVERIFY(QFileInfo(remote(QStringLiteral("UP.NC"))).size() < size);
}

void TestFtpClient::sizeAndDownloadIntoADevice_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("knowsSize");
    QTest::newRow("server with SIZE") << QStringList() << true;
    QTest::newRow("server without SIZE") << QStringList{QStringLiteral("--no-size")} << false;
}

void TestFtpClient::sizeAndDownloadIntoADevice()
{
    QFETCH(QStringList, options);
    QFETCH(bool, knowsSize);
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3000000; ++i)
        bytes += "N" + QByteArray::number(i) + " X1\r\n";
    TestSupport::writeBytes(remote(QStringLiteral("O1.nc")), bytes);
    const auto server = startServer(options);
    FtpClient client;
    connectClient(client, *server);
    client.setTransferType(FtpClient::TransferType::Binary);
    QCOMPARE(client.size(QStringLiteral("O1.nc")), knowsSize ? qint64(bytes.size()) : qint64(-1));
    // A missing file is no size, not a failure; the connection stays usable.
    QCOMPARE(client.size(QStringLiteral("none.nc")), qint64(-1));
    QBuffer memory;
    memory.open(QIODevice::WriteOnly);
    client.get(QStringLiteral("O1.nc"), &memory);
    QCOMPARE(memory.data(), bytes);
    QVERIFY(client.connected());
    QVERIFY_THROWS_EXCEPTION(Error, client.get(QStringLiteral("none.nc"), &memory));
}

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
