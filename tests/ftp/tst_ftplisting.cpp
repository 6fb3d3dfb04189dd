#include "platform/ftp/FtpListing.h"

#include <QTest>
#include <QTimeZone>

class TestFtpListing : public QObject
{
    Q_OBJECT

private slots:
    void listLine_data();
    void listLine();
    void mlsdLine_data();
    void mlsdLine();
    void wholeListingKeepsOrderAndSkipsNoise();
};

namespace {
const QDate kToday(2026, 12, 9);

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}
QDateTime utc(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc()).toLocalTime();
}
} // namespace

void TestFtpListing::listLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<bool>("isFile");

    QTest::newRow("unix file, recent time")
        << "-rw-r--r--   1 owner    group         900 Mar  5 14:30 O1000.NC" << true << "O1000.NC" << qint64(900)
        << local(2026, 3, 5, 14, 30) << true;
    QTest::newRow("unix time later than today is last year")
        << "-rw-r--r-- 1 owner group 10 Dec 31 23:59 late.nc" << true << "late.nc" << qint64(10)
        << local(2025, 12, 31, 23, 59) << true;
    QTest::newRow("unix 29 February without year")
        << "-rw-r--r-- 1 owner group 10 Feb 29 10:00 leap.nc" << true << "leap.nc" << qint64(10)
        << local(2024, 2, 29, 10, 0) << true;
    QTest::newRow("unix with year") << "-rw-r--r--   1 owner group   1234 Jan 15  2019 old.nc" << true << "old.nc"
                                    << qint64(1234) << local(2019, 1, 15) << true;
    QTest::newRow("unix directory") << "drwxr-xr-x   2 owner group   4096 Mar  5 14:30 programs" << true
                                    << "programs" << qint64(4096) << local(2026, 3, 5, 14, 30) << false;
    QTest::newRow("unix name with blanks")
        << "-rw-r--r-- 1 owner group 5 Mar  5 14:30 my  part prog .nc" << true << "my  part prog .nc" << qint64(5)
        << local(2026, 3, 5, 14, 30) << true;
    QTest::newRow("unix name that looks like a date")
        << "-rw-r--r-- 1 owner group 10 Mar 5 2020 Mar 5 2020.nc" << true << "Mar 5 2020.nc" << qint64(10)
        << local(2020, 3, 5) << true;
    QTest::newRow("unix symbolic link") << "lrwxrwxrwx 1 owner group 7 Mar 5 14:30 current -> O1000.NC" << true
                                        << "current" << qint64(7) << local(2026, 3, 5, 14, 30) << false;
    QTest::newRow("unix without group column") << "-rw-r--r-- 1 owner 900 Mar 5 2020 nogroup.nc" << true
                                               << "nogroup.nc" << qint64(900) << local(2020, 3, 5) << true;
    QTest::newRow("unix numeric ids, ACL mark, owner like a month")
        << "-rw-r--r--+ 1 may 1000 900 Mar 5 2020 acl.nc" << true << "acl.nc" << qint64(900) << local(2020, 3, 5)
        << true;
    QTest::newRow("unix size above 4 GB") << "-rw-r--r-- 1 owner group 5368709120 Mar 5 2020 big.bin" << true
                                          << "big.bin" << qint64(5368709120LL) << local(2020, 3, 5) << true;
    QTest::newRow("unix ISO date") << "-rw-r--r-- 1 owner group 10 2020-03-05 14:30 iso.nc" << true << "iso.nc"
                                   << qint64(10) << local(2020, 3, 5, 14, 30) << true;
    QTest::newRow("unix day before month") << "-rw-r--r-- 1 owner group 10 5 Mar 2020 dm.nc" << true << "dm.nc"
                                           << qint64(10) << local(2020, 3, 5) << true;
    QTest::newRow("unix device is no plain file") << "crw-rw---- 1 root tty 4, 1 Mar 5 14:30 tty1" << true
                                                  << "tty1" << qint64(1) << local(2026, 3, 5, 14, 30) << false;
    QTest::newRow("dos directory") << "12-31-20  03:45PM       <DIR>          Sub Folder" << true << "Sub Folder"
                                   << qint64(0) << local(2020, 12, 31, 15, 45) << false;
    QTest::newRow("dos file, four-digit year") << "02-10-2021  11:02AM               1234 O1234.NC" << true
                                               << "O1234.NC" << qint64(1234) << local(2021, 2, 10, 11, 2) << true;
    QTest::newRow("dos 24-hour clock, blanks in name") << "02-10-21  23:02  900 a b.nc" << true << "a b.nc"
                                                       << qint64(900) << local(2021, 2, 10, 23, 2) << true;
    QTest::newRow("dos midnight") << "01-01-21  12:05AM  5 midnight.nc" << true << "midnight.nc" << qint64(5)
                                  << local(2021, 1, 1, 0, 5) << true;
    QTest::newRow("dos thousands separators") << "01-01-21  10:00AM  1,234,567 sep.nc" << true << "sep.nc"
                                              << qint64(1234567) << local(2021, 1, 1, 10, 0) << true;
    QTest::newRow("dos day first when it cannot be a month") << "31-12-20  10:00  7 dm.nc" << true << "dm.nc"
                                                             << qint64(7) << local(2020, 12, 31, 10, 0) << true;
    QTest::newRow("total line") << "total 12" << false << QString() << qint64(0) << QDateTime() << false;
    QTest::newRow("blank line") << "   " << false << QString() << qint64(0) << QDateTime() << false;
    QTest::newRow("banner") << "Listing of MEMCARD follows" << false << QString() << qint64(0) << QDateTime()
                            << false;
}

