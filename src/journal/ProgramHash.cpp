#include "ProgramHash.h"

#include <QDir>
#include <QFile>

namespace ProgramHash {

QString ofFile(const QString &path, QString *error, qint64 *bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return QString();
    }
    Sha256 hash;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n < 0) {
            *error = QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
            return QString();
        }
        if (n == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), n));
        total += n;
    }
    if (bytes)
        *bytes = total;
    return hash.hex();
}

QString ofBytes(QByteArrayView bytes)
{
    return Sha256::hexOf(bytes);
}

} // namespace ProgramHash

HashingDevice::HashingDevice() { open(QIODevice::WriteOnly); }

QString HashingDevice::hex() { return m_hash.hex(); }

qint64 HashingDevice::writeData(const char *data, qint64 len)
{
    m_hash.addData(QByteArrayView(data, len));
    m_count += len;
    return len;
}
