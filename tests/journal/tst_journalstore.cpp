#include "journal/JournalCsv.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalSettings.h"
#include "journal/JournalStore.h"
#include "journal/JournalWords.h"
#include "journal/ProgramHash.h"
#include "lang/Texts.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using Medium = JournalEntry::Medium;
using Direction = JournalEntry::Direction;
using Outcome = JournalEntry::Outcome;

namespace {

JournalEntry entry(const QString &machine, Medium medium, Outcome outcome, const QString &time,
                   const QString &local = QStringLiteral("/progs/O1000.nc"))
{
    JournalEntry e;
    e.timeUtc = QDateTime::fromString(time, Qt::ISODate);
    e.workstation = QStringLiteral("CELL-3");
    e.user = QStringLiteral("op");
    e.machineId = QStringLiteral("7");
    e.machineNumber = machine;
    e.machineDescription = QStringLiteral("Lathe, \"big\" one");
    e.medium = medium;
    e.direction = Direction::Send;
    e.localPath = local;
    e.remote = QStringLiteral("O1000.NC");
    e.bytes = 1234;
    e.sha256 = ProgramHash::ofBytes("G01 X1\n");
    e.outcome = outcome;
    return e;
}

JournalStore::Location at(const QString &path)
{
    JournalStore::Location l;
    l.database = path;
    return l;
}

} // namespace

class tst_JournalStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Texts::clearAll(); }
    void createsTheFileAndKeepsEveryField();
    void storedWordsDoNotFollowTheLanguage();
    void filters_data();
    void filters();
    void aFileThatIsNoDatabaseIsLeftAlone();
    void recorderFillsWorkstationUserAndTime();
    void recorderShowsKeptEntriesWithTheWrittenOnes();
    void csvQuotesAndHeader();
    void csvReportsAFailingDevice();
    void settingsLocation_data();
    void settingsLocation();
    void hashesOfFileAndDeviceAgree();

private:
    QTemporaryDir m_dir;
};

