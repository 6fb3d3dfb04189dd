#include "TestSupport.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Error.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class tst_Database : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void missingFileIsNeverCreated();
    void notADatabaseFailsOnFirstStatement();
    void databaseWithoutTablesFails();
    void trialConnectionRejectsNonDatabases();
    void lockedDatabaseReportsEngineText();

private:
    QString newDatabase(bool demo = false);
    QTemporaryDir m_dir;
    int m_count = 0;
    TDataModule1 &db() { return TDataModule1::instance(); }
    MachineRecord machine(const QString &number, const QString &description)
    {
        MachineRecord m;
        m.number = number;
        m.description = description;
        m.transferType = QStringLiteral("FTP");
        m.pictureId = QStringLiteral("3");
        m.programDirectory = QStringLiteral("/cnc/progs/");
        return m;
    }
};

QString tst_Database::newDatabase(bool demo)
{
    const QString path = m_dir.filePath(QStringLiteral("m%1.db").arg(++m_count));
    DatabaseSchema::createDatabase(path, demo, m_dir.path());
    return path;
}

void tst_Database::init() { db().DataModuleCreate(newDatabase()); }

void tst_Database::missingFileIsNeverCreated()
{
    const QString missing = m_dir.filePath(QStringLiteral("absent.db"));
    try {
        db().DataModuleCreate(missing);
        QFAIL("opened a missing file");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!db().isOpen());
    QVERIFY_THROWS_EXCEPTION(Error, db().allMachines());
}

void tst_Database::notADatabaseFailsOnFirstStatement()
{
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    TestSupport::writeBytes(text, "G0 X10\nthis is a text file, not a database\n");
    try {
        db().DataModuleCreate(text);
        db().allMachines();
        QFAIL("a text file served as database");
    } catch (const Error &e) {
        QVERIFY2(!e.message().isEmpty(), "the engine's text is shown");
    }
    QCOMPARE(TestSupport::readBytes(text), QByteArray("G0 X10\nthis is a text file, not a database\n"));
}

void tst_Database::databaseWithoutTablesFails()
{
    const QString empty = m_dir.filePath(QStringLiteral("empty.db"));
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        raw.setDatabaseName(empty);
        QVERIFY(raw.open());
        QSqlQuery(raw).exec(QStringLiteral("CREATE TABLE OTHER (A INTEGER)"));
        raw.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    db().DataModuleCreate(empty);
    try {
        db().allMachines();
        QFAIL("listed machines from a database without the machine table");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("ZVRD_MAQUINAS")), qPrintable(e.message()));
    }
}

void tst_Database::trialConnectionRejectsNonDatabases()
{
    const QString text = m_dir.filePath(QStringLiteral("t.txt"));
    TestSupport::writeBytes(text, "hello");
    QVERIFY_THROWS_EXCEPTION(Error, TDataModule1::trialConnection(text));
    QVERIFY_THROWS_EXCEPTION(Error, TDataModule1::trialConnection(m_dir.filePath(QStringLiteral("none.db"))));
    TDataModule1::trialConnection(newDatabase(true));
    QVERIFY(!QSqlDatabase::contains(QLatin1String(TDataModule1::TrialConnection)));
}

void tst_Database::lockedDatabaseReportsEngineText()
{
    const QString path = newDatabase();
    db().DataModuleCreate(path);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    other.setDatabaseName(path);
    QVERIFY(other.open());
    QSqlQuery lock(other);
    QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    try {
        db().insertMachine(machine(QStringLiteral("1"), QStringLiteral("M")));
        QFAIL("wrote into a locked database");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("locked")), qPrintable(e.message()));
    }
    lock.exec(QStringLiteral("ROLLBACK"));
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
}

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
