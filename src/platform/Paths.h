#pragma once

#include <QString>

// Paths as the user sees them: with the native separator (a backslash on Windows).
namespace Paths {
QChar separator();
// The path with a native separator at its end (unchanged when it has one already).
QString withTrailingSeparator(const QString &path);
QString toNative(const QString &path);
// Folder + name, with exactly one separator between them.
QString join(const QString &folder, const QString &name);
// The folder of the running executable, ending in a separator.
QString applicationDirectory();
// A folder or file as the settings and the machine database hold it: an absolute
// path (or an empty text) as it is; a relative one under `appDirectory`, so that
// a copied or moved application folder works on its own files. A separator at
// the end is kept.
QString inApplicationFolder(const QString &path, const QString &appDirectory);
} // namespace Paths
