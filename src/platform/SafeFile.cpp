#include "SafeFile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace SafeFile {

#ifdef Q_OS_UNIX

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The descriptor a path such as /dev/stdout or /dev/fd/3 stands for, or -1. Such a
// stream is written through a copy of the descriptor, so that its offset and its
// append mode stay what the shell made them.
int openStreamAlias(const QString &path)
{
    if (path == QLatin1String("/dev/stdout"))
        return 1;
    if (path == QLatin1String("/dev/stderr"))
        return 2;
    for (const char *prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const QLatin1String p(prefix);
        if (path.startsWith(p)) {
            bool ok = false;
            const int fd = path.mid(p.size()).toInt(&ok);
            return ok && fd >= 0 ? fd : -1;
        }
    }
    return -1;
}

bool writeAll(int fd, const char *data, qint64 size, int *error)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(qMin<qint64>(size, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool pwriteAll(int fd, const char *data, qint64 size, qint64 offset, int *error)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(qMin<qint64>(size, 1 << 30)), off_t(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += n;
        size -= n;
        offset += n;
    }
    return true;
}

bool readWhole(int fd, QByteArray *out, int *error)
{
    out->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(out->size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0)
            return true;
        out->append(buffer, int(n));
    }
}

} // namespace

struct Writer::Private
{
    enum class Kind { Replace, Stream, InPlace };

    QString path;       // as given
    QByteArray target;  // the file that gets the content (a symbolic link resolved)
    QByteArray temporary;
    Options options;
    Kind kind = Kind::Replace;
    int fd = -1;
    QString reason;
    qint64 written = 0;
    bool committed = false;
    bool haveOld = false;
    struct stat old = {};
    QByteArray oldBytes; // the content an in-place write puts back on failure

    bool fail(int error)
    {
        if (reason.isEmpty())
            reason = errnoText(error);
        return false;
    }
    void closeAndDrop()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (kind == Kind::Replace && !temporary.isEmpty())
            ::unlink(temporary.constData());
        temporary.clear();
    }
    bool openReplace();
    bool openInPlace();
};

bool Writer::Private::openReplace()
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
    const QByteArray base = QFile::encodeName(QFileInfo(QFile::decodeName(target)).fileName());
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = folder + '/' + '.' + base + '.'
            + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        // Created private; the final permissions are set once it is complete.
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary = name;
            return true;
        }
        lastError = errno;
        if (lastError != EEXIST)
            break;
    }
    if (options.directFallback && haveOld && (lastError == EACCES || lastError == EPERM || lastError == EROFS)
        && S_ISREG(old.st_mode) && ::access(target.constData(), W_OK) == 0) {
        kind = Kind::InPlace;
        return openInPlace();
    }
    return fail(lastError);
}

bool Writer::Private::openInPlace()
{
    fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    int error = 0;
    if (!readWhole(fd, &oldBytes, &error)) {
        closeAndDrop();
        return fail(error);
    }
    return true;
}

Writer::Writer(const QString &path, Options options) : d(new Private)
{
    d->path = path;
    d->options = options;
}

Writer::~Writer()
{
    if (!d->committed)
        cancel();
}

bool Writer::open(OpenMode mode)
{
    if (!(mode & WriteOnly) || (mode & ReadOnly))
        return false;
    return open(static_cast<QString *>(nullptr));
}

bool Writer::open(QString *error)
{
    d->reason.clear();
    d->committed = false;
    d->written = 0;
    const QByteArray given = QFile::encodeName(d->path);
    d->haveOld = ::stat(given.constData(), &d->old) == 0;
    const int alias = openStreamAlias(d->path);
    if (d->haveOld && S_ISDIR(d->old.st_mode)) {
        d->reason = errnoText(EISDIR);
    } else if (alias >= 0 && d->haveOld) {
        d->kind = Private::Kind::Stream;
        d->target = given;
        d->fd = ::fcntl(alias, F_DUPFD_CLOEXEC, 3);
        if (d->fd < 0)
            d->fail(errno);
    } else if (d->haveOld && !S_ISREG(d->old.st_mode)) {
        // A device or a FIFO: fed directly, never replaced.
        d->kind = Private::Kind::Stream;
        d->target = given;
        d->fd = ::open(given.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (d->fd < 0)
            d->fail(errno);
    } else {
        d->kind = Private::Kind::Replace;
        d->target = given;
        char resolved[PATH_MAX];
        if (d->haveOld && QFileInfo(d->path).isSymLink() && ::realpath(given.constData(), resolved))
            d->target = resolved;
        d->openReplace();
    }
    if (d->fd < 0) {
        if (error)
            *error = d->reason;
        setErrorString(d->reason);
        return false;
    }
    QIODevice::open(WriteOnly | Unbuffered);
    return true;
}

qint64 Writer::readData(char *, qint64) { return -1; }

qint64 Writer::writeData(const char *data, qint64 size)
{
    if (d->fd < 0 || !d->reason.isEmpty())
        return -1;
    int error = 0;
    const bool ok = d->kind == Private::Kind::InPlace ? pwriteAll(d->fd, data, size, d->written, &error)
                                                      : writeAll(d->fd, data, size, &error);
    if (!ok) {
        d->fail(error);
        setErrorString(d->reason);
        return -1;
    }
    d->written += size;
    return size;
}

bool Writer::commit(QString *error)
{
    const auto failed = [&] {
        if (d->kind == Private::Kind::InPlace && d->fd >= 0) {
            // Put the old content back; it fits in the blocks it had.
            int ignored = 0;
            if (pwriteAll(d->fd, d->oldBytes.constData(), d->oldBytes.size(), 0, &ignored))
                (void)::ftruncate(d->fd, off_t(d->oldBytes.size()));
        }
        d->closeAndDrop();
        QIODevice::close();
        setErrorString(d->reason);
        if (error)
            *error = d->reason;
        return false;
    };
    if (d->fd < 0) {
        if (d->reason.isEmpty())
            d->reason = QStringLiteral("The file is not open for writing.");
        return failed();
    }
    if (!d->reason.isEmpty())
        return failed();

    if (d->kind == Private::Kind::Stream) {
        // A terminal, pipe or device has no storage to sync; what matters is that close succeeds.
        const int fd = d->fd;
        d->fd = -1;
        if (::close(fd) != 0 && errno != EINTR) {
            d->fail(errno);
            return failed();
        }
        d->committed = true;
        QIODevice::close();
        return true;
    }

    if (d->kind == Private::Kind::InPlace) {
        if (::ftruncate(d->fd, off_t(d->written)) != 0 || ::fsync(d->fd) != 0) {
            d->fail(errno);
            return failed();
        }
    } else {
        // The final permissions: those of the file replaced (owner and group too,
        // where this process may give them), else what a new file would get.
        if (d->haveOld) {
            if (::fchown(d->fd, d->old.st_uid, d->old.st_gid) != 0)
                (void)::fchown(d->fd, uid_t(-1), d->old.st_gid);
            (void)::fchmod(d->fd, d->old.st_mode & 07777);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            (void)::fchmod(d->fd, 0666 & ~mask);
        }
        if (::fsync(d->fd) != 0 && errno != EINVAL && errno != EROFS) {
            d->fail(errno);
            return failed();
        }
    }
    const int fd = d->fd;
    d->fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        d->fail(errno);
        d->fd = -1;
        return failed();
    }
    if (d->kind == Private::Kind::Replace) {
        if (::rename(d->temporary.constData(), d->target.constData()) != 0) {
            d->fail(errno);
            return failed();
        }
        d->temporary.clear();
    }
    d->committed = true;
    QIODevice::close();
    return true;
}