void TestFtpListing::listLine()
{
    QFETCH(QString, line);
    QFETCH(bool, parsed);
    const auto entry = FtpListing::parseListLine(line, kToday);
    QCOMPARE(entry.has_value(), parsed);
    if (!parsed)
        return;
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QDateTime, modified);
    QFETCH(bool, isFile);
    QCOMPARE(entry->name, name);
    QCOMPARE(entry->size, size);
    QCOMPARE(entry->modified, modified);
    QCOMPARE(entry->isFile, isFile);
}

void TestFtpListing::mlsdLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QDateTime>("modified");
    QTest::addColumn<bool>("isFile");

    QTest::newRow("file") << "modify=20200305143000;perm=r;size=900;type=file;unique=fe00g; O1000.NC" << true
                          << "O1000.NC" << qint64(900) << utc(2020, 3, 5, 14, 30, 0) << true;
    QTest::newRow("directory with blanks") << "type=dir;sizd=4096;modify=20200305143000; sub dir" << true
                                           << "sub dir" << qint64(0) << utc(2020, 3, 5, 14, 30, 0) << false;
    QTest::newRow("upper case facts, fractions, semicolon in name")
        << "Type=FILE;Size=5368709120;Modify=20200305143001.123; name; with semi" << true << "name; with semi"
        << qint64(5368709120LL) << utc(2020, 3, 5, 14, 30, 1) << true;
    QTest::newRow("current directory") << "type=cdir;modify=20200305143000; ." << true << "." << qint64(0)
                                       << utc(2020, 3, 5, 14, 30, 0) << false;
    QTest::newRow("symbolic link") << "type=OS.unix=slink:/x;size=1; link" << true << "link" << qint64(1)
                                   << QDateTime() << false;
    QTest::newRow("leading blank of the name kept") << "size=1;type=file;  lead" << true << " lead" << qint64(1)
                                                    << QDateTime() << true;
    QTest::newRow("signed or broken size is unknown") << "type=file;size=-5;modify=20200305143000; neg" << true << "neg"
                                                      << qint64(0) << utc(2020, 3, 5, 14, 30, 0) << true;
    QTest::newRow("plus sign is no digit") << "type=file;size=+5; pos" << true << "pos" << qint64(0) << QDateTime()
                                           << true;
    QTest::newRow("no facts") << "plain text line" << false << QString() << qint64(0) << QDateTime() << false;
    QTest::newRow("no name") << "type=file;size=1;" << false << QString() << qint64(0) << QDateTime() << false;
}

void TestFtpListing::mlsdLine()
{
    QFETCH(QString, line);
    QFETCH(bool, parsed);
    const auto entry = FtpListing::parseMlsdLine(line);
    QCOMPARE(entry.has_value(), parsed);
    if (!parsed)
        return;
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QDateTime, modified);
    QFETCH(bool, isFile);
    QCOMPARE(entry->name, name);
    QCOMPARE(entry->size, size);
    QCOMPARE(entry->modified, modified);
    QCOMPARE(entry->isFile, isFile);
}

void TestFtpListing::wholeListingKeepsOrderAndSkipsNoise()
{
    const QString listing = QStringLiteral("total 3\r\n"
                                           "-rw-r--r-- 1 o g 3 Mar 5 2020 b.nc\r\n"
                                           "drwxr-xr-x 2 o g 4096 Mar 5 2020 a\r\n"
                                           "\r\n"
                                           "02-10-21  11:02AM  1 c.nc\r\n");
    const QList<FtpListEntry> entries = FtpListing::parseList(listing, kToday);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].name, QStringLiteral("b.nc"));
    QCOMPARE(entries[1].name, QStringLiteral("a"));
    QCOMPARE(entries[2].name, QStringLiteral("c.nc"));

    const QList<FtpListEntry> mlsd =
        FtpListing::parseMlsd(QStringLiteral("type=file;size=1; x\r\ntype=dir; y\r\n"));
    QCOMPARE(mlsd.size(), 2);
    QCOMPARE(mlsd[1].name, QStringLiteral("y"));
}

QTEST_GUILESS_MAIN(TestFtpListing)
#include "tst_ftplisting.moc"
