#include "PgTestServer.h"
#include "TestSupport.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Error.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// The statements of the machine register, run from the same test data on both
// engines: a SQLite file and a database of a PostgreSQL server started here.
class tst_DatabaseEngines : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void initTestCase_data();
    void init();
    void cleanupTestCase();
    void insertReturnsNewIdAndStoresTextsAsTyped();
    void updateStoresQuotesAndChangesDate();
    void deleteLeavesParameterRows();
    void filter_data();
    void filter();
    void caseOfEveryLetter_data();
    void caseOfEveryLetter();
    void selectionWindowFilter();
    void parameterRowsByPosition();
    void missingParameterRowReadsEmpty();
    void changeElsewhereIsNeverOverwritten();
    void deletedElsewhere();
    void datesAreTheWorkstationsLocalTime();

private:
    // A new empty register of the engine of the current row.
    QString newRegister();
    // A second connection to the same register: another workstation.
    QSqlDatabase otherWorkstation();
    QTemporaryDir m_dir;
    PgTestServer m_server;
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

void tst_DatabaseEngines::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void tst_DatabaseEngines::cleanupTestCase()
{
    if (QSqlDatabase::contains(QStringLiteral("other")))
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    TDataModule1::instance().setChangeListener(nullptr);
    QSqlDatabase::removeDatabase(QLatin1String(TDataModule1::MainConnection));
    m_server.stop();
}

void tst_DatabaseEngines::initTestCase_data()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

QString tst_DatabaseEngines::newRegister()
{
    QFETCH_GLOBAL(QString, engine);
    ++m_count;
    if (engine == QLatin1String("sqlite")) {
        const QString path = m_dir.filePath(QStringLiteral("m%1.db").arg(m_count));
        DatabaseSchema::createDatabase(path, false, m_dir.path());
        return path;
    }
    const QString name = QStringLiteral("register%1").arg(m_count);
    QString error;
    if (!m_server.createDatabase(name, &error))
        throw Error(error);
    const QString url = m_server.url(name);
    DatabaseSchema::createDatabase(url, false, m_dir.path());
    return url;
}

