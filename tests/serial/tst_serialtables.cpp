#include "transfer/SerialTables.h"

#include <QtTest>

using namespace SerialTables;

namespace {

SerialCodes codes(const QString &speed, const QString &dataBits, const QString &parity,
                  const QString &stopBits, const QString &flow)
{
    return SerialCodes{QStringLiteral("COM2"), speed, dataBits, parity, stopBits, flow};
}

// Settings no code produces, so that a code that changes nothing can be seen.
SerialSettings unusualSettings()
{
    SerialSettings s;
    s.portName = QStringLiteral("COM9");
    s.baudRate = 1234;
    s.dataBits = 6;
    s.parity = SerialSettings::Parity::Odd;
    s.stopBits = SerialSettings::StopBits::Two;
    s.dtrControl = SerialSettings::DtrControl::Handshake;
    s.rtsControl = SerialSettings::RtsControl::Toggle;
    s.ctsOutputFlow = true;
    s.dsrOutputFlow = true;
    s.dsrSensitivity = true;
    s.xonXoffOut = true;
    s.xonXoffIn = false;
    return s;
}

const SerialFieldTexts PreviousFields{QStringLiteral("COM9"),       QStringLiteral("old speed"),
                                      QStringLiteral("old bits"),   QStringLiteral("old parity"),
                                      QStringLiteral("old stop"),   QStringLiteral("old flow")};

bool sameSettings(const SerialSettings &a, const SerialSettings &b)
{
    return a.baudRate == b.baudRate && a.dataBits == b.dataBits && a.parity == b.parity && a.stopBits == b.stopBits
        && a.dtrControl == b.dtrControl && a.rtsControl == b.rtsControl && a.ctsOutputFlow == b.ctsOutputFlow
        && a.dsrOutputFlow == b.dsrOutputFlow && a.dsrSensitivity == b.dsrSensitivity && a.xonXoffOut == b.xonXoffOut
        && a.xonXoffIn == b.xonXoffIn && a.xonChar == b.xonChar && a.xoffChar == b.xoffChar
        && a.continueOnXoff == b.continueOnXoff;
}

using Apply = void (*)(const SerialCodes &, SerialSettings &, SerialFieldTexts &);

} // namespace

class tst_SerialTables : public QObject
{
    Q_OBJECT

private slots:
    void listsMatchRegistrationWindow();
    void everyCodeSetsPortAndField_data();
    void everyCodeSetsPortAndField();
    void stopBitsCodes_data();
    void stopBitsCodes();
    void flowPresets_data();
    void flowPresets();
    void customAfterHardwareKeepsCtsFlow();
    void codesOutsideTablesChangeNothing_data();
    void codesOutsideTablesChangeNothing();
    void machineWithoutSerialRow();
};

// The other lists are checked through the field texts the codes produce.
void tst_SerialTables::listsMatchRegistrationWindow()
{
    QCOMPARE(portList().size(), 13);
    QCOMPARE(portList().last(), QStringLiteral("COM12"));
    QCOMPARE(speedList().size(), 17);
    QVERIFY(speedList().first().isEmpty());
    QCOMPARE(speedList().at(15), QStringLiteral("256000"));
    QVERIFY(speedList().last().isEmpty());
}

void tst_SerialTables::everyCodeSetsPortAndField_data()
{
    QTest::addColumn<bool>("receiveWindow");
    QTest::newRow("send window") << false;
    QTest::newRow("receive window") << true;
}

// The field shows the list text at the code's position and the port gets that very value.
void tst_SerialTables::everyCodeSetsPortAndField()
{
    QFETCH(bool, receiveWindow);
    const Apply apply = receiveWindow ? &PARAM_serial_Enviar_R : &PARAM_serial_Enviar;

    for (int code = 1; code <= 15; ++code) {
        SerialSettings port = unusualSettings();
        SerialFieldTexts fields = PreviousFields;
        apply(codes(QString::number(code), {}, {}, {}, {}), port, fields);
        QCOMPARE(fields.speed, speedList().at(code));
        QCOMPARE(port.baudRate, speedList().at(code).toInt());
    }
    for (int code = 1; code <= 4; ++code) {
        SerialSettings port = unusualSettings();
        SerialFieldTexts fields = PreviousFields;
        apply(codes({}, QString::number(code), {}, {}, {}), port, fields);
        QCOMPARE(fields.dataBits, dataBitsList().at(code));
        QCOMPARE(port.dataBits, dataBitsList().at(code).toInt());
    }
    const SerialSettings::Parity parities[] = {SerialSettings::Parity::Even, SerialSettings::Parity::Mark,
                                               SerialSettings::Parity::None, SerialSettings::Parity::Odd,
                                               SerialSettings::Parity::Space};
    for (int code = 1; code <= 5; ++code) {
        SerialSettings port = unusualSettings();
        SerialFieldTexts fields = PreviousFields;
        apply(codes({}, {}, QString::number(code), {}, {}), port, fields);
        QCOMPARE(fields.parity, parityList().at(code));
        QCOMPARE(port.parity, parities[code - 1]);
        QCOMPARE(port.portName, QStringLiteral("COM2"));
        QCOMPARE(fields.port, QStringLiteral("COM2"));
    }
}

void tst_SerialTables::stopBitsCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<SerialSettings::StopBits>("stopBits");
    QTest::addColumn<QString>("field");

    QTest::newRow("1 is 1.5, shown as 0") << "1" << SerialSettings::StopBits::OneAndHalf << "0";
    QTest::newRow("2 is 1") << "2" << SerialSettings::StopBits::One << "1";
    QTest::newRow("3 is 2") << "3" << SerialSettings::StopBits::Two << "2";
}

