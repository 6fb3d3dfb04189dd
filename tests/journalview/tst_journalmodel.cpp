#include "JournalSamples.h"

#include "journalview/JournalFileCheck.h"
#include "journalview/JournalModel.h"

#include <QTemporaryDir>

#include <ctime>

Q_DECLARE_METATYPE(JournalViewFilter)
#include <QtTest>

// The journal table: its order, its filters, what it shows and exports, and the check of a
// journalled program's file.
class tst_JournalModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TZ", "Europe/Berlin"); tzset(); }
    void newestFirst();
    void filters_data();
    void filters();
    void typingNarrowsAndWidens();
    void anyLetterCase_data();
    void anyLetterCase();
    void dateRangeUsesLocalDays();
    void sortKeepsFilter();
    void shownEntriesInShownOrder();
    void machinesOnceByLatestCaption();
    void fileCheck();
};

static JournalEntry entry(qint64 id, const QDateTime &utc, const QString &machine, const QString &path)
{
    JournalEntry e;
    e.id = id;
    e.timeUtc = utc;
    e.machineId = machine;
    e.machineNumber = machine;
    e.localPath = path;
    return e;
}

static QList<qint64> ids(const JournalModel &m)
{
    QList<qint64> out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.entryAt(r).id;
    return out;
}

void tst_JournalModel::newestFirst()
{
    const QDateTime t(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
    JournalModel m;
    // The store's order is not the time order (a clock set back, entries merged).
    m.setEntries({entry(1, t, "1", "/a"), entry(2, t.addSecs(-60), "1", "/b"), entry(3, t.addSecs(60), "1", "/c"),
                  entry(4, t, "1", "/d")});
    QCOMPARE(ids(m), (QList<qint64>{3, 4, 1, 2})); // same time: the later entry first
    QCOMPARE(m.data(m.index(0, JournalModel::Time)).toString(), QStringLiteral("2026-03-01 11:01:00")); // CET
    m.sort(JournalModel::Time, Qt::AscendingOrder);
    QCOMPARE(ids(m), (QList<qint64>{2, 1, 4, 3}));
}

void tst_JournalModel::filters_data()
{
    QTest::addColumn<JournalViewFilter>("filter");
    QTest::addColumn<int>("expected");
    const QVector<JournalEntry> all = sampleJournal(400);
    const auto count = [&](const std::function<bool(const JournalEntry &)> &f) {
        return int(std::count_if(all.begin(), all.end(), f));
    };
    JournalViewFilter f;
    QTest::newRow("none") << f << 400;
    f.machineId = QStringLiteral("2");
    QTest::newRow("machine") << f << count([](const JournalEntry &e) { return e.machineId == QLatin1String("2"); });
    f = {};
    f.medium = JournalEntry::Medium::Ftp;
    QTest::newRow("medium") << f << count([](const JournalEntry &e) { return e.medium == JournalEntry::Medium::Ftp; });
    f.outcome = JournalEntry::Outcome::Failed;
    QTest::newRow("medium and outcome") << f << count([](const JournalEntry &e) {
        return e.medium == JournalEntry::Medium::Ftp && e.outcome == JournalEntry::Outcome::Failed;
    });
    f = {};
    f.fileText = QStringLiteral("o1017.NC"); // any case, the file name
    QTest::newRow("file name, any case") << f << count([](const JournalEntry &e) { return e.localPath.endsWith(QLatin1String("/O1017.nc")); });
    f.fileText = QStringLiteral("srv"); // a folder of the path is not the name
    QTest::newRow("folder not matched") << f << 0;
    f.fileText = QStringLiteral("ttyUSB0"); // the remote side
    QTest::newRow("remote name") << f << count([](const JournalEntry &e) { return e.remote.contains(QLatin1String("ttyUSB0")); });
    f.fileText = QStringLiteral("no such program");
    QTest::newRow("nothing") << f << 0;
}

void tst_JournalModel::filters()
{
    QFETCH(JournalViewFilter, filter);
    QFETCH(int, expected);
    JournalModel m;
    m.setEntries(sampleJournal(400));
    m.setFilter(filter);
    QCOMPARE(m.rowCount(), expected);
    QCOMPARE(m.totalCount(), 400);
    for (int r = 1; r < m.rowCount(); ++r)
        QVERIFY(m.entryAt(r - 1).timeUtc >= m.entryAt(r).timeUtc);
}

void tst_JournalModel::typingNarrowsAndWidens()
{
    // Each step must show what a fresh filter shows, whether it narrows the rows shown or not.
    JournalModel m;
    m.setEntries(sampleJournal(3000));
    JournalViewFilter f;
    f.machineId = QStringLiteral("1");
    for (const char *typed : {"O", "O1", "o12", "O123", "O12", "", "1", "12", "Mill"}) {
        f.fileText = QLatin1String(typed);
        m.setFilter(f);
        JournalModel fresh;
        fresh.setEntries(sampleJournal(3000));
        fresh.setFilter(f);
        QCOMPARE(ids(m), ids(fresh));
        QVERIFY2(m.rowCount() > 0 || QByteArray(typed) == "Mill", typed);
    }
}

void tst_JournalModel::anyLetterCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    QTest::newRow("ASCII") << QStringLiteral("O1017.NC") << QStringLiteral("o1017.nc") << true;
    QTest::newRow("accented capital") << QStringLiteral("ÖLWANNE.nc") << QStringLiteral("ölw") << true;
    QTest::newRow("typed in capitals") << QStringLiteral("flange-é.nc") << QStringLiteral("ANGE-É") << true;
    QTest::newRow("at the very end") << QStringLiteral("P12") << QStringLiteral("12") << true;
    QTest::newRow("longer than the name") << QStringLiteral("P1") << QStringLiteral("P12") << false;
    QTest::newRow("a first letter that repeats") << QStringLiteral("OOO1") << QStringLiteral("oo1") << true;
    QTest::newRow("not there") << QStringLiteral("O1000.nc") << QStringLiteral("O2") << false;
}

