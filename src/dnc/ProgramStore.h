#pragma once

#include <QByteArray>
#include <QString>

// Stores a received program in a machine's folder without ever replacing a file that is there.
namespace ProgramStore {

// Writes the bytes through SafeFile into a temporary file of the folder, then gives it the
// name `fileName`, or "<stem>-2<ext>", "<stem>-3<ext>" ... where a file of that name exists,
// with a rename that refuses to replace (so a file that appears meanwhile is not replaced
// either). Returns the path stored; empty with the reason in *error when it fails (the
// temporary file is then gone).
QString storeNew(const QString &folder, const QString &fileName, const QByteArray &bytes, QString *error);

// The name for copy `n` (n >= 2) of a file name: "O1234.nc" -> "O1234-2.nc".
QString numberedName(const QString &fileName, int n);

// Temporary files of this store are named ".<name>.receiving-<pid>-<n>"; true for such a name.
bool isTemporaryName(const QString &fileName);

} // namespace ProgramStore
