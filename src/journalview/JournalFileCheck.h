#pragma once

#include "journal/JournalEntry.h"

#include <QString>

// Whether the program file of a journal entry is still the one that was transferred: its
// SHA-256 against the one the journal holds.
namespace JournalFileCheck {

enum class State {
    Same,      // the file holds the bytes that were transferred
    Changed,   // the file was changed since
    Missing,   // no file at the path (or it is not a file)
    Unreadable, // the file could not be read: `reason` says why
    NoRecord,  // the entry has no local path or no hash to compare with
};

struct Result
{
    State state = State::NoRecord;
    QString sha256; // of the file as it is now, when it could be read
    QString reason;
};

Result check(const JournalEntry &entry);
// Lower-case hexadecimal SHA-256 of a file; empty with `reason` when it cannot be read.
QString fileSha256(const QString &path, QString *reason);

} // namespace JournalFileCheck
