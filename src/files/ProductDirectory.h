#pragma once

#include <QString>

// A product's own folder under a machine's program directory: customer or
// company, product number and revision, each trimmed, joined by "_".
namespace ProductDirectory {

// The outcome of the checks before creating, in the order they are made.
enum class Check {
    Ok,
    CustomerMissing,
    ProductMissing,
    RevisionMissing,
    ProgramDirectoryMissing,
    AlreadyExists
};

// programDirectory + customer + "_" + product + "_" + revision. A backslash in a
// text makes a deeper folder on every system, as it does on Windows.
QString path(const QString &programDirectory, const QString &customer, const QString &product,
             const QString &revision);

Check check(const QString &programDirectory, const QString &customer, const QString &product,
            const QString &revision);

// Creates the folder with any missing folders above it; true only when the
// folder exists afterwards (a name the file system refuses is not reported as
// created).
bool create(const QString &path);

} // namespace ProductDirectory
