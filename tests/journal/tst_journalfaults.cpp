#include "journal/JournalRecorder.h"
#include "lang/Texts.h"

#include "FaultInjection.h"
#include "TestSupport.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Outcome = JournalEntry::Outcome;

namespace {

JournalEntry entry(const QString &file, Outcome outcome = Outcome::Done)
{
    JournalEntry e;
    e.machineNumber = QStringLiteral("M7");
    e.medium = JournalEntry::Medium::Ftp;
    e.localPath = file;
    e.remote = file;
    e.bytes = 10;
    e.outcome = outcome;
    return e;
}

JournalStore::Location at(const QString &path)
{
    JournalStore::Location l;
    l.database = path;
    return l;
}

QStringList filesIn(const QString &path)
{
    JournalStore store(at(path));
    QString error;
    QStringList files;
    for (const JournalEntry &e : store.entries({}, &error))
        files << e.localPath;
    if (!error.isEmpty())
        files << QStringLiteral("error: ") + error;
    return files;
}

// Another program holding the journal locked for writing (an exclusive lock in the
// engine's own terms), until its standard input gets a line.
class Locker
{
public:
    bool start(const QString &path)
    {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("import sqlite3, sys\n"
                            "c = sqlite3.connect(sys.argv[1], isolation_level=None)\n"
                            "c.execute('BEGIN EXCLUSIVE')\n"
                            "print('locked', flush=True)\n"
                            "sys.stdin.readline()\n"
                            "c.execute('ROLLBACK')\n"),
             path});
        m_process.start();
        return m_process.waitForReadyRead(10000) && m_process.readAll().startsWith("locked");
    }
    bool release()
    {
        m_process.write("\n");
        m_process.closeWriteChannel();
        return m_process.waitForFinished(10000) && m_process.exitCode() == 0;
    }
    ~Locker()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

private:
    QProcess m_process;
};

} // namespace

class tst_JournalFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Texts::FUNC_Textos_EN(); }
    void lockedByAnotherProcess();
    void readOnlyFile();
    void deletedWhileRunning();
    void fullDisk();

private:
    QTemporaryDir m_dir;
};

void tst_JournalFaults::lockedByAnotherProcess()
{
    const QString path = m_dir.filePath(QStringLiteral("locked.db"));
    JournalRecorder recorder(at(path));
    recorder.setRetryInterval(0);
    QStringList reports;
    recorder.setFailureReport([&](const QString &m) { reports << m; });
    QVERIFY(recorder.record(entry(QStringLiteral("A.nc"))));

    Locker locker;
    QVERIFY(locker.start(path));
    // Each write gives up after the busy time: the transfer goes on, the entry is kept.
    QVERIFY(!recorder.record(entry(QStringLiteral("B.nc"))));
    QVERIFY(!recorder.record(entry(QStringLiteral("C.nc"), Outcome::Failed)));
    QCOMPARE(recorder.pending().size(), 2);
    QCOMPARE(reports.size(), 1); // once for the whole time it cannot write
    QVERIFY2(reports[0].startsWith(QStringLiteral("The transfer journal \"") + path + QStringLiteral("\" cannot be written: ")),
             qPrintable(reports[0]));
    QVERIFY2(reports[0].contains(QStringLiteral("locked")), qPrintable(reports[0]));
    QVERIFY(recorder.failing());

    QVERIFY(locker.release());
    // The timer writes what was kept, in the order of the transfers.
    recorder.setRetryInterval(50);
    QVERIFY(!recorder.flush() || recorder.pending().isEmpty());
    QTRY_VERIFY(recorder.pending().isEmpty());
    QCOMPARE(filesIn(path), (QStringList{QStringLiteral("A.nc"), QStringLiteral("B.nc"), QStringLiteral("C.nc")}));
    QVERIFY(!recorder.failing());

    // A new failure after a good write is a new failure period: told again.
    Locker again;
    QVERIFY(again.start(path));
    QVERIFY(!recorder.record(entry(QStringLiteral("D.nc"))));
    QCOMPARE(reports.size(), 2);
    QVERIFY(again.release());
    QVERIFY(recorder.record(entry(QStringLiteral("E.nc"))));
    QCOMPARE(filesIn(path).mid(3), (QStringList{QStringLiteral("D.nc"), QStringLiteral("E.nc")}));
}

