// zavrin-cnc journal, run as a separate process over a journal written by the store.
#include "TestSupport.h"
#include "cli/JournalCommand.h"
#include "journal/JournalCsv.h"
#include "journal/JournalStore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out, err;
};

Result runJournal(const QStringList &arguments, const QByteArray &timeZone = "UTC")
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QString::fromLatin1(timeZone));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), QStringList{QStringLiteral("journal")} + arguments);
    process.waitForFinished(60000);
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

JournalEntry entry(const QString &machine, const QString &time, JournalEntry::Outcome outcome, const QString &file)
{
    JournalEntry e;
    e.timeUtc = QDateTime::fromString(time, Qt::ISODate);
    e.workstation = QStringLiteral("CELL-1");
    e.user = QStringLiteral("op");
    e.machineNumber = machine;
    e.medium = JournalEntry::Medium::Ftp;
    e.localPath = file;
    e.remote = QStringLiteral("ftp://op@10.0.0.5/nc/") + file;
    e.bytes = 42;
    e.sha256 = QString(64, QLatin1Char('a'));
    e.outcome = outcome;
    return e;
}

} // namespace

class TestCliJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tableListsEveryEntryOldestFirst();
    void machineAndSinceFilter_data();
    void machineAndSinceFilter();
    void csvIsTheStoreForm();
    void badInputNamesTheArgument_data();
    void badInputNamesTheArgument();
    void missingJournalIsNotCreated();
    void sinceMoments_data();
    void sinceMoments();

private:
    QTemporaryDir m_dir;
    QString m_path;
    QVector<JournalEntry> m_entries;
};

void TestCliJournal::initTestCase()
{
    m_path = m_dir.filePath(QStringLiteral("journal.db"));
    JournalStore::Location l;
    l.database = m_path;
    JournalStore store(l);
    m_entries = {entry(QStringLiteral("M-1"), QStringLiteral("2026-05-01T08:00:00Z"), JournalEntry::Outcome::Verified,
                       QStringLiteral("O1.nc")),
                 entry(QStringLiteral("M-2"), QStringLiteral("2026-05-02T23:30:00Z"), JournalEntry::Outcome::Failed,
                       QStringLiteral("O2.nc")),
                 entry(QStringLiteral("m-1"), QStringLiteral("2026-05-03T09:15:00Z"), JournalEntry::Outcome::Done,
                       QStringLiteral("O3.nc"))};
    m_entries[1].error = QStringLiteral("Connection refused\nby the machine");
    m_entries[2].notice = QStringLiteral("no end of program received");
    m_entries[2].bytes = -1;
    QString error;
    QVERIFY2(store.append(m_entries, &error), qPrintable(error));
}

void TestCliJournal::tableListsEveryEntryOldestFirst()
{
    const Result r = runJournal({QStringLiteral("--journal"), m_path});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].startsWith("TIME"));
    QVERIFY2(lines[1].startsWith("2026-05-01 08:00:00  M-1"), lines[1].constData());
    QVERIFY(lines[1].contains("  verified  "));
    QVERIFY(lines[1].contains("  42  "));
    QVERIFY(lines[1].contains(QString(64, QLatin1Char('a')).toLatin1()));
    QVERIFY(lines[2].contains("  failed  "));
    QVERIFY2(lines[2].endsWith("Connection refused by the machine"), lines[2].constData()); // one line per entry
    QVERIFY2(lines[3].endsWith("no end of program received"), lines[3].constData());
    QVERIFY(lines[3].contains("  -  ")); // size unknown
    // The header's columns line up with the rows'.
    QCOMPARE(lines[0].indexOf("MEDIUM"), lines[1].indexOf("FTP"));
}

void TestCliJournal::machineAndSinceFilter_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("timeZone");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("machine, letter case ignored") << QStringList{"--machine", "M-1"} << QByteArray("UTC")
                                                  << QStringList{"O1.nc", "O3.nc"};
    QTest::newRow("since a date") << QStringList{"--since", "2026-05-02"} << QByteArray("UTC")
                                  << QStringList{"O2.nc", "O3.nc"};
    // The day starts in local time: in UTC+2 the 3rd began at 22:00 UTC on the 2nd.
    QTest::newRow("since a date, local day") << QStringList{"--since", "2026-05-03"} << QByteArray("Etc/GMT-2")
                                             << QStringList{"O2.nc", "O3.nc"};
    QTest::newRow("since a date and time in UTC") << QStringList{"--since", "2026-05-03T09:15:00Z"}
                                                  << QByteArray("UTC") << QStringList{"O3.nc"};
    QTest::newRow("both") << QStringList{"--since", "2026-05-02", "--machine", "m-1"} << QByteArray("UTC")
                          << QStringList{"O3.nc"};
    QTest::newRow("no match") << QStringList{"--machine", "M-9"} << QByteArray("UTC") << QStringList{};
}

