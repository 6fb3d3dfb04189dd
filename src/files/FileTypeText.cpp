#include "FileTypeText.h"

#include "lang/Texts.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <algorithm>
#include <iterator>

namespace {

const QMimeDatabase &mimes()
{
    static const QMimeDatabase db;
    return db;
}

bool isText(const QMimeType &type) { return type.inherits(QStringLiteral("text/plain")); }

// Enough for the desktop's text test (its first 128 bytes) and the magic
// numbers of the formats that share program extensions.
constexpr qint64 HeadSize = 512;

} // namespace

bool FileTypeText::isProgramExtension(const QString &suffix)
{
    // Sorted; what CNC controls and CAM post-processors write part programs as.
    static const char *const extensions[] = {
        "anc", "apt", "cls", "cnc", "din", "dnc", "eia", "g",   "gc",  "gcode", "h",   "hnc", "i",   "iso",
        "knc", "min", "mpf", "nc",  "nc1", "ncc", "ncf", "ngc", "pgm", "pim",   "prg", "ptp", "spf", "ssb",
        "sub", "tap"};
    const QByteArray key = suffix.toLower().toLatin1();
    return std::binary_search(std::begin(extensions), std::end(extensions), key.constData(),
                              [](const char *a, const char *b) { return qstrcmp(a, b) < 0; });
}

bool FileTypeText::holdsText(const QByteArray &head)
{
    return head.isEmpty() || isText(mimes().mimeTypeForData(head));
}

QString FileTypeText::unregistered(const QString &suffix)
{
    const QString pattern = Texts::extra("Extra.UnregisteredFileType");
    // Before any language is chosen every text is empty; the extension still says something.
    return pattern.isEmpty() ? suffix.toUpper() : pattern.arg(suffix.toUpper());
}

FileTypeText::Kind FileTypeText::kindOf(const QString &suffix)
{
    auto it = m_kinds.constFind(suffix);
    if (it != m_kinds.constEnd())
        return *it;
    Kind kind;
    const QMimeType type = mimes().mimeTypeForFile(QStringLiteral("x.") + suffix, QMimeDatabase::MatchExtension);
    if (type.isDefault()) {
        kind.rule = Rule::Unregistered;
    } else if (!isProgramExtension(suffix) || type.name().contains(QLatin1String("gcode"))) {
        // The desktop's own name; it also knows G-code by some extensions.
        kind.rule = Rule::Description;
        kind.description = type.comment();
    } else if (isText(type)) {
        // A C header or a subtitle file by name: in a program folder it is a program.
        kind.rule = Rule::Unregistered;
    } else {
        kind.rule = Rule::ByContent;
        kind.description = type.comment();
    }
    m_kinds.insert(suffix, kind);
    return kind;
}

bool FileTypeText::fileHoldsText(const QString &path, const FolderEntry &entry)
{
    auto it = m_heads.constFind(entry.name);
    if (it != m_heads.constEnd() && it->size == entry.size && it->modified == entry.modified)
        return it->text;
    Head head;
    head.size = entry.size;
    head.modified = entry.modified;
    QFile file(path);
    // A file that cannot be read is named by its extension alone.
    head.text = !file.open(QIODevice::ReadOnly) || holdsText(file.read(HeadSize));
    m_heads.insert(entry.name, head);
    return head.text;
}

QString FileTypeText::text(const QString &folder, const FolderEntry &entry)
{
    if (entry.isDir) {
        if (m_folderText.isEmpty())
            m_folderText = mimes().mimeTypeForName(QStringLiteral("inode/directory")).comment();
        return m_folderText;
    }
    const QString suffix = FolderListing::typeKey(entry);
    if (suffix.isEmpty())
        return QString();
    const Kind kind = kindOf(suffix.toLower());
    switch (kind.rule) {
    case Rule::Description:
        return kind.description;
    case Rule::Unregistered:
        return unregistered(suffix);
    case Rule::ByContent:
        break;
    }
    const QString path = QDir(QDir::fromNativeSeparators(folder)).filePath(entry.name);
    return fileHoldsText(path, entry) ? unregistered(suffix) : kind.description;
}
