#pragma once

#include "ProgramSplitter.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What is kept of a received program and what it is called.
namespace ReceivedProgram {

// The bytes to store. With strip set: no NUL byte anywhere, nothing before the opening "%" (or
// the first significant byte) and nothing after the closing "%" (or after the line end of the
// last block). Without it: the bytes as they came. Every other byte is kept either way.
QByteArray storedBytes(const ProgramSplitter::Program &program, bool strip);

// True when the program holds a block (something besides leader bytes and "%").
bool hasContent(const QByteArray &bytes);

// The program number of the first block: "O1234" for "O1234" or ":1234" (the ISO form), the
// digits as written; empty when the first block is not a program number.
QString programNumber(const QByteArray &bytes);

// Whether a name may be a file name in a machine's folder: no path separators, no characters
// that some file system refuses ( : * ? " < > | and control characters), not "." or "..", no
// blank or dot at the end. Empty when it may; else the reason in English.
QString unsafeNameReason(const QString &name);

struct Naming
{
    QString fileName;   // the name to store under (before a numbered suffix)
    QString problem;    // the pattern or the extension gave an unsafe name: why, in English
};
// The name for a program: the pattern with "%1" replaced by the number, then the extension;
// "PROGRAM-<yyyyMMdd-HHmmss>" and the extension when there is no number. A pattern or an
// extension that gives an unsafe name falls back to the number and ".nc", with the reason.
Naming nameFor(const QString &number, const QString &pattern, const QString &extension,
               const QDateTime &receivedAt);

} // namespace ReceivedProgram
