#include "ViewSettings.h"

#include "platform/ProfileFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Section = QStringLiteral("PROGRAMVIEW");
QString key(const char *name, int i) { return QLatin1String(name) + QString::number(i + 1); }

constexpr Qt::CaseSensitivity FolderCase =
#ifdef Q_OS_WIN
    Qt::CaseInsensitive;
#else
    Qt::CaseSensitive;
#endif

// A folder name the file can hold and read back as it was: one line, and
// short enough once quoted.
bool storable(const QString &folder)
{
    return !folder.isEmpty() && !folder.contains(QLatin1Char('\r')) && !folder.contains(QLatin1Char('\n'))
           && folder.size() + 2 <= ProfileFile::MaxValueLength;
}

// Quoted, so that spaces at either end survive: a read drops one pair of quotes.
QString quoted(const QString &folder) { return QLatin1Char('"') + folder + QLatin1Char('"'); }

} // namespace

ViewSettings::ViewSettings(QString iniPath) : m_iniPath(std::move(iniPath))
{
    if (m_iniPath.isEmpty())
        return;
    const ProfileFile ini(m_iniPath);
    bool ok = false;
    const double rate = ini.readString(Section, QStringLiteral("RAPID"), QString()).trimmed().toDouble(&ok);
    if (ok && rate >= MinRapidRate && rate <= MaxRapidRate)
        m_rapidRate = rate;
    for (int i = 0; i < FolderLimit; ++i) {
        const QString folder = ini.readString(Section, key("FOLDER", i), QString());
        if (folder.isEmpty())
            break;
        m_writtenFolders = i + 1;
        if (indexOf(folder) >= 0)
            continue; // a hand-edited repeat: the first one holds
        Entry e;
        e.folder = folder;
        e.settings.absoluteArcCentres =
            ini.readString(Section, key("IJ", i), QString()).trimmed().compare(QLatin1String("abs"), Qt::CaseInsensitive) == 0;
        e.settings.xIsDiameter = ini.readInteger(Section, key("DIAMETER", i), 0) != 0;
        m_folders.append(e);
    }
}

int ViewSettings::indexOf(const QString &folder) const
{
    for (int i = 0; i < m_folders.size(); ++i)
        if (m_folders.at(i).folder.compare(folder, FolderCase) == 0)
            return i;
    return -1;
}

ViewSettings::Folder ViewSettings::folder(const QString &folder) const
{
    for (const Entry &e : m_unsaved)
        if (e.folder.compare(folder, FolderCase) == 0)
            return e.settings;
    const int i = indexOf(folder);
    return i >= 0 ? m_folders.at(i).settings : Folder();
}

bool ViewSettings::setRapidRate(double rate, QString *error)
{
    m_rapidRate = qBound(MinRapidRate, rate, MaxRapidRate);
    return write(error);
}

bool ViewSettings::setFolder(const QString &folder, const Folder &settings, QString *error)
{
    if (!storable(folder)) {
        for (Entry &e : m_unsaved) {
            if (e.folder.compare(folder, FolderCase) == 0) {
                e.settings = settings;
                return true; // reported when it was first set
            }
        }
        m_unsaved.append({folder, settings});
        // A program without a file has no folder to remember it by: that is
        // not a fault.
        if (folder.isEmpty())
            return true;
        if (error)
            *error = QStringLiteral("Unable to keep the folder name %1 in %2").arg(folder, m_iniPath);
        return false;
    }
    const int i = indexOf(folder);
    if (i >= 0)
        m_folders.removeAt(i);
    m_folders.prepend({folder, settings});
    while (m_folders.size() > FolderLimit)
        m_folders.removeLast();
    return write(error);
}

bool ViewSettings::write(QString *error)
{
    if (m_iniPath.isEmpty())
        return true;
    QList<ProfileFile::Entry> entries;
    entries.append({Section, QStringLiteral("RAPID"), QString::number(m_rapidRate, 'g', 12)});
    for (int i = 0; i < m_folders.size(); ++i) {
        const Entry &e = m_folders.at(i);
        entries.append({Section, key("FOLDER", i), quoted(e.folder)});
        entries.append({Section, key("IJ", i), e.settings.absoluteArcCentres ? QStringLiteral("abs") : QStringLiteral("inc")});
        entries.append({Section, key("DIAMETER", i), e.settings.xIsDiameter ? QStringLiteral("1") : QStringLiteral("0")});
    }
    // Repeats dropped on reading leave keys behind the list: emptied, they end it.
    for (int i = int(m_folders.size()); i < m_writtenFolders; ++i)
        for (const char *name : {"FOLDER", "IJ", "DIAMETER"})
            entries.append({Section, key(name, i), QString()});
    ProfileFile ini(m_iniPath);
    if (!ini.writeStrings(entries, error))
        return false;
    m_writtenFolders = int(m_folders.size());
    return true;
}

QString ViewSettings::folderOf(const QString &programPath)
{
    if (programPath.isEmpty())
        return QString();
    const QFileInfo info(programPath);
    if (!info.isAbsolute())
        return QString(); // a tab without a file ("Untitled")
    return QDir::cleanPath(QDir::fromNativeSeparators(info.absolutePath()));
}
