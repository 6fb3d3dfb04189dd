#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// How a CNC program file is stored on disk.
//
// A file that begins with a UTF-16 byte-order mark is UTF-16 (a big-endian one is
// written back little-endian, with FF FE). Any other file is 8-bit text: the ANSI
// code page on Windows; elsewhere UTF-8 when the whole file is valid UTF-8 and
// Latin-1 otherwise, so that every byte of a file survives a read and a write.
enum class ProgramEncoding { Utf8, Latin1, Utf16LE, Utf16BE, SystemCodePage };

// A program as lines. Each line keeps the break that followed it in the file, so
// that an unchanged file is written back byte for byte even when its breaks are
// mixed; lines without a break of their own (new lines, or all lines of a new
// text) get `lineBreak`. The last line is never followed by a break: a file that
// ends with a break reads with a last empty line.
struct ProgramText
{
    QStringList lines;
    ProgramEncoding encoding = ProgramEncoding::Utf8;
    // The break written for lines without their own: the file's break ("\n", "\r",
    // "\r\n" or U+2028), the most frequent one when the file mixes them, CR LF when
    // the file has none.
    QString lineBreak = QStringLiteral("\r\n");
    // breaks[i] is the break read after lines[i]; empty (or missing) means lineBreak.
    QList<QString> breaks;
    // A UTF-8 file that began with EF BB BF gets it back.
    bool utf8ByteOrderMark = false;
};

ProgramText decodeProgramFile(const QByteArray &bytes);
// Throws Error when a line holds a character the 8-bit encoding cannot store.
QByteArray encodeProgramFile(const ProgramText &text);
// Throws Error("file not found: <path>") and the like.
ProgramText readProgramFile(const QString &path);
// Written through a temporary file that replaces the old one only when complete.
void writeProgramFile(const QString &path, const ProgramText &text);
// One empty line, written with CR LF.
ProgramText newProgramText();

// The bytes of a file as they are, or Error with the reason.
QByteArray readFileBytes(const QString &path);
void writeFileBytes(const QString &path, const QByteArray &bytes);

// How a file's text is stored, apart from the text itself.
struct ProgramForm
{
    ProgramEncoding encoding = ProgramEncoding::Utf8;
    bool utf8ByteOrderMark = false;
    // The break for new lines ("\n", "\r", "\r\n" or U+2028).
    QString lineBreak = QStringLiteral("\r\n");
    // The editing control knows CR, LF and CR LF only. In a UTF-16 file with
    // U+2028 breaks each of those is held as this line end, one the file itself
    // does not use; empty when there is none to stand in for.
    QByteArray separatorStandIn;

    // The line end the control inserts for a new line ("\r\n", "\n" or "\r").
    QByteArray editorLineEnd() const;
};

// A program as the editing control holds it: one UTF-8 buffer in which every line
// keeps its own CR, LF or CR LF. For a UTF-8 file this is the file's bytes as they
// are, without a copy.
struct ProgramDocument
{
    QByteArray utf8;
    ProgramForm form;
};

ProgramDocument decodeProgramDocument(QByteArray bytes);
// The file bytes for a buffer of that form; throws Error as encodeProgramFile.
QByteArray encodeProgramDocument(QByteArrayView utf8, const ProgramForm &form);
ProgramDocument readProgramDocument(const QString &path);
ProgramForm newProgramForm();

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF), which is what makes the UTF-8 reading lossless.
bool isWellFormedUtf8(QByteArrayView bytes);