void tst_DatabaseEngines::init()
{
    {
        QSqlDatabase other = QSqlDatabase::database(QStringLiteral("other"), false);
        if (other.isValid())
            other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    try {
        db().DataModuleCreate(newRegister());
    } catch (const Error &e) {
        QFAIL(qPrintable(e.message()));
    }
}

QSqlDatabase tst_DatabaseEngines::otherWorkstation()
{
    return TDataModule1::openConnection(QStringLiteral("other"), db().databaseFile());
}

void tst_DatabaseEngines::insertReturnsNewIdAndStoresTextsAsTyped()
{
    const QString first = db().insertMachine(machine(QStringLiteral("10"), QStringLiteral("Mazak's \"big\" lathe")));
    const QString second = db().insertMachine(machine(QStringLiteral("11"), QStringLiteral("Second")));
    QVERIFY(!first.isEmpty());
    QCOMPARE(second.toInt(), first.toInt() + 1);
    const auto loaded = db().loadMachine(first);
    QVERIFY(loaded.has_value());
    QCOMPARE(loaded->description, QStringLiteral("Mazak's \"big\" lathe"));
    QCOMPARE(loaded->number, QStringLiteral("10"));
    QCOMPARE(loaded->transferType, QStringLiteral("FTP"));
    QCOMPARE(loaded->pictureId, QStringLiteral("3"));
    QCOMPARE(loaded->programDirectory, QStringLiteral("/cnc/progs/"));
    QVERIFY(loaded->created.isValid());
    QCOMPARE(loaded->created, loaded->changed);
}

void tst_DatabaseEngines::updateStoresQuotesAndChangesDate()
{
    MachineRecord m = machine(QStringLiteral("10"), QStringLiteral("Mill"));
    m.id = db().insertMachine(m);
    const QDateTime created = db().loadMachine(m.id)->created.toDateTime();
    QTest::qWait(20);
    m.description = QStringLiteral("O'Brien's mill");
    m.transferType = QStringLiteral("SERIAL232");
    QVERIFY(db().updateMachine(m));
    const auto loaded = db().loadMachine(m.id);
    QCOMPARE(loaded->description, QStringLiteral("O'Brien's mill"));
    QCOMPARE(loaded->transferType, QStringLiteral("SERIAL232"));
    QCOMPARE(loaded->created.toDateTime(), created);
    QVERIFY(loaded->changed.toDateTime() > created);
}

void tst_DatabaseEngines::deleteLeavesParameterRows()
{
    const QString id = db().insertMachine(machine(QStringLiteral("10"), QStringLiteral("Mill")));
    db().insertFtpParameters(id, {QStringLiteral("/nc"), QStringLiteral("10.0.0.5"), QStringLiteral("op"),
                                  QStringLiteral("pw"), QStringLiteral("21")});
    db().deleteMachine(id);
    QVERIFY(!db().loadMachine(id).has_value());
    QVERIFY(db().hasParameterRow(QStringLiteral("ZVRD_FTP"), id));
}

void tst_DatabaseEngines::filter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("expected"); // numbers, in order

    QTest::newRow("no filter lists all by number") << "" << "" << QStringList{"100", "20", "3_1", "40", "7\\"};
    QTest::newRow("blanks only count as empty") << "   " << "  " << QStringList{"100", "20", "3_1", "40", "7\\"};
    QTest::newRow("name part, any case") << "LATHE" << "" << QStringList{"20", "40"};
    QTest::newRow("both narrow together") << "lathe" << "4" << QStringList{"40"};
    QTest::newRow("percent is a wildcard") << "big%lathe" << "" << QStringList{"40"};
    QTest::newRow("underscore is a wildcard") << "" << "3_" << QStringList{"3_1"};
    QTest::newRow("double quote matches itself") << "\"big\"" << "" << QStringList{"40"};
    QTest::newRow("quote does not break the statement") << "\" OR 1=1 --" << "" << QStringList{};
    QTest::newRow("single quote") << "o'" << "" << QStringList{"100"};
    QTest::newRow("trimmed") << "  mill " << "" << QStringList{"100"};
    QTest::newRow("backslash is a plain character") << "\\d" << "" << QStringList{"7\\"};
    QTest::newRow("backslash before a wildcard escapes nothing") << "" << "\\%" << QStringList{"7\\"};
    QTest::newRow("underscore matches itself too") << "" << "3_1" << QStringList{"3_1"};
}

void tst_DatabaseEngines::filter()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QStringList, expected);
    db().insertMachine(machine(QStringLiteral("40"), QStringLiteral("The \"big\" lathe")));
    db().insertMachine(machine(QStringLiteral("100"), QStringLiteral("O'Hara mill")));
    db().insertMachine(machine(QStringLiteral("20"), QStringLiteral("small lathe")));
    db().insertMachine(machine(QStringLiteral("3_1"), QStringLiteral("Robot")));
    db().insertMachine(machine(QStringLiteral("7\\"), QStringLiteral("C:\\dnc robot cell")));
    QStringList numbers;
    for (const MachineRecord &m : db().filteredMachines(name, number))
        numbers << m.number;
    QCOMPARE(numbers, expected);
}

// The shop's languages have letters beyond A to Z: the filter and the order of the
// lists ignore their case too.
void tst_DatabaseEngines::caseOfEveryLetter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("expected"); // numbers, in order

    QTest::newRow("order ignores case") << "" << "" << QStringList{"A20", "a5", "B1", "b10", "Ü7"};
    QTest::newRow("ö finds Ö") << "öltek" << "" << QStringList{"A20"};
    QTest::newRow("é finds É and é") << "élan" << "" << QStringList{"B1", "b10"};
    QTest::newRow("É finds é") << "ÉLAN" << "" << QStringList{"B1", "b10"};
    QTest::newRow("underscore is one letter") << "fr_smaschine" << "" << QStringList{"A20"};
    QTest::newRow("percent inside a word") << "dreh%STRAßE" << "" << QStringList{"a5"};
    QTest::newRow("number ü finds Ü") << "" << "ü" << QStringList{"Ü7"};
    QTest::newRow("accent still matters") << "elan" << "" << QStringList{};
}

