#pragma once

#include "platform/Error.h"
#include "platform/serial/SerialFailure.h"

#include <QString>

class SerialPortOpenError;

// Transfer failures as the operator reads them, in the interface language: what went wrong in
// the operator's terms, then the library's or the system's own text as a detail line.
namespace TransferErrors {

// An FTP failure at `place` ("host:port"); an error without a known kind gives its own text.
QString ftpReason(const Error &error, const QString &place);
// "host:port" as messages show it.
QString ftpPlace(const QString &host, const QString &port);

// A serial device that failed: the reason naming the device, then the detail.
QString serialReason(SerialFailure::Kind kind, const QString &device, const QString &detail);
QString serialOpenReason(const SerialPortOpenError &error);

} // namespace TransferErrors
