#pragma once

#include <QList>
#include <QString>

// The serial devices a Linux system has: USB adapters under their stable names in
// serial/by-id (which stay the same whichever socket the adapter is plugged into), then the
// ttyUSB, ttyACM and ttyS devices. `root` is the device folder, /dev on a real system.
namespace SerialDevices {

struct Device
{
    QString path;   // as the operator would write it into a mapping
    QString target; // the device a by-id name stands for (its link's end), else empty
};

QList<Device> scan(const QString &root = QStringLiteral("/dev"));

// Whether a device path leads to something (a link to a device that is gone does not).
bool exists(const QString &path);

} // namespace SerialDevices
