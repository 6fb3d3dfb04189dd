#include "TestSupport.h"
#include "lang/Texts.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Error.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// The machine database going wrong under a running application: every statement
// must fail with a message naming the file and the reason, and never pass for done.
class tst_DatabaseFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void faultWhileRunning_data();
    void faultWhileRunning();
    void notConnectedIsTranslated();
    void emptyFileAtStartNamesFile();

private:
    MachineRecord machine(const QString &number) const;
    int machineCount(const QString &path);
    // The first part of an extra text with the file filled in: what a message
    // built from it starts with, whatever the engine's own words after it.
    static QString head(const char *id, const QString &file);

    QTemporaryDir m_dir;
    QString m_path;
    QString m_id;
    int m_count = 0;
    QSqlDatabase m_locker;
};

MachineRecord tst_DatabaseFaults::machine(const QString &number) const
{
    MachineRecord m;
    m.number = number;
    m.description = QStringLiteral("Mill ") + number;
    m.transferType = QStringLiteral("DIRLOCAL");
    m.pictureId = QStringLiteral("1");
    m.programDirectory = QStringLiteral("/cnc/");
    return m;
}

int tst_DatabaseFaults::machineCount(const QString &path)
{
    int n = -1;
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        raw.setDatabaseName(path);
        if (raw.open()) {
            QSqlQuery q(raw);
            if (q.exec(QStringLiteral("SELECT COUNT(*) FROM ZVRD_MAQUINAS")) && q.next())
                n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return n;
}

QString tst_DatabaseFaults::head(const char *id, const QString &file)
{
    const QString text = Texts::extra(id);
    const int engine = text.indexOf(QStringLiteral("%2"));
    return (engine < 0 ? text : text.left(engine)).arg(file);
}

void tst_DatabaseFaults::initTestCase() { Texts::FUNC_Textos_EN(); }

void tst_DatabaseFaults::init()
{
    m_path = m_dir.filePath(QStringLiteral("m%1.db").arg(++m_count));
    DatabaseSchema::createDatabase(m_path, false);
    TDataModule1::instance().DataModuleCreate(m_path);
    m_id = TDataModule1::instance().insertMachine(machine(QStringLiteral("1")));
}

void tst_DatabaseFaults::cleanup()
{
    if (m_locker.isValid()) {
        QSqlQuery(m_locker).exec(QStringLiteral("ROLLBACK"));
        m_locker.close();
        m_locker = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    }
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

void tst_DatabaseFaults::faultWhileRunning_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason"); // the extra text the message is built from
    QTest::newRow("deleted") << "deleted" << "Extra.DatabaseGone";
    QTest::newRow("replaced by another file") << "replaced" << "Extra.DatabaseReplaced";
    QTest::newRow("locked by another connection") << "locked" << "Extra.DatabaseLocked";
    QTest::newRow("read-only file") << "read-only file" << "Extra.DatabaseReadOnly";
    QTest::newRow("read-only connection") << "read-only connection" << "Extra.DatabaseReadOnly";
    QTest::newRow("header overwritten") << "corrupt" << "Extra.DatabaseDamaged";
    QTest::newRow("emptied") << "emptied" << "Extra.DatabaseDamaged";
}

void tst_DatabaseFaults::faultWhileRunning()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    TDataModule1 &db = TDataModule1::instance();
    bool writesOnly = false;
    if (fault == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(m_path));
    } else if (fault == QLatin1String("replaced")) {
        const QString other = m_dir.filePath(QStringLiteral("other%1.db").arg(m_count));
        DatabaseSchema::createDatabase(other, false);
        QCOMPARE(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(m_path).constData()), 0);
    } else if (fault == QLatin1String("locked")) {
        m_locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        m_locker.setDatabaseName(m_path);
        QVERIFY(m_locker.open());
        QVERIFY(QSqlQuery(m_locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    } else if (fault == QLatin1String("read-only file")) {
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("Running as root: the file mode does not stop root's writes (the read-only connection row "
                  "covers the engine's refusal).");
#endif
        // A mode change reaches a connection when it opens the file, as at the next start.
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        db.DataModuleCreate(m_path);
        writesOnly = true;
    } else if (fault == QLatin1String("read-only connection")) {
        // The engine refuses writes on this connection as on a write-protected file.
        QSqlQuery q(QSqlDatabase::database(QLatin1String(TDataModule1::MainConnection)));
        QVERIFY(q.exec(QStringLiteral("PRAGMA query_only=1")));
        writesOnly = true;
    } else if (fault == QLatin1String("corrupt")) {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QCOMPARE(f.write(QByteArray(100, 'x')), qint64(100));
    } else if (fault == QLatin1String("emptied")) {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(0));
    }

    const QString expected = head(qPrintable(reason), m_path);
    QVERIFY(!expected.isEmpty());
    MachineRecord changed = machine(QStringLiteral("2"));
    changed.id = m_id;
    const QList<QPair<const char *, std::function<void()>>> operations{
        {"insert", [&] { db.insertMachine(machine(QStringLiteral("3"))); }},
        {"update", [&] { (void)db.updateMachine(changed); }},
        {"parameter insert", [&] { db.insertPathParameters(m_id, {QStringLiteral("/share/")}); }},
        {"delete", [&] { db.deleteMachine(m_id); }},
        {"list", [&] { db.filteredMachines(QString(), QString()); }},
        {"load", [&] { db.loadMachine(m_id); }},
    };
    for (const auto &op : operations) {
        const bool isRead = qstrcmp(op.first, "list") == 0 || qstrcmp(op.first, "load") == 0;
        if (writesOnly && isRead) {
            op.second(); // reading a write-protected database works
            continue;
        }
        try {
            op.second();
            QFAIL(qPrintable(QStringLiteral("%1 passed for done").arg(QLatin1String(op.first))));
        } catch (const Error &e) {
            QVERIFY2(e.message().startsWith(expected),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(op.first), e.message())));
        }
    }

    // Where the file is still there, it holds what it held before.
    if (fault == QLatin1String("locked")) {
        QSqlQuery(m_locker).exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(machineCount(m_path), 1);
        QCOMPARE(db.loadMachine(m_id)->number, QStringLiteral("1"));
    } else if (writesOnly) {
        QCOMPARE(db.loadMachine(m_id)->number, QStringLiteral("1"));
        QCOMPARE(db.allMachines().size(), 1);
    }
}

