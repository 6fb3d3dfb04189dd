#pragma once

#include <QSerialPort>

// Why a serial device could not be used, in the terms an operator acts on.
namespace SerialFailure {

enum class Kind {
    DeviceMissing, // no such device: adapter unplugged, or the port stands for the wrong device
    DeviceBusy,    // another program holds the device
    NoPermission,  // the user may not open the device
    DeviceLost,    // the open device failed or went away (for a network port: the connection)
    InUse,         // another Zavrin program on this computer has the port open (its lock)
    ServerUnreachable, // a network port's device server cannot be reached
    Other,
};

// A failed open: the port's error, whether the device path leads anywhere, and whether the
// user may read and write it. Qt reports a busy device and a forbidden one alike
// (PermissionError); only the second has no access.
Kind classifyOpen(QSerialPort::SerialPortError error, bool deviceExists, bool accessible);
// An error of an open port.
Kind classifyRunning(QSerialPort::SerialPortError error);

} // namespace SerialFailure
