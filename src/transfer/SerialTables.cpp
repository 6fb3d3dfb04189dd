#include "SerialTables.h"

#include <array>

namespace SerialTables {

namespace {

constexpr std::array<int, 15> Speeds{110, 300, 600, 1200, 2400, 4800, 9600, 14400,
                                     19200, 38400, 56000, 57600, 115200, 128000, 256000};

constexpr std::array<SerialSettings::Parity, 5> Parities{
    SerialSettings::Parity::Even, SerialSettings::Parity::Mark, SerialSettings::Parity::None,
    SerialSettings::Parity::Odd, SerialSettings::Parity::Space};

constexpr std::array<SerialSettings::StopBits, 3> StopBitValues{
    SerialSettings::StopBits::OneAndHalf, SerialSettings::StopBits::One, SerialSettings::StopBits::Two};

constexpr std::array<SerialSettings::FlowPreset, 4> FlowPresets{
    SerialSettings::FlowPreset::Custom, SerialSettings::FlowPreset::Hardware,
    SerialSettings::FlowPreset::None, SerialSettings::FlowPreset::Software};

QStringList withBlankFirst(QStringList entries)
{
    entries.prepend(QString());
    return entries;
}

// The code that text stands for, 1 to count, or 0. Only the plain decimal digits count.
int codeOf(const QString &text, int count)
{
    for (int code = 1; code <= count; ++code) {
        if (text == QString::number(code))
            return code;
    }
    return 0;
}

void applyCodes(const SerialCodes &codes, SerialSettings &port, SerialFieldTexts &fields)
{
    port.portName = codes.portName;
    fields.port = codes.portName;

    if (const int code = codeOf(codes.speed, int(Speeds.size()))) {
        port.baudRate = Speeds[code - 1];
        fields.speed = speedList().at(code);
    }
    if (const int code = codeOf(codes.dataBits, 4)) {
        port.dataBits = 4 + code;
        fields.dataBits = dataBitsList().at(code);
    }
    if (const int code = codeOf(codes.parity, int(Parities.size()))) {
        port.parity = Parities[code - 1];
        fields.parity = parityList().at(code);
    }
    if (const int code = codeOf(codes.stopBits, int(StopBitValues.size()))) {
        port.stopBits = StopBitValues[code - 1];
        fields.stopBits = stopBitsList().at(code);
    }
    if (const int code = codeOf(codes.flow, int(FlowPresets.size()))) {
        port.applyFlowPreset(FlowPresets[code - 1]);
        fields.flow = flowList().at(code);
    }
}

} // namespace

const QStringList &portList()
{
    static const QStringList list = [] {
        QStringList l{QString()};
        for (int n = 1; n <= 12; ++n)
            l << QStringLiteral("COM%1").arg(n);
        return l;
    }();
    return list;
}

const QStringList &speedList()
{
    static const QStringList list = [] {
        QStringList l{QString()};
        for (int speed : Speeds)
            l << QString::number(speed);
        l << QString();
        return l;
    }();
    return list;
}

const QStringList &dataBitsList()
{
    static const QStringList list = withBlankFirst({QStringLiteral("5"), QStringLiteral("6"),
                                                    QStringLiteral("7"), QStringLiteral("8")});
    return list;
}

const QStringList &parityList()
{
    static const QStringList list = withBlankFirst({QStringLiteral("EVEN"), QStringLiteral("MARK"),
                                                    QStringLiteral("NONE"), QStringLiteral("ODD"),
                                                    QStringLiteral("SPACE")});
    return list;
}

const QStringList &stopBitsList()
{
    static const QStringList list =
        withBlankFirst({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    return list;
}

const QStringList &flowList()
{
    static const QStringList list = withBlankFirst({QStringLiteral("CUSTOM"), QStringLiteral("HARDWARE"),
                                                    QStringLiteral("NONE"), QStringLiteral("SOFTWARE")});
    return list;
}

SerialCodes SerialCodes::fromParameters(const SerialParameters &p)
{
    SerialCodes c;
    c.portName = p.port;
    c.speed = QString::number(p.speed);
    c.dataBits = QString::number(p.dataBits);
    c.parity = QString::number(p.parity);
    c.stopBits = QString::number(p.stopBits);
    c.flow = QString::number(p.flow);
    return c;
}

void PARAM_serial_Enviar(const SerialCodes &codes, SerialSettings &port, SerialFieldTexts &fields)
{
    applyCodes(codes, port, fields);
}

void PARAM_serial_Enviar_R(const SerialCodes &codes, SerialSettings &port, SerialFieldTexts &fields)
{
    applyCodes(codes, port, fields);
}

QString dtrControlReading(SerialSettings::DtrControl control)
{
    switch (control) {
    case SerialSettings::DtrControl::Disable: return QStringLiteral("Disable");
    case SerialSettings::DtrControl::Enable: return QStringLiteral("Enable");
    case SerialSettings::DtrControl::Handshake: return QStringLiteral("Handshake");
    }
    return QString();
}

QString rtsControlReading(SerialSettings::RtsControl control)
{
    switch (control) {
    case SerialSettings::RtsControl::Disable: return QStringLiteral("Disable");
    case SerialSettings::RtsControl::Enable: return QStringLiteral("Enable");
    case SerialSettings::RtsControl::Handshake: return QStringLiteral("Handshake");
    case SerialSettings::RtsControl::Toggle: return QStringLiteral("Toggle");
    }
    return QString();
}

QString flagReading(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }

QString characterReading(char c) { return QStringLiteral("#%1").arg(int(static_cast<unsigned char>(c))); }

} // namespace SerialTables
