#include "RecentFiles.h"

#include "platform/ProfileFile.h"

namespace {
const QString Section = QStringLiteral("RECENT");
QString keyOf(int i) { return QStringLiteral("FILE") + QString::number(i + 1); }
} // namespace

namespace RecentFiles {

QStringList read(const QString &iniPath)
{
    const ProfileFile ini(iniPath);
    QStringList files;
    for (int i = 0; i < Limit; ++i) {
        const QString path = ini.readString(Section, keyOf(i), QString());
        if (!path.isEmpty() && !files.contains(path))
            files << path;
    }
    return files;
}

bool write(const QString &iniPath, const QStringList &files, QString *error)
{
    QList<ProfileFile::Entry> entries;
    for (int i = 0; i < Limit; ++i)
        entries.append({Section, keyOf(i), i < files.size() ? files.at(i) : QString()});
    ProfileFile ini(iniPath);
    return ini.writeStrings(entries, error);
}

QStringList withFile(QStringList files, const QString &path)
{
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > Limit)
        files.removeLast();
    return files;
}

QStringList withoutFile(QStringList files, const QString &path)
{
    files.removeAll(path);
    return files;
}

} // namespace RecentFiles
