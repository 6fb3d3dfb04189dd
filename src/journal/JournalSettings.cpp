#include "JournalSettings.h"

#include "platform/Paths.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

namespace JournalSettings {

JournalStore::Location location(const QString &mainSettingsPath)
{
    const QString folder = Paths::withTrailingSeparator(QFileInfo(mainSettingsPath).absolutePath());
    QString file = ProfileFile(mainSettingsPath).readString(QStringLiteral("JOURNAL"), QStringLiteral("VALUE"), QString());
    if (file.trimmed().isEmpty())
        file = QLatin1String(DefaultFileName);
    JournalStore::Location location;
    location.database = QDir::cleanPath(QDir::fromNativeSeparators(Paths::inApplicationFolder(file.trimmed(), folder)));
    return location;
}

} // namespace JournalSettings
