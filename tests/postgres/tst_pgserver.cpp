#include "PgTestServer.h"
#include "TestSupport.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/ServerAddress.h"
#include "platform/Error.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

// The register on a PostgreSQL server: moving it there and back, the other
// workstations' changes, and the server or the password failing.
class tst_PgServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void addresses_data();
    void addresses();
    void newdbOnServer();
    void copyToServerAndBackIsExact();
    void copyRefusesRegisterWithMachines();
    void otherWorkstationsAreTold();
    void serverRestartedBetweenTwoActions();
    void serverAwayThenBack();
    void passwordAskedOnceAndKeptInMemory();
    void wrongPasswordAndCancelledPrompt();
    void unreachableHostFailsWithinTimeout();

private:
    QString newServerDatabase();
    QString newdb() const { return QStringLiteral(ZAVRIN_RUN_DIR "/zavrin-newdb"); }
    // Every row of the four tables, column by column, as text (dates to the millisecond).
    QStringList dump(const QString &location);
    QTemporaryDir m_dir;
    PgTestServer m_server;
    int m_count = 0;
    TDataModule1 &db() { return TDataModule1::instance(); }
};

void tst_PgServer::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void tst_PgServer::cleanupTestCase()
{
    db().setChangeListener(nullptr);
    QSqlDatabase::removeDatabase(QLatin1String(TDataModule1::MainConnection));
    m_server.stop();
}

void tst_PgServer::init()
{
    TDataModule1::setPasswordPrompt(nullptr);
    TDataModule1::forgetPasswords();
    if (!m_server.isRunning()) {
        QString error;
        QVERIFY2(m_server.start(&error), qPrintable(error));
    }
}

QString tst_PgServer::newServerDatabase()
{
    const QString name = QStringLiteral("db%1").arg(++m_count);
    QString error;
    if (!m_server.createDatabase(name, &error))
        throw Error(error);
    return name;
}

void tst_PgServer::addresses_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("server");

    const QString keepalives = QStringLiteral(
        "keepalives_idle=10;keepalives_interval=5;keepalives_count=3;tcp_user_timeout=25000");
    QTest::newRow("plain") << "postgresql://op@db.shop:5433/zavrin" << true << "connect_timeout=5;" + keepalives
                           << "db.shop:5433/zavrin";
    QTest::newRow("short scheme, libpq parameters passed")
        << "postgres://op@db/zavrin?sslmode=require&application_name=dnc" << true
        << "sslmode=require;application_name=dnc;connect_timeout=5;" + keepalives << "db/zavrin";
    QTest::newRow("own connect time-out kept")
        << "postgresql://db/z?connect_timeout=2&keepalives_idle=60" << true
        << "connect_timeout=2;keepalives_idle=60;keepalives_interval=5;keepalives_count=3;tcp_user_timeout=25000"
        << "db/z";
    QTest::newRow("password in the URL refused") << "postgresql://op:secret@db/zavrin" << false << "" << "";
    QTest::newRow("password parameter refused") << "postgresql://op@db/zavrin?password=x" << false << "" << "";
    QTest::newRow("no database") << "postgresql://op@db:5432/" << false << "" << "";
    QTest::newRow("blank in a value") << "postgresql://db/z?application_name=a%20b" << false << "" << "";
}

void tst_PgServer::addresses()
{
    QFETCH(QString, url);
    QFETCH(bool, valid);
    QFETCH(QString, options);
    QFETCH(QString, server);
    QString why;
    const std::optional<ServerAddress> a = ServerAddress::parse(url, &why);
    QCOMPARE(a.has_value(), valid);
    if (!valid) {
        QVERIFY(!why.isEmpty());
        // The setting is refused before anything is sent anywhere, with its reason.
        try {
            db().DataModuleCreate(url);
            QFAIL("a refused address was used");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(url) && e.message().contains(why), qPrintable(e.message()));
        }
        return;
    }
    QCOMPARE(a->connectOptions(), options);
    QCOMPARE(a->serverName(), server);
}

void tst_PgServer::newdbOnServer()
{
    const QString url = m_server.url(newServerDatabase());
    QProcess p;
    p.start(newdb(), {url, QStringLiteral("--demo"), QStringLiteral("--root"), m_dir.path()});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    db().DataModuleCreate(url);
    const QList<MachineRecord> all = db().allMachines();
    QCOMPARE(all.size(), 7);
    QCOMPARE(db().loadSerialParameters(all.at(3).id).port, QStringLiteral("COM1"));
    // A second run never touches the register it made.
    p.start(newdb(), {url});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains("holds a machine register already"));
    QCOMPARE(db().allMachines().size(), 7);
}