void tst_JournalModel::anyLetterCase()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(bool, found);
    JournalModel m;
    m.setEntries({entry(1, QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC), "1", QStringLiteral("/srv/") + name)});
    JournalViewFilter f;
    f.fileText = typed;
    m.setFilter(f);
    QCOMPARE(m.rowCount(), found ? 1 : 0);
}

void tst_JournalModel::dateRangeUsesLocalDays()
{
    JournalModel m;
    // 23:30 UTC on 31 March is 1 April in Berlin (summer time, UTC+2); 22:30 UTC on 31 December is
    // still 31 December (winter, UTC+1).
    m.setEntries({entry(1, QDateTime(QDate(2026, 3, 31), QTime(23, 30), Qt::UTC), "1", "/a"),
                  entry(2, QDateTime(QDate(2026, 3, 31), QTime(21, 30), Qt::UTC), "1", "/b"),
                  entry(3, QDateTime(QDate(2026, 12, 31), QTime(22, 30), Qt::UTC), "1", "/c"),
                  entry(4, QDateTime(QDate(2026, 12, 31), QTime(23, 30), Qt::UTC), "1", "/d"),
                  entry(5, QDateTime(), "1", "/no-time")});
    JournalViewFilter f;
    f.from = QDate(2026, 4, 1);
    f.to = QDate(2026, 4, 1);
    m.setFilter(f);
    QCOMPARE(ids(m), QList<qint64>{1});
    f.from = QDate(2026, 3, 31);
    f.to = QDate(2026, 12, 31);
    m.setFilter(f);
    QCOMPARE(ids(m), (QList<qint64>{3, 1, 2})); // both ends included; 4 is 1 January
    f.from = QDate();
    f.to = QDate(2026, 3, 31);
    m.setFilter(f);
    QCOMPARE(ids(m), (QList<qint64>{2, 5})); // an entry without a time sits at the beginning of time
}

