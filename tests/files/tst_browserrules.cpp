#include "TestSupport.h"
#include "files/FileTypeText.h"
#include "files/FolderListing.h"
#include "files/NameFilter.h"
#include "files/NewFolder.h"
#include "files/ProductDirectory.h"
#include "lang/Texts.h"
#include "platform/Paths.h"

#include <QDir>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QtTest>

class tst_BrowserRules : public QObject
{
    Q_OBJECT

private slots:
    void nameFilter_data();
    void nameFilter();
    void newFolderNames();
    void networkNeighbourhoodIsRefused_data();
    void networkNeighbourhoodIsRefused();
    void productPath_data();
    void productPath();
    void productChecksInOrder_data();
    void productChecksInOrder();
    void productCreation();
    void naturalNameOrder_data();
    void naturalNameOrder();
    void listOrder();
    void typeColumn_data();
    void typeColumn();
    void typeColumnFollowsTheFile();
};

void tst_BrowserRules::nameFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("admitted");
    QTest::newRow("extension, other case") << "g1" << "O1234.G1" << false << true;
    QTest::newRow("inside the name") << "g1" << "prog_g10.nc" << false << true;
    QTest::newRow("not contained") << "g1" << "O1234.NC" << false << false;
    QTest::newRow("folders are hidden") << "g1" << "G1" << true << false;
    QTest::newRow("blanks show everything") << "   " << "O1234.NC" << false << true;
    QTest::newRow("blanks show folders") << " \t " << "programs" << true << true;
    QTest::newRow("empty shows folders") << "" << "programs" << true << true;
    QTest::newRow("the text is not trimmed") << " g1" << "prog_g10.nc" << false << false;
    QTest::newRow("blank inside the text") << " g1" << "prog g10.nc" << false << true;
    QTest::newRow("wildcards are plain") << "*.nc" << "O1.nc" << false << false;
    QTest::newRow("wildcards match themselves") << "*" << "a*b.nc" << false << true;
    QTest::newRow("accented letters") << "é" << "PIÈCE_É.NC" << false << true;
}

void tst_BrowserRules::nameFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(bool, admitted);
    QCOMPARE(NameFilter(filter).admits(name, folder), admitted);
}

void tst_BrowserRules::newFolderNames()
{
    QTemporaryDir dir;
    const QString folder = Paths::withTrailingSeparator(dir.path());
    QStringList made;
    for (int i = 0; i < 3; ++i) {
        const QString path = NewFolder::choosePath(folder);
        QVERIFY(QDir().mkdir(path));
        made << QFileInfo(path).fileName();
    }
    QCOMPARE(made, (QStringList{QStringLiteral("New Folder"), QStringLiteral("New Folder 1"), QStringLiteral("New Folder 2")}));
    // A gap is filled first; a file of the name is in the way too.
    QVERIFY(QDir(folder).rmdir(QStringLiteral("New Folder 1")));
    TestSupport::writeBytes(folder + QStringLiteral("New Folder 1"), "x");
    QCOMPARE(QFileInfo(NewFolder::choosePath(folder)).fileName(), QStringLiteral("New Folder 3"));
}

void tst_BrowserRules::networkNeighbourhoodIsRefused_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("refused");
    QTest::newRow("network shortcuts") << "C:\\Users\\op\\AppData\\Roaming\\Microsoft\\Windows\\nethood\\" << true;
    QTest::newRow("case-sensitive") << "C:\\Users\\op\\NetHood\\" << false;
    QTest::newRow("ordinary folder") << "/srv/cnc/M01/" << false;
}

void tst_BrowserRules::networkNeighbourhoodIsRefused()
{
    QFETCH(QString, folder);
    QFETCH(bool, refused);
    QCOMPARE(NewFolder::isRefused(folder), refused);
}

void tst_BrowserRules::productPath_data()
{
    const QString sep = Paths::separator();
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("revision");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "ACME" << "4711" << "B" << "ACME_4711_B";
    QTest::newRow("blanks around are removed") << "  ACME " << "\t4711" << "B  " << "ACME_4711_B";
    QTest::newRow("blanks inside stay, case stays") << "Acme Tools" << "47 11" << "b" << "Acme Tools_47 11_b";
    QTest::newRow("backslash makes a deeper folder") << "ACME\\Line 2" << "4711" << "B" << "ACME" + sep + "Line 2_4711_B";
}

void tst_BrowserRules::productPath()
{
    QFETCH(QString, customer);
    QFETCH(QString, product);
    QFETCH(QString, revision);
    QFETCH(QString, name);
    const QString programs = Paths::withTrailingSeparator(QStringLiteral("/cnc/M01"));
    QCOMPARE(ProductDirectory::path(programs, customer, product, revision), programs + name);
    // A stored directory without its separator gets one.
    QCOMPARE(ProductDirectory::path(QStringLiteral("/cnc/M01"), customer, product, revision), programs + name);
}

