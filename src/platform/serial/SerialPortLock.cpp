#include "SerialPortLock.h"

#include "NetworkSerialAddress.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QString &folderOverride()
{
    static QString folder;
    return folder;
}

} // namespace

SerialPortLock::SerialPortLock() = default;
SerialPortLock::~SerialPortLock() { release(); }

QString SerialPortLock::folder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    const QString fromEnvironment = qEnvironmentVariable("ZAVRIN_LOCK_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir(QDir::tempPath()).filePath(QStringLiteral("zavrin-port-locks"));
}

void SerialPortLock::setFolder(const QString &folder) { folderOverride() = folder; }

QString SerialPortLock::lockFileFor(const QString &device)
{
    QString key;
    if (const auto address = NetworkSerialAddress::parse(device)) {
        key = address->lockKey();
    } else {
        const QString real = QFileInfo(device).canonicalFilePath();
        key = real.isEmpty() ? QDir::cleanPath(device) : real;
    }
    // A readable name for whoever looks into the folder, and a hash so that two keys that read
    // alike after the cleaning still differ.
    QString readable;
    for (const QChar c : key)
        readable += (c.isLetterOrNumber() && c.unicode() < 0x80) || c == QLatin1Char('-') ? c : QLatin1Char('_');
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(10);
    return QDir(folder()).filePath(readable.right(80) + QLatin1Char('-') + QString::fromLatin1(hash) + QStringLiteral(".lock"));
}

bool SerialPortLock::acquire(const QString &device, Holder *holder, QString *error)
{
    release();
    const QString dir = folder();
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("the lock folder %1 cannot be made").arg(dir);
        return false;
    }
    // Every user's programs share the folder; the sticky bit keeps each user's files their own.
#ifdef Q_OS_UNIX
    if (folderOverride().isEmpty() && qEnvironmentVariableIsEmpty("ZAVRIN_LOCK_DIR"))
        ::chmod(QFile::encodeName(dir).constData(), 01777);
#endif
    auto lock = std::make_unique<QLockFile>(lockFileFor(device));
    // Never stale by age: an open port may stay open for days. A lock whose process is gone is
    // taken over all the same (QLockFile checks the process).
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return true;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        QString hostName;
        qint64 pid = 0;
        QString program;
        lock->getLockInfo(&pid, &hostName, &program);
        holder->pid = pid;
        holder->program = program.isEmpty() ? QStringLiteral("?") : program;
        return false;
    }
    *error = lock->error() == QLockFile::PermissionError
                 ? QStringLiteral("the lock file in %1 cannot be written").arg(dir)
                 : QStringLiteral("the lock file in %1 cannot be used").arg(dir);
    return false;
}

void SerialPortLock::release()
{
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}