QStringList tst_PgServer::dump(const QString &location)
{
    QStringList out;
    const QString name = QStringLiteral("dump");
    {
        QSqlDatabase d = TDataModule1::openConnection(name, location);
        const TDataModule1::Engine engine = TDataModule1::engineOf(d);
        for (const char *table : {"ZVRD_MAQUINAS", "ZVRD_PATH", "ZVRD_FTP", "ZVRD_SERIAL"}) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(QLatin1String(table)));
            while (q.next()) {
                QStringList row{QLatin1String(table)};
                for (int i = 0; i < q.record().count(); ++i) {
                    const QString column = q.record().fieldName(i).toUpper();
                    const QVariant v = q.value(i);
                    if (v.isNull())
                        row << QStringLiteral("NULL");
                    else if (column.startsWith(QLatin1String("DATA_")))
                        row << TDataModule1::dateRead(engine, v).toDateTime().toString(Qt::ISODateWithMs);
                    else
                        row << column + QLatin1Char('=') + v.toString();
                }
                out << row.join(QLatin1Char('|'));
            }
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

// A shop moves its register onto the server and keeps a backup file: ids, the
// parameter rows of deleted machines, texts with quotes and the dates come back
// exactly, and new machines are numbered after every id that was copied.
void tst_PgServer::copyToServerAndBackIsExact()
{
    const QString file = m_dir.filePath(QStringLiteral("shop.db"));
    DatabaseSchema::createDatabase(file, true, m_dir.path());
    db().DataModuleCreate(file);
    MachineRecord m;
    m.number = QStringLiteral("77'\"%_");
    m.description = QStringLiteral("Fräse \"Ö\" O'Neil\\");
    m.transferType = QStringLiteral("FTP");
    m.pictureId = QStringLiteral("7");
    m.programDirectory = QStringLiteral("C:\\CNC\\Fräse\\");
    const QString id = db().insertMachine(m);
    db().insertFtpParameters(id, {QStringLiteral("/nc"), QStringLiteral("h"), QStringLiteral("u"), QStringLiteral("p'w"),
                                  QStringLiteral("21")});
    // The last machine deleted: its parameter row stays behind with its id.
    const QString last = db().insertMachine(m);
    db().insertPathParameters(last, {QStringLiteral("/orphan/")});
    QVERIFY(db().deleteMachine(last));
    QSqlDatabase::removeDatabase(QLatin1String(TDataModule1::MainConnection));

    const QString url = m_server.url(newServerDatabase());
    const DatabaseSchema::CopyCount n = DatabaseSchema::copyDatabase(file, url, false);
    QCOMPARE(n.machines, 8);
    QCOMPARE(n.ftpRows, 3);
    QCOMPARE(dump(url), dump(file));

    const QString back = m_dir.filePath(QStringLiteral("backup.db"));
    DatabaseSchema::copyDatabase(url, back, false);
    QCOMPARE(dump(back), dump(file));
    // The file's bytes as the application reads them: the same texts as stored.
    {
        QSqlDatabase a = TDataModule1::openConnection(QStringLiteral("a"), file);
        QSqlDatabase b = TDataModule1::openConnection(QStringLiteral("b"), back);
        QSqlQuery qa(a), qb(b);
        qa.exec(QStringLiteral("SELECT DATA_CRIACAO, DATA_ALTERACAO, typeof(ID_IMAGEM) FROM ZVRD_MAQUINAS ORDER BY 1"));
        qb.exec(QStringLiteral("SELECT DATA_CRIACAO, DATA_ALTERACAO, typeof(ID_IMAGEM) FROM ZVRD_MAQUINAS ORDER BY 1"));
        while (qa.next()) {
            QVERIFY(qb.next());
            for (int i = 0; i < 3; ++i)
                QCOMPARE(qb.value(i).toString().toUtf8(), qa.value(i).toString().toUtf8());
        }
        QVERIFY(!qb.next());
    }
    QSqlDatabase::removeDatabase(QStringLiteral("a"));
    QSqlDatabase::removeDatabase(QStringLiteral("b"));

    for (const QString &location : {url, back}) {
        db().DataModuleCreate(location);
        const QString next = db().insertMachine(m);
        QVERIFY2(next.toInt() > last.toInt(), qPrintable(location + QLatin1Char(' ') + next));
        QVERIFY(!db().hasParameterRow(QStringLiteral("ZVRD_PATH"), next));
        QSqlDatabase::removeDatabase(QLatin1String(TDataModule1::MainConnection));
    }
}

void tst_PgServer::copyRefusesRegisterWithMachines()
{
    const QString file = m_dir.filePath(QStringLiteral("demo.db"));
    if (!QFile::exists(file))
        DatabaseSchema::createDatabase(file, true, m_dir.path());
    const QString url = m_server.url(newServerDatabase());
    DatabaseSchema::createDatabase(url, true, m_dir.path(), 3);
    const QStringList before = dump(url);
    QProcess p;
    p.start(newdb(), {QStringLiteral("--copy"), file, url});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(p.readAllStandardError().contains("holds 10 machines already; give --replace"), "refusal names the count");
    QCOMPARE(dump(url), before);

    p.start(newdb(), {QStringLiteral("--copy"), file, url, QStringLiteral("--replace")});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QVERIFY(p.readAllStandardOutput().contains("copied 7 machines"));
    QCOMPARE(dump(url), dump(file));

    // A failed copy into a new file leaves no file behind.
    const QString none = m_dir.filePath(QStringLiteral("never.db"));
    QVERIFY_THROWS_EXCEPTION(Error, DatabaseSchema::copyDatabase(m_server.url(QStringLiteral("absent")), none, false));
    QVERIFY(!QFile::exists(none));
}

// Workstation A listens; B (a second connection) changes a machine and says so
// the way the application does. And A's own changes reach B.
void tst_PgServer::otherWorkstationsAreTold()
{
    const QString url = m_server.url(newServerDatabase());
    DatabaseSchema::createDatabase(url, true, m_dir.path());
    db().DataModuleCreate(url);
    QStringList heard;
    db().setChangeListener([&heard](const QString &id) { heard << id; });

    {
        QSqlDatabase b = TDataModule1::openConnection(QStringLiteral("B"), url);
        QStringList heardAtB;
        QVERIFY(b.driver()->subscribeToNotification(QStringLiteral("zavrin_machines")));
        connect(b.driver(), &QSqlDriver::notification, this,
                [&heardAtB](const QString &, QSqlDriver::NotificationSource source, const QVariant &id) {
                    if (source == QSqlDriver::OtherSource)
                        heardAtB << id.toString();
                });
        QSqlQuery q(b);
        QVERIFY(q.exec(QStringLiteral("SELECT pg_notify('zavrin_machines', '3')")));
        QTRY_COMPARE_WITH_TIMEOUT(heard, QStringList{QStringLiteral("3")}, 2000);

        MachineRecord m = *db().loadMachine(QStringLiteral("2"));
        m.description = QStringLiteral("renamed at A");
        QCOMPARE(db().updateMachineIfUnchanged(m), TDataModule1::UpdateOutcome::Updated);
        QTRY_COMPARE_WITH_TIMEOUT(heardAtB, QStringList{QStringLiteral("2")}, 2000);
        // A does not hear its own change.
        QTest::qWait(200);
        QCOMPARE(heard.size(), 1);
        b.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("B"));
    db().setChangeListener(nullptr);
}

// The server restarts while the workstation is idle: the next read and the next
// change work without a message, and the notifications still arrive.
void tst_PgServer::serverRestartedBetweenTwoActions()
{
    const QString url = m_server.url(newServerDatabase());
    DatabaseSchema::createDatabase(url, true, m_dir.path());
    db().DataModuleCreate(url);
    QCOMPARE(db().allMachines().size(), 7);
    QString error;
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QCOMPARE(db().allMachines().size(), 7);

    QVERIFY2(m_server.stop(&error), qPrintable(error));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    MachineRecord m = *db().loadMachine(QStringLiteral("1"));
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m.description = QStringLiteral("after restart");
    QCOMPARE(db().updateMachineIfUnchanged(m), TDataModule1::UpdateOutcome::Updated);
    QCOMPARE(db().loadMachine(QStringLiteral("1"))->description, QStringLiteral("after restart"));

    QStringList heard;
    db().setChangeListener([&heard](const QString &id) { heard << id; });
    QVERIFY(m_server.exec(url.section(QLatin1Char('/'), -1), QStringLiteral("SELECT pg_notify('zavrin_machines', '5')"),
                          &error));
    QTRY_COMPARE_WITH_TIMEOUT(heard, QStringList{QStringLiteral("5")}, 2000);
    db().setChangeListener(nullptr);
}

// While the server is away every action fails at once with the server's name;
// once it is back the next action works.
void tst_PgServer::serverAwayThenBack()
{
    const QString url = m_server.url(newServerDatabase(), PgTestServer::superuser(), QStringLiteral("connect_timeout=3"));
    DatabaseSchema::createDatabase(url, true, m_dir.path());
    db().DataModuleCreate(url);
    QString error;
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    for (int i = 0; i < 2; ++i) {
        QCoreApplication::processEvents(); // two actions of the user
        QElapsedTimer t;
        t.start();
        try {
            db().filteredMachines(QStringLiteral("Lathe"), QString());
            QFAIL("listed machines without a server");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(url), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(QLatin1String("ERROR: The ")), qPrintable(e.message()));
        }
        QVERIFY2(t.elapsed() < 10000, "a stopped server on this machine is told at once");
    }
    MachineRecord m = *std::optional<MachineRecord>(MachineRecord{QStringLiteral("1"), QStringLiteral("1001"),
                                                                  QStringLiteral("x"), QStringLiteral("FTP"),
                                                                  QStringLiteral("1"), QStringLiteral("/"), {}, {}});
    QVERIFY_THROWS_EXCEPTION(Error, (void)db().updateMachine(m));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QCoreApplication::processEvents(); // the user's next action
    QCOMPARE(db().filteredMachines(QStringLiteral("Lathe"), QString()).size(), 1);

    // Away when the program starts: the start-up error, then the first action
    // after the server is back connects by itself.
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    QVERIFY_THROWS_EXCEPTION(Error, db().DataModuleCreate(url));
    QElapsedTimer t;
    t.start();
    QVERIFY_THROWS_EXCEPTION(Error, db().allMachines());
    QVERIFY_THROWS_EXCEPTION(Error, db().loadMachine(QStringLiteral("1")));
    QVERIFY2(t.elapsed() < 1000, "within one action the server is not waited for again");
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QCoreApplication::processEvents();
    QCOMPARE(db().allMachines().size(), 7);
}

