#pragma once

#include <QList>
#include <QString>

// Reads and writes single keys of an initialization file the way the Windows
// profile functions do: sections and keys match without regard to letter case,
// every line the program does not change is written back byte for byte, and a
// write creates a missing file. Values are read up to 2047 characters.
class ProfileFile
{
public:
    static constexpr int MaxValueLength = 2047;

    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }

    // The value of section/key, or def when the file, the section or the key is missing.
    QString readString(const QString &section, const QString &key, const QString &def) const;
    // The value as an integer: decimal, or hexadecimal after "$" or after "0x"/"0X"
    // (three characters at least); anything that is not an integer gives def.
    int readInteger(const QString &section, const QString &key, int def) const;

    // Writes one key; returns false with "Unable to write to <path>" in *error when
    // the system refuses. The file is replaced through a temporary file.
    bool writeString(const QString &section, const QString &key, const QString &value, QString *error);
    bool writeInteger(const QString &section, const QString &key, int value, QString *error);

    struct Entry
    {
        QString section;
        QString key;
        QString value;
    };
    // Writes several keys with one rewrite of the file, each exactly as writeString
    // would, in the given order; on a refusal none of them is written.
    bool writeStrings(const QList<Entry> &entries, QString *error);

    // The integer rule on its own, for callers that read text already.
    static bool parseInteger(const QString &text, int *value);

private:
    QString m_path;
};
