#include "TestSupport.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Paths.h"
#include "transfer/TransferRules.h"
#include "transfer/TransferValues.h"

#include <QTemporaryDir>
#include <QtTest>

using TransferRules::Way;
Q_DECLARE_METATYPE(TransferRules::Way)

class tst_TransferRules : public QObject
{
    Q_OBJECT

private slots:
    void wayByTransferType_data();
    void wayByTransferType();
    void ftpDirectoryNormalised_data();
    void ftpDirectoryNormalised();
    void copyTargetJoinsTrimmedParts_data();
    void copyTargetJoinsTrimmedParts();
    void sizesInWholeKilobytes_data();
    void sizesInWholeKilobytes();
    void valuesLoadedFromTheMachineRows();
    void localNamesFromAMachine_data();
    void localNamesFromAMachine();
};

void tst_TransferRules::localNamesFromAMachine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("program") << "O1000.nc" << true;
    QTest::newRow("blanks and dots inside") << "part 2..op 10.nc" << true;
    QTest::newRow("UTF-8 name") << QString::fromUtf8("Düse.nc") << true;
    QTest::newRow("up two folders") << "../../x" << false;
    QTest::newRow("backslash") << "..\\x.nc" << false;
    QTest::newRow("subfolder") << "sub/x.nc" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("this folder") << "." << false;
    QTest::newRow("parent as Windows reads it") << ". ." << false;
    QTest::newRow("drive") << "C:x.nc" << false;
    QTest::newRow("line feed") << "x\n.nc" << false;
    QTest::newRow("delete character") << "x\x7f.nc" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_TransferRules::localNamesFromAMachine()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(TransferRules::isPlainLocalName(name), plain);
}

void tst_TransferRules::wayByTransferType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<Way>("way");
    QTest::newRow("DIRLOCAL") << "DIRLOCAL" << Way::Directory;
    QTest::newRow("DIRNET") << "DIRNET" << Way::Directory;
    QTest::newRow("DIRREDE read like DIRNET") << "DIRREDE" << Way::Directory;
    QTest::newRow("FTP") << "FTP" << Way::Ftp;
    QTest::newRow("SERIAL232") << "SERIAL232" << Way::Serial;
    QTest::newRow("no machine selected") << "" << Way::None;
    QTest::newRow("lower case is another word") << "ftp" << Way::None;
    QTest::newRow("trailing blank is another word") << "DIRLOCAL " << Way::None;
    QTest::newRow("unknown word") << "USB" << Way::None;
}

void tst_TransferRules::wayByTransferType()
{
    QFETCH(QString, type);
    QFETCH(Way, way);
    QCOMPARE(TransferRules::wayFor(type), way);
}

void tst_TransferRules::ftpDirectoryNormalised_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("directory");
    QTest::newRow("no slashes") << "programs" << "/programs/";
    QTest::newRow("root stays root") << "/" << "/";
    QTest::newRow("empty becomes root") << "" << "/";
    QTest::newRow("blanks only become root") << "   " << "/";
    QTest::newRow("blanks trimmed first") << "  /nc/prog " << "/nc/prog/";
    QTest::newRow("complete already") << "/a/b/" << "/a/b/";
    QTest::newRow("inner blanks kept") << "my progs/" << "/my progs/";
}

void tst_TransferRules::ftpDirectoryNormalised()
{
    QFETCH(QString, stored);
    QFETCH(QString, directory);
    QCOMPARE(TransferRules::normaliseFtpDirectory(stored), directory);
}

void tst_TransferRules::copyTargetJoinsTrimmedParts_data()
{
    const QString sep = Paths::separator();
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("target");
    QTest::newRow("separator added") << "/m/in" << "O1.NC" << "/m/in" + sep + "O1.NC";
    QTest::newRow("no second separator") << "/m/in" + sep << "O1.NC" << "/m/in" + sep + "O1.NC";
    QTest::newRow("name trimmed") << "/m/in" + sep << "  O1 A.NC  " << "/m/in" + sep + "O1 A.NC";
    QTest::newRow("directory trimmed") << " /m/in " << "x" << "/m/in" + sep + "x";
}

