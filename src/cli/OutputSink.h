#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>
#include <functional>
#include <memory>

class QTemporaryFile;

namespace SafeFile {
class Writer;
}

// Where a streamed run puts the result while it is produced. Nothing reaches
// the destination before commit(): a run that fails leaves it as it was. A
// sink that is destroyed without commit() drops what it was given.
//
// Bytes are gathered in a block of the sink's own, so that the many small
// pieces of a run (a line, a break) cost a copy each and nothing more.
class OutputSink
{
public:
    OutputSink();
    virtual ~OutputSink();
    OutputSink(const OutputSink &) = delete;
    OutputSink &operator=(const OutputSink &) = delete;

    // Throws Error with the reason when the bytes cannot be kept.
    void write(const char *data, qsizetype size)
    {
        if (size <= m_room) {
            std::memcpy(m_at, data, size_t(size));
            m_at += size;
            m_room -= size;
        } else {
            writeLarge(data, size);
        }
    }
    // Room for `size` bytes to be written in place, then added(size).
    char *room(qsizetype size)
    {
        if (size > m_room)
            makeRoom(size);
        return m_at;
    }
    void added(qsizetype size)
    {
        m_at += size;
        m_room -= size;
    }
    // Delivers everything; throws Error with the reason.
    virtual void commit() = 0;

protected:
    // Takes the gathered bytes (and pieces too large to gather).
    virtual void drain(const char *data, qsizetype size) = 0;
    void flushBlock();

private:
    void writeLarge(const char *data, qsizetype size);
    void makeRoom(qsizetype size);

    std::unique_ptr<char[]> m_block;
    qsizetype m_capacity;
    char *m_at;
    qsizetype m_room;
};

// Holds a result that can only be delivered at the end: in memory up to a few
// megabytes, beyond that in a temporary file, so that its size does not count
// against memory. When no temporary file can be had, it stays in memory.
class Spool
{
public:
    Spool();
    ~Spool();
    void write(const char *data, qsizetype size);
    // Hands the held bytes to `deliver` in pieces, in order; throws Error.
    void replay(const std::function<void(const char *, qsizetype)> &deliver);

private:
    bool spill();

    QByteArray m_memory;
    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_spilled = 0;  // bytes in the file
    bool m_noFile = false; // a temporary file could not be had: memory only
};

// The result for standard output, written when the run has succeeded.
class StandardOutputSink : public OutputSink
{
public:
    void commit() override;

protected:
    void drain(const char *data, qsizetype size) override { m_spool.write(data, size); }

private:
    Spool m_spool;
};

// The result for a file (-o or --in-place), through SafeFile: a regular file
// gets a temporary file beside it that replaces it at commit; a device or a
// FIFO, which cannot be taken back once written, is opened and fed only at
// commit.
class FileSink : public OutputSink
{
public:
    explicit FileSink(const QString &path);
    ~FileSink() override;
    void commit() override;

protected:
    void drain(const char *data, qsizetype size) override;

private:
    void open();
    [[noreturn]] void fail(const QString &reason);

    QString m_path;
    std::unique_ptr<SafeFile::Writer> m_writer;
    std::unique_ptr<Spool> m_spool; // for a direct target
};
