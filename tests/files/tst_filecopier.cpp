#include "TestSupport.h"
#include "files/FileCopier.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QScopeGuard>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using Answer = FileCopier::Answer;
using Outcome = FileCopier::Outcome;

class tst_FileCopier : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void overwriteAnswers_data();
    void overwriteAnswers();
    void yesToAllAsksOnceForAFolder();
    void folderTreeIsCopiedWhole();
    void targetFolderReceivesTheSource();
    void cancelDuringCopyKeepsTheOldProgram();
    void failures_data();
    void failures();
    void readOnlyTargetFolderFails();
    void modificationTimeIsKept();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    void write(const QString &relative, const QByteArray &bytes);
    QByteArray read(const QString &relative) const { return TestSupport::readBytes(path(relative)); }
    // Names in a folder other than the expected ones (left-over temporary files).
    QStringList namesIn(const QString &relative) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_FileCopier::init() { m_dir = std::make_unique<QTemporaryDir>(); }

void tst_FileCopier::write(const QString &relative, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path(relative)).path());
    TestSupport::writeBytes(path(relative), bytes);
}

QStringList tst_FileCopier::namesIn(const QString &relative) const
{
    return QDir(path(relative)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

void tst_FileCopier::overwriteAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("Yes replaces") << int(Answer::Yes) << int(Outcome::Copied) << QByteArray("NEW\r\n");
    QTest::newRow("Yes to all replaces") << int(Answer::YesToAll) << int(Outcome::Copied) << QByteArray("NEW\r\n");
    QTest::newRow("No keeps the old file") << int(Answer::No) << int(Outcome::Declined) << QByteArray("OLD\n");
    QTest::newRow("Cancel keeps the old file") << int(Answer::Cancel) << int(Outcome::Cancelled) << QByteArray("OLD\n");
}

void tst_FileCopier::overwriteAnswers()
{
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(QByteArray, content);
    write(QStringLiteral("src/O1000.NC"), "NEW\r\n");
    write(QStringLiteral("dst/O1000.NC"), "OLD\n");
    QStringList asked;
    FileCopier copier;
    copier.setOverwriteQuestion([&](const QString &target) {
        asked << target;
        return Answer(answer);
    });
    QCOMPARE(int(copier.copy(path(QStringLiteral("src/O1000.NC")), path(QStringLiteral("dst/O1000.NC")))), outcome);
    QCOMPARE(asked, QStringList{QDir::toNativeSeparators(path(QStringLiteral("dst/O1000.NC")))});
    QCOMPARE(read(QStringLiteral("dst/O1000.NC")), content);
    QCOMPARE(namesIn(QStringLiteral("dst")), QStringList{QStringLiteral("O1000.NC")});
}

void tst_FileCopier::yesToAllAsksOnceForAFolder()
{
    for (const char *name : {"A.NC", "B.NC", "C.NC"})
        write(QStringLiteral("src/job/") + QLatin1String(name), QByteArray("new ") + name);
    write(QStringLiteral("dst/job/A.NC"), "old A");
    write(QStringLiteral("dst/job/C.NC"), "old C");
    int questions = 0;
    FileCopier copier;
    copier.setOverwriteQuestion([&](const QString &) {
        ++questions;
        return Answer::YesToAll;
    });
    // Into the folder dst, where job exists: the two merge.
    QCOMPARE(copier.copy(path(QStringLiteral("src/job")), path(QStringLiteral("dst"))), Outcome::Copied);
    QCOMPARE(questions, 1);
    for (const char *name : {"A.NC", "B.NC", "C.NC"})
        QCOMPARE(read(QStringLiteral("dst/job/") + QLatin1String(name)), QByteArray("new ") + name);

    // No for one file: the others are copied, the result says not everything was.
    write(QStringLiteral("src/job/A.NC"), "newer A");
    write(QStringLiteral("src/job/B.NC"), "newer B");
    QStringList answered;
    copier.setOverwriteQuestion([&](const QString &target) {
        answered << QFileInfo(target).fileName();
        return target.endsWith(QLatin1String("A.NC")) ? Answer::No : Answer::Yes;
    });
    QCOMPARE(copier.copy(path(QStringLiteral("src/job")), path(QStringLiteral("dst"))), Outcome::Declined);
    QCOMPARE(answered, (QStringList{QStringLiteral("A.NC"), QStringLiteral("B.NC"), QStringLiteral("C.NC")}));
    QCOMPARE(read(QStringLiteral("dst/job/A.NC")), QByteArray("new A.NC"));
    QCOMPARE(read(QStringLiteral("dst/job/B.NC")), QByteArray("newer B"));
}

void tst_FileCopier::folderTreeIsCopiedWhole()
{
    const QStringList corpus = TestSupport::corpusFiles(false);
    QVERIFY(corpus.size() >= 3);
    write(QStringLiteral("M01/ACME_4711_B/op10/") + QFileInfo(corpus.at(0)).fileName(), TestSupport::readBytes(corpus.at(0)));
    write(QStringLiteral("M01/ACME_4711_B/op20/") + QFileInfo(corpus.at(1)).fileName(), TestSupport::readBytes(corpus.at(1)));
    write(QStringLiteral("M01/ACME_4711_B/.hidden"), "x");
    write(QStringLiteral("M01/ACME_4711_B/empty.nc"), QByteArray());
    QDir().mkpath(path(QStringLiteral("M01/ACME_4711_B/op30/empty")));

    qint64 lastDone = -1, lastTotal = -1;
    FileCopier copier;
    copier.setProgress([&](qint64 done, qint64 total, const QString &) {
        lastDone = done;
        lastTotal = total;
        return true;
    });
    QCOMPARE(copier.copy(path(QStringLiteral("M01/ACME_4711_B")), path(QStringLiteral("M02/copy"))), Outcome::Copied);
    QCOMPARE(lastDone, lastTotal);
    QCOMPARE(lastTotal, QFileInfo(corpus.at(0)).size() + QFileInfo(corpus.at(1)).size() + 1);

    const QDir from(path(QStringLiteral("M01/ACME_4711_B")));
    QStringList expected, got;
    for (QDirIterator it(from.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString file = it.next();
        const QString relative = from.relativeFilePath(file);
        expected << relative;
        const QString copy = path(QStringLiteral("M02/copy/")) + relative;
        if (QFileInfo(file).isDir())
            QVERIFY2(QFileInfo(copy).isDir(), qPrintable(copy));
        else
            QCOMPARE(TestSupport::readBytes(copy), TestSupport::readBytes(file));
    }
    for (QDirIterator it(path(QStringLiteral("M02/copy")), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        got << QDir(path(QStringLiteral("M02/copy"))).relativeFilePath(it.next());
    expected.sort();
    got.sort();
    QCOMPARE(got, expected);
}

void tst_FileCopier::targetFolderReceivesTheSource()
{
    write(QStringLiteral("a/O1.NC"), "1");
    write(QStringLiteral("a/job/O2.NC"), "2");
    QDir().mkpath(path(QStringLiteral("b")));
    FileCopier copier;
    QCOMPARE(copier.copy(path(QStringLiteral("a/O1.NC")), path(QStringLiteral("b"))), Outcome::Copied);
    QCOMPARE(copier.copy(path(QStringLiteral("a/job")), path(QStringLiteral("b"))), Outcome::Copied);
    QCOMPARE(read(QStringLiteral("b/O1.NC")), QByteArray("1"));
    QCOMPARE(read(QStringLiteral("b/job/O2.NC")), QByteArray("2"));
    QCOMPARE(copier.resolvedTarget(), QDir::toNativeSeparators(path(QStringLiteral("b/job"))));
}

void tst_FileCopier::cancelDuringCopyKeepsTheOldProgram()
{
    // Large enough for several chunks, so the cancel falls in the middle.
    QByteArray big;
    while (big.size() < 5 * 1024 * 1024)
        big += "N10 G01 X100.000 Y-25.500 F1200\r\n";
    write(QStringLiteral("src/O2000.NC"), big);
    write(QStringLiteral("dst/O2000.NC"), "GOOD PROGRAM\n");
    int calls = 0;
    FileCopier copier;
    copier.setOverwriteQuestion([](const QString &) { return Answer::Yes; });
    copier.setProgress([&](qint64 done, qint64 total, const QString &) {
        ++calls;
        return done < total / 2;
    });
    QCOMPARE(copier.copy(path(QStringLiteral("src/O2000.NC")), path(QStringLiteral("dst/O2000.NC"))), Outcome::Cancelled);
    QVERIFY(calls > 1);
    QCOMPARE(read(QStringLiteral("dst/O2000.NC")), QByteArray("GOOD PROGRAM\n"));
    QCOMPARE(namesIn(QStringLiteral("dst")), QStringList{QStringLiteral("O2000.NC")});

    // A new file that is cancelled does not appear at all.
    QCOMPARE(copier.copy(path(QStringLiteral("src/O2000.NC")), path(QStringLiteral("dst/O2001.NC"))), Outcome::Cancelled);
    QCOMPARE(namesIn(QStringLiteral("dst")), QStringList{QStringLiteral("O2000.NC")});
}

void tst_FileCopier::failures_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing source") << "gone.nc" << "out.nc" << "The file or folder does not exist.";
    QTest::newRow("onto itself") << "job/O1.NC" << "job/O1.NC" << "The source and the target are the same.";
    QTest::newRow("into its own folder") << "job/O1.NC" << "job" << "The source and the target are the same.";
    QTest::newRow("folder into itself") << "job" << "job/sub" << "A folder cannot be copied into itself.";
    QTest::newRow("target under a file") << "job/O1.NC" << "plain.txt/O1.NC" << "";
    QTest::newRow("folder onto a file") << "job" << "plain.txt/x" << "";
    QTest::newRow("empty target") << "job/O1.NC" << "" << "No source or target was given.";
}

void tst_FileCopier::failures()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    write(QStringLiteral("job/O1.NC"), "O1\n");
    QDir().mkpath(path(QStringLiteral("job/sub")));
    write(QStringLiteral("plain.txt"), "text");
    FileCopier copier;
    const QString to = target.isEmpty() ? target : path(target);
    QCOMPARE(copier.copy(path(source), to), Outcome::Failed);
    QVERIFY(!copier.errorString().isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(copier.errorString(), reason);
    QCOMPARE(read(QStringLiteral("job/O1.NC")), QByteArray("O1\n"));
    QCOMPARE(read(QStringLiteral("plain.txt")), QByteArray("text"));
    QCOMPARE(namesIn(QStringLiteral("job")), (QStringList{QStringLiteral("O1.NC"), QStringLiteral("sub")}));
}

void tst_FileCopier::readOnlyTargetFolderFails()
{
    write(QStringLiteral("src/O1.NC"), "new");
    write(QStringLiteral("locked/O1.NC"), "old");
    QFile::setPermissions(path(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    auto restore = qScopeGuard([this] {
        QFile::setPermissions(path(QStringLiteral("locked")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    QFile probe(path(QStringLiteral("locked/probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("This user may write into read-only folders (administrator)");
    }
    FileCopier copier;
    copier.setOverwriteQuestion([](const QString &) { return Answer::Yes; });
    QCOMPARE(copier.copy(path(QStringLiteral("src/O1.NC")), path(QStringLiteral("locked/O1.NC"))), Outcome::Failed);
    QCOMPARE(copier.failedPath(), QDir::toNativeSeparators(path(QStringLiteral("locked/O1.NC"))));
    QCOMPARE(read(QStringLiteral("locked/O1.NC")), QByteArray("old"));
}

void tst_FileCopier::modificationTimeIsKept()
{
    write(QStringLiteral("src/O1.NC"), "O1\n");
    const QDateTime when(QDate(2021, 3, 4), QTime(5, 6, 7));
    {
        QFile f(path(QStringLiteral("src/O1.NC")));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    QFile::setPermissions(path(QStringLiteral("src/O1.NC")), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    FileCopier copier;
    QCOMPARE(copier.copy(path(QStringLiteral("src/O1.NC")), path(QStringLiteral("dst.nc"))), Outcome::Copied);
    QCOMPARE(QFileInfo(path(QStringLiteral("dst.nc"))).lastModified(), when);
    // Owner, group and others (what this process may do is not a property of the file).
    QCOMPARE(QFileInfo(path(QStringLiteral("dst.nc"))).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}

QTEST_GUILESS_MAIN(tst_FileCopier)
#include "tst_filecopier.moc"