void tst_DatabaseEngines::caseOfEveryLetter()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QStringList, expected);
    db().insertMachine(machine(QStringLiteral("b10"), QStringLiteral("Tour élan 2")));
    db().insertMachine(machine(QStringLiteral("A20"), QStringLiteral("Fräsmaschine ÖLTEK")));
    db().insertMachine(machine(QStringLiteral("Ü7"), QStringLiteral("Übungsmaschine")));
    db().insertMachine(machine(QStringLiteral("B1"), QStringLiteral("Torno Élan")));
    db().insertMachine(machine(QStringLiteral("a5"), QStringLiteral("Drehbank Straße")));
    QStringList numbers;
    for (const MachineRecord &m : db().filteredMachines(name, number))
        numbers << m.number;
    QCOMPARE(numbers, expected);
    if (name.isEmpty() && number.isEmpty()) {
        numbers.clear();
        for (const MachineRecord &m : db().allMachines())
            numbers << m.number;
        QCOMPARE(numbers, expected);
    }
}

void tst_DatabaseEngines::parameterRowsByPosition()
{
    const QString id = db().insertMachine(machine(QStringLiteral("1"), QStringLiteral("M")));
    db().insertSerialParameters(id, {7, 4, 3, 2, 1, 3, QStringLiteral("COM2")});
    db().insertPathParameters(id, {QStringLiteral("/share/m1/")});
    SerialParameters s = db().loadSerialParameters(id);
    QCOMPARE(s.speed, 7);
    QCOMPARE(s.dataBits, 4);
    QCOMPARE(s.parity, 3);
    QCOMPARE(s.stopBits, 2);
    QCOMPARE(s.crLf, 1);
    QCOMPARE(s.flow, 3);
    QCOMPARE(s.port, QStringLiteral("COM2"));
    s.port = QStringLiteral("COM12");
    db().updateSerialParameters(id, s);
    QCOMPARE(db().loadSerialParameters(id).port, QStringLiteral("COM12"));
    db().updatePathParameters(id, {QStringLiteral("/other/")});
    QCOMPARE(db().loadPathParameters(id).directory, QStringLiteral("/other/"));
    db().insertFtpParameters(id, {QStringLiteral("/nc"), QStringLiteral("h"), QStringLiteral("u"),
                                  QStringLiteral("p'w"), QStringLiteral("2121")});
    db().updateFtpParameters(id, {QStringLiteral("nc2"), QStringLiteral("h2"), QStringLiteral("u2"),
                                  QStringLiteral("p\"w"), QStringLiteral("21")});
    const FtpParameters f = db().loadFtpParameters(id);
    QCOMPARE(f.directory, QStringLiteral("nc2"));
    QCOMPARE(f.password, QStringLiteral("p\"w"));
    QCOMPARE(f.port, QStringLiteral("21"));
}

void tst_DatabaseEngines::missingParameterRowReadsEmpty()
{
    const QString id = db().insertMachine(machine(QStringLiteral("1"), QStringLiteral("M")));
    const FtpParameters f = db().loadFtpParameters(id);
    QVERIFY(f.host.isEmpty() && f.port.isEmpty() && f.directory.isEmpty());
    QVERIFY(!db().hasParameterRow(QStringLiteral("ZVRD_FTP"), id));
}


