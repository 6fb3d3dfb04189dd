#include "FileCopier.h"

#include "platform/SafeFile.h"
#include "platform/Sha256.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

struct FileCopier::Entry
{
    enum Kind { Folder, File, Link };
    Kind kind;
    QString source;
    QString target;
};

namespace {

constexpr qint64 ChunkSize = 1 << 20;

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity PathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity PathCase = Qt::CaseSensitive;
#endif

QString absoluteClean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool samePath(const QString &a, const QString &b)
{
    if (QString::compare(a, b, PathCase) == 0)
        return true;
    // Different spellings of one file (links, case on case-insensitive disks).
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool isInside(const QString &path, const QString &folder)
{
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix, PathCase);
}

// A symbolic link is copied as a link when it points at a folder (so that a
// link back up the tree cannot make the copy endless) or at nothing.
bool copiedAsLink(const QFileInfo &info) { return info.isSymLink() && !info.isFile(); }

} // namespace

QString FileCopier::targetFor(const QString &source, const QString &target)
{
    if (!QFileInfo(target).isDir())
        return target;
    const QString name = QFileInfo(QDir::cleanPath(source)).fileName();
    return name.isEmpty() ? target : Paths::join(target, name);
}

bool FileCopier::fail(const QString &path, const QString &reason)
{
    m_failedPath = Paths::toNative(path);
    m_error = reason;
    return false;
}

FileCopier::Outcome FileCopier::copy(const QString &source, const QString &target)
{
    m_error.clear();
    m_failedPath.clear();
    m_resolvedTarget.clear();
    m_total = 0;
    m_done = 0;
    m_yesToAll = false;
    m_sourceHash.clear();
    m_targetHash.clear();
    m_targetSize = -1;
    m_sourceSize = -1;

    if (source.isEmpty() || target.isEmpty()) {
        fail(source, QStringLiteral("No source or target was given."));
        return Outcome::Failed;
    }
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists() && !sourceInfo.isSymLink()) {
        fail(source, QStringLiteral("The file or folder does not exist."));
        return Outcome::Failed;
    }
    const QString from = absoluteClean(source);
    const QString to = absoluteClean(targetFor(source, target));
    m_resolvedTarget = Paths::toNative(to);
    if (samePath(from, to)) {
        fail(source, QStringLiteral("The source and the target are the same."));
        return Outcome::Failed;
    }

    QList<Entry> entries;
    qint64 total = 0;
    if (copiedAsLink(sourceInfo)) {
        entries.append({Entry::Link, from, to});
    } else if (sourceInfo.isDir()) {
        if (isInside(to, from) || isInside(to, sourceInfo.canonicalFilePath())) {
            fail(source, QStringLiteral("A folder cannot be copied into itself."));
            return Outcome::Failed;
        }
        entries.append({Entry::Folder, from, to});
        if (!plan(from, to, entries, total))
            return Outcome::Failed;
    } else {
        entries.append({Entry::File, from, to});
        total = sourceInfo.size();
    }
    m_total = total;

    bool declined = false;
    for (const Entry &e : entries) {
        const QFileInfo targetInfo(e.target);
        switch (e.kind) {
        case Entry::Folder:
            if (targetInfo.isDir())
                break;
            if (targetInfo.exists() || targetInfo.isSymLink()) {
                fail(e.target, QStringLiteral("A file of that name is in the way of the folder."));
                return Outcome::Failed;
            }
            if (!QDir().mkpath(e.target)) {
                fail(e.target, QStringLiteral("The folder could not be created."));
                return Outcome::Failed;
            }
            break;
        case Entry::File: {
            const Outcome o = copyFile(e.source, e.target);
            if (o == Outcome::Declined)
                declined = true;
            else if (o != Outcome::Copied)
                return o;
            break;
        }
        case Entry::Link: {
            if (targetInfo.exists() || targetInfo.isSymLink()) {
                const Answer a = m_yesToAll ? Answer::Yes : (m_question ? m_question(Paths::toNative(e.target)) : Answer::No);
                if (a == Answer::Cancel)
                    return Outcome::Cancelled;
                if (a == Answer::No) {
                    declined = true;
                    break;
                }
                m_yesToAll = m_yesToAll || a == Answer::YesToAll;
                if (targetInfo.isDir() && !targetInfo.isSymLink()) {
                    fail(e.target, QStringLiteral("A folder of that name is in the way of the link."));
                    return Outcome::Failed;
                }
                QFile::remove(e.target);
            }
            if (!QFile::link(QFileInfo(e.source).symLinkTarget(), e.target)) {
                fail(e.target, QStringLiteral("The link could not be created."));
                return Outcome::Failed;
            }
            break;
        }
        }
    }
    return declined ? Outcome::Declined : Outcome::Copied;
}

