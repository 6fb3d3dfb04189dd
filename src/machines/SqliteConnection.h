#pragma once

#include <QString>

class QSqlDatabase;

// What Qt's SQLite driver does not offer, reached through the engine's own handle
// of an open QSQLITE connection. Every function does nothing (or answers "no") for
// a connection of another driver.
namespace SqliteConnection {

// The name of the collation that orders texts ignoring letter case for every
// letter, not only A to Z (NUM_MAQUINA of "a5" and "A20" sort together).
inline constexpr const char *NoCaseCollation = "ZVRD_NOCASE";

// Whether the connection is a SQLite one.
bool isSqlite(const QSqlDatabase &db);

// Registers the collation above and a LIKE that ignores letter case for every
// letter ("öltek" matches "ÖLTEK"), with "%" and "_" as its wildcards.
void registerUnicodeCase(const QSqlDatabase &db);

// Whether the file the connection holds open is no longer the one at its path:
// deleted, renamed or replaced by another file since it was opened.
bool fileHasMoved(const QSqlDatabase &db);

// The engine's extended result code of the last failed call on the connection
// (0 when unknown).
int lastErrorCode(const QSqlDatabase &db);

// The classes of failure the user is told about in their own words.
enum class Failure { Other, ReadOnly, Moved, Locked, Damaged };
Failure classify(int extendedCode);

} // namespace SqliteConnection