void tst_DatabaseEngines::selectionWindowFilter()
{
    db().insertMachine(machine(QStringLiteral("40"), QStringLiteral("The \"big\" lathe")));
    db().insertMachine(machine(QStringLiteral("LATHE-9"), QStringLiteral("Robot")));
    db().insertMachine(machine(QStringLiteral("100"), QStringLiteral("O'Hara mill")));
    QStringList numbers;
    for (const MachineRecord &m : db().machinesMatching(QStringLiteral(" lathe ")))
        numbers << m.number;
    QCOMPARE(numbers, (QStringList{"40", "LATHE-9"}));
    QCOMPARE(db().machinesMatching(QStringLiteral("'")).size(), 1);
    QCOMPARE(db().machinesMatching(QString()).size(), 3);
}

// Workstation A opened the machine, B changed it since: A's change goes nowhere
// and says so; after loading B's version again, A's change goes through.
void tst_DatabaseEngines::changeElsewhereIsNeverOverwritten()
{
    MachineRecord a = machine(QStringLiteral("10"), QStringLiteral("Mill"));
    a.id = db().insertMachine(a);
    a = *db().loadMachine(a.id);
    QSqlDatabase b = otherWorkstation();
    QSqlQuery q(b);
    q.prepare(QStringLiteral("UPDATE ZVRD_MAQUINAS SET DSC_MAQUINA=?, DATA_ALTERACAO=? WHERE ID_MAQUINA=?"));
    q.addBindValue(QStringLiteral("Mill changed at B"));
    q.addBindValue(TDataModule1::dateValue(TDataModule1::engineOf(b), QDateTime::currentDateTime().addSecs(5)));
    q.addBindValue(a.id.toInt());
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));

    a.description = QStringLiteral("Mill changed at A");
    QCOMPARE(db().updateMachineIfUnchanged(a), TDataModule1::UpdateOutcome::ChangedElsewhere);
    QCOMPARE(db().loadMachine(a.id)->description, QStringLiteral("Mill changed at B"));

    const MachineRecord current = *db().loadMachine(a.id);
    a.changed = current.changed;
    QCOMPARE(db().updateMachineIfUnchanged(a), TDataModule1::UpdateOutcome::Updated);
    const MachineRecord after = *db().loadMachine(a.id);
    QCOMPARE(after.description, QStringLiteral("Mill changed at A"));
    // The next check sees this change, even within the same millisecond.
    QVERIFY(after.changed != current.changed);
    a.changed = current.changed;
    QCOMPARE(db().updateMachineIfUnchanged(a), TDataModule1::UpdateOutcome::ChangedElsewhere);
}

void tst_DatabaseEngines::deletedElsewhere()
{
    MachineRecord a = machine(QStringLiteral("10"), QStringLiteral("Mill"));
    a.id = db().insertMachine(a);
    a = *db().loadMachine(a.id);
    QSqlDatabase b = otherWorkstation();
    QSqlQuery q(b);
    QVERIFY(q.exec(QStringLiteral("DELETE FROM ZVRD_MAQUINAS WHERE ID_MAQUINA=%1").arg(a.id)));
    QCOMPARE(db().updateMachineIfUnchanged(a), TDataModule1::UpdateOutcome::Gone);
    QVERIFY(!db().deleteMachine(a.id));
    QVERIFY(db().allMachines().isEmpty());
}

// The dates read back are the local time they were written at on every engine,
// whatever the server's own time zone.
void tst_DatabaseEngines::datesAreTheWorkstationsLocalTime()
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const QString id = db().insertMachine(machine(QStringLiteral("1"), QStringLiteral("M")));
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    const QDateTime created = db().loadMachine(id)->created.toDateTime();
    QVERIFY2(created >= before && created <= after, qPrintable(created.toString(Qt::ISODateWithMs)));
    QCOMPARE(created.timeSpec(), Qt::LocalTime);
}

QTEST_GUILESS_MAIN(tst_DatabaseEngines)
#include "tst_databaseengines.moc"
