#pragma once

#include <QString>

// Machines name their port "COM1" to "COM12". On Windows that is the device; elsewhere the
// [SERIALPORTS] section of Zavrin.ini may map a name to a device (COM1=/dev/ttyUSB0), and an
// unmapped COMn is /dev/ttyS<n-1>. Any other name is taken as the device itself.
namespace SerialPortNames {
QString deviceFor(const QString &portName);
}