void tst_SerialTables::stopBitsCodes()
{
    QFETCH(QString, code);
    QFETCH(SerialSettings::StopBits, stopBits);
    QFETCH(QString, field);

    SerialSettings port = unusualSettings();
    port.stopBits = SerialSettings::StopBits::One;
    if (stopBits == SerialSettings::StopBits::One)
        port.stopBits = SerialSettings::StopBits::Two;
    SerialFieldTexts fields = PreviousFields;
    PARAM_serial_Enviar(codes({}, {}, {}, code, {}), port, fields);
    QCOMPARE(port.stopBits, stopBits);
    QCOMPARE(fields.stopBits, field);
}

void tst_SerialTables::flowPresets_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("field");
    QTest::addColumn<SerialSettings::RtsControl>("rts");
    QTest::addColumn<bool>("cts");
    QTest::addColumn<bool>("xonXoffOut");
    QTest::addColumn<bool>("xonXoffIn");

    // Custom keeps CTS flow and XON/XOFF as unusualSettings() has them.
    QTest::newRow("CUSTOM") << "1" << "CUSTOM" << SerialSettings::RtsControl::Enable << true << true << false;
    QTest::newRow("HARDWARE") << "2" << "HARDWARE" << SerialSettings::RtsControl::Handshake << true << false << false;
    QTest::newRow("NONE") << "3" << "NONE" << SerialSettings::RtsControl::Disable << false << false << false;
    QTest::newRow("SOFTWARE") << "4" << "SOFTWARE" << SerialSettings::RtsControl::Disable << false << true << true;
}

void tst_SerialTables::flowPresets()
{
    QFETCH(QString, code);
    QFETCH(QString, field);
    QFETCH(SerialSettings::RtsControl, rts);
    QFETCH(bool, cts);
    QFETCH(bool, xonXoffOut);
    QFETCH(bool, xonXoffIn);

    const SerialSettings before = unusualSettings();
    SerialSettings port = before;
    SerialFieldTexts fields = PreviousFields;
    PARAM_serial_Enviar_R(codes({}, {}, {}, {}, code), port, fields);
    QCOMPARE(fields.flow, field);
    QCOMPARE(port.rtsControl, rts);
    QCOMPARE(port.ctsOutputFlow, cts);
    QCOMPARE(port.xonXoffOut, xonXoffOut);
    QCOMPARE(port.xonXoffIn, xonXoffIn);
    // No preset touches these.
    QCOMPARE(port.dtrControl, before.dtrControl);
    QCOMPARE(port.dsrOutputFlow, before.dsrOutputFlow);
    QCOMPARE(port.dsrSensitivity, before.dsrSensitivity);
    QCOMPARE(int(port.xonChar), 17);
    QCOMPARE(int(port.xoffChar), 19);
}

void tst_SerialTables::customAfterHardwareKeepsCtsFlow()
{
    SerialSettings port = SerialSettings::sendWindowDesign();
    SerialFieldTexts fields;
    PARAM_serial_Enviar(codes(QStringLiteral("7"), QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("2"),
                              QStringLiteral("2")),
                        port, fields);
    QVERIFY(port.ctsOutputFlow);
    PARAM_serial_Enviar(codes(QStringLiteral("7"), QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("2"),
                              QStringLiteral("1")),
                        port, fields);
    QVERIFY(port.ctsOutputFlow);
    QCOMPARE(port.rtsControl, SerialSettings::RtsControl::Enable);
    QCOMPARE(fields.flow, QStringLiteral("CUSTOM"));
}

void tst_SerialTables::codesOutsideTablesChangeNothing_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("empty") << "";
    QTest::newRow("zero") << "0";
    QTest::newRow("speed list's trailing blank") << "16";
    QTest::newRow("leading zero") << "07";
    QTest::newRow("blanks") << " 2";
    QTest::newRow("negative") << "-1";
    QTest::newRow("word") << "NONE";
}

void tst_SerialTables::codesOutsideTablesChangeNothing()
{
    QFETCH(QString, code);
    const SerialSettings before = unusualSettings();
    SerialSettings port = before;
    SerialFieldTexts fields = PreviousFields;
    PARAM_serial_Enviar(codes(code, code, code, code, code), port, fields);
    QVERIFY(sameSettings(port, before));
    QCOMPARE(fields.speed, PreviousFields.speed);
    QCOMPARE(fields.dataBits, PreviousFields.dataBits);
    QCOMPARE(fields.parity, PreviousFields.parity);
    QCOMPARE(fields.stopBits, PreviousFields.stopBits);
    QCOMPARE(fields.flow, PreviousFields.flow);
    // The port name is always taken.
    QCOMPARE(port.portName, QStringLiteral("COM2"));
}

void tst_SerialTables::machineWithoutSerialRow()
{
    const SerialSettings before = unusualSettings();
    SerialSettings port = before;
    SerialFieldTexts fields = PreviousFields;
    PARAM_serial_Enviar(SerialCodes::fromParameters(SerialParameters()), port, fields);
    QVERIFY(sameSettings(port, before));
    QCOMPARE(fields.speed, PreviousFields.speed);
    QVERIFY(port.portName.isEmpty());
    QVERIFY(fields.port.isEmpty());

    SerialParameters stored;
    stored.speed = 13;
    stored.stopBits = 1;
    stored.port = QStringLiteral("COM4");
    PARAM_serial_Enviar(SerialCodes::fromParameters(stored), port, fields);
    QCOMPARE(port.baudRate, 115200);
    QCOMPARE(port.stopBits, SerialSettings::StopBits::OneAndHalf);
    QCOMPARE(port.portName, QStringLiteral("COM4"));
}

QTEST_MAIN(tst_SerialTables)
#include "tst_serialtables.moc"
