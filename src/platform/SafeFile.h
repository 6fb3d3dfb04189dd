#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

// The one way a whole file is written. A regular file (or a missing one) is
// written to a temporary file in the same folder, flushed and synced, checked,
// and only then renamed over the target, so a full disk, a signal or a cancel
// leaves the file that was there. The replaced file keeps its owner, group and
// permissions (as far as this process may set them); a symbolic link keeps
// pointing where it did and its target is replaced.
//
// A hard link to the target is broken by the rename: the given name gets the new
// program and the other names keep the old one. Writing in place instead would
// make every name half-written when the disk fills, and a machine must never read
// a half program.
//
// What is not a regular file (a device such as /dev/null, a FIFO, /dev/stdout or
// /dev/fd/N) is written directly: it cannot be replaced, only fed.
//
// The reason of a failure is the failing call's own ("No space left on device",
// "File too large"), read at the moment it failed.
namespace SafeFile {

struct Options
{
    // When the folder does not let us create the temporary file but the file
    // itself may be written (an installation folder that belongs to root with
    // settings files writable by all), write the file in place. The new bytes go
    // over the old ones and the file is cut to its new length only at the end;
    // when a write fails, the old bytes are put back.
    bool directFallback = false;
};

class Writer : public QIODevice
{
public:
    explicit Writer(const QString &path, Options options = {});
    ~Writer() override; // cancels an uncommitted write

    // Opens for writing; false with the reason when it cannot.
    bool open(QString *error);
    bool open(OpenMode mode) override;
    // Makes the written bytes the file's content: false (and the old file kept)
    // when any write, the flush, the sync or the rename failed.
    bool commit(QString *error = nullptr);
    // Drops what was written and keeps the old file.
    void cancel();

    // The reason of the first failure, empty while nothing failed.
    QString reason() const;
    // True when the target is written directly (a device, a FIFO, or the
    // fallback of `Options::directFallback`).
    bool isDirect() const;
    qint64 written() const;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Writes `bytes` as the whole content of `path`; false with the reason.
bool write(const QString &path, const QByteArray &bytes, QString *error, Options options = {});

} // namespace SafeFile
