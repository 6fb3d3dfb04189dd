#pragma once

#include <QString>

// Everything a serial port is set to, as the machine parameters and the transfer windows
// describe it. Not every setting exists on every system: SerialPort.cpp says what each one
// becomes on the device and what cannot be expressed there.
struct SerialSettings
{
    enum class Parity { None, Odd, Even, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };
    enum class DtrControl { Disable, Enable, Handshake };
    enum class RtsControl { Disable, Enable, Handshake, Toggle };
    // The flow-control words of the machine parameters.
    enum class FlowPreset { Custom, Hardware, None, Software };

    static constexpr char XonCharacter = 17;
    static constexpr char XoffCharacter = 19;

    QString portName = QStringLiteral("COM1");
    int baudRate = 9600;
    int dataBits = 8; // 5 to 8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    DtrControl dtrControl = DtrControl::Enable;
    RtsControl rtsControl = RtsControl::Disable;
    bool ctsOutputFlow = false;
    bool dsrOutputFlow = false;
    bool dsrSensitivity = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    char xonChar = XonCharacter;
    char xoffChar = XoffCharacter;
    // Keep transmitting after the driver itself sent XOFF because its input buffer filled.
    bool continueOnXoff = false;

    // Custom switches RTS on and keeps every other flow setting; the other presets set RTS,
    // CTS output flow and XON/XOFF in both directions. DTR, DSR flow, DSR sensitivity and
    // the XON/XOFF characters are never touched.
    void applyFlowPreset(FlowPreset preset);

    // The values each port starts with before any machine's parameters reach it.
    static SerialSettings sendWindowDesign();
    static SerialSettings receiveWindowDesign();
    static SerialSettings registrationTestDesign();
};
