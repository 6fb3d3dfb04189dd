#include "ProductDirectory.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace ProductDirectory {

namespace {
QString part(const QString &text) { return Paths::toNative(QString(text.trimmed()).replace(QLatin1Char('\\'), QLatin1Char('/'))); }
} // namespace

QString path(const QString &programDirectory, const QString &customer, const QString &product,
             const QString &revision)
{
    // The program directory ends with a separator; one is added if a stored one lacks it.
    const QString folder = programDirectory.isEmpty() ? programDirectory : Paths::withTrailingSeparator(programDirectory);
    return folder + part(customer) + QLatin1Char('_') + part(product) + QLatin1Char('_') + part(revision);
}

Check check(const QString &programDirectory, const QString &customer, const QString &product,
            const QString &revision)
{
    if (customer.trimmed().isEmpty())
        return Check::CustomerMissing;
    if (product.trimmed().isEmpty())
        return Check::ProductMissing;
    if (revision.trimmed().isEmpty())
        return Check::RevisionMissing;
    // An empty directory would mean the working folder: no machine is selected.
    if (programDirectory.isEmpty() || !QFileInfo(programDirectory).isDir())
        return Check::ProgramDirectoryMissing;
    if (QFileInfo(path(programDirectory, customer, product, revision)).isDir())
        return Check::AlreadyExists;
    return Check::Ok;
}

bool create(const QString &path)
{
    QDir().mkpath(path);
    return QFileInfo(path).isDir();
}

} // namespace ProductDirectory
