#include "JournalSettings.h"

#include "machines/ServerAddress.h"
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
    if (ServerAddress::isServerUrl(file.trimmed())) {
        // The shop's server: every workstation writes into the same table. The password
        // comes from libpq's own sources (the user's pgpass file, PGPASSFILE), never from here.
        location.driver = QStringLiteral("QPSQL");
        QString reason;
        if (const std::optional<ServerAddress> server = ServerAddress::parse(file.trimmed(), &reason)) {
            location.host = server->host;
            location.port = server->port;
            location.database = server->database;
            location.user = server->user;
            location.connectOptions = server->connectOptions();
        } else {
            location.database = file.trimmed();
            location.invalid = QStringLiteral("the setting [JOURNAL] VALUE=%1 is not a usable server address: %2")
                                   .arg(file.trimmed(), reason);
        }
        return location;
    }
    location.database = QDir::cleanPath(QDir::fromNativeSeparators(Paths::inApplicationFolder(file.trimmed(), folder)));
    return location;
}

} // namespace JournalSettings
