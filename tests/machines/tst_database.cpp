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
    void insertReturnsNewIdAndStoresTextsAsTyped();
    void updateStoresQuotesAndChangesDate();
    void deleteLeavesParameterRows();
    void filter_data();
    void filter();
    void caseOfEveryLetter_data();
    void caseOfEveryLetter();
    void parameterRowsByPosition();
    void missingParameterRowReadsEmpty();
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

void tst_Database::insertReturnsNewIdAndStoresTextsAsTyped()
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

void tst_Database::updateStoresQuotesAndChangesDate()
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

void tst_Database::deleteLeavesParameterRows()
{
    const QString id = db().insertMachine(machine(QStringLiteral("10"), QStringLiteral("Mill")));
    db().insertFtpParameters(id, {QStringLiteral("/nc"), QStringLiteral("10.0.0.5"), QStringLiteral("op"),
                                  QStringLiteral("pw"), QStringLiteral("21")});
    db().deleteMachine(id);
    QVERIFY(!db().loadMachine(id).has_value());
    QVERIFY(db().hasParameterRow(QStringLiteral("ZVRD_FTP"), id));
}

void tst_Database::filter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("expected"); // numbers, in order

    QTest::newRow("no filter lists all by number") << "" << "" << QStringList{"100", "20", "3_1", "40"};
    QTest::newRow("blanks only count as empty") << "   " << "  " << QStringList{"100", "20", "3_1", "40"};
    QTest::newRow("name part, any case") << "LATHE" << "" << QStringList{"20", "40"};
    QTest::newRow("both narrow together") << "lathe" << "4" << QStringList{"40"};
    QTest::newRow("percent is a wildcard") << "big%lathe" << "" << QStringList{"40"};
    QTest::newRow("underscore is a wildcard") << "" << "3_" << QStringList{"3_1"};
    QTest::newRow("double quote matches itself") << "\"big\"" << "" << QStringList{"40"};
    QTest::newRow("quote does not break the statement") << "\" OR 1=1 --" << "" << QStringList{};
    QTest::newRow("single quote") << "o'" << "" << QStringList{"100"};
    QTest::newRow("trimmed") << "  mill " << "" << QStringList{"100"};
}

void tst_Database::filter()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QStringList, expected);
    db().insertMachine(machine(QStringLiteral("40"), QStringLiteral("The \"big\" lathe")));
    db().insertMachine(machine(QStringLiteral("100"), QStringLiteral("O'Hara mill")));
    db().insertMachine(machine(QStringLiteral("20"), QStringLiteral("small lathe")));
    db().insertMachine(machine(QStringLiteral("3_1"), QStringLiteral("Robot")));
    QStringList numbers;
    for (const MachineRecord &m : db().filteredMachines(name, number))
        numbers << m.number;
    QCOMPARE(numbers, expected);
}

// The shop's languages have letters beyond A to Z: the filter and the order of the
// lists ignore their case too.
void tst_Database::caseOfEveryLetter_data()
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

void tst_Database::caseOfEveryLetter()
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

void tst_Database::parameterRowsByPosition()
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

void tst_Database::missingParameterRowReadsEmpty()
{
    const QString id = db().insertMachine(machine(QStringLiteral("1"), QStringLiteral("M")));
    const FtpParameters f = db().loadFtpParameters(id);
    QVERIFY(f.host.isEmpty() && f.port.isEmpty() && f.directory.isEmpty());
    QVERIFY(!db().hasParameterRow(QStringLiteral("ZVRD_FTP"), id));
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
