#pragma once

#include <QByteArray>
#include <QList>

#include <array>

// The Telnet side of a serial port reached through a device server with port control
// (RFC 854 framing, RFC 856 binary transmission, RFC 2217 COM-PORT-OPTION), without any I/O:
// bytes from the server go in, the data, the answers to send back and the port-control
// messages come out. State is kept across calls, so a command split over two reads is whole.
class TelnetComPort
{
public:
    enum : unsigned char {
        SE = 240, NOP = 241, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255,
    };
    enum : unsigned char { OptionBinary = 0, OptionSuppressGoAhead = 3, OptionComPort = 44 };

    // RFC 2217 commands, client to server; the server answers with the same number plus 100.
    enum Command : unsigned char {
        Signature = 0,
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
        NotifyLineState = 6,
        NotifyModemState = 7,
        FlowControlSuspend = 8,
        FlowControlResume = 9,
        SetLineStateMask = 10,
        SetModemStateMask = 11,
        PurgeData = 12,
    };
    static constexpr unsigned char ServerOffset = 100;

    // Values of SET-CONTROL.
    enum Control : unsigned char {
        NoFlowControl = 1, XonXoffFlowControl = 2, HardwareFlowControl = 3,
        DtrOn = 8, DtrOff = 9, RtsOn = 11, RtsOff = 12,
    };
    // Bits of NOTIFY-MODEMSTATE and NOTIFY-LINESTATE.
    enum : unsigned char { ModemCts = 0x10, ModemDsr = 0x20, ModemRing = 0x40, ModemCarrier = 0x80 };
    enum : unsigned char { LineOverrun = 0x02, LineParityError = 0x04, LineFramingError = 0x08, LineBreak = 0x10 };

    // A port-control message from the server: its command (without the offset of 100) and value.
    struct Message
    {
        unsigned char command = 0;
        QByteArray value;
    };

    // The offers a client opens with: binary both ways, suppress-go-ahead, and port control.
    QByteArray start();
    // Takes bytes from the server: returns the data in them; appends what must be answered to
    // *reply and the port-control messages to *messages.
    QByteArray decode(const QByteArray &in, QByteArray *reply, QList<Message> *messages);

    // Data to send: every 0xFF doubled.
    static QByteArray escape(const QByteArray &data);
    // A port-control command with its value (escaped).
    static QByteArray command(Command command, const QByteArray &value = QByteArray());
    static QByteArray command(Command command, unsigned char value) { return TelnetComPort::command(command, QByteArray(1, char(value))); }
    static QByteArray baudRateValue(quint32 baud);
    static quint32 baudRateOf(const QByteArray &value);

    // Whether the server agreed to port control (DO COM-PORT-OPTION), refused it (DONT), or
    // has not answered yet.
    enum class Agreement { Pending, Accepted, Refused };
    Agreement comPort() const { return m_comPort; }
    // Binary transmission as agreed in each direction.
    bool binaryToServer() const { return m_us[OptionBinary].enabled; }
    bool binaryFromServer() const { return m_him[OptionBinary].enabled; }

private:
    struct OptionState
    {
        bool enabled = false;
        bool asked = false; // we asked to enable it and wait for the answer
    };
    static bool weDo(unsigned char option);   // options we perform ourselves (WILL)
    static bool heMay(unsigned char option);  // options we let the server perform (DO)
    void onVerb(unsigned char verb, unsigned char option, QByteArray *reply);
    void onSubnegotiation(QList<Message> *messages);

    enum class State { Data, Iac, Verb, Sub, SubIac };
    State m_state = State::Data;
    unsigned char m_verb = 0;
    QByteArray m_sub;
    std::array<OptionState, 256> m_us{};
    std::array<OptionState, 256> m_him{};
    Agreement m_comPort = Agreement::Pending;
};
