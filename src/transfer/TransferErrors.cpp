#include "TransferErrors.h"

#include "lang/Texts.h"
#include "platform/ftp/FtpClient.h"
#include "platform/serial/SerialPort.h"

namespace TransferErrors {

namespace {

const char *ftpTextId(FtpFailure::Kind kind)
{
    switch (kind) {
    case FtpFailure::Kind::LoginRefused: return "Extra.FtpLoginRefused";
    case FtpFailure::Kind::HostNotFound: return "Extra.FtpHostNotFound";
    case FtpFailure::Kind::NoServer: return "Extra.FtpNoServer";
    case FtpFailure::Kind::TimedOut: return "Extra.FtpTimedOut";
    case FtpFailure::Kind::ConnectionLost: return "Extra.FtpConnectionLost";
    case FtpFailure::Kind::Refused: return "Extra.FtpServerRefused";
    case FtpFailure::Kind::Other: break;
    }
    return nullptr;
}

const char *serialTextId(SerialFailure::Kind kind)
{
    switch (kind) {
    case SerialFailure::Kind::DeviceMissing: return "Extra.SerialNoDevice";
    case SerialFailure::Kind::DeviceBusy: return "Extra.SerialDeviceBusy";
    case SerialFailure::Kind::NoPermission: return "Extra.SerialNoPermission";
    case SerialFailure::Kind::DeviceLost: return "Extra.SerialDeviceLost";
    case SerialFailure::Kind::ServerUnreachable: return "Extra.SerialServerUnreachable";
    case SerialFailure::Kind::InUse: return "Extra.SerialDeviceBusy";
    case SerialFailure::Kind::Other: break;
    }
    return "Extra.SerialDeviceUnusable";
}

QString withDetail(const QString &reason, const QString &detail)
{
    if (detail.isEmpty() || reason.contains(detail))
        return reason;
    return reason + QLatin1Char('\n') + detail;
}

} // namespace

QString ftpPlace(const QString &host, const QString &port)
{
    const QString h = host.trimmed();
    const QString p = port.trimmed();
    return p.isEmpty() ? h : h + QLatin1Char(':') + p;
}

QString ftpReason(const Error &error, const QString &place)
{
    const auto *ftp = dynamic_cast<const FtpError *>(&error);
    const char *id = ftp ? ftpTextId(ftp->kind()) : nullptr;
    if (!id)
        return error.message();
    return withDetail(Texts::extra(id).arg(place), error.message());
}

QString serialReason(SerialFailure::Kind kind, const QString &device, const QString &detail)
{
    return withDetail(Texts::extra(serialTextId(kind)).arg(QStringLiteral("\"%1\"").arg(device)), detail);
}

QString serialOpenReason(const SerialPortOpenError &error)
{
    if (error.device().isEmpty())
        return error.reason();
    if (error.kind() == SerialFailure::Kind::InUse)
        return Texts::extra("Extra.SerialPortInUse")
            .arg(QStringLiteral("\"%1\"").arg(error.device()), error.holderProgram(), QString::number(error.holderPid()));
    return serialReason(error.kind(), error.device(), error.reason());
}

} // namespace TransferErrors
