#include "ProgramStore.h"

#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#endif

namespace ProgramStore {

namespace {
std::atomic<int> g_counter{0};

enum class Placed { Done, Exists, Failed };

// Renames without replacing: RENAME_NOREPLACE where the file system has it, else a hard link
// (which fails on an existing name) and the removal of the temporary name.
Placed placeNoReplace(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_LINUX
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return Placed::Done;
    if (errno == EEXIST)
        return Placed::Exists;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return Placed::Failed;
    }
#endif
    if (::link(f.constData(), t.constData()) == 0) {
        ::unlink(f.constData());
        return Placed::Done;
    }
    if (errno == EEXIST)
        return Placed::Exists;
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return Placed::Failed;
#else
    // QFile::rename never replaces an existing file.
    if (QFileInfo::exists(to))
        return Placed::Exists;
    QFile file(from);
    if (file.rename(to))
        return Placed::Done;
    if (QFileInfo::exists(to))
        return Placed::Exists;
    *error = file.errorString();
    return Placed::Failed;
#endif
}
} // namespace

QString numberedName(const QString &fileName, int n)
{
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return fileName + QStringLiteral("-%1").arg(n);
    return fileName.left(dot) + QStringLiteral("-%1").arg(n) + fileName.mid(dot);
}

bool isTemporaryName(const QString &fileName)
{
    return fileName.startsWith(QLatin1Char('.')) && fileName.contains(QLatin1String(".receiving-"));
}

QString storeNew(const QString &folder, const QString &fileName, const QByteArray &bytes, QString *error)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        *error = QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    const QString temporary = dir.filePath(QStringLiteral(".%1.receiving-%2-%3")
                                               .arg(fileName)
                                               .arg(QCoreApplication::applicationPid())
                                               .arg(++g_counter));
    QString reason;
    if (!SafeFile::write(temporary, bytes, &reason)) {
        QFile::remove(temporary);
        *error = reason;
        return QString();
    }
    for (int n = 1; n < 100000; ++n) {
        const QString target = dir.filePath(n == 1 ? fileName : numberedName(fileName, n));
        switch (placeNoReplace(temporary, target, &reason)) {
        case Placed::Done:
            return target;
        case Placed::Exists:
            continue;
        case Placed::Failed:
            QFile::remove(temporary);
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(target), reason);
            return QString();
        }
    }
    QFile::remove(temporary);
    *error = QStringLiteral("too many copies of %1").arg(fileName);
    return QString();
}

} // namespace ProgramStore
