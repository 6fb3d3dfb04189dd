#pragma once

#include <QString>

// Creating a machine database (the installer's job, never the application's):
// used by zavrin-newdb and by tests. A location is a SQLite file path or a
// postgresql:// URL (ServerAddress.h) of an existing, empty server database.
namespace DatabaseSchema {
// Creates the four tables: in a new SQLite file, or in a server database that has
// none of them yet. Throws Error when the file exists, the server database holds
// a register already, or the location cannot be written. With demo set, adds
// machines of every transfer type whose folders lie under demoRoot.
void createDatabase(const QString &location, bool demo, const QString &demoRoot = QString(), int extraMachines = 0);

struct CopyCount
{
    int machines = 0;
    int pathRows = 0;
    int ftpRows = 0;
    int serialRows = 0;
};

// Copies a whole register from one location to another (file to server, server to
// file, or any other pair): every row of the four tables with its keys, texts and
// dates as they are, and the numbering of new machines after the highest id
// copied. A target without the tables gets them first (a missing SQLite file is
// created). A target that holds machines is refused unless replace is set; then
// its rows are replaced. All in one transaction on the target: a failure leaves
// it as it was. Throws Error naming the location and the reason.
CopyCount copyDatabase(const QString &from, const QString &to, bool replace);
} // namespace DatabaseSchema
