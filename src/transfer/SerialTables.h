#pragma once

#include "machines/MachineRecord.h"
#include "platform/serial/SerialSettings.h"

#include <QString>
#include <QStringList>

// The serial parameters of a machine: the lists of the registration window, whose positions
// are the codes stored in ZVRD_SERIAL, and how the codes set a port.
namespace SerialTables {

// List texts, entry 0 blank. The speed list has a second blank entry after the last speed.
const QStringList &portList();     // "", "COM1" ... "COM12"
const QStringList &speedList();    // "", "110" ... "256000", ""
const QStringList &dataBitsList(); // "", "5" ... "8"
const QStringList &parityList();   // "", "EVEN", "MARK", "NONE", "ODD", "SPACE"
const QStringList &stopBitsList(); // "", "0" (1.5 stop bits), "1", "2"
const QStringList &flowList();     // "", "CUSTOM", "HARDWARE", "NONE", "SOFTWARE"

// The codes as the transfer dispatch loads them: text, compared with the code's decimal digits.
struct SerialCodes
{
    QString portName;
    QString speed;
    QString dataBits;
    QString parity;
    QString stopBits;
    QString flow;

    static SerialCodes fromParameters(const SerialParameters &p);
};

// What the transfer windows show in their port fields ("COM Port :" to "Flow Control :").
struct SerialFieldTexts
{
    QString port;
    QString speed;
    QString dataBits;
    QString parity;
    QString stopBits;
    QString flow;
};

// Sets the port name and, for each code inside its table, the port setting and its field
// text. A code outside its table (empty, "0", "16", "07") changes neither.
void PARAM_serial_Enviar(const SerialCodes &codes, SerialSettings &port, SerialFieldTexts &fields);
// The same for the receive window's port.
void PARAM_serial_Enviar_R(const SerialCodes &codes, SerialSettings &port, SerialFieldTexts &fields);

// The readings of the registration window's serial test, the same English words in every language.
QString dtrControlReading(SerialSettings::DtrControl control); // "Disable", "Enable", "Handshake"
QString rtsControlReading(SerialSettings::RtsControl control); // ... or "Toggle"
QString flagReading(bool on);                                  // "True", "False"
QString characterReading(char c);                              // "#17"

} // namespace SerialTables