void tst_BrowserRules::productChecksInOrder_data()
{
    QTest::addColumn<QString>("programs");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("revision");
    QTest::addColumn<int>("check");
    using C = ProductDirectory::Check;
    QTest::newRow("all empty: customer first") << "ok" << "" << "" << "" << int(C::CustomerMissing);
    QTest::newRow("blank customer") << "ok" << "  " << "1" << "A" << int(C::CustomerMissing);
    QTest::newRow("product next") << "ok" << "ACME" << " " << "" << int(C::ProductMissing);
    QTest::newRow("revision next") << "ok" << "ACME" << "1" << "\t" << int(C::RevisionMissing);
    QTest::newRow("fields before the directory") << "" << "" << "1" << "A" << int(C::CustomerMissing);
    QTest::newRow("no machine selected") << "" << "ACME" << "1" << "A" << int(C::ProgramDirectoryMissing);
    QTest::newRow("program directory gone") << "gone" << "ACME" << "1" << "A" << int(C::ProgramDirectoryMissing);
    QTest::newRow("exists already") << "ok" << "ACME" << "4711" << "B" << int(C::AlreadyExists);
    QTest::newRow("exists, other blanks") << "ok" << " ACME" << "4711 " << " B" << int(C::AlreadyExists);
    QTest::newRow("new product") << "ok" << "ACME" << "4711" << "C" << int(C::Ok);
}

void tst_BrowserRules::productChecksInOrder()
{
    QFETCH(QString, programs);
    QFETCH(QString, customer);
    QFETCH(QString, product);
    QFETCH(QString, revision);
    QFETCH(int, check);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("ok/ACME_4711_B"));
    const QString folder = programs.isEmpty() ? QString() : Paths::withTrailingSeparator(dir.filePath(programs));
    QCOMPARE(int(ProductDirectory::check(folder, customer, product, revision)), check);
}

void tst_BrowserRules::productCreation()
{
    QTemporaryDir dir;
    const QString programs = Paths::withTrailingSeparator(dir.path());
    const QString deep = ProductDirectory::path(programs, QStringLiteral("ACME\\Plant 2"), QStringLiteral("4711"), QStringLiteral("B"));
    QVERIFY(ProductDirectory::create(deep));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("ACME/Plant 2_4711_B"))).isDir());
    // A name the file system refuses (too long) is not reported as created.
    const QString refused = ProductDirectory::path(programs, QString(300, QLatin1Char('A')), QStringLiteral("1"), QStringLiteral("A"));
    QVERIFY(!ProductDirectory::create(refused));
    // A file in the way is not a folder either.
    TestSupport::writeBytes(dir.filePath(QStringLiteral("X_1_A")), "x");
    QVERIFY(!ProductDirectory::create(ProductDirectory::path(programs, QStringLiteral("X"), QStringLiteral("1"), QStringLiteral("A"))));
}

void tst_BrowserRules::naturalNameOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("numbers by value") << "O2.NC" << "O10.NC" << -1;
    QTest::newRow("letter case ignored") << "a.nc" << "B.nc" << -1;
    QTest::newRow("same but case") << "Prog_9.nc" << "prog_9.NC" << 0;
    QTest::newRow("leading zeros") << "O0010" << "O10" << 0;
    QTest::newRow("prefix first") << "O1" << "O1.NC" << -1;
    QTest::newRow("digits against letters") << "9" << "A" << -1;
    QTest::newRow("long numbers") << "P123456789012345678901" << "P99" << 1;
}

void tst_BrowserRules::naturalNameOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    const int c = FolderListing::compareNames(a, b);
    QCOMPARE((c > 0) - (c < 0), sign);
    const int r = FolderListing::compareNames(b, a);
    QCOMPARE((r > 0) - (r < 0), -sign);
}

void tst_BrowserRules::listOrder()
{
    const QDateTime t0(QDate(2024, 1, 1), QTime(8, 0));
    const auto entry = [&](const char *name, bool dir, qint64 size, int minutes) {
        FolderEntry e;
        e.name = QLatin1String(name);
        e.isDir = dir;
        e.size = size;
        e.modified = t0.addSecs(60 * minutes);
        return e;
    };
    QList<FolderEntry> entries{entry("O10.NC", false, 5, 3), entry("zeta", true, 0, 0), entry("o10.nc", false, 1, 1),
                               entry("O9.TXT", false, 9, 2), entry("Alpha", true, 0, 9)};
    const auto names = [&] {
        QStringList n;
        for (const FolderEntry &e : entries)
            n << e.name;
        return n;
    };
    FolderListing::sort(entries, FolderListing::Order{FolderListing::Name, false});
    QCOMPARE(names(), (QStringList{"Alpha", "zeta", "O9.TXT", "O10.NC", "o10.nc"}));
    FolderListing::sort(entries, FolderListing::Order{FolderListing::Name, true});
    QCOMPARE(names(), (QStringList{"zeta", "Alpha", "o10.nc", "O10.NC", "O9.TXT"}));
    FolderListing::sort(entries, FolderListing::Order{FolderListing::Size, false});
    QCOMPARE(names(), (QStringList{"Alpha", "zeta", "o10.nc", "O10.NC", "O9.TXT"}));
    FolderListing::sort(entries, FolderListing::Order{FolderListing::Type, false});
    QCOMPARE(names(), (QStringList{"Alpha", "zeta", "O10.NC", "o10.nc", "O9.TXT"}));
    FolderListing::sort(entries, FolderListing::Order{FolderListing::Modified, false});
    QCOMPARE(names(), (QStringList{"zeta", "Alpha", "o10.nc", "O9.TXT", "O10.NC"}));
}

