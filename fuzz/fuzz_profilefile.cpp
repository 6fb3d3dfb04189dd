// The profile-file reader and writer on arbitrary file contents: every lookup
// must end, a written key must read back, and every other line must survive
// the write unchanged.
#include "FuzzSupport.h"

#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <climits>

namespace {

// Lines as the profile functions see them: split at CR LF, CR or LF; a last
// piece without a break counts when it is not empty.
QList<QByteArray> fileLines(const QByteArray &data)
{
    QList<QByteArray> lines;
    QByteArray current;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(current);
            current.clear();
            if (c == '\r' && i + 1 < data.size() && data.at(i + 1) == '\n')
                ++i;
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        lines.append(current);
    return lines;
}

// A name safe to write: letters, digits and "_" of the text, or the fallback.
QString safeName(const QString &text, const char *fallback)
{
    QString name;
    for (QChar c : text)
        if (c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('_')))
            name += c;
    name.truncate(24);
    return name.isEmpty() ? QString::fromLatin1(fallback) : name;
}

// A value safe to write and read back: printable ASCII without quotes and
// without blanks at either end.
QString safeValue(const QByteArray &bytes)
{
    QString value;
    for (char c : bytes.right(40))
        if (c > 32 && c < 127 && c != '"' && c != '\'')
            value += QLatin1Char(c);
        else if (c == ' ' && !value.isEmpty())
            value += QLatin1Char(' ');
    value = value.trimmed();
    return value.isEmpty() ? QStringLiteral("1") : value;
}

bool isAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 128)
            return false;
    return true;
}

void checkIntegerRule(int n)
{
    int back = 0;
    FUZZ_CHECK(ProfileFile::parseInteger(QString::number(n), &back) && back == n, QString::number(n));
    const QString hex = QString::number(quint32(n), 16);
    FUZZ_CHECK(ProfileFile::parseInteger(QLatin1Char('$') + hex, &back) && back == n, hex);
    FUZZ_CHECK(ProfileFile::parseInteger(QStringLiteral("0x") + hex, &back) && back == n, hex);
}

// The write either replaced one line by the key's line, inserted it into the
// section, or appended the section at the end; nothing else may change.
void checkKeptLines(const QList<QByteArray> &before, const QList<QByteArray> &after, const QByteArray &keyLine,
                    const QByteArray &sectionLine)
{
    const QString detail = QStringLiteral("before %1 lines, after %2 lines, key line \"%3\"")
                               .arg(before.size())
                               .arg(after.size())
                               .arg(escaped(keyLine));
    if (after.size() == before.size()) {
        int changed = 0;
        for (qsizetype i = 0; i < before.size(); ++i) {
            if (before[i] != after[i]) {
                ++changed;
                FUZZ_CHECK(after[i] == keyLine, detail + QStringLiteral(" line %1 became \"%2\"").arg(i).arg(escaped(after[i])));
            }
        }
        FUZZ_CHECK(changed <= 1, detail);
        return;
    }
    if (after.size() == before.size() + 1) {
        qsizetype k = 0;
        while (k < before.size() && before[k] == after[k])
            ++k;
        FUZZ_CHECK(after[k] == keyLine, detail);
        for (qsizetype i = k; i < before.size(); ++i)
            FUZZ_CHECK(before[i] == after[i + 1], detail + QStringLiteral(" at line %1").arg(i));
        return;
    }
    FUZZ_CHECK(after.size() == before.size() + 2 || after.size() == before.size() + 3, detail);
    for (qsizetype i = 0; i < before.size(); ++i)
        FUZZ_CHECK(before[i] == after[i], detail + QStringLiteral(" at line %1").arg(i));
    if (after.size() == before.size() + 3)
        FUZZ_CHECK(after[before.size()].isEmpty(), detail);
    FUZZ_CHECK(after[after.size() - 2] == sectionLine && after.last() == keyLine, detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The writes go through a temporary file that is synced before it replaces
    // the old one: in memory that costs microseconds, on a disk milliseconds.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/zavrin-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/zavrin-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    const QByteArray bytes = bytesOf(data, size);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }

    // Look up the sections and keys the file names (and the names in other
    // letter cases), as the program reads its settings.
    QStringList sections{QStringLiteral("LANGUAGE"), QString()};
    QStringList keys{QStringLiteral("LANGUAGE"), QString()};
    const QList<QByteArray> lines = fileLines(bytes);
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.contains(QLatin1Char(']')) && sections.size() < 6)
            sections << line.mid(1, line.indexOf(QLatin1Char(']')) - 1).trimmed();
        else if (line.contains(QLatin1Char('=')) && keys.size() < 6)
            keys << line.left(line.indexOf(QLatin1Char('='))).trimmed();
        int value = 0;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && ProfileFile::parseInteger(line.mid(eq + 1), &value))
            checkIntegerRule(value);
    }
    ProfileFile profile(path);
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            const QString value = profile.readString(section, key, QStringLiteral("default"));
            FUZZ_CHECK(value.size() <= ProfileFile::MaxValueLength, section + QLatin1Char('/') + key);
            // Letter case does not matter (checked on ASCII names: folding
            // other letters may change their length).
            if (isAscii(section) && isAscii(key))
                FUZZ_CHECK(profile.readString(section.toLower(), key.toUpper(), QStringLiteral("default")) == value,
                           section + QLatin1Char('/') + key);
            int n = 0;
            if (ProfileFile::parseInteger(value, &n))
                FUZZ_CHECK(profile.readInteger(section, key, n == 7 ? 8 : 7) == n, value);
        }
    }
    if (size >= 4) {
        int n;
        memcpy(&n, data + size - 4, 4);
        checkIntegerRule(n);
    }

    // One key written into the file.
    const QString section = safeName(sections.size() > 2 ? sections[2] : QString(), "FUZZ");
    const QString key = safeName(keys.size() > 2 ? keys[2] : QString(), "KEY");
    const QString value = safeValue(bytes);
    QString error;
    FUZZ_CHECK(profile.writeString(section, key, value, &error), error);
    const QString back = profile.readString(section, key, QString());
    FUZZ_CHECK(back == value, QStringLiteral("[%1] %2 wrote \"%3\", read \"%4\"").arg(section, key, value, escaped(back)));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    checkKeptLines(lines, fileLines(file.readAll()), (key + QLatin1Char('=') + value).toLatin1(),
                   (QLatin1Char('[') + section + QLatin1Char(']')).toLatin1());
    return 0;
}
