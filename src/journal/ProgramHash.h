#pragma once

#include "platform/Sha256.h"

#include <QIODevice>
#include <QString>
#include <memory>

// SHA-256 of a program's bytes, as the journal keeps it (lower-case hex).
namespace ProgramHash {

// Streams the file (any size); an empty text with the reason in *error when it cannot
// be read to its end.
QString ofFile(const QString &path, QString *error, qint64 *bytes = nullptr);
QString ofBytes(QByteArrayView bytes);

} // namespace ProgramHash

// A write-only device that keeps nothing but the hash and the count of what is
// written to it: a download compared with what was sent, without a copy in memory
// or on disk. The hashing runs on a thread of its own, so a fast download is not held
// up by it; at most 32 MB wait to be hashed, a writer beyond that waits.
class HashingDevice : public QIODevice
{
public:
    HashingDevice();
    // Once, when everything was written: waits for the hashing to finish.
    QString hex();
    qint64 count() const { return m_count; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override;

private:
    BackgroundSha256 m_hash;
    qint64 m_count = 0;
};