void Writer::cancel()
{
    if (d->kind == Private::Kind::InPlace && d->fd >= 0) {
        int ignored = 0;
        if (pwriteAll(d->fd, d->oldBytes.constData(), d->oldBytes.size(), 0, &ignored))
            (void)::ftruncate(d->fd, off_t(d->oldBytes.size()));
    }
    d->closeAndDrop();
    if (isOpen())
        QIODevice::close();
}

QString Writer::reason() const { return d->reason; }
bool Writer::isDirect() const { return d->kind != Private::Kind::Replace; }
qint64 Writer::written() const { return d->written; }

#else // not Unix: QSaveFile, with the last flush checked before the commit

struct Writer::Private
{
    QString path;
    Options options;
    std::unique_ptr<QSaveFile> file;
    QString reason;
    qint64 written = 0;
    bool committed = false;
    bool fail(const QString &why)
    {
        if (reason.isEmpty())
            reason = why;
        return false;
    }
};

Writer::Writer(const QString &path, Options options) : d(new Private)
{
    d->path = path;
    d->options = options;
}

Writer::~Writer()
{
    if (!d->committed)
        cancel();
}

bool Writer::open(OpenMode mode)
{
    if (!(mode & WriteOnly) || (mode & ReadOnly))
        return false;
    return open(static_cast<QString *>(nullptr));
}

bool Writer::open(QString *error)
{
    d->reason.clear();
    d->written = 0;
    d->committed = false;
    d->file.reset(new QSaveFile(d->path));
    d->file->setDirectWriteFallback(d->options.directFallback);
    if (!d->file->open(QIODevice::WriteOnly)) {
        d->fail(d->file->errorString());
        setErrorString(d->reason);
        if (error)
            *error = d->reason;
        return false;
    }
    QIODevice::open(WriteOnly | Unbuffered);
    return true;
}

qint64 Writer::readData(char *, qint64) { return -1; }

qint64 Writer::writeData(const char *data, qint64 size)
{
    if (!d->file || !d->reason.isEmpty())
        return -1;
    // Flushing after every write keeps the reason of a failure with the write that met it.
    if (d->file->write(data, size) != size || !d->file->flush()) {
        d->fail(d->file->errorString());
        setErrorString(d->reason);
        return -1;
    }
    d->written += size;
    return size;
}

bool Writer::commit(QString *error)
{
    if (!d->file)
        d->fail(QStringLiteral("The file is not open for writing."));
    else if (d->reason.isEmpty() && !d->file->flush())
        d->fail(d->file->errorString());
    if (d->reason.isEmpty() && !d->file->commit())
        d->fail(d->file->errorString());
    if (!d->reason.isEmpty()) {
        cancel();
        setErrorString(d->reason);
        if (error)
            *error = d->reason;
        return false;
    }
    d->committed = true;
    QIODevice::close();
    return true;
}

void Writer::cancel()
{
    if (d->file)
        d->file->cancelWriting();
    d->file.reset();
    if (isOpen())
        QIODevice::close();
}

QString Writer::reason() const { return d->reason; }
bool Writer::isDirect() const { return false; }
qint64 Writer::written() const { return d->written; }

#endif

bool write(const QString &path, const QByteArray &bytes, QString *error, Options options)
{
    Writer writer(path, options);
    if (!writer.open(error))
        return false;
    if (writer.write(bytes) != bytes.size()) {
        if (error)
            *error = writer.reason();
        writer.cancel();
        return false;
    }
    return writer.commit(error);
}

} // namespace SafeFile