void tst_DatabaseFaults::notConnectedIsTranslated()
{
    const QString missing = m_dir.filePath(QStringLiteral("absent.db"));
    QVERIFY_THROWS_EXCEPTION(Error, TDataModule1::instance().DataModuleCreate(missing));
    Texts::FUNC_Textos_DE();
    try {
        TDataModule1::instance().allMachines();
        QFAIL("listed machines without a connection");
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("FEHLER: Die Maschinendatenbank \"%1\" ist nicht verbunden.").arg(missing));
    }
    Texts::FUNC_Textos_EN();
}

// An empty file opens as an empty database: its first statement must say which
// file is not a machine database.
void tst_DatabaseFaults::emptyFileAtStartNamesFile()
{
    const QString empty = m_dir.filePath(QStringLiteral("empty.db"));
    TestSupport::writeBytes(empty, QByteArray());
    TDataModule1::instance().DataModuleCreate(empty);
    try {
        TDataModule1::instance().allMachines();
        QFAIL("listed machines from an empty file");
    } catch (const Error &e) {
        QVERIFY2(e.message().startsWith(head("Extra.DatabaseDamaged", empty)), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("ZVRD_MAQUINAS")), qPrintable(e.message()));
    }
    QCOMPARE(TestSupport::readBytes(empty), QByteArray());
}

QTEST_GUILESS_MAIN(tst_DatabaseFaults)
#include "tst_databasefaults.moc"
