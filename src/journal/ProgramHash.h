#pragma once

#include <QCryptographicHash>
#include <QIODevice>
#include <QString>

// SHA-256 of a program's bytes, as the journal keeps it (lower-case hex).
namespace ProgramHash {

// Streams the file (any size); an empty text with the reason in *error when it cannot
// be read to its end.
QString ofFile(const QString &path, QString *error, qint64 *bytes = nullptr);
QString ofBytes(QByteArrayView bytes);

} // namespace ProgramHash

// A write-only device that keeps nothing but the hash and the count of what is
// written to it: a download compared with what was sent, without a copy in memory
// or on disk.
class HashingDevice : public QIODevice
{
public:
    HashingDevice() : m_hash(QCryptographicHash::Sha256) { open(QIODevice::WriteOnly); }
    QString hex() const { return QString::fromLatin1(m_hash.result().toHex()); }
    qint64 count() const { return m_count; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        m_hash.addData(QByteArrayView(data, len));
        m_count += len;
        return len;
    }

private:
    QCryptographicHash m_hash;
    qint64 m_count = 0;
};
