#include "ProgramInput.h"

#include "editor/ProgramFile.h"
#include "platform/Error.h"

#include <QtEndian>

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

InputFile::InputFile(const QString &path) : m_path(path)
{
    const QString name = displayName(path);
    if (!path.isEmpty()) {
        do
            m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0) {
            if (errno == ENOENT)
                throw Error(QStringLiteral("file not found: %1").arg(path));
            throw Error(QStringLiteral("cannot open %1: %2").arg(path, errnoText(errno)));
        }
    }
    struct stat st = {};
    if (::fstat(m_fd, &st) != 0)
        fail(errno);
    const QString refused = refusal(m_fd, st);
    if (!refused.isEmpty())
        throw Error(QStringLiteral("cannot read %1: %2").arg(name, refused));
    m_regular = S_ISREG(st.st_mode);
    m_size = m_regular ? qint64(st.st_size) : -1;
    if (m_size > MaxInputBytes)
        throw Error(tooLarge(name));
}

InputFile::~InputFile()
{
    if (m_fd > 0)
        ::close(m_fd);
}

void InputFile::fail(int error) const
{
    throw Error(QStringLiteral("cannot read %1: %2").arg(displayName(m_path), errnoText(error)));
}

qsizetype InputFile::read(char *data, qsizetype size)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, data, size_t(size));
        if (n >= 0)
            return qsizetype(n);
        if (errno != EINTR)
            fail(errno);
    }
}

void InputFile::rewind()
{
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        fail(errno);
}

QByteArray InputFile::readAll()
{
    const QString name = displayName(m_path);
    QByteArray bytes;
    qint64 size = 0;
    // A regular file is first read to the size it has: only a file that grows
    // meanwhile gets the stream's growing buffer.
    bool exact = m_regular;
    if (exact)
        bytes.resize(qsizetype(m_size));
    char probe[4096];
    for (;;) {
        if (size == bytes.size() && !exact) {
            if (size > MaxInputBytes)
                throw Error(tooLarge(name));
            bytes.resize(qsizetype(qMin<qint64>(qMax<qint64>(size * 2, 65536), MaxInputBytes + 1)));
        }
        const bool probing = size == bytes.size();
        char *target = probing ? probe : bytes.data() + size;
        const qsizetype n = read(target, probing ? qsizetype(sizeof probe) : qsizetype(bytes.size() - size));
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

QByteArray readAll(const QString &path)
{
    InputFile file(path);
    return file.readAll();
}

namespace {

// A high bit in every byte of `word` that is zero.
inline quint64 zeroBytes(quint64 word)
{
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((word & low7) + low7) | word | low7);
}

// How many bytes of a zeroBytes() mask are set (without a population-count
// instruction, which not every processor the build targets has).
inline int highBits(quint64 mask)
{
    return int(((mask >> 7) * 0x0101010101010101ULL) >> 56);
}

// Counts the line breaks of a file read in blocks: every LF, and every CR that
// is not followed by an LF.
class BreakCounter
{
public:
    void add(const char *data, qsizetype size)
    {
        constexpr quint64 crs = 0x0D0D0D0D0D0D0D0DULL, lfs = 0x0A0A0A0A0A0A0A0AULL;
        qsizetype i = 0;
        for (; i + 8 <= size; i += 8) {
            const quint64 word = qFromLittleEndian(qFromUnaligned<quint64>(data + i));
            const quint64 cr = zeroBytes(word ^ crs);
            const quint64 lf = zeroBytes(word ^ lfs);
            m_lf += highBits(lf);
            m_cr += highBits(cr);
            // A CR right in front of an LF, also across words and blocks.
            m_crLf += highBits(cr & (lf >> 8)) + ((m_lastWasCr && (lf & 0x80)) ? 1 : 0);
            m_lastWasCr = (cr >> 63) != 0;
        }
        for (; i < size; ++i) {
            const char c = data[i];
            if (c == '\n') {
                ++m_lf;
                if (m_lastWasCr)
                    ++m_crLf;
            } else if (c == '\r') {
                ++m_cr;
            }
            m_lastWasCr = c == '\r';
        }
    }
    qint64 breaks() const { return m_lf + m_cr - m_crLf; }

private:
    qint64 m_lf = 0, m_cr = 0, m_crLf = 0;
    bool m_lastWasCr = false;
};

// Where a block may be cut for the UTF-8 check: in front of the last byte that
// begins a sequence (so that no sequence is cut), or after it when it is ASCII.
qsizetype utf8Cut(const char *data, qsizetype size)
{
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const uchar b = uchar(data[size - back]);
        if ((b & 0xC0) != 0x80)
            return b < 0x80 ? size - back + 1 : size - back;
    }
    return size;
}

} // namespace

Survey InputFile::survey()
{
    Survey survey;
    BreakCounter breaks;
    bool valid = true;
    QByteArray carried; // the start of a sequence cut by the block's end
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qsizetype n = read(block.data(), block.size());
        if (n == 0)
            break;
        if (survey.head.size() < BinaryCheckBytes)
            survey.head.append(block.constData(), qMin(n, BinaryCheckBytes - survey.head.size()));
        survey.size += n;
        if (survey.size > MaxInputBytes)
            throw Error(tooLarge(name()));
        breaks.add(block.constData(), n);
        if (valid) {
            const qsizetype cut = utf8Cut(block.constData(), n);
            if (carried.isEmpty()) {
                valid = isWellFormedUtf8(QByteArrayView(block.constData(), cut));
            } else {
                carried.append(block.constData(), cut);
                valid = isWellFormedUtf8(carried);
            }
            carried = QByteArray(block.constData() + cut, n - cut);
        }
    }
    if (valid && !carried.isEmpty())
        valid = isWellFormedUtf8(carried);
    rewind();
    survey.utf8 = valid;
    survey.byteOrderMark = survey.head.startsWith("\xEF\xBB\xBF");
    survey.lines = breaks.breaks() + 1;
    return survey;
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
