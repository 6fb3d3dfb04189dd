#include "ProgramInput.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ProgramInput {

namespace {

QString tooLarge(const QString &name)
{
    return QStringLiteral("cannot read %1: it is larger than %2 bytes, the most zavrin-cnc reads")
        .arg(name, QString::number(MaxInputBytes));
}

#ifdef Q_OS_UNIX

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

class Descriptor
{
public:
    explicit Descriptor(int fd, bool owned) : m_fd(fd), m_owned(owned) {}
    ~Descriptor()
    {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
    bool m_owned;
};

bool isNullDevice(const struct stat &st)
{
    struct stat null = {};
    return ::stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) && null.st_rdev == st.st_rdev;
}

// What the input is, or the reason it is not read.
QString refusal(int fd, const struct stat &st)
{
    if (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISCHR(st.st_mode) && (::isatty(fd) || isNullDevice(st)))
        return QString();
    return QStringLiteral("it is a device, not a regular file, a pipe or a terminal");
}

#endif

} // namespace

bool looksBinary(QByteArrayView bytes)
{
    if (bytes.size() >= 2 && bytes.size() % 2 == 0
        && ((uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE) || (uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF)))
        return false;
    const QByteArrayView block = bytes.first(qMin(bytes.size(), BinaryCheckBytes));
    bool innerNul = false;
    bool binaryControl = false;
    bool textBefore = false; // a byte other than NUL came before
    bool nulPending = false; // NULs since that byte
    for (const char c : block) {
        const uchar b = uchar(c);
        if (b == 0) {
            nulPending = textBefore;
            continue;
        }
        if (nulPending)
            innerNul = true;
        nulPending = false;
        textBefore = true;
        if (b == 0x7F || (b < 0x20 && b != '\t' && b != '\n' && b != '\v' && b != '\f' && b != '\r' && b != 0x03
                          && b != 0x04 && (b < 0x11 || b > 0x14) && b != 0x1A))
            binaryControl = true;
    }
    return innerNul && binaryControl;
}

QString displayName(const QString &path) { return path.isEmpty() ? QStringLiteral("standard input") : path; }

#ifdef Q_OS_UNIX

QByteArray readAll(const QString &path)
{
    const QString name = displayName(path);
    int fd = 0;
    if (!path.isEmpty()) {
        do
            fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == ENOENT)
                throw Error(QStringLiteral("file not found: %1").arg(path));
            throw Error(QStringLiteral("cannot open %1: %2").arg(path, errnoText(errno)));
        }
    }
    const Descriptor input(fd, !path.isEmpty());
    struct stat st = {};
    if (::fstat(fd, &st) != 0)
        throw Error(QStringLiteral("cannot read %1: %2").arg(name, errnoText(errno)));
    const QString refused = refusal(fd, st);
    if (!refused.isEmpty())
        throw Error(QStringLiteral("cannot read %1: %2").arg(name, refused));
    if (S_ISREG(st.st_mode) && st.st_size > MaxInputBytes)
        throw Error(tooLarge(name));

    // A regular file is read into a buffer of its size; a stream grows one as it
    // comes, and is cut off one byte past the bound.
    QByteArray bytes;
    qint64 size = 0;
    // A regular file is first read to the size it has: only a file that grows
    // meanwhile gets the stream's growing buffer.
    bool exact = S_ISREG(st.st_mode);
    if (exact)
        bytes.resize(qsizetype(st.st_size));
    char probe[4096];
    for (;;) {
        if (size == bytes.size() && !exact) {
            if (size > MaxInputBytes)
                throw Error(tooLarge(name));
            bytes.resize(qsizetype(qMin<qint64>(qMax<qint64>(size * 2, 65536), MaxInputBytes + 1)));
        }
        const bool probing = size == bytes.size();
        char *target = probing ? probe : bytes.data() + size;
        const ssize_t n = ::read(fd, target, probing ? sizeof probe : size_t(bytes.size() - size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(QStringLiteral("cannot read %1: %2").arg(name, errnoText(errno)));
        }
        if (n == 0)
            break;
        if (probing) {
            exact = false;
            bytes.resize(qsizetype(qMin<qint64>(qMax<qint64>(size * 2, 65536), MaxInputBytes + 1)));
            if (n > bytes.size() - size)
                throw Error(tooLarge(name));
            std::memcpy(bytes.data() + size, probe, size_t(n));
        }
        size += n;
    }
    if (size > MaxInputBytes)
        throw Error(tooLarge(name));
    bytes.resize(qsizetype(size));
    return bytes;
}

bool isRegularFile(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

#else

QByteArray readAll(const QString &path)
{
    const QString name = displayName(path);
    QFile file;
    if (path.isEmpty()) {
        if (!file.open(stdin, QIODevice::ReadOnly))
            throw Error(QStringLiteral("cannot read standard input: %1").arg(file.errorString()));
    } else {
        const QFileInfo info(path);
        if (!info.exists())
            throw Error(QStringLiteral("file not found: %1").arg(path));
        if (info.isDir())
            throw Error(QStringLiteral("cannot read %1: it is a folder, not a file").arg(path));
        if (!info.isFile())
            throw Error(QStringLiteral("cannot read %1: it is a device, not a regular file, a pipe or a terminal")
                            .arg(path));
        if (info.size() > MaxInputBytes)
            throw Error(tooLarge(name));
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    }
    QByteArray bytes = file.read(MaxInputBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("cannot read %1: %2").arg(name, file.errorString()));
    if (bytes.size() > MaxInputBytes)
        throw Error(tooLarge(name));
    return bytes;
}

bool isRegularFile(const QString &path) { return QFileInfo(path).isFile(); }

#endif

} // namespace ProgramInput
