#pragma once

#include <QString>

// Creating a machine database (the installer's job, never the application's):
// used by zavrin-newdb and by tests.
namespace DatabaseSchema {
// Creates the four tables in a new SQLite file; throws Error when the file exists
// or cannot be written. With demo set, adds machines of every transfer type whose
// folders lie under demoRoot.
void createDatabase(const QString &path, bool demo, const QString &demoRoot = QString(), int extraMachines = 0);
} // namespace DatabaseSchema
