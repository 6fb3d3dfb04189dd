#include "SerialFailure.h"

namespace SerialFailure {

Kind classifyOpen(QSerialPort::SerialPortError error, bool deviceExists, bool accessible)
{
    if (!deviceExists || error == QSerialPort::DeviceNotFoundError)
        return Kind::DeviceMissing;
    if (error == QSerialPort::PermissionError)
        return accessible ? Kind::DeviceBusy : Kind::NoPermission;
    if (error == QSerialPort::ResourceError)
        return Kind::DeviceLost;
    return Kind::Other;
}

Kind classifyRunning(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::DeviceNotFoundError:
        return Kind::DeviceLost;
    default:
        return Kind::Other;
    }
}

} // namespace SerialFailure
