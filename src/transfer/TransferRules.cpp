#include "TransferRules.h"

#include "TransferValues.h"
#include "app/AppState.h"
#include "machines/Database.h"
#include "machines/MachineRecord.h"
#include "platform/Paths.h"

#include <cmath>

namespace TransferRules {

Way wayFor(const QString &transferType)
{
    if (transferType == TransferType::DirLocal || transferType == TransferType::DirNet
        || transferType == TransferType::DirRede)
        return Way::Directory;
    if (transferType == TransferType::Ftp)
        return Way::Ftp;
    if (transferType == TransferType::Serial)
        return Way::Serial;
    return Way::None;
}

QString normaliseFtpDirectory(const QString &directory)
{
    QString d = directory.trimmed();
    if (!d.startsWith(QLatin1Char('/')))
        d.prepend(QLatin1Char('/'));
    if (!d.endsWith(QLatin1Char('/')))
        d.append(QLatin1Char('/'));
    return d;
}

bool isPlainLocalName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    // Windows drops trailing dots and blanks: ". ." and ".. " are ".." there.
    QString bare = name;
    while (bare.endsWith(QLatin1Char('.')) || bare.endsWith(QLatin1Char(' ')))
        bare.chop(1);
    if (bare.isEmpty() || name == QLatin1String("..") || name == QLatin1String("."))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    return true;
}

QString fileNamePart(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(Paths::separator()), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(cut + 1);
}

QString copyTarget(const QString &directory, const QString &name)
{
    QString target = directory.trimmed();
    if (!target.endsWith(Paths::separator()))
        target += Paths::separator();
    return target + name.trimmed();
}

QString sizeInKilobytes(qint64 bytes) { return QString::number(bytes / 1024) + QStringLiteral(" KB"); }

QString percentText(qint64 position, qint64 maximum)
{
    const double percent = maximum > 0 ? double(position) * 100.0 / double(maximum) : 0.0;
    return QString::number(qint64(std::llround(percent))) + QLatin1Char('%');
}

void loadPathValues(TransferValues &values, const QString &machineId)
{
    values.MachineTransferDirectory =
        Paths::inApplicationFolder(TDataModule1::instance().loadPathParameters(machineId).directory, app().AppDirectory);
}

void loadFtpValues(TransferValues &values, const QString &machineId)
{
    const FtpParameters p = TDataModule1::instance().loadFtpParameters(machineId);
    values.FtpHost = p.host;
    values.FtpDirectory = normaliseFtpDirectory(p.directory);
    values.FtpUser = p.user;
    values.FtpPassword = p.password;
    values.FtpPort = p.port;
}

void loadSerialValues(TransferValues &values, const QString &machineId)
{
    TDataModule1 &db = TDataModule1::instance();
    if (!db.hasParameterRow(QStringLiteral("ZVRD_SERIAL"), machineId)) {
        values.SerialPortName.clear();
        values.SerialSpeedCode.clear();
        values.SerialDataBitsCode.clear();
        values.SerialParityCode.clear();
        values.SerialStopBitsCode.clear();
        values.SerialFlowCode.clear();
        values.SerialCrLfCode.clear();
        return;
    }
    const SerialParameters p = db.loadSerialParameters(machineId);
    values.SerialPortName = p.port;
    values.SerialSpeedCode = QString::number(p.speed);
    values.SerialDataBitsCode = QString::number(p.dataBits);
    values.SerialParityCode = QString::number(p.parity);
    values.SerialStopBitsCode = QString::number(p.stopBits);
    values.SerialFlowCode = QString::number(p.flow);
    values.SerialCrLfCode = QString::number(p.crLf);
}

} // namespace TransferRules
