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
    QCryptographicHash hash(QCryptographicHash::Sha256);
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
    return QString::fromLatin1(hash.result().toHex());
}

QString ofBytes(QByteArrayView bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace ProgramHash