void tst_JournalModel::sortKeepsFilter()
{
    JournalModel m;
    m.setEntries(sampleJournal(300));
    JournalViewFilter f;
    f.machineId = QStringLiteral("3");
    m.setFilter(f);
    const int shown = m.rowCount();
    m.sort(JournalModel::Bytes, Qt::AscendingOrder);
    QCOMPARE(m.rowCount(), shown);
    for (int r = 0; r < m.rowCount(); ++r) {
        QCOMPARE(m.entryAt(r).machineId, QStringLiteral("3"));
        if (r > 0)
            QVERIFY(m.entryAt(r - 1).bytes <= m.entryAt(r).bytes);
    }
    m.sort(JournalModel::File, Qt::DescendingOrder);
    for (int r = 1; r < m.rowCount(); ++r)
        QVERIFY(m.entryAt(r - 1).localPath.toCaseFolded() >= m.entryAt(r).localPath.toCaseFolded());
    // Equal names keep the time order, newest first.
    for (int r = 1; r < m.rowCount(); ++r)
        if (m.entryAt(r - 1).localPath == m.entryAt(r).localPath)
            QVERIFY(m.entryAt(r - 1).timeUtc >= m.entryAt(r).timeUtc);
    f = {};
    m.setFilter(f);
    QCOMPARE(m.rowCount(), 300);
    QCOMPARE(m.sortColumn(), int(JournalModel::File));
}

void tst_JournalModel::shownEntriesInShownOrder()
{
    JournalModel m;
    m.setEntries(sampleJournal(50));
    JournalViewFilter f;
    f.outcome = JournalEntry::Outcome::Verified;
    m.setFilter(f);
    const QVector<JournalEntry> shown = m.shownEntries();
    QCOMPARE(shown.size(), m.rowCount());
    for (int r = 0; r < m.rowCount(); ++r)
        QCOMPARE(shown.at(r).id, m.entryAt(r).id);
}

void tst_JournalModel::machinesOnceByLatestCaption()
{
    const QDateTime t(QDate(2026, 5, 1), QTime(8, 0), Qt::UTC);
    QVector<JournalEntry> entries = {entry(1, t, "7", "/a"), entry(2, t.addSecs(60), "7", "/b"), entry(3, t, "8", "/c")};
    entries[0].machineDescription = QStringLiteral("Old name");
    entries[1].machineDescription = QStringLiteral("Renamed");
    entries[2].machineNumber.clear();
    entries[2].machineDescription = QStringLiteral("Saw");
    JournalModel m;
    m.setEntries(entries);
    const QList<JournalModel::MachineChoice> machines = m.machines();
    QCOMPARE(machines.size(), 2);
    QCOMPARE(machines.at(0).caption, QStringLiteral("7 - Renamed"));
    QCOMPARE(machines.at(1).caption, QStringLiteral("Saw"));
    QCOMPARE(machines.at(1).id, QStringLiteral("8"));
}

void tst_JournalModel::fileCheck()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("O1000.nc"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%\r\nO1000\r\nM30\r\n%\r\n");
    f.close();
    JournalEntry e = entry(1, QDateTime::currentDateTimeUtc(), "1", path);
    e.sha256 = QString::fromLatin1(QCryptographicHash::hash("%\r\nO1000\r\nM30\r\n%\r\n", QCryptographicHash::Sha256).toHex());
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::Same);
    e.sha256 = e.sha256.toUpper(); // a hash written in capitals is the same hash
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::Same);
    QVERIFY(f.open(QIODevice::Append));
    f.write(" ");
    f.close();
    const JournalFileCheck::Result changed = JournalFileCheck::check(e);
    QCOMPARE(changed.state, JournalFileCheck::State::Changed);
    QCOMPARE(changed.sha256.size(), 64);
    e.localPath = dir.filePath(QStringLiteral("gone.nc"));
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::Missing);
    e.localPath = dir.path(); // a folder is no program
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::Missing);
    e.localPath = path;
    e.sha256.clear();
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::NoRecord);
    e.sha256 = QStringLiteral("00");
    QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    if (QFile(path).open(QIODevice::ReadOnly))
        QSKIP("running as a user who reads every file");
    QCOMPARE(JournalFileCheck::check(e).state, JournalFileCheck::State::Unreadable);
}

QTEST_GUILESS_MAIN(tst_JournalModel)
#include "tst_journalmodel.moc"
