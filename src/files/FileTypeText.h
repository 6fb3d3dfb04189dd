#pragma once

#include "FolderListing.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

// The text of the browser's Type column. A kind of file the desktop knows keeps
// the desktop's description ("PNG image", "plain text document"); a kind it does
// not know is named the way a desktop shell names an unregistered extension
// ("NC File").
//
// CNC programs share their extensions with unrelated formats: ".nc" is a NetCDF
// data set to the desktop, ".iso" a disc image, ".ngc" a cartridge image, ".h" a
// C header. A program extension is therefore named as an unregistered one,
// unless the desktop calls it a binary format: then the file's first bytes
// decide (a real NetCDF file keeps its name). Only those few files are read, and
// each once, so a folder of thousands of programs lists as fast as before.
class FileTypeText
{
public:
    // The text for one item of `folder`.
    QString text(const QString &folder, const FolderEntry &entry);
    // Forgets what was read from files (another folder is shown).
    void forgetFiles() { m_heads.clear(); }

    // Whether the extension (without the dot, any case) is one CNC controls use
    // for part programs.
    static bool isProgramExtension(const QString &suffix);
    // Whether the first bytes of a file are text by the desktop's rules (an empty
    // file counts as text: a new program).
    static bool holdsText(const QByteArray &head);
    // "NC File" for "nc", in the interface language.
    static QString unregistered(const QString &suffix);

private:
    enum class Rule { Description, Unregistered, ByContent };
    struct Kind
    {
        Rule rule = Rule::Unregistered;
        QString description;
    };
    struct Head
    {
        qint64 size = -1;
        QDateTime modified;
        bool text = false;
    };

    Kind kindOf(const QString &suffix);
    bool fileHoldsText(const QString &path, const FolderEntry &entry);

    QString m_folderText;
    QHash<QString, Kind> m_kinds;  // by lower-case extension
    QHash<QString, Head> m_heads;  // by file name, for Rule::ByContent only
};