void tst_PgServer::passwordAskedOnceAndKeptInMemory()
{
    const QString name = newServerDatabase();
    QString error;
    QVERIFY2(m_server.createRole(QStringLiteral("operator"), QStringLiteral("op-pass"), name, &error), qPrintable(error));
    const QString url = m_server.url(name, QStringLiteral("operator"));
    DatabaseSchema::createDatabase(m_server.url(name), true, m_dir.path());
    QVERIFY(m_server.exec(name, QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO operator; "
                                               "GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO operator"),
                          &error));
    QStringList asked;
    TDataModule1::setPasswordPrompt([&asked](const QString &user, const QString &server) -> std::optional<QString> {
        asked << user + QLatin1Char('@') + server;
        return QStringLiteral("op-pass");
    });
    db().DataModuleCreate(url);
    QCOMPARE(asked, QStringList{QStringLiteral("operator@127.0.0.1:%1/%2").arg(m_server.port()).arg(name)});
    QCOMPARE(db().allMachines().size(), 7);
    // A restart: the connection comes back with the password typed, not asking again.
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QCOMPARE(db().allMachines().size(), 7);
    TDataModule1::trialConnection(url);
    QCOMPARE(asked.size(), 1);
    // Never written: not into the settings (the caller writes the URL only), not into the folder.
    QVERIFY(!db().databaseFile().contains(QLatin1String("op-pass")));
}