void tst_BrowserRules::typeColumn_data()
{
    // "desktop": whatever this desktop calls files of that extension.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const QByteArray program = "%\nO1000 (POCKET)\nG90 G54 G00 X0 Y0\nG01 Z-1.000 F300\nM30\n%\n";
    QByteArray netcdf("CDF\x01\x00\x00\x00\x00\x00\x00\x00\x0a\x00\x00\x00\x01", 16);
    netcdf += QByteArray(200, '\0');
    QTest::newRow("nc holding G-code") << "O1000.nc" << program << "NC File";
    QTest::newRow("NC in capitals") << "O1001.NC" << program << "NC File";
    QTest::newRow("nc holding NetCDF data") << "climate.nc" << netcdf << "desktop";
    QTest::newRow("empty nc, a new program") << "O1002.nc" << QByteArray() << "NC File";
    QTest::newRow("nc in UTF-16") << "O1003.nc" << QByteArray("\xff\xfeO\x001\x00\n\x00", 8) << "NC File";
    QTest::newRow("iso holding G-code") << "O1004.iso" << program << "ISO File";
    QTest::newRow("iso holding a disc image") << "disc.iso" << QByteArray(512, '\0') << "desktop";
    QTest::newRow("ngc holding G-code") << "pocket.ngc" << program << "NGC File";
    QTest::newRow("h is a program, not a C header") << "CONTOUR.H" << program << "H File";
    QTest::newRow("tap is unknown to the desktop") << "O1005.tap" << program << "TAP File";
    QTest::newRow("mpf is unknown to the desktop") << "MAIN.MPF" << program << "MPF File";
    QTest::newRow("png keeps its name") << "part.png" << QByteArray("\x89PNG\r\n\x1a\n") << "desktop";
    QTest::newRow("txt keeps its name") << "notes.txt" << program << "desktop";
    QTest::newRow("pdf keeps its name") << "drawing.pdf" << QByteArray("%PDF-1.4\n") << "desktop";
    QTest::newRow("no extension") << "O1006" << program << "";
    QTest::newRow("folder") << "" << QByteArray() << "desktop";
}

void tst_BrowserRules::typeColumn()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    TestSupport::resetAppState();
    QVERIFY(Texts::runLanguageProcedure(QStringLiteral("EN")));
    QTemporaryDir dir;
    FolderEntry entry;
    entry.isDir = name.isEmpty();
    entry.name = entry.isDir ? QStringLiteral("job") : name;
    const QString path = dir.filePath(entry.name);
    if (entry.isDir)
        QVERIFY(QDir().mkdir(path));
    else
        TestSupport::writeBytes(path, content);
    const QFileInfo info(path);
    entry.size = info.size();
    entry.modified = info.lastModified();
    if (expected == QLatin1String("desktop")) {
        const QMimeDatabase mimes;
        const QMimeType type = entry.isDir ? mimes.mimeTypeForName(QStringLiteral("inode/directory"))
                                           : mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QVERIFY(!type.isDefault());
        expected = type.comment();
    }
    FileTypeText types;
    QCOMPARE(types.text(dir.path(), entry), expected);
}

void tst_BrowserRules::typeColumnFollowsTheFile()
{
    TestSupport::resetAppState();
    QVERIFY(Texts::runLanguageProcedure(QStringLiteral("DE")));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("O1.nc"));
    TestSupport::writeBytes(path, "G0 X0\n");
    FolderEntry entry{QStringLiteral("O1.nc"), false, 6, QDateTime(QDate(2024, 1, 1), QTime(8, 0))};
    FileTypeText types;
    QCOMPARE(types.text(dir.path(), entry), QStringLiteral("NC-Datei"));
    // Overwritten with data: the changed size and time make it read again.
    TestSupport::writeBytes(path, QByteArray("CDF\x01", 4) + QByteArray(100, '\0'));
    entry.size = 104;
    entry.modified = entry.modified.addSecs(1);
    QCOMPARE(types.text(dir.path(), entry), QMimeDatabase().mimeTypeForName(QStringLiteral("application/x-netcdf")).comment());
}

QTEST_GUILESS_MAIN(tst_BrowserRules)
#include "tst_browserrules.moc"