// The copy read back and compared byte for byte with the source, read again: stronger
// than comparing hashes and cheaper (both come from the system's cache right after the
// copy; hashing the copy would cost as much again as hashing the source).
bool FileCopier::readBack(const QString &source, const QString &target, QByteArray &buffer)
{
    QFile copy(target);
    if (!copy.open(QIODevice::ReadOnly))
        return fail(target, copy.errorString());
    QFile original(source);
    if (!original.open(QIODevice::ReadOnly))
        return fail(source, original.errorString());
    QByteArray other(buffer.size(), Qt::Uninitialized);
    qint64 size = 0;
    bool same = true;
    for (;;) {
        const qint64 n = copy.read(buffer.data(), buffer.size());
        if (n < 0)
            return fail(target, copy.errorString());
        if (n == 0)
            break;
        size += n;
        if (!same)
            continue; // only the copy's size is still wanted
        const qint64 m = original.read(other.data(), n);
        if (m < 0)
            return fail(source, original.errorString());
        same = m == n && std::memcmp(buffer.constData(), other.constData(), size_t(n)) == 0;
    }
    if (same) {
        char extra;
        same = original.read(&extra, 1) == 0; // the source has not more bytes than the copy
    }
    m_targetSize = size;
    m_targetHash = same ? m_sourceHash : QString();
    return true;
}

bool FileCopier::plan(const QString &sourceDir, const QString &targetDir, QList<Entry> &entries, qint64 &total)
{
    QDir dir(sourceDir);
    if (!dir.isReadable())
        return fail(sourceDir, QStringLiteral("The folder cannot be read."));
    const QFileInfoList items =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &info : items) {
        const QString target = targetDir + QLatin1Char('/') + info.fileName();
        if (copiedAsLink(info)) {
            entries.append({Entry::Link, info.absoluteFilePath(), target});
        } else if (info.isDir()) {
            entries.append({Entry::Folder, info.absoluteFilePath(), target});
            if (!plan(info.absoluteFilePath(), target, entries, total))
                return false;
        } else {
            entries.append({Entry::File, info.absoluteFilePath(), target});
            total += info.size();
        }
    }
    return true;
}

FileCopier::Outcome FileCopier::copyFile(const QString &source, const QString &target)
{
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() || targetInfo.isSymLink()) {
        if (targetInfo.isDir()) {
            fail(target, QStringLiteral("A folder of that name is in the way of the file."));
            return Outcome::Failed;
        }
        if (!m_yesToAll) {
            const Answer a = m_question ? m_question(Paths::toNative(target)) : Answer::No;
            if (a == Answer::No)
                return Outcome::Declined;
            if (a == Answer::Cancel)
                return Outcome::Cancelled;
            m_yesToAll = a == Answer::YesToAll;
        }
    }

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        fail(source, in.errorString());
        return Outcome::Failed;
    }
    // The copy becomes visible under its name only when it is complete.
    SafeFile::Writer out(target);
    QString reason;
    if (!out.open(&reason)) {
        fail(target, reason);
        return Outcome::Failed;
    }
    QByteArray buffer(int(qMin<qint64>(ChunkSize, qMax<qint64>(in.size(), 1))), Qt::Uninitialized);
    // On a thread of its own: the copy does not wait for it.
    BackgroundSha256 sourceHash;
    qint64 sourceBytes = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0) {
            fail(source, in.errorString());
            out.cancel();
            return Outcome::Failed;
        }
        if (n == 0)
            break;
        sourceHash.addData(QByteArrayView(buffer.constData(), n));
        sourceBytes += n;
        if (out.write(buffer.constData(), n) != n) {
            fail(target, out.reason());
            out.cancel();
            return Outcome::Failed;
        }
        m_done += n;
        if (m_progress && !m_progress(m_done, m_total, Paths::toNative(source))) {
            out.cancel();
            return Outcome::Cancelled;
        }
    }
    if (in.size() == 0 && m_progress && !m_progress(m_done, m_total, Paths::toNative(source))) {
        out.cancel();
        return Outcome::Cancelled;
    }
    if (!out.commit(&reason)) {
        fail(target, reason);
        return Outcome::Failed;
    }
    m_sourceHash = sourceHash.hex();
    m_sourceSize = sourceBytes;
    m_targetHash.clear();
    m_targetSize = -1;
    if (m_verify) {
        if (m_beforeReadBack)
            m_beforeReadBack(Paths::toNative(target));
        if (!readBack(source, target, buffer))
            return Outcome::Failed;
        if (m_targetHash != m_sourceHash) {
            m_failedPath = Paths::toNative(target);
            m_error = QStringLiteral("The copy read back differs from the file copied.");
            return Outcome::VerificationFailed;
        }
    }
    // Like a file manager's copy: same modification time and permissions (in
    // this order, as a read-only copy could not be touched any more).
    {
        QFile copy(target);
        if (copy.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            copy.setFileTime(QFileInfo(source).lastModified(), QFileDevice::FileModificationTime);
    }
    // The "user" flags say what this process may do (everything, for an
    // administrator); setting them would change the owner's bits.
    const QFileDevice::Permissions userFlags = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    QFile::setPermissions(target, in.permissions() & ~userFlags);
    return Outcome::Copied;
}