void tst_JournalStore::createsTheFileAndKeepsEveryField()
{
    const QString path = m_dir.filePath(QStringLiteral("new.db"));
    JournalEntry e = entry(QStringLiteral("M-1"), Medium::Ftp, Outcome::VerificationFailed,
                           QStringLiteral("2026-12-10T12:34:56.789Z"), QStringLiteral("/progs/ö ü,\"x\".nc"));
    e.error = QStringLiteral("line one\nline two");
    e.notice = QLatin1String(JournalWords::NoEndOfProgramKeyword);
    e.bytes = -1;
    {
        JournalStore store(at(path));
        QString error;
        QVERIFY2(store.append(e, &error), qPrintable(error));
        QVERIFY(e.id > 0);
    }
    QVERIFY(QFileInfo::exists(path));
    // A second connection, as at the next start: the table is found, not made again.
    JournalStore again(at(path));
    QString error;
    JournalEntry second = entry(QStringLiteral("M-2"), Medium::Serial, Outcome::Done, QStringLiteral("2026-12-10T13:00:00Z"));
    QVERIFY2(again.append(second, &error), qPrintable(error));
    const QVector<JournalEntry> all = again.entries({}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(all.size(), 2);
    const JournalEntry &r = all.first();
    QCOMPARE(r.id, e.id);
    QCOMPARE(r.timeUtc, e.timeUtc);
    QCOMPARE(r.timeUtc.timeSpec(), Qt::UTC);
    QCOMPARE(r.workstation, e.workstation);
    QCOMPARE(r.user, e.user);
    QCOMPARE(r.machineId, e.machineId);
    QCOMPARE(r.machineNumber, e.machineNumber);
    QCOMPARE(r.machineDescription, e.machineDescription);
    QCOMPARE(r.medium, Medium::Ftp);
    QCOMPARE(r.direction, Direction::Send);
    QCOMPARE(r.localPath, e.localPath);
    QCOMPARE(r.remote, e.remote);
    QCOMPARE(r.bytes, qint64(-1));
    QCOMPARE(r.sha256, e.sha256);
    QCOMPARE(r.outcome, Outcome::VerificationFailed);
    QCOMPARE(r.error, e.error);
    QCOMPARE(r.notice, e.notice);
    QCOMPARE(all.last().bytes, qint64(1234));
    QVERIFY(all.last().id > r.id);
}

void tst_JournalStore::storedWordsDoNotFollowTheLanguage()
{
    const QString path = m_dir.filePath(QStringLiteral("words.db"));
    Texts::FUNC_Textos_DE();
    {
        JournalStore store(at(path));
        JournalEntry e = entry(QStringLiteral("1"), Medium::Directory, Outcome::Cancelled, QStringLiteral("2026-01-01T00:00:00Z"));
        e.direction = Direction::Receive;
        QString error;
        QVERIFY(store.append(e, &error));
    }
    QCOMPARE(JournalWords::text(Outcome::Cancelled), QStringLiteral("abgebrochen"));
    Texts::clearAll();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("SELECT MEDIUM, DIRECTION, OUTCOME, TIME_UTC FROM ZVRD_JOURNAL")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("directory"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("receive"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("cancelled"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("2026-01-01T00:00:00.000Z"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    // Before any language ran, the shown words are the English ones.
    QCOMPARE(JournalWords::text(Outcome::VerificationFailed), QStringLiteral("verification failed"));
    for (int o = 0; o <= int(Outcome::Failed); ++o)
        QCOMPARE(JournalWords::outcomeFromKeyword(JournalWords::keyword(Outcome(o))), std::optional<Outcome>(Outcome(o)));
    QCOMPARE(JournalWords::outcomeFromKeyword(QStringLiteral("Done")), std::nullopt);
}

void tst_JournalStore::filters_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QList<int>>("expected"); // positions in the list below, in order
    QTest::newRow("everything, oldest first") << "all" << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("newest first") << "newest" << QList<int>{4, 3, 2, 1, 0};
    QTest::newRow("machine, letter case ignored") << "machine" << QList<int>{0, 2};
    QTest::newRow("medium") << "medium" << QList<int>{1, 4};
    QTest::newRow("outcome") << "outcome" << QList<int>{2};
    QTest::newRow("from (inclusive)") << "from" << QList<int>{2, 3, 4};
    QTest::newRow("to (exclusive)") << "to" << QList<int>{0, 1};
    QTest::newRow("file text, letter case ignored, non-ASCII") << "file" << QList<int>{3};
    QTest::newRow("all parts together") << "together" << QList<int>{2};
}

void tst_JournalStore::filters()
{
    QFETCH(QString, what);
    QFETCH(QList<int>, expected);
    const QString path = m_dir.filePath(QStringLiteral("filter-%1.db").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')));
    JournalStore store(at(path));
    QVector<JournalEntry> list{
        entry(QStringLiteral("ab-1"), Medium::Directory, Outcome::Done, QStringLiteral("2026-03-01T10:00:00Z")),
        entry(QStringLiteral("X9"), Medium::Ftp, Outcome::Verified, QStringLiteral("2026-03-02T10:00:00Z")),
        entry(QStringLiteral("AB-1"), Medium::Serial, Outcome::Failed, QStringLiteral("2026-03-03T10:00:00Z")),
        entry(QStringLiteral("X9"), Medium::Serial, Outcome::Done, QStringLiteral("2026-03-04T10:00:00Z"),
              QStringLiteral("/progs/DREHTEIL-ÄUSSEN.nc")),
        entry(QStringLiteral("X9"), Medium::Ftp, Outcome::Cancelled, QStringLiteral("2026-03-05T10:00:00Z")),
    };
    QString error;
    QVERIFY2(store.append(list, &error), qPrintable(error));
    JournalFilter f;
    if (what == QLatin1String("newest"))
        f.newestFirst = true;
    if (what == QLatin1String("machine") || what == QLatin1String("together"))
        f.machineNumber = QStringLiteral(" Ab-1 ");
    if (what == QLatin1String("medium"))
        f.medium = Medium::Ftp;
    if (what == QLatin1String("outcome") || what == QLatin1String("together"))
        f.outcome = Outcome::Failed;
    if (what == QLatin1String("from") || what == QLatin1String("together"))
        f.fromUtc = QDateTime::fromString(QStringLiteral("2026-03-03T10:00:00Z"), Qt::ISODate);
    if (what == QLatin1String("to"))
        f.toUtc = QDateTime::fromString(QStringLiteral("2026-03-03T10:00:00Z"), Qt::ISODate);
    if (what == QLatin1String("file"))
        f.fileText = QStringLiteral("teil-äus");
    const QVector<JournalEntry> found = store.entries(f, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QList<int> positions;
    for (const JournalEntry &e : found)
        for (int i = 0; i < list.size(); ++i)
            if (list[i].id == e.id)
                positions.append(i);
    QCOMPARE(positions, expected);
}

void tst_JournalStore::aFileThatIsNoDatabaseIsLeftAlone()
{
    const QString path = m_dir.filePath(QStringLiteral("notes.txt"));
    const QByteArray text("These are the shift notes, not a database.\n");
    TestSupport::writeBytes(path, text);
    JournalStore store(at(path));
    JournalEntry e = entry(QStringLiteral("1"), Medium::Ftp, Outcome::Done, QStringLiteral("2026-01-01T00:00:00Z"));
    QString error;
    QVERIFY(!store.append(e, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QCOMPARE(TestSupport::readBytes(path), text);

    JournalStore::Location missingFolder = at(m_dir.filePath(QStringLiteral("no/such/folder/j.db")));
    JournalStore nowhere(missingFolder);
    QVERIFY(!nowhere.append(e, &error));
    QVERIFY2(error.contains(QStringLiteral("does not exist")), qPrintable(error));
}

void tst_JournalStore::recorderFillsWorkstationUserAndTime()
{
    JournalRecorder recorder(at(m_dir.filePath(QStringLiteral("rec.db"))));
    JournalEntry e;
    e.machineNumber = QStringLiteral("5");
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
    QVERIFY(recorder.record(e));
    QString error;
    const QVector<JournalEntry> all = recorder.entries({}, &error);
    QCOMPARE(all.size(), 1);
    QCOMPARE(all[0].workstation, QSysInfo::machineHostName());
    QVERIFY(!all[0].user.isEmpty());
    QCOMPARE(all[0].user, JournalRecorder::userName());
    QVERIFY(all[0].timeUtc >= before && all[0].timeUtc <= QDateTime::currentDateTimeUtc());
}

void tst_JournalStore::recorderShowsKeptEntriesWithTheWrittenOnes()
{
    const QString path = m_dir.filePath(QStringLiteral("merge.db"));
    JournalRecorder recorder(at(path));
    recorder.setRetryInterval(0);
    QVERIFY(recorder.record(entry(QStringLiteral("1"), Medium::Ftp, Outcome::Done, QStringLiteral("2026-01-01T00:00:00Z"))));
    // Another connection holds the journal locked: the next entry is kept.
    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(path);
    QVERIFY(locker.open());
    QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(!recorder.record(entry(QStringLiteral("1"), Medium::Serial, Outcome::Failed, QStringLiteral("2026-01-02T00:00:00Z"))));
    QCOMPARE(recorder.pending().size(), 1);
    QString error;
    JournalFilter newest;
    newest.newestFirst = true;
    const QVector<JournalEntry> shown = recorder.entries(newest, &error);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].medium, Medium::Serial);
    QCOMPARE(shown[0].id, qint64(0));
    QVERIFY(shown[1].id > 0);
    QVERIFY(QSqlQuery(locker).exec(QStringLiteral("ROLLBACK")));
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
}

void tst_JournalStore::csvQuotesAndHeader()
{
    JournalEntry e = entry(QStringLiteral("M,1"), Medium::Ftp, Outcome::VerificationFailed,
                           QStringLiteral("2026-12-10T12:00:00.5Z"), QStringLiteral("C:\\progs\\Größe.nc"));
    e.id = 42;
    e.error = QStringLiteral("first line\r\nsecond \"quoted\"");
    JournalEntry unknownSize = e;
    unknownSize.id = 0;
    unknownSize.bytes = -1;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(JournalCsv::write(&buffer, {e, unknownSize}, &error));
    const QList<QByteArray> lines = buffer.data().split('\n');
    QCOMPARE(lines.first(), QByteArray("id,time_utc,time_local,workstation,user,machine_id,machine_number,"
                                       "machine_description,medium,direction,local_path,remote,bytes,sha256,"
                                       "outcome,error,notice\r"));
    const QByteArray expectedStart = "42,2026-12-10T12:00:00.500Z,";
    QVERIFY(lines[1].startsWith(expectedStart));
    const QByteArray local = e.timeUtc.toLocalTime().toString(Qt::ISODate).toUtf8();
    const QByteArray record = buffer.data().mid(buffer.data().indexOf("\r\n") + 2);
    QVERIFY(record.startsWith(expectedStart + local + ",CELL-3,op,7,\"M,1\",\"Lathe, \"\"big\"\" one\",ftp,send,"
                              + QStringLiteral("C:\\progs\\Größe.nc").toUtf8() + ",O1000.NC,1234,"
                              + e.sha256.toUtf8() + ",verification failed,\"first line\r\nsecond \"\"quoted\"\"\",\r\n"));
    // An entry still kept in memory has no id; an unknown size is an empty field.
    QVERIFY(buffer.data().contains("\r\n,2026-12-10T12:00:00.500Z,"));
    QVERIFY(buffer.data().contains(",O1000.NC,," + e.sha256.toUtf8()));
    QVERIFY(buffer.data().endsWith("\r\n"));
}

void tst_JournalStore::csvReportsAFailingDevice()
{
    QFile file(m_dir.filePath(QStringLiteral("closed.csv")));
    QString error;
    // A device that refuses writes (not open): the write says so.
    QVERIFY(!JournalCsv::write(&file, {}, &error));
    QVERIFY(!error.isEmpty());
}

void tst_JournalStore::settingsLocation_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("expected"); // relative to the folder of Zavrin.ini, or absolute
    QTest::newRow("no key") << QByteArray("[LANGUAGE]\r\nVALUE=EN\r\n") << "journal.db";
    QTest::newRow("empty value") << QByteArray("[JOURNAL]\r\nVALUE=  \r\n") << "journal.db";
    QTest::newRow("relative file") << QByteArray("[journal]\r\nvalue=logs/transfers.db\r\n") << "logs/transfers.db";
    QTest::newRow("absolute file") << QByteArray("[JOURNAL]\r\nVALUE=/srv/shop/journal.db\r\n") << "/srv/shop/journal.db";
}

void tst_JournalStore::settingsLocation()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString iniPath = dir.filePath(QStringLiteral("Zavrin.ini"));
    TestSupport::writeBytes(iniPath, ini);
    const JournalStore::Location l = JournalSettings::location(iniPath);
    QCOMPARE(l.driver, QStringLiteral("QSQLITE"));
    QCOMPARE(l.database, expected.startsWith(QLatin1Char('/')) ? expected : QDir(dir.path()).filePath(expected));
}

void tst_JournalStore::hashesOfFileAndDeviceAgree()
{
    // Across the 1 MB read blocks, so a hash that is restarted or skips a block shows.
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3 * (1 << 20) + 17; ++i)
        bytes += "N" + QByteArray::number(i) + " G01 X" + QByteArray::number(i % 977) + "\r\n";
    const QString path = m_dir.filePath(QStringLiteral("big.nc"));
    TestSupport::writeBytes(path, bytes);
    QString error;
    qint64 size = 0;
    const QString fromFile = ProgramHash::ofFile(path, &error, &size);
    QCOMPARE(size, qint64(bytes.size()));
    QCOMPARE(fromFile, QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
    HashingDevice device;
    for (qsizetype at = 0; at < bytes.size(); at += 70001)
        device.write(bytes.mid(at, 70001));
    QCOMPARE(device.hex(), fromFile);
    QCOMPARE(device.count(), qint64(bytes.size()));
    QVERIFY(ProgramHash::ofFile(m_dir.filePath(QStringLiteral("missing.nc")), &error).isEmpty());
    QVERIFY(error.contains(QStringLiteral("missing.nc")));
}

QTEST_GUILESS_MAIN(tst_JournalStore)
#include "tst_journalstore.moc"
