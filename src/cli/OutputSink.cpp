#include "OutputSink.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>

namespace {

// What a spool keeps in memory before it moves to a temporary file, and the
// size of the pieces handed on.
constexpr qsizetype SpoolMemory = 4 << 20;
constexpr qsizetype Piece = 1 << 20;

} // namespace

OutputSink::OutputSink() : m_block(new char[Piece]), m_capacity(Piece), m_at(m_block.get()), m_room(Piece) {}

OutputSink::~OutputSink() = default;

void OutputSink::flushBlock()
{
    const qsizetype used = m_capacity - m_room;
    m_at = m_block.get();
    m_room = m_capacity;
    if (used > 0)
        drain(m_block.get(), used);
}

void OutputSink::writeLarge(const char *data, qsizetype size)
{
    flushBlock();
    if (size <= m_room)
        write(data, size);
    else
        drain(data, size);
}

void OutputSink::makeRoom(qsizetype size)
{
    flushBlock();
    if (size > m_capacity) {
        m_block.reset(new char[size_t(size)]);
        m_capacity = size;
        m_at = m_block.get();
        m_room = size;
    }
}

Spool::Spool() = default;
Spool::~Spool() = default;

bool Spool::spill()
{
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/zavrin-cnc-XXXXXX"));
    // Unbuffered, so that a write that fails says so at once and what the file
    // holds is what was written (open(OpenMode) is reached through the base).
    QIODevice *device = file.get();
    if (!device->open(QIODevice::ReadWrite | QIODevice::Unbuffered) || file->write(m_memory) != m_memory.size()) {
        m_noFile = true;
        return false;
    }
    m_spilled = m_memory.size();
    m_file = std::move(file);
    m_memory.clear();
    m_memory.squeeze();
    return true;
}

void Spool::write(const char *data, qsizetype size)
{
    if (m_file) {
        if (m_file->write(data, size) == size) {
            m_spilled += size;
            return;
        }
        // The temporary folder is full: take back into memory what the file
        // holds of the result (not the part of this piece it may have taken).
        QByteArray held;
        if (m_file->seek(0))
            held = m_file->read(m_spilled);
        if (held.size() != m_spilled)
            throw Error(QStringLiteral("cannot hold the result in %1: %2").arg(m_file->fileName(), m_file->errorString()));
        m_file.reset();
        m_noFile = true;
        m_memory = std::move(held);
    }
    m_memory.append(data, size);
    if (!m_noFile && m_memory.size() > SpoolMemory)
        spill();
}

void Spool::replay(const std::function<void(const char *, qsizetype)> &deliver)
{
    if (!m_file) {
        for (qsizetype at = 0; at < m_memory.size(); at += Piece)
            deliver(m_memory.constData() + at, qMin(Piece, m_memory.size() - at));
        return;
    }
    if (!m_file->flush() || !m_file->seek(0))
        throw Error(QStringLiteral("cannot read back %1: %2").arg(m_file->fileName(), m_file->errorString()));
    QByteArray piece(Piece, Qt::Uninitialized);
    for (;;) {
        const qint64 n = m_file->read(piece.data(), Piece);
        if (n < 0)
            throw Error(QStringLiteral("cannot read back %1: %2").arg(m_file->fileName(), m_file->errorString()));
        if (n == 0)
            break;
        deliver(piece.constData(), n);
    }
}

void StandardOutputSink::commit()
{
    flushBlock();
    m_spool.replay([](const char *data, qsizetype size) {
        errno = 0;
        if (std::fwrite(data, 1, size_t(size), stdout) != size_t(size))
            throw Error(QStringLiteral("cannot write standard output: %1").arg(qt_error_string(errno)));
    });
    errno = 0;
    if (std::fflush(stdout) != 0)
        throw Error(QStringLiteral("cannot write standard output: %1").arg(qt_error_string(errno)));
}

FileSink::FileSink(const QString &path) : m_path(path), m_writer(std::make_unique<SafeFile::Writer>(path))
{
    // A device or a FIFO is opened only when there is something to give it: a
    // failed run must not hand its reader an empty program.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        m_spool = std::make_unique<Spool>();
        return;
    }
    open();
    if (m_writer->isDirect())
        m_spool = std::make_unique<Spool>();
}

FileSink::~FileSink() = default; // the writer cancels what was not committed

void FileSink::open()
{
    QString reason;
    if (!m_writer->open(&reason))
        fail(reason);
}

void FileSink::fail(const QString &reason)
{
    throw Error(QStringLiteral("cannot write %1: %2").arg(m_path, reason));
}

void FileSink::drain(const char *data, qsizetype size)
{
    if (m_spool)
        m_spool->write(data, size);
    else if (m_writer->write(data, size) != size)
        fail(m_writer->reason());
}

void FileSink::commit()
{
    flushBlock();
    if (m_spool) {
        if (!m_writer->isOpen())
            open();
        m_spool->replay([this](const char *data, qsizetype size) {
            if (m_writer->write(data, size) != size)
                fail(m_writer->reason());
        });
    }
    QString reason;
    if (!m_writer->commit(&reason))
        fail(reason);
}
