#pragma once

#include <QList>
#include <QString>

// Machines name their port "COM1" to "COM12". On Windows that is the device; elsewhere the
// [SERIALPORTS] section of Zavrin.ini may map a name to a device (COM1=/dev/ttyUSB0), and an
// unmapped COMn is /dev/ttyS<n-1>. Any other name is taken as the device itself.
namespace SerialPortNames {
QString deviceFor(const QString &portName);

// Whether port names map to devices here at all (not on Windows, where COMn is the device).
bool mapsToDevices();
// The device of an unmapped name: /dev/ttyS<n-1> for COMn, else the name itself.
QString defaultDeviceFor(const QString &portName);
// The [SERIALPORTS] value of a name, trimmed; empty when the name has none.
QString mappedDeviceFor(const QString &portName);

struct Mapping
{
    QString portName;
    QString device; // empty: back to the default device
};
// Writes the mappings to [SERIALPORTS] of Zavrin.ini with one rewrite of the file; false with
// the reason in *error when the file cannot be written (nothing is then changed).
bool writeMappings(const QList<Mapping> &mappings, QString *error);
} // namespace SerialPortNames
