#pragma once

#include <QByteArray>
#include <QString>

// Where zavrin-cnc reads its program: FILE or standard input. Only what ends is
// read: a regular file, a pipe (or socket), a terminal, or /dev/null; a device
// such as /dev/zero or a folder is refused before anything is read. Input
// larger than MaxInputBytes is refused too, so that an endless pipe ends.
namespace ProgramInput {

// 2,000,000,000 bytes: the lines of a program this size can still be counted
// by the tools' line numbers.
constexpr qint64 MaxInputBytes = 2000000000;

// The whole input; throws Error naming the input and the reason. An empty path
// is standard input.
QByteArray readAll(const QString &path);

// True when the path is a regular file (what --in-place can replace).
bool isRegularFile(const QString &path);

// How the input is named in messages: the path, or "standard input".
QString displayName(const QString &path);

} // namespace ProgramInput
