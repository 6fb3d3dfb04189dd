#pragma once

#include <QDateTime>
#include <QString>

// One transfer as the journal records it: written once, when the transfer ends however it
// ends, and never changed afterwards.
struct JournalEntry
{
    enum class Medium { Directory, Ftp, Serial };
    enum class Direction { Send, Receive };
    enum class Outcome { Done, Verified, VerificationFailed, Cancelled, Failed };

    qint64 id = 0;          // given by the store; 0 before it is written
    QDateTime timeUtc;      // when the transfer ended, UTC
    QString workstation;    // host name of the computer
    QString user;           // operating-system user
    QString machineId;
    QString machineNumber;
    QString machineDescription;
    Medium medium = Medium::Directory;
    Direction direction = Direction::Send;
    QString localPath;      // the program's file on this computer
    QString remote;         // remote file name, FTP URL without password, or port ("COM3 (/dev/ttyUSB0)")
    qint64 bytes = -1;      // -1 when not known
    QString sha256;         // lower-case hex of the bytes as they left or as they were stored
    Outcome outcome = Outcome::Done;
    QString error;          // the error text shown to the operator, empty when none
    // Flags the operator should notice beside the outcome (a serial receive ended by
    // silence without an end-of-program mark: "no end of program received").
    QString notice;
};
