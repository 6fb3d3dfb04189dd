#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace Paths {

QChar separator() { return QDir::separator(); }

QString toNative(const QString &path) { return QDir::toNativeSeparators(path); }

QString withTrailingSeparator(const QString &path)
{
    const QString p = toNative(path);
    if (p.endsWith(separator()))
        return p;
    return p + separator();
}

QString join(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return toNative(name);
    return withTrailingSeparator(folder) + toNative(name);
}

QString applicationDirectory() { return withTrailingSeparator(QCoreApplication::applicationDirPath()); }

QString inApplicationFolder(const QString &path, const QString &appDirectory)
{
    // A drive or network path of a database shared with Windows workstations is
    // absolute on every system.
    static const QRegularExpression windowsAbsolute(QStringLiteral("^([A-Za-z]:[\\\\/]|\\\\\\\\)"));
    // Nor is a URL (a database on a server, postgresql://host/db) a relative path.
    static const QRegularExpression url(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    if (path.isEmpty() || QDir::isAbsolutePath(path) || appDirectory.isEmpty() || windowsAbsolute.match(path).hasMatch()
        || url.match(path).hasMatch())
        return path;
    const bool folder = path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
    const QString full = toNative(QDir::cleanPath(QDir(QDir::fromNativeSeparators(appDirectory)).filePath(
        QDir::fromNativeSeparators(path))));
    return folder ? withTrailingSeparator(full) : full;
}

} // namespace Paths
