#pragma once

#include <QString>
#include <QStringList>

// The programs opened last, newest first, kept in the [RECENT] section of
// Zavrin.ini as FILE1 to FILE<Limit>. A file without the section has an empty list.
namespace RecentFiles {

constexpr int Limit = 10;

QStringList read(const QString &iniPath);
// All Limit keys in one rewrite of the file (unused ones empty), so that a
// shorter list leaves no old entries behind. False with the reason in *error.
bool write(const QString &iniPath, const QStringList &files, QString *error);

// The list with `path` first, once (paths compare exactly, as tab captions do),
// cut to Limit entries.
QStringList withFile(QStringList files, const QString &path);
QStringList withoutFile(QStringList files, const QString &path);

} // namespace RecentFiles
