#pragma once

#include <QString>

// Settings of one machine that the machine database has no column for. They live in
// Zavrin.ini, one section per machine id ("[MACHINE12]"), so that a database shared by
// several workstations and the fixed table layout stay as they are; a missing section or
// key reads as the default, so an older Zavrin.ini keeps working.
struct MachineOptions
{
    // FTP: after a send, download the file again and compare it with what was sent.
    bool verifyByReadBack = true;

    // Serial: keep the port open and store every program the control sends.
    bool autoReceive = false;
    // Serial, automatic receive: answer request programs from the control.
    bool remoteRequest = false;
    // Name of a received program: "%1" is its program number ("O1234"); a program without
    // a number is named "PROGRAM-<date-time>" before the extension.
    QString namePattern = QStringLiteral("%1");
    QString extension = QStringLiteral(".nc");
    // Strip NUL padding and the leader/trailer bytes outside the first and last "%".
    bool stripLeader = true;
    // Automatic receive: seconds between the end of a request program and the answer, for the
    // operator to switch the control from punching to reading.
    int answerDelaySeconds = 3;

    static QString sectionFor(const QString &machineId);

    // Reads the options of a machine from the settings file at iniPath.
    static MachineOptions read(const QString &iniPath, const QString &machineId);
    // Writes all options of a machine in one rewrite of the file; false with
    // "Unable to write to <path>" in *error when the system refuses.
    bool write(const QString &iniPath, const QString &machineId, QString *error) const;
    // Removes nothing: options of a deleted machine are harmless and a restored
    // register finds them again.
};
