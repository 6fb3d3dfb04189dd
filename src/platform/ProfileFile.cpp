#include "ProfileFile.h"

#include "SafeFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cctype>
#include <climits>

namespace {

struct Lines
{
    QList<QByteArray> lines;  // without their breaks
    QList<QByteArray> breaks; // each line's own break, kept as it was; the last may be empty
    QByteArray lineBreak = QByteArrayLiteral("\r\n"); // the file's usual break, for new lines
    bool utf8 = true;

    // A new line at `at`. At the end of a file without a final break the old
    // last line gets one and the new line goes without, as the file did.
    void insert(int at, const QByteArray &line)
    {
        QByteArray brk = lineBreak;
        if (at == lines.size() && at > 0 && breaks.last().isEmpty()) {
            breaks.last() = lineBreak;
            brk.clear();
        }
        // An empty line after a lone CR must not start with LF: CR + LF would
        // read back as one break and the line would be gone.
        if (line.isEmpty() && at > 0 && breaks.at(at - 1) == "\r" && brk.startsWith('\n'))
            brk = QByteArrayLiteral("\r");
        lines.insert(at, line);
        breaks.insert(at, brk);
    }
};

Lines splitLines(const QByteArray &data)
{
    Lines result;
    if (data.isEmpty())
        return result;
    const int lf = data.indexOf('\n');
    if (lf >= 0 && !(lf > 0 && data.at(lf - 1) == '\r'))
        result.lineBreak = QByteArrayLiteral("\n");
    QByteArray current;
    for (int i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c == '\r' || c == '\n') {
            result.lines.append(current);
            current.clear();
            if (c == '\r' && i + 1 < data.size() && data.at(i + 1) == '\n') {
                result.breaks.append(QByteArrayLiteral("\r\n"));
                ++i;
            } else {
                result.breaks.append(QByteArray(1, c));
            }
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty()) {
        result.lines.append(current);
        result.breaks.append(QByteArray());
    }
    QStringDecoder probe(QStringDecoder::Utf8);
    const QString decoded = probe.decode(data);
    Q_UNUSED(decoded);
    result.utf8 = !probe.hasError();
    return result;
}

QString decode(const QByteArray &bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QByteArray encode(const QString &text, bool utf8)
{
    if (utf8)
        return text.toUtf8();
    // Keep a Latin-1 file Latin-1 when the new text fits; otherwise the whole file
    // could not hold it, so the characters that do not fit become '?'.
    return text.toLatin1();
}

bool isSectionLine(const QString &trimmed, QString *name)
{
    if (!trimmed.startsWith(QLatin1Char('[')))
        return false;
    const int close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

bool keyOfLine(const QString &line, QString *key, QString *value)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
        return false;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

// Position of the section header line and of the key's line (or -1).
void locate(const Lines &file, const QString &section, const QString &key, int *sectionLine, int *keyLine,
            int *sectionEnd)
{
    *sectionLine = -1;
    *keyLine = -1;
    *sectionEnd = -1;
    bool inSection = false;
    for (int i = 0; i < file.lines.size(); ++i) {
        const QString line = decode(file.lines.at(i), file.utf8);
        QString name;
        if (isSectionLine(line.trimmed(), &name)) {
            if (inSection) {
                *sectionEnd = i;
                return;
            }
            if (name.compare(section, Qt::CaseInsensitive) == 0) {
                inSection = true;
                *sectionLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        QString k;
        if (keyOfLine(line, &k, nullptr) && *keyLine < 0 && k.compare(key, Qt::CaseInsensitive) == 0)
            *keyLine = i;
    }
    if (inSection)
        *sectionEnd = file.lines.size();
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path)) {}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &def) const
{
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return def;
    const Lines file = splitLines(f.readAll());
    int sectionLine, keyLine, sectionEnd;
    locate(file, section, key, &sectionLine, &keyLine, &sectionEnd);
    if (keyLine < 0)
        return def;
    QString k, value;
    keyOfLine(decode(file.lines.at(keyLine), file.utf8), &k, &value);
    // The profile functions drop one pair of quotes around a whole value.
    if (value.size() >= 2
        && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
        value = value.mid(1, value.size() - 2);
    return value.left(MaxValueLength);
}

bool ProfileFile::parseInteger(const QString &text, int *value)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t = t.mid(1);
    } else if (t.size() >= 3 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X")))) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        const bool ok = base == 10 ? c.isDigit() && c.unicode() < 128
                                   : (c.unicode() < 128 && isxdigit(c.unicode()));
        if (!ok)
            return false;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong signedValue = negative ? -v : v;
    if (base == 16) {
        // Hexadecimal covers the whole 32-bit pattern ("$FFFFFFFF" is -1).
        if (v > 0xFFFFFFFFLL)
            return false;
        *value = static_cast<int>(static_cast<quint32>(signedValue));
        return true;
    }
    if (signedValue < INT_MIN || signedValue > INT_MAX)
        return false;
    *value = static_cast<int>(signedValue);
    return true;
}

int ProfileFile::readInteger(const QString &section, const QString &key, int def) const
{
    const QString text = readString(section, key, QString());
    int v = 0;
    return parseInteger(text, &v) ? v : def;
}

bool ProfileFile::writeString(const QString &section, const QString &key, const QString &value, QString *error)
{
    return writeStrings({{section, key, value}}, error);
}

bool ProfileFile::writeStrings(const QList<Entry> &entries, QString *error)
{
    QByteArray original;
    {
        QFile f(m_path);
        if (f.exists()) {
            if (!f.open(QIODevice::ReadOnly)) {
                if (error)
                    *error = QStringLiteral("Unable to write to %1").arg(m_path);
                return false;
            }
            original = f.readAll();
        }
    }
    Lines file = splitLines(original);
    for (const Entry &entry : entries) {
        const QByteArray newLine = encode(entry.key + QLatin1Char('=') + entry.value, file.utf8);
        int sectionLine, keyLine, sectionEnd;
        locate(file, entry.section, entry.key, &sectionLine, &keyLine, &sectionEnd);
        if (keyLine >= 0) {
            file.lines[keyLine] = newLine;
        } else if (sectionLine >= 0) {
            // After the last non-blank line of the section.
            int at = sectionEnd;
            while (at - 1 > sectionLine && file.lines.at(at - 1).trimmed().isEmpty())
                --at;
            file.insert(at, newLine);
        } else {
            if (!file.lines.isEmpty() && !file.lines.last().trimmed().isEmpty())
                file.insert(file.lines.size(), QByteArray());
            file.insert(file.lines.size(), encode(QLatin1Char('[') + entry.section + QLatin1Char(']'), file.utf8));
            file.insert(file.lines.size(), newLine);
            file.breaks.last() = file.lineBreak;
        }
    }
    QByteArray out;
    out.reserve(original.size() + 64 * entries.size());
    for (int i = 0; i < file.lines.size(); ++i)
        out += file.lines.at(i) + file.breaks.at(i);
    QString reason;
    // The settings files of an installation are writable by every user while
    // the folder they are in is not: then the file is written in place.
    SafeFile::Options options;
    options.directFallback = true;
    if (!SafeFile::write(m_path, out, &reason, options)) {
        if (error)
            *error = QStringLiteral("Unable to write to %1").arg(m_path);
        return false;
    }
    return true;
}

bool ProfileFile::writeInteger(const QString &section, const QString &key, int value, QString *error)
{
    return writeString(section, key, QString::number(value), error);
}
