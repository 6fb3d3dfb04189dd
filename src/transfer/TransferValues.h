#pragma once

#include "transfer/SerialTables.h"

#include <QString>

// The values the transfer preparations load from the selected machine's parameter
// row before they open a transfer window. The windows read them; they keep their
// last values until the next preparation of the same kind.
struct TransferValues
{
    // Directory transfer (ZVRD_PATH).
    QString MachineTransferDirectory;

    // FTP transfer (ZVRD_FTP); FtpDirectory always begins and ends with "/".
    QString FtpDirectory;
    QString FtpHost;
    QString FtpUser;
    QString FtpPassword;
    QString FtpPort; // as stored; turned into a number only when connecting

    // Serial transfer (ZVRD_SERIAL), the codes as text.
    QString SerialSpeedCode;
    QString SerialDataBitsCode;
    QString SerialParityCode;
    QString SerialStopBitsCode;
    QString SerialCrLfCode; // loaded, used by nothing
    QString SerialFlowCode;
    QString SerialPortName;

    // 1 when the window was last prepared for receiving, 0 for sending. A file may be
    // picked from a window's list only while its flag is 1.
    int DirReceiveMode = 0;
    int FtpReceiveMode = 0;

    // The serial codes in the form the serial parameter tables take.
    SerialTables::SerialCodes serialCodes() const;
};

// The one instance of the run.
TransferValues &transferValues();
