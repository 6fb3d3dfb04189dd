#include "SerialPortNames.h"

#include "app/AppState.h"
#include "platform/ProfileFile.h"

#include <QRegularExpression>

namespace SerialPortNames {

namespace {
const QString Section = QStringLiteral("SERIALPORTS");
}

bool mapsToDevices()
{
#ifdef Q_OS_WIN
    return false;
#else
    return true;
#endif
}

QString defaultDeviceFor(const QString &portName)
{
#ifdef Q_OS_WIN
    return portName;
#else
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(portName);
    if (m.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
    return portName;
#endif
}

QString mappedDeviceFor(const QString &portName)
{
    if (portName.isEmpty())
        return QString();
    return ProfileFile(app().mainSettingsPath()).readString(Section, portName, QString()).trimmed();
}

QString deviceFor(const QString &portName)
{
    if (!mapsToDevices() || portName.isEmpty())
        return portName;
    const QString mapped = mappedDeviceFor(portName);
    return mapped.isEmpty() ? defaultDeviceFor(portName) : mapped;
}

bool writeMappings(const QList<Mapping> &mappings, QString *error)
{
    QList<ProfileFile::Entry> entries;
    for (const Mapping &m : mappings)
        entries.append({Section, m.portName, m.device.trimmed()});
    if (entries.isEmpty())
        return true;
    return ProfileFile(app().mainSettingsPath()).writeStrings(entries, error);
}

} // namespace SerialPortNames
