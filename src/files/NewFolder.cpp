#include "NewFolder.h"

#include <QFileInfo>

namespace NewFolder {

bool isRefused(const QString &folderPath) { return folderPath.contains(QLatin1String("nethood")); }

QString choosePath(const QString &folder)
{
    const QString base = folder + QStringLiteral("New Folder");
    QString path = base;
    // Anything of that name (a file too) is in the way of the folder.
    for (int n = 1; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = base + QLatin1Char(' ') + QString::number(n);
    return path;
}

} // namespace NewFolder
