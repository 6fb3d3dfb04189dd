#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QTemporaryFile;

namespace SafeFile {
class Writer;
}

// Where a streamed run puts the result while it is produced. Nothing reaches
// the destination before commit(): a run that fails leaves it as it was. A
// sink that is destroyed without commit() drops what it was given.
class OutputSink
{
public:
    virtual ~OutputSink();
    // Throws Error with the reason when the bytes cannot be kept.
    virtual void write(const char *data, qsizetype size) = 0;
    // Delivers everything; throws Error with the reason.
    virtual void commit() = 0;
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
    bool m_noFile = false; // a temporary file could not be had: memory only
};

// The result for standard output, written when the run has succeeded.
class StandardOutputSink : public OutputSink
{
public:
    void write(const char *data, qsizetype size) override { m_spool.write(data, size); }
    void commit() override;

private:
    Spool m_spool;
};

// The result for a file (-o or --in-place), through SafeFile: a regular file
// gets a temporary file beside it that replaces it at commit; a device or a
// FIFO, which cannot be taken back once written, is fed only at commit.
class FileSink : public OutputSink
{
public:
    explicit FileSink(const QString &path);
    ~FileSink() override;
    void write(const char *data, qsizetype size) override;
    void commit() override;

private:
    void open();
    void flush();
    [[noreturn]] void fail(const QString &reason);

    QString m_path;
    std::unique_ptr<SafeFile::Writer> m_writer;
    std::unique_ptr<Spool> m_spool; // for a direct target
    QByteArray m_buffer;            // gathers small writes into large ones
};
