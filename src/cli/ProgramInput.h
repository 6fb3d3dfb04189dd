#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Where zavrin-cnc reads its program: FILE or standard input. Only what ends is
// read: a regular file, a pipe (or socket), a terminal, or /dev/null; a device
// such as /dev/zero or a folder is refused before anything is read. Input
// larger than MaxInputBytes is refused too, so that an endless pipe ends.
namespace ProgramInput {

// 2,000,000,000 bytes: the lines of a program this size can still be counted
// by the tools' line numbers.
constexpr qint64 MaxInputBytes = 2000000000;

// How the input is named in messages: the path, or "standard input".
QString displayName(const QString &path);

// The whole input; throws Error naming the input and the reason. An empty path
// is standard input.
QByteArray readAll(const QString &path);

#ifdef Q_OS_UNIX
// What one reading in blocks tells of a regular file, before it is worked on
// in blocks.
struct Survey
{
    bool utf8 = false;          // the whole file is well-formed UTF-8
    bool byteOrderMark = false; // it begins with EF BB BF
    qint64 size = 0;
    qint64 lines = 0;           // as the tools count them: one more than the breaks
    QByteArray head;            // the first BinaryCheckBytes bytes
};

// The input, open: FILE or standard input, checked as readAll() checks it.
class InputFile
{
public:
    // Throws Error naming the input and the reason.
    explicit InputFile(const QString &path);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    bool isRegular() const { return m_regular; }
    QByteArray readAll();
    // Reads a regular file from its start to its end and back to its start.
    Survey survey();
    // Up to `size` bytes, 0 at the end; throws Error.
    qsizetype read(char *data, qsizetype size);
    void rewind();
    QString name() const { return displayName(m_path); }

private:
    [[noreturn]] void fail(int error) const;

    QString m_path;
    int m_fd = 0;
    bool m_regular = false;
    qint64 m_size = -1;
};
#endif

// How much of the input is looked at to tell a binary file from a program.
constexpr qsizetype BinaryCheckBytes = 4096;

// Whether the bytes look like a binary file (an executable, an archive) rather
// than a program. A program may carry NUL padding: a tape leader of NULs in front
// of it and NULs after it. So only the first BinaryCheckBytes count, and they
// are binary when they hold a NUL with other bytes on both sides together with
// a control character that text does not use: codes 1, 2, 5 to 8, 14 to 16, 21
// to 25, 27 to 31 and 127. Tab, the line breaks, form feed, the tape codes ETX,
// EOT, DC1 to DC4 and the end-of-file mark SUB are not counted. A file with a
// UTF-16 byte-order mark is text.
bool looksBinary(QByteArrayView bytes);

// True when the path is a regular file (what --in-place can replace).
bool isRegularFile(const QString &path);


} // namespace ProgramInput