void tst_PgServer::wrongPasswordAndCancelledPrompt()
{
    const QString name = newServerDatabase();
    QString error;
    QVERIFY2(m_server.createRole(QStringLiteral("guest%1").arg(m_count), QStringLiteral("right"), name, &error),
             qPrintable(error));
    const QString url = m_server.url(name, QStringLiteral("guest%1").arg(m_count));
    int asked = 0;
    TDataModule1::setPasswordPrompt([&asked](const QString &, const QString &) -> std::optional<QString> {
        ++asked;
        return QStringLiteral("wrong");
    });
    QElapsedTimer t;
    t.start();
    try {
        db().DataModuleCreate(url);
        QFAIL("connected with a wrong password");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(url) && e.message().contains(QLatin1String("password authentication failed")),
                 qPrintable(e.message()));
    }
    QCOMPARE(asked, 1);
    QVERIFY(t.elapsed() < 10000);
    TDataModule1::setPasswordPrompt([](const QString &, const QString &) { return std::optional<QString>(); });
    try {
        TDataModule1::trialConnection(url);
        QFAIL("connected without a password");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QLatin1String("no password supplied")), qPrintable(e.message()));
    }
}

void tst_PgServer::unreachableHostFailsWithinTimeout()
{
    // TEST-NET-1 never answers (or the network says at once it is unreachable).
    const QString url = QStringLiteral("postgresql://op@192.0.2.1:5432/zavrin?connect_timeout=2");
    QElapsedTimer t;
    t.start();
    try {
        TDataModule1::trialConnection(url);
        QFAIL("reached an unreachable host");
    } catch (const Error &e) {
        QVERIFY2(e.message().startsWith(QLatin1String("ERROR: The machine database server \"") + url),
                 qPrintable(e.message()));
    }
    QVERIFY2(t.elapsed() < 6000, qPrintable(QString::number(t.elapsed())));
}

QTEST_GUILESS_MAIN(tst_PgServer)
#include "tst_pgserver.moc"
