#include "JournalFileCheck.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace JournalFileCheck {

QString fileSha256(const QString &path, QString *reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return QString();
    }
    return QString::fromLatin1(hash.result().toHex());
}

Result check(const JournalEntry &entry)
{
    Result r;
    if (entry.localPath.isEmpty() || entry.sha256.isEmpty())
        return r;
    const QFileInfo info(entry.localPath);
    if (!info.exists() || !info.isFile()) {
        r.state = State::Missing;
        return r;
    }
    r.sha256 = fileSha256(entry.localPath, &r.reason);
    if (r.sha256.isEmpty()) {
        r.state = State::Unreadable;
        return r;
    }
    r.state = r.sha256.compare(entry.sha256, Qt::CaseInsensitive) == 0 ? State::Same : State::Changed;
    return r;
}

} // namespace JournalFileCheck
