#pragma once

#include <QString>

// The registration window's field checks, in their fixed order. The first failure
// names the message key and the control that gets the focus.
namespace MachineFieldChecks {

struct Fields
{
    QString number, description; // Edit1, Edit2
    int picture = 0;             // ComboBox2 position
    QString programDirectory;    // Edit9
    int transferType = 0;        // ComboBox1 position: 1 local, 2 network, 3 FTP, 4 serial
    QString directory;           // Edit3
    QString host, port, user, password, ftpDirectory; // Edit4 .. Edit8
    QString comPort, speed, dataBits, parity, stopBits, flow; // ComboBox3 .. ComboBox8 texts
};

struct Failure
{
    QString messageKey; // "Form_Maquinas.MSG02" ...; empty when every check passes
    QString control;    // object name of the control to focus
};

Failure FUNC_Verifica_Campos(const Fields &f);

// The transfer type word of a ComboBox1 position, or empty for any other position.
QString transferTypeWord(int position);
// The ComboBox1 position of a stored word ("DIRREDE" like "DIRNET"), 0 for none.
int transferTypePosition(const QString &word);

} // namespace MachineFieldChecks
