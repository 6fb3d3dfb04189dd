#pragma once

#include "JournalEntry.h"

#include <QString>
#include <optional>

// The words of a journal entry. The stored words are fixed English keywords, the same
// whatever language the program runs in (a journal is read by every workstation);
// the shown words follow the interface language.
namespace JournalWords {

QString keyword(JournalEntry::Medium medium);
QString keyword(JournalEntry::Direction direction);
QString keyword(JournalEntry::Outcome outcome);

// The value of a stored keyword; nothing for a word that is none of them.
std::optional<JournalEntry::Medium> mediumFromKeyword(const QString &word);
std::optional<JournalEntry::Direction> directionFromKeyword(const QString &word);
std::optional<JournalEntry::Outcome> outcomeFromKeyword(const QString &word);

// The words shown to the operator, in the current language (English before a
// language was applied).
QString text(JournalEntry::Medium medium);
QString text(JournalEntry::Direction direction);
QString text(JournalEntry::Outcome outcome);

// The notice of a serial receive that ended by silence without an end-of-program mark.
inline const char *NoEndOfProgramKeyword = "no end of program received";
// The notice in the current language (a stored notice other than the keyword as it is).
QString noticeText(const QString &storedNotice);

} // namespace JournalWords
