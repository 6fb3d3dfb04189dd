#pragma once

#include "JournalStore.h"

// Where the journal is: [JOURNAL] VALUE= of Zavrin.ini names the SQLite file; a missing
// or empty value is journal.db beside Zavrin.ini, a relative one is in that folder.
namespace JournalSettings {

inline const char *DefaultFileName = "journal.db";

JournalStore::Location location(const QString &mainSettingsPath);

} // namespace JournalSettings