void TestCliJournal::machineAndSinceFilter()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, timeZone);
    QFETCH(QStringList, files);
    const Result r = runJournal(options + QStringList{QStringLiteral("--journal"), m_path, QStringLiteral("--csv")}, timeZone);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QStringList found;
    const QList<QByteArray> lines = r.out.split('\n');
    for (const QByteArray &line : lines.mid(1))
        for (const QString &f : {QStringLiteral("O1.nc"), QStringLiteral("O2.nc"), QStringLiteral("O3.nc")})
            if (line.contains("," + f.toUtf8() + ","))
                found << f;
    QCOMPARE(found, files);
}

void TestCliJournal::csvIsTheStoreForm()
{
    const Result r = runJournal({QStringLiteral("--csv"), QStringLiteral("--journal"), m_path});
    QCOMPARE(r.exitCode, 0);
    // The same bytes as the writer the journal window exports with (local time = UTC here).
    JournalStore::Location l;
    l.database = m_path;
    JournalStore store(l);
    QString error;
    QByteArray expected = JournalCsv::headerRow();
    qputenv("TZ", "UTC");
    for (const JournalEntry &e : store.entries({}, &error))
        expected += JournalCsv::row(e);
    QCOMPARE(r.out, expected);
    QVERIFY(r.out.contains("\"Connection refused\nby the machine\""));
}

void TestCliJournal::badInputNamesTheArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("not a date") << QStringList{"--since", "yesterday"} << QByteArray("--since takes a date (YYYY-MM-DD) or a date and time (YYYY-MM-DDTHH:MM[:SS]), not \"yesterday\"");
    QTest::newRow("no such day") << QStringList{"--since", "2026-02-30"} << QByteArray("not \"2026-02-30\"");
    QTest::newRow("day first") << QStringList{"--since", "01.05.2026"} << QByteArray("not \"01.05.2026\"");
    QTest::newRow("no value") << QStringList{"--since"} << QByteArray("--since needs a date");
    QTest::newRow("empty machine") << QStringList{"--machine", " "} << QByteArray("--machine needs a machine number");
    QTest::newRow("unknown option") << QStringList{"--json"} << QByteArray("journal has no option or argument \"--json\"");
}

void TestCliJournal::badInputNamesTheArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const Result r = runJournal(QStringList{QStringLiteral("--journal"), m_path} + arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), r.err.constData());
    QCOMPARE(r.out, QByteArray());
}

void TestCliJournal::missingJournalIsNotCreated()
{
    const QString missing = m_dir.filePath(QStringLiteral("none.db"));
    const Result r = runJournal({QStringLiteral("--journal"), missing});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(missing.toUtf8()) && r.err.contains("does not exist"), r.err.constData());
    QVERIFY(!QFileInfo::exists(missing));
}

void TestCliJournal::sinceMoments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("utc"); // empty: refused
    QTest::newRow("date and time with seconds, Z") << "2026-05-01T10:20:30Z" << "2026-05-01T10:20:30.000Z";
    QTest::newRow("blank between date and time") << "2026-05-01 10:20Z" << "2026-05-01T10:20:00.000Z";
    QTest::newRow("offset") << "2026-05-01T10:20:00+02:00" << "2026-05-01T08:20:00.000Z";
    QTest::newRow("minute 61") << "2026-05-01T10:61:00Z" << "";
    QTest::newRow("time only") << "10:20" << "";
}

void TestCliJournal::sinceMoments()
{
    QFETCH(QString, text);
    QFETCH(QString, utc);
    const QDateTime moment = journalSinceMoment(text);
    QCOMPARE(moment.isValid() ? JournalStore::timeText(moment) : QString(), utc);
}

QTEST_GUILESS_MAIN(TestCliJournal)
#include "tst_clijournal.moc"