void tst_JournalFaults::readOnlyFile()
{
    // The file's mode does not stop root: the work runs in a child as another user
    // that owns the journal file (so it can give itself the write right back).
    const QString folder = m_dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/journal.db");
    {
        JournalStore store(at(path));
        JournalEntry first = entry(QStringLiteral("A.nc"));
        first.timeUtc = QDateTime::currentDateTimeUtc();
        QString error;
        QVERIFY(store.append(first, &error));
    }
    const bool root = ::geteuid() == 0;
    const QByteArray file = QFile::encodeName(path);
    if (root) {
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        QVERIFY(::chown(file.constData(), 65534, 65534) == 0);
    }
    const QByteArray report = FaultInjection::runWithFileSizeLimit(RLIM_INFINITY, [&]() -> QByteArray {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return "cannot become user 65534";
        if (::chmod(file.constData(), 0444) != 0)
            return "chmod failed";
        QByteArray out;
        int reports = 0;
        {
            JournalRecorder recorder(at(path));
            recorder.setRetryInterval(0);
            recorder.setFailureReport([&](const QString &) { ++reports; });
            out += recorder.record(entry(QStringLiteral("B.nc"))) ? "B written;" : "B kept;";
            out += recorder.record(entry(QStringLiteral("C.nc"))) ? "C written;" : "C kept;";
            out += "reports " + QByteArray::number(reports) + ";";
            out += "error " + recorder.lastError().toUtf8() + ";";
            ::chmod(file.constData(), 0644);
            out += recorder.record(entry(QStringLiteral("D.nc"))) ? "D written;" : "D kept;";
            out += "pending " + QByteArray::number(recorder.pending().size()) + ";";
        }
        out += "files " + filesIn(path).join(QLatin1Char(',')).toUtf8();
        return out;
    });
    QVERIFY2(report.startsWith("B kept;C kept;reports 1;error Cannot write to the journal "), report.constData());
    QVERIFY2(report.contains("readonly"), report.constData());
    QVERIFY2(report.endsWith("D written;pending 0;files A.nc,B.nc,C.nc,D.nc"), report.constData());
}

void tst_JournalFaults::deletedWhileRunning()
{
    const QString path = m_dir.filePath(QStringLiteral("deleted.db"));
    JournalRecorder recorder(at(path));
    int reports = 0;
    recorder.setFailureReport([&](const QString &) { ++reports; });
    QVERIFY(recorder.record(entry(QStringLiteral("A.nc"))));
    QVERIFY(QFile::remove(path));
    // Not into the unlinked file the connection still holds: a new journal at the path.
    QVERIFY(recorder.record(entry(QStringLiteral("B.nc"))));
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(filesIn(path), QStringList{QStringLiteral("B.nc")});
    QCOMPARE(reports, 0);

    // Replaced by another file under its name: the same.
    const QString other = m_dir.filePath(QStringLiteral("other.db"));
    TestSupport::writeBytes(other, QByteArray());
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(other, path));
    QVERIFY(recorder.record(entry(QStringLiteral("C.nc"))));
    QCOMPARE(filesIn(path), QStringList{QStringLiteral("C.nc")});
}

void tst_JournalFaults::fullDisk()
{
    const QString path = m_dir.filePath(QStringLiteral("full.db"));
    JournalRecorder recorder(at(path));
    recorder.setRetryInterval(0);
    QStringList reports;
    recorder.setFailureReport([&](const QString &m) { reports << m; });
    QVERIFY(recorder.record(entry(QStringLiteral("A.nc"))));
    JournalEntry big = entry(QStringLiteral("B.nc"), Outcome::Failed);
    big.error = QString(200000, QLatin1Char('x')); // needs pages the disk does not have
    {
        FaultInjection::FileSizeLimit limit(rlim_t(QFileInfo(path).size()));
        QVERIFY(!recorder.record(big));
        QVERIFY(!recorder.record(entry(QStringLiteral("C.nc"))));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(recorder.pending().size(), 2);
    }
    QVERIFY(recorder.flush());
    QCOMPARE(filesIn(path), (QStringList{QStringLiteral("A.nc"), QStringLiteral("B.nc"), QStringLiteral("C.nc")}));
    JournalStore store(at(path));
    QString error;
    QCOMPARE(store.entries({}, &error).at(1).error, big.error);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    db.setDatabaseName(path);
    QVERIFY(db.open());
    {
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(tst_JournalFaults)
#include "tst_journalfaults.moc"