void tst_TransferRules::copyTargetJoinsTrimmedParts()
{
    QFETCH(QString, directory);
    QFETCH(QString, name);
    QFETCH(QString, target);
    QCOMPARE(TransferRules::copyTarget(directory, name), target);
}

void tst_TransferRules::sizesInWholeKilobytes_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty file") << qint64(0) << "0 KB";
    QTest::newRow("900 bytes") << qint64(900) << "0 KB";
    QTest::newRow("one below two KB") << qint64(2047) << "1 KB";
    QTest::newRow("exactly two KB") << qint64(2048) << "2 KB";
    QTest::newRow("beyond 4 GB") << qint64(5) * 1024 * 1024 * 1024 << "5242880 KB";
}

void tst_TransferRules::sizesInWholeKilobytes()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(TransferRules::sizeInKilobytes(bytes), text);
}

void tst_TransferRules::valuesLoadedFromTheMachineRows()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("m.db"));
    DatabaseSchema::createDatabase(file, false);
    TDataModule1 &db = TDataModule1::instance();
    db.DataModuleCreate(file);
    MachineRecord m;
    m.number = QStringLiteral("1");
    m.transferType = QStringLiteral("FTP");
    const QString withRows = db.insertMachine(m);
    const QString withoutRows = db.insertMachine(m);
    db.insertPathParameters(withRows, {QStringLiteral("/shop/m1/")});
    db.insertFtpParameters(withRows, {QStringLiteral("nc"), QStringLiteral("10.0.0.5"), QStringLiteral("op"),
                                      QStringLiteral("pw"), QStringLiteral("2121")});
    SerialParameters s;
    s.speed = 7;
    s.dataBits = 4;
    s.parity = 3;
    s.stopBits = 2;
    s.crLf = 1;
    s.flow = 3;
    s.port = QStringLiteral("COM2");
    db.insertSerialParameters(withRows, s);

    TransferValues v;
    TransferRules::loadPathValues(v, withRows);
    TransferRules::loadFtpValues(v, withRows);
    TransferRules::loadSerialValues(v, withRows);
    QCOMPARE(v.MachineTransferDirectory, QStringLiteral("/shop/m1/"));
    QCOMPARE(v.FtpDirectory, QStringLiteral("/nc/"));
    QCOMPARE(v.FtpHost, QStringLiteral("10.0.0.5"));
    QCOMPARE(v.FtpUser, QStringLiteral("op"));
    QCOMPARE(v.FtpPassword, QStringLiteral("pw"));
    QCOMPARE(v.FtpPort, QStringLiteral("2121"));
    const SerialTables::SerialCodes codes = v.serialCodes();
    QCOMPARE(codes.portName, QStringLiteral("COM2"));
    QCOMPARE(QStringList({codes.speed, codes.dataBits, codes.parity, codes.stopBits, codes.flow, v.SerialCrLfCode}),
             QStringList({"7", "4", "3", "2", "3", "1"}));

    // A machine without rows: every value empty, the FTP directory the root.
    TransferRules::loadPathValues(v, withoutRows);
    TransferRules::loadFtpValues(v, withoutRows);
    TransferRules::loadSerialValues(v, withoutRows);
    QCOMPARE(v.MachineTransferDirectory, QString());
    QCOMPARE(v.FtpDirectory, QStringLiteral("/"));
    QVERIFY(v.FtpHost.isEmpty() && v.FtpUser.isEmpty() && v.FtpPassword.isEmpty() && v.FtpPort.isEmpty());
    QVERIFY(v.SerialPortName.isEmpty() && v.SerialSpeedCode.isEmpty() && v.SerialFlowCode.isEmpty()
            && v.SerialCrLfCode.isEmpty());
}

QTEST_GUILESS_MAIN(tst_TransferRules)
#include "tst_transferrules.moc"
