#include "FtpSend.h"

#include "journal/ProgramHash.h"
#include "platform/ftp/FtpClient.h"

#include <QDir>

#include <cstring>
#include <future>
#include <QFile>

namespace FtpSend {

QString temporaryName(const QString &remoteName)
{
    // Same folder, an ending no control runs.
    return remoteName + QStringLiteral(".part");
}

namespace {

void removePartial(FtpClient &client, const QString &name, bool temporary, Cleanup &cleanup)
{
    cleanup.name = name;
    cleanup.temporary = temporary;
    try {
        // A cancel or a broken transfer took the control connection; the client
        // makes a new one with the same login.
        client.remove(name);
        cleanup.state = Cleanup::Removed;
    } catch (const Error &e) {
        cleanup.state = Cleanup::NotRemoved;
        cleanup.reason = e.message();
    }
}

} // namespace

void send(FtpClient &client, const QString &localPath, const QString &remoteName, Cleanup &cleanup)
{
    cleanup = Cleanup();
    // A file that cannot be read fails before anything reaches the machine.
    {
        QFile file(localPath);
        if (!file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(localPath), file.errorString()));
    }
    bool viaTemporary = client.supportsRename();
    QString uploadName = viaTemporary ? temporaryName(remoteName) : remoteName;
    try {
        try {
            client.put(localPath, uploadName);
        } catch (const FtpRefused &) {
            if (!viaTemporary)
                throw;
            // A server with strict names (an 8.3 control) may refuse the temporary one.
            viaTemporary = false;
            uploadName = remoteName;
            client.put(localPath, uploadName);
        }
    } catch (const FtpRefused &) {
        throw; // refused before any data: nothing was created
    } catch (const Error &) {
        removePartial(client, uploadName, viaTemporary, cleanup);
        throw;
    }
    if (!viaTemporary)
        return;
    try {
        client.rename(uploadName, remoteName);
        return;
    } catch (const Error &) {
        // Some servers do not rename onto an existing file.
    }
    try {
        client.remove(remoteName);
        client.rename(uploadName, remoteName);
    } catch (const Error &e) {
        cleanup.state = Cleanup::NotRenamed;
        cleanup.name = uploadName;
        cleanup.temporary = true;
        cleanup.reason = e.message();
        throw;
    }
}

namespace {

// Takes a download and compares it with a local file as it comes.
class ComparingDevice : public QIODevice
{
public:
    explicit ComparingDevice(const QString &path) : m_file(path)
    {
        m_same = m_file.open(QIODevice::ReadOnly);
        open(QIODevice::WriteOnly);
    }
    qint64 count() const { return m_count; }
    bool same()
    {
        char extra;
        return m_same && m_file.read(&extra, 1) == 0;
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        m_count += len;
        if (m_same) {
            if (m_buffer.size() < len)
                m_buffer.resize(len);
            m_same = m_file.read(m_buffer.data(), len) == len && std::memcmp(m_buffer.constData(), data, size_t(len)) == 0;
        }
        return len;
    }

private:
    QFile m_file;
    QByteArray m_buffer;
    qint64 m_count = 0;
    bool m_same = false;
};

} // namespace

Check verify(FtpClient &client, const QString &localPath, const QString &remoteName, qint64 programBytes,
             const QString &programHash, bool readBack)
{
    Check check;
    const qint64 size = client.size(remoteName);
    check.sizeKnown = size >= 0;
    check.remoteBytes = size;
    if (check.sizeKnown && size != programBytes) {
        check.result = Check::Mismatch;
        return check;
    }
    if (!readBack) {
        check.result = check.sizeKnown ? Check::SizeMatched : Check::NotChecked;
        return check;
    }
    ComparingDevice copy(localPath);
    client.get(remoteName, &copy);
    check.remoteBytes = copy.count();
    const bool same = copy.same() && copy.count() == programBytes && !programHash.isEmpty();
    check.remoteHash = same ? programHash : QString();
    check.result = same ? Check::Verified : Check::Mismatch;
    return check;
}

void sendAndVerify(FtpClient &client, const QString &localPath, const QString &remoteName, bool readBack,
                   Cleanup &cleanup, Sent &sent)
{
    sent = Sent();
    struct Hashed
    {
        QString hash;
        qint64 bytes = -1;
    };
    std::future<Hashed> hashing = std::async(std::launch::async, [localPath] {
        Hashed h;
        QString reason;
        h.hash = ProgramHash::ofFile(localPath, &reason, &h.bytes);
        return h;
    });
    const auto take = [&] {
        if (hashing.valid()) {
            const Hashed h = hashing.get();
            sent.programHash = h.hash;
            sent.programBytes = h.hash.isEmpty() ? -1 : h.bytes;
        }
    };
    try {
        send(client, localPath, remoteName, cleanup);
    } catch (...) {
        take();
        throw;
    }
    take();
    sent.check = verify(client, localPath, remoteName, sent.programBytes, sent.programHash, readBack);
}

} // namespace FtpSend
