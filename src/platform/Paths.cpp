#include "Paths.h"

#include <QCoreApplication>
#include <QDir>

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

} // namespace Paths
