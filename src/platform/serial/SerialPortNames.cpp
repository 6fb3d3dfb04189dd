#include "SerialPortNames.h"

#include "app/AppState.h"
#include "platform/ProfileFile.h"

#include <QRegularExpression>

namespace SerialPortNames {

QString deviceFor(const QString &portName)
{
#ifdef Q_OS_WIN
    return portName;
#else
    if (portName.isEmpty())
        return QString();
    const QString mapped = ProfileFile(app().mainSettingsPath())
                               .readString(QStringLiteral("SERIALPORTS"), portName, QString())
                               .trimmed();
    if (!mapped.isEmpty())
        return mapped;
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(portName);
    if (m.hasMatch())
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
    return portName;
#endif
}

} // namespace SerialPortNames
