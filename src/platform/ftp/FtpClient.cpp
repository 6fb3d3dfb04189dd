#include "FtpClient.h"
#include "platform/SafeFile.h"
#include "platform/Utf8Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#endif

namespace {

// How often a running operation lets the caller's events through, and how often
// it reports progress: often enough for a smooth bar and a prompt Cancel, rarely
// enough to cost nothing. Progress is reported at least every kHeartbeatMs even
// while no byte moves (a slow server reading what is buffered), so the window
// shows that the transfer is alive.
constexpr int kPumpIntervalMs = 20;
constexpr int kWorkIntervalMs = 50;
constexpr int kHeartbeatMs = 200;
// The longest the libcurl thread waits before it looks at the abort flag again;
// abort() wakes it at once anyway.
constexpr int kWorkerSliceMs = 50;
// Larger than libcurl's defaults: fewer callbacks per megabyte on a fast line.
constexpr long kDownloadBufferSize = 256 * 1024;
constexpr long kUploadBufferSize = 512 * 1024;
// libcurl drops a connection idle for two minutes by default; the operator may
// leave the transfer window for much longer and still expects the same connection.
constexpr long kMaxIdleSeconds = 30L * 24 * 3600;
// Waiting for the goodbye of a server that has stopped answering is not worth more.
constexpr int kQuitTimeoutSeconds = 5;

void initCurlOnce()
{
    static const bool done = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)done;
}

bool socketLooksOpen(curl_socket_t socket)
{
    if (socket == CURL_SOCKET_BAD)
        return false;
    // An idle control connection has nothing to read; something readable there is
    // the server's goodbye (421) or the end of the connection.
#ifdef Q_OS_WIN
    WSAPOLLFD fd{};
    fd.fd = socket;
    fd.events = POLLRDNORM;
    return WSAPoll(&fd, 1, 0) == 0;
#else
    pollfd fd{};
    fd.fd = socket;
    fd.events = POLLIN;
    return ::poll(&fd, 1, 0) == 0;
#endif
}

bool hasControlCharacter(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The text of a "257" reply: the quoted path, with doubled quotes undone.
QString quotedPath(const QString &reply)
{
    const qsizetype open = reply.indexOf(QLatin1Char('"'));
    if (open < 0)
        return reply.mid(4).trimmed();
    QString path;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply.at(i) == QLatin1Char('"')) {
            if (i + 1 < reply.size() && reply.at(i + 1) == QLatin1Char('"')) {
                path += QLatin1Char('"');
                ++i;
                continue;
            }
            break;
        }
        path += reply.at(i);
    }
    return path;
}

} // namespace

namespace FtpDetail {
// The sockets libcurl opened through us and has not closed yet, so that abort()
// can shut them from the caller's thread without touching a reused descriptor.
struct Sockets
{
    std::mutex mutex;
    std::vector<curl_socket_t> open;
    Request *current = nullptr; // the running request, for the data socket callback

    void add(curl_socket_t s)
    {
        std::lock_guard<std::mutex> lock(mutex);
        open.push_back(s);
    }
    void closeOne(curl_socket_t s)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            open.erase(std::remove(open.begin(), open.end(), s), open.end());
        }
#ifdef Q_OS_WIN
        ::closesocket(s);
#else
        ::close(s);
#endif
    }
    void shutdownAll()
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (curl_socket_t s : open)
#ifdef Q_OS_WIN
            ::shutdown(s, SD_BOTH);
#else
            ::shutdown(s, SHUT_RDWR);
#endif
    }
};
} // namespace FtpDetail

struct FtpClient::Private
{
    QString host;
    quint16 port = 21;
    QString user;
    QString password;
    int connectTimeoutMs = 10000;
    int stallTimeoutSeconds = 30;
    int responseTimeoutSeconds = 60;
    TransferType type = TransferType::Binary;

    CURL *easy = nullptr;
    CURLM *multi = nullptr;
    QByteArray baseUrl; // "ftp://host:port"
    QString directory; // current directory: empty for the login directory
    bool offersMlsd = false;
    int renameSupport = -1; // unknown until supportsRename() asked
    bool utf8Names = true; // names go back to the server in the encoding its listing used
    curl_socket_t controlSocket = CURL_SOCKET_BAD;

    bool busy = false;
    std::atomic<bool> abortRequested{false};
    bool closeRequested = false;
    std::thread worker; // runs libcurl during an operation
    FtpDetail::Sockets sockets;

    // Stops a running request from the caller's thread: wakes the libcurl thread
    // and shuts its sockets, which ends even libcurl's own blocking waits (the one
    // for the reply after an upload's data) at once.
    void interrupt()
    {
        abortRequested = true;
        if (multi)
            curl_multi_wakeup(multi);
        sockets.shutdownAll();
    }
    void joinWorker()
    {
        if (worker.joinable()) {
            interrupt();
            worker.join();
        }
    }

    char errorBuffer[CURL_ERROR_SIZE] = {};
    QList<QByteArray> replies; // the server's reply lines during the running request

    QByteArray encodeName(const QString &name) const { return utf8Names ? name.toUtf8() : name.toLatin1(); }
    QString decodeText(const QByteArray &bytes) const
    {
        return utf8Names ? utf8Text(bytes) : QString::fromLatin1(bytes);
    }

    void close()
    {
        if (multi) {
            if (easy)
                curl_multi_remove_handle(multi, easy);
            curl_multi_cleanup(multi); // sends QUIT on a live connection
            multi = nullptr;
        }
        if (easy) {
            curl_easy_cleanup(easy);
            easy = nullptr;
        }
        controlSocket = CURL_SOCKET_BAD;
        directory.clear();
        offersMlsd = false;
        renameSupport = -1;
        utf8Names = true;
        closeRequested = false;
    }
};

// One libcurl request: what to ask for, where the data goes, what came back.
struct FtpDetail::Request
{
    QByteArray url;
    bool noBody = false;
    bool upload = false;
    bool text = false;
    qint64 uploadSize = -1;
    QByteArray customRequest;
    QList<QByteArray> quote; // before changing directory
    QList<QByteArray> preQuote; // after changing directory
    int responseTimeoutSeconds = 0; // 0: the client's

    bool dataTransfer = false; // reports progress
    FtpClient::WorkMode mode = FtpClient::WorkMode::Read;
    QByteArray *buffer = nullptr; // body into memory ...
    QIODevice *device = nullptr; // ... or from/to a file
    QString localError; // a local file failed: this, not libcurl's text, is the reason

    std::atomic<qint64> total{0};
    std::atomic<qint64> done{0}; // for an upload: bytes handed to the system

    // An upload's data socket, seen through a descriptor of our own (Linux): the
    // bytes still in its send queue have not reached the server yet. Progress
    // counts only what left, and the upload ends (and the wait for the server's
    // reply begins) only once the queue is empty. -1: not watched.
    int dataSocketCopy = -1;
    std::atomic<qint64> queued{0};
    const std::atomic<bool> *abort = nullptr;
    int stallTimeoutSeconds = 30;
    bool stalled = false; // the queue did not move for stallTimeoutSeconds

    // Filled by the libcurl thread, read once it ended.
    bool finished = false;
    CURLcode result = CURLE_OK;
    QByteArray harmlessMessage;
    curl_socket_t controlSocket = CURL_SOCKET_BAD;
};

namespace {

using FtpDetail::Request;

size_t onReply(char *data, size_t size, size_t count, void *userData)
{
    auto *replies = static_cast<QList<QByteArray> *>(userData);
    QByteArray line(data, qsizetype(size * count));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    replies->append(line);
    return size * count;
}

size_t onBody(char *data, size_t size, size_t count, void *userData)
{
    auto *request = static_cast<Request *>(userData);
    const qint64 bytes = qint64(size * count);
    if (!request)
        return size * count;
    if (request->buffer) {
        request->buffer->append(data, bytes);
        return size * count;
    }
    if (request->device && request->device->write(data, bytes) == bytes)
        return size * count;
    if (request->device)
        request->localError = request->device->errorString();
    return 0;
}

qint64 queuedBytes(int socket)
{
#ifdef Q_OS_LINUX
    int queued = 0;
    if (socket >= 0 && ::ioctl(socket, SIOCOUTQ, &queued) == 0)
        return queued;
#else
    (void)socket;
#endif
    return 0;
}

// At the end of an upload's data: waits (on the libcurl thread) until the server
// has taken every byte of the send queue, then ends the data connection. A server
// that reads slowly keeps the queue moving; one that stopped reading is a stall.
bool drainUploadQueue(Request &request)
{
    if (request.dataSocketCopy < 0)
        return true;
    QElapsedTimer still;
    still.start();
    qint64 last = -1;
    while (true) {
        const qint64 queued = queuedBytes(request.dataSocketCopy);
        request.queued = queued;
        if (queued <= 0)
            break;
        if (request.abort && *request.abort)
            return false;
        if (queued != last) {
            last = queued;
            still.restart();
        } else if (still.elapsed() >= qint64(request.stallTimeoutSeconds) * 1000) {
            request.stalled = true;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
#ifndef Q_OS_WIN
    // libcurl closes its own descriptor next; the end of data must not wait for ours.
    ::shutdown(request.dataSocketCopy, SHUT_WR);
#endif
    return true;
}

size_t onUploadData(char *data, size_t size, size_t count, void *userData)
{
    auto *request = static_cast<Request *>(userData);
    if (!request || !request->device)
        return CURL_READFUNC_ABORT;
    if (request->abort && *request->abort)
        return CURL_READFUNC_ABORT;
    const qint64 bytes = request->device->read(data, qint64(size * count));
    if (bytes < 0) {
        request->localError = request->device->errorString();
        return CURL_READFUNC_ABORT;
    }
    if (bytes == 0 && !drainUploadQueue(*request))
        return CURL_READFUNC_ABORT;
    return size_t(bytes);
}

curl_socket_t onOpenSocket(void *clientp, curlsocktype, curl_sockaddr *address)
{
    auto *sockets = static_cast<FtpDetail::Sockets *>(clientp);
    const curl_socket_t s = ::socket(address->family, address->socktype, address->protocol);
    if (s != CURL_SOCKET_BAD)
        sockets->add(s);
    return s;
}

int onCloseSocket(void *clientp, curl_socket_t s)
{
    static_cast<FtpDetail::Sockets *>(clientp)->closeOne(s);
    return 0;
}

int onSocketOptions(void *clientp, curl_socket_t s, curlsocktype purpose)
{
#ifdef Q_OS_LINUX
    // The data connection the server made back to us (active mode).
    Request *request = static_cast<FtpDetail::Sockets *>(clientp)->current;
    if (purpose == CURLSOCKTYPE_ACCEPT && request && request->upload) {
        if (request->dataSocketCopy >= 0)
            ::close(request->dataSocketCopy);
        request->dataSocketCopy = ::fcntl(s, F_DUPFD_CLOEXEC, 0);
    }
#else
    (void)clientp;
    (void)s;
    (void)purpose;
#endif
    return CURL_SOCKOPT_OK;
}

int onProgress(void *userData, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
               curl_off_t uploaded)
{
    auto *request = static_cast<Request *>(userData);
    if (!request)
        return 0;
    if (request->mode == FtpClient::WorkMode::Write) {
        (void)uploadTotal; // unknown to libcurl: the upload's size is not given to it
        request->done = uploaded;
    } else {
        request->total = downloadTotal;
        request->done = downloaded;
    }
    // Also called during libcurl's own waits, about once a second.
    return request->abort && *request->abort ? 1 : 0;
}

struct SlistDeleter
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

Slist makeSlist(const QList<QByteArray> &commands)
{
    curl_slist *list = nullptr;
    for (const QByteArray &command : commands)
        list = curl_slist_append(list, command.constData());
    return Slist(list);
}

} // namespace

FtpClient::FtpClient(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
}

FtpClient::~FtpClient()
{
    d->joinWorker(); // deleted from a slot while an operation ran
    d->close();
}

QString FtpClient::host() const { return d->host; }
void FtpClient::setHost(const QString &host) { d->host = host; }
quint16 FtpClient::port() const { return d->port; }
void FtpClient::setPort(quint16 port) { d->port = port; }
QString FtpClient::user() const { return d->user; }
void FtpClient::setUser(const QString &user) { d->user = user; }
QString FtpClient::password() const { return d->password; }
void FtpClient::setPassword(const QString &password) { d->password = password; }
int FtpClient::connectTimeoutMs() const { return d->connectTimeoutMs; }
void FtpClient::setConnectTimeoutMs(int ms) { d->connectTimeoutMs = ms; }
int FtpClient::stallTimeoutSeconds() const { return d->stallTimeoutSeconds; }
void FtpClient::setStallTimeoutSeconds(int seconds) { d->stallTimeoutSeconds = seconds; }
int FtpClient::responseTimeoutSeconds() const { return d->responseTimeoutSeconds; }
void FtpClient::setResponseTimeoutSeconds(int seconds) { d->responseTimeoutSeconds = seconds; }
void FtpClient::setTransferType(TransferType type) { d->type = type; }
FtpClient::TransferType FtpClient::transferType() const { return d->type; }
bool FtpClient::busy() const { return d->busy; }

quint16 FtpClient::portFromText(const QString &text)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port < 1 || port > 65535)
        throw Error(QStringLiteral("Invalid port \"%1\"").arg(text));
    return quint16(port);
}

bool FtpClient::connected() const
{
    if (!d->multi)
        return false;
    if (d->busy)
        return d->controlSocket != CURL_SOCKET_BAD;
    return socketLooksOpen(d->controlSocket);
}

void FtpClient::connectToHost()
{
    if (d->busy)
        throw Error(QStringLiteral("The FTP client is busy with another operation."));
    disconnectFromHost();

    const QString hostText = d->host.trimmed();
    QUrl check;
    check.setHost(hostText, QUrl::StrictMode);
    if (hostText.isEmpty() || !check.isValid() || check.host().isEmpty())
        throw Error(QStringLiteral("Invalid host name \"%1\"").arg(d->host));
    // libcurl would put these into USER and PASS commands as they are.
    if (hasControlCharacter(d->user) || hasControlCharacter(d->password))
        throw Error(QStringLiteral("The FTP user name or password contains a control character."));

    initCurlOnce();
    d->baseUrl = "ftp://" + check.host(QUrl::FullyEncoded).toUtf8() + ':' + QByteArray::number(d->port);
    d->easy = curl_easy_init();
    d->multi = curl_multi_init();
    if (!d->easy || !d->multi) {
        d->close();
        throw Error(QStringLiteral("The FTP library could not be initialised."));
    }

    CURL *e = d->easy;
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, d->errorBuffer);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(e, CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_V4));
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(e, CURLOPT_FTP_USE_EPRT, 0L);
    curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
    if (!d->user.isEmpty()) {
        curl_easy_setopt(e, CURLOPT_USERNAME, d->user.toUtf8().constData());
        curl_easy_setopt(e, CURLOPT_PASSWORD, d->password.toUtf8().constData());
    }
    curl_easy_setopt(e, CURLOPT_MAXAGE_CONN, kMaxIdleSeconds);
    curl_easy_setopt(e, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kDownloadBufferSize);
    curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onReply);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &d->replies);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, onUploadData);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, onOpenSocket);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, &d->sockets);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, onCloseSocket);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, &d->sockets);
    curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, onSocketOptions);
    curl_easy_setopt(e, CURLOPT_SOCKOPTDATA, &d->sockets);

    FtpDetail::Request request;
    request.url = d->baseUrl + '/';
    request.noBody = true;
    request.quote = {QByteArrayLiteral("*FEAT")}; // "*": a server without FEAT is fine
    QPointer<FtpClient> alive(this);
    try {
        run(request);
    } catch (...) {
        if (alive)
            d->close();
        throw;
    }
    // A server that knows MLST offers MLSD too (RFC 3659); its listing is exact.
    for (const QByteArray &line : std::as_const(d->replies)) {
        const QByteArray feature = line.trimmed().toUpper();
        if (line.startsWith(' ') && (feature.startsWith("MLST") || feature.startsWith("MLSD")))
            d->offersMlsd = true;
    }
}

void FtpClient::disconnectFromHost()
{
    if (d->busy) {
        d->closeRequested = true;
        d->abortRequested = true;
        return;
    }
    if (connected()) {
        // QUIT as a request of our own: the one libcurl sends when its handles are
        // cleaned up waits a minute for a silent server, without letting events through.
        FtpDetail::Request request;
        request.url = urlFor(d->directory, true);
        request.noBody = true;
        request.quote = {QByteArrayLiteral("QUIT")};
        request.responseTimeoutSeconds = kQuitTimeoutSeconds;
        QPointer<FtpClient> alive(this);
        try {
            run(request);
        } catch (const Error &) {
            // Gone either way.
        }
        if (!alive)
            return;
    }
    d->close();
}

void FtpClient::abort()
{
    if (d->busy)
        d->abortRequested = true; // acted on by the waiting loop of run()
}

void FtpClient::requireIdleAndConnected() const
{
    if (d->busy)
        throw Error(QStringLiteral("The FTP client is busy with another operation."));
    if (!d->multi)
        throw Error(QStringLiteral("Not connected to an FTP server."));
}

QString FtpClient::resolve(const QString &remotePath) const
{
    // Besides "/dir", a server may answer PWD with a drive ("C:/data", "MEM:"),
    // which the window hands back to changeDir: that is absolute too.
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z0-9_]+:"));
    if (remotePath.startsWith(QLatin1Char('/')) || remotePath.startsWith(QLatin1Char('\\'))
        || drive.match(remotePath).hasMatch() || d->directory.isEmpty())
        return remotePath;
    if (d->directory.endsWith(QLatin1Char('/')))
        return d->directory + remotePath;
    return d->directory + QLatin1Char('/') + remotePath;
}

// libcurl takes the URL path after the host's slash as the remote path, so an
// absolute path starts with an encoded slash ("%2F"). Every name is
// percent-encoded: blanks, '#', '?' and ';' (";type=" would be read as an option).
QByteArray FtpClient::urlFor(const QString &remotePath, bool directory) const
{
    QString path = remotePath;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (directory && !path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    QByteArray url = d->baseUrl + '/';
    if (absolute)
        url += "%2F";
    const QStringList segments = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0)
            url += '/';
        url += d->encodeName(segments[i]).toPercentEncoding();
    }
    return url;
}

void FtpClient::changeDir(const QString &directory)
{
    requireIdleAndConnected();
    if (hasControlCharacter(directory))
        throw Error(QStringLiteral("Invalid directory name \"%1\"").arg(directory));
    const QString target = directory.isEmpty() ? d->directory : resolve(directory);
    FtpDetail::Request request;
    request.url = urlFor(target, true);
    request.noBody = true;
    run(request);
    d->directory = target;
}

QString FtpClient::pwd()
{
    requireIdleAndConnected();
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.noBody = true;
    request.preQuote = {QByteArrayLiteral("PWD")};
    run(request);
    for (qsizetype i = d->replies.size() - 1; i >= 0; --i)
        if (d->replies[i].startsWith("257"))
            return quotedPath(d->decodeText(d->replies[i]));
    throw Error(QStringLiteral("The FTP server did not tell its current directory."));
}

QList<FtpListEntry> FtpClient::list()
{
    requireIdleAndConnected();
    QByteArray bytes;
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.buffer = &bytes;
    request.dataTransfer = true;
    request.mode = FtpClient::WorkMode::Read;
    if (d->offersMlsd)
        request.customRequest = QByteArrayLiteral("MLSD");
    run(request);

    // Machines' servers do not all speak UTF-8; a listing that is not valid UTF-8
    // is taken as Latin-1, and names are sent back the same way.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    d->utf8Names = !utf8.hasError();
    if (!d->utf8Names)
        text = QString::fromLatin1(bytes);
    return d->offersMlsd ? FtpListing::parseMlsd(text) : FtpListing::parseList(text);
}

void FtpClient::put(const QString &localPath, const QString &remoteName)
{
    requireIdleAndConnected();
    if (remoteName.isEmpty() || remoteName.endsWith(QLatin1Char('/')) || hasControlCharacter(remoteName))
        throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(remoteName));
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read \"%1\": %2").arg(nativePath(localPath), file.errorString()));
    FtpDetail::Request request;
    request.url = urlFor(resolve(remoteName), false);
    request.upload = true;
    // libcurl is not told the size: told, it would end the data connection as soon
    // as the last byte is handed to the system, before the server has it.
    request.uploadSize = -1;
    request.total = file.size();
    request.text = d->type == TransferType::Ascii;
    request.device = &file;
    request.dataTransfer = true;
    request.mode = FtpClient::WorkMode::Write;
    run(request);
}

void FtpClient::get(const QString &remotePath, const QString &localPath)
{
    requireIdleAndConnected();
    if (remotePath.isEmpty() || remotePath.endsWith(QLatin1Char('/')) || hasControlCharacter(remotePath))
        throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(remotePath));
    SafeFile::Writer file(localPath);
    QString reason;
    if (!file.open(&reason))
        throw Error(QStringLiteral("Cannot write \"%1\": %2").arg(nativePath(localPath), reason));
    FtpDetail::Request request;
    request.url = urlFor(resolve(remotePath), false);
    request.text = d->type == TransferType::Ascii;
    request.device = &file;
    request.dataTransfer = true;
    request.mode = FtpClient::WorkMode::Read;
    run(request); // on failure the temporary file goes with `file`
    if (!file.commit(&reason))
        throw Error(QStringLiteral("Cannot write \"%1\": %2").arg(nativePath(localPath), reason));
}

void FtpClient::get(const QString &remotePath, QIODevice *device)
{
    requireIdleAndConnected();
    if (remotePath.isEmpty() || remotePath.endsWith(QLatin1Char('/')) || hasControlCharacter(remotePath))
        throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(remotePath));
    FtpDetail::Request request;
    request.url = urlFor(resolve(remotePath), false);
    request.text = d->type == TransferType::Ascii;
    request.device = device;
    request.dataTransfer = true;
    request.mode = FtpClient::WorkMode::Read;
    run(request);
}

qint64 FtpClient::size(const QString &remotePath)
{
    requireIdleAndConnected();
    if (remotePath.isEmpty() || remotePath.endsWith(QLatin1Char('/')) || hasControlCharacter(remotePath))
        throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(remotePath));
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.noBody = true;
    // "*": a refusal (500 unknown command, 550) does not fail the request. Servers refuse
    // SIZE in TYPE A or count its line ends there: the connection is put in TYPE I first
    // (a later listing in TYPE I reads the same).
    request.preQuote = {"*SIZE " + d->encodeName(remotePath)};
    if (d->type == TransferType::Binary)
        request.preQuote.prepend(QByteArrayLiteral("*TYPE I"));
    run(request);
    for (qsizetype i = d->replies.size() - 1; i >= 0; --i) {
        const QByteArray &reply = d->replies[i];
        if (!reply.startsWith("213 "))
            continue;
        bool ok = false;
        const qint64 bytes = reply.mid(4).trimmed().toLongLong(&ok);
        return ok && bytes >= 0 ? bytes : -1;
    }
    return -1;
}

void FtpClient::remove(const QString &remotePath)
{
    requireIdleAndConnected();
    if (remotePath.isEmpty() || hasControlCharacter(remotePath))
        throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(remotePath));
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.noBody = true;
    request.preQuote = {"DELE " + d->encodeName(remotePath)};
    run(request);
}

void FtpClient::rename(const QString &from, const QString &to)
{
    requireIdleAndConnected();
    for (const QString &name : {from, to})
        if (name.isEmpty() || hasControlCharacter(name))
            throw Error(QStringLiteral("Invalid remote file name \"%1\"").arg(name));
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.noBody = true;
    request.preQuote = {"RNFR " + d->encodeName(from), "RNTO " + d->encodeName(to)};
    run(request);
}

bool FtpClient::supportsRename()
{
    requireIdleAndConnected();
    if (d->renameSupport >= 0)
        return d->renameSupport == 1;
    FtpDetail::Request request;
    request.url = urlFor(d->directory, true);
    request.noBody = true;
    // A name no program has; a server that accepts it anyway (350) forgets the
    // pending rename at the next command, which is not RNTO.
    request.preQuote = {QByteArrayLiteral("*RNFR .zavrin-rename-probe-0a9f3c")};
    run(request);
    for (qsizetype i = d->replies.size() - 1; i >= 0; --i) {
        const QByteArray &reply = d->replies[i];
        if (reply.size() < 3 || reply.at(0) < '3' || reply.at(0) > '5')
            continue;
        const QByteArray code = reply.left(3);
        d->renameSupport = (code == "500" || code == "502" || code == "504") ? 0 : 1;
        return d->renameSupport == 1;
    }
    d->renameSupport = 0; // no answer to tell: do not rely on renaming
    return false;
}

void FtpClient::run(FtpDetail::Request &request)
{
    CURL *e = d->easy;
    CURLM *multi = d->multi;
    d->errorBuffer[0] = '\0';
    d->replies.clear();

    const Slist quote = makeSlist(request.quote);
    const Slist preQuote = makeSlist(request.preQuote);
    long responseTimeout = request.responseTimeoutSeconds ? request.responseTimeoutSeconds : d->responseTimeoutSeconds;
    // After an upload's data the server still reads what its own buffers hold
    // (one receive window) before it answers; for a slow server that is no silence.
    if (request.upload)
        responseTimeout += d->stallTimeoutSeconds;
    curl_easy_setopt(e, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(e, CURLOPT_NOBODY, long(request.noBody));
    curl_easy_setopt(e, CURLOPT_UPLOAD, long(request.upload));
    curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.uploadSize));
    curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, long(request.text));
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST,
                     request.customRequest.isEmpty() ? nullptr : request.customRequest.constData());
    curl_easy_setopt(e, CURLOPT_QUOTE, quote.get());
    curl_easy_setopt(e, CURLOPT_PREQUOTE, preQuote.get());
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &request);
    curl_easy_setopt(e, CURLOPT_READDATA, &request);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &request);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(d->connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, long(d->connectTimeoutMs));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, long(d->stallTimeoutSeconds));
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseTimeout);

    d->busy = true;
    d->abortRequested = false;
    request.abort = &d->abortRequested;
    request.stallTimeoutSeconds = d->stallTimeoutSeconds;
    d->sockets.current = &request;

    // libcurl runs on a thread of its own: some of its waits block inside its calls
    // (after an upload's data it waits for the server's reply without returning),
    // and the caller's events must flow all the while. This thread only pumps
    // events, reports progress and passes a Cancel on.
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool workerDone = false;
    char *errorBuffer = d->errorBuffer;
    std::atomic<bool> &abortRequested = d->abortRequested;
    d->worker = std::thread([&, e, multi, errorBuffer] {
        curl_multi_add_handle(multi, e);
        while (true) {
            int running = 0;
            const CURLMcode code = curl_multi_perform(multi, &running);
            if (code != CURLM_OK) {
                request.result = CURLE_FAILED_INIT;
                std::snprintf(errorBuffer, CURL_ERROR_SIZE, "%s", curl_multi_strerror(code));
                request.finished = true;
                break;
            }
            int queued = 0;
            while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == e) {
                    request.result = message->data.result;
                    request.finished = true;
                }
            }
            if (request.finished)
                break;
            // libcurl keeps the first message of a request; one written while the request
            // went on (7.88 writes one for every active-mode data connection) is not the reason.
            if (errorBuffer[0] && request.harmlessMessage.isEmpty())
                request.harmlessMessage = QByteArray(errorBuffer);
            if (request.dataSocketCopy >= 0)
                request.queued = queuedBytes(request.dataSocketCopy);
            if (abortRequested)
                break;
            curl_multi_poll(multi, nullptr, 0, kWorkerSliceMs, nullptr);
        }
        if (request.finished) {
            curl_socket_t socket = CURL_SOCKET_BAD;
            if (curl_easy_getinfo(e, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK)
                socket = CURL_SOCKET_BAD;
            request.controlSocket = socket;
        }
        curl_multi_remove_handle(multi, e);
#ifndef Q_OS_WIN
        if (request.dataSocketCopy >= 0)
            ::close(request.dataSocketCopy);
#endif
        request.dataSocketCopy = -1;
        std::lock_guard<std::mutex> lock(doneMutex);
        workerDone = true;
        doneSignal.notify_all();
    });

    QPointer<FtpClient> alive(this);
    bool begun = false;
    bool interrupted = false;
    qint64 reported = -1;
    qint64 shown = 0;
    QElapsedTimer pumpClock;
    QElapsedTimer workClock;
    pumpClock.start();
    workClock.start();

    const auto cancelled = [] { return FtpAborted(QStringLiteral("Operation cancelled.")); };
    // What has reached the server: for an upload, what the system still holds is not counted.
    const auto progress = [&] {
        qint64 done = request.done;
        if (request.mode == FtpClient::WorkMode::Write)
            done = qMax<qint64>(0, done - request.queued);
        if (request.total > 0)
            done = qMin<qint64>(done, request.total);
        shown = qMax(shown, done);
        return shown;
    };
    // Signals and events may run any code of the caller, this object's deletion
    // included; the destructor then stops and joins the libcurl thread.
    const auto report = [&](bool last) {
        const qint64 total = request.total;
        const qint64 done = progress();
        if (!begun) {
            if (!last && total <= 0 && done <= 0)
                return;
            begun = true;
            emit workBegin(request.mode, qMax<qint64>(total, 0));
            if (!alive)
                throw cancelled();
        }
        const qint64 elapsed = workClock.elapsed();
        if ((done != reported && (last || elapsed >= kWorkIntervalMs)) || (!last && elapsed >= kHeartbeatMs)) {
            reported = done;
            workClock.restart();
            emit work(request.mode, done);
            if (!alive)
                throw cancelled();
        }
    };

    try {
        while (true) {
            {
                std::unique_lock<std::mutex> lock(doneMutex);
                if (doneSignal.wait_for(lock, std::chrono::milliseconds(kPumpIntervalMs), [&] { return workerDone; }))
                    break;
            }
            if (request.dataTransfer)
                report(false);
            if (pumpClock.elapsed() >= kPumpIntervalMs) {
                if (QCoreApplication::instance())
                    QCoreApplication::processEvents();
                if (!alive)
                    throw cancelled();
                pumpClock.restart();
            }
            if (d->abortRequested && !interrupted) {
                interrupted = true;
                d->interrupt();
            }
        }
    } catch (...) {
        // Deleted meanwhile (the destructor joined the thread), or a slot threw: the
        // request must not outlive this frame, which holds what it writes to.
        if (alive) {
            d->joinWorker();
            d->sockets.current = nullptr;
            d->busy = false;
        }
        throw;
    }
    d->worker.join();

    const CURLcode result = request.result;
    // A Cancel that came too late to stop a request leaves its result standing; one
    // that broke the request makes it a cancelled one, whatever libcurl said.
    const bool finished = request.finished && (result == CURLE_OK || !d->abortRequested);
    // libcurl closes a connection left mid-request.
    d->controlSocket = finished ? request.controlSocket : CURL_SOCKET_BAD;
    d->sockets.current = nullptr;
    curl_easy_setopt(e, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(e, CURLOPT_PREQUOTE, nullptr);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(e, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, nullptr);
    d->busy = false;
    if (d->closeRequested)
        d->close();

    if (!finished || result != CURLE_OK) {
        if (begun) {
            emit workEnd(request.mode);
            if (!alive)
                throw cancelled();
        }
        if (!finished)
            throw cancelled();
        if (!request.localError.isEmpty())
            throw Error(request.localError);
        const bool refused = request.upload && result == CURLE_UPLOAD_FAILED;
        const bool stalled = request.stalled || (result == CURLE_OPERATION_TIMEDOUT && begun);
        QString message = QString::fromUtf8(curl_easy_strerror(result));
        if (request.stalled)
            message = QStringLiteral("The data connection stalled: no data for %1 seconds.").arg(d->stallTimeoutSeconds);
        else if (d->errorBuffer[0] && request.harmlessMessage != d->errorBuffer)
            message = QString::fromUtf8(d->errorBuffer).trimmed();
        else if (result == CURLE_OPERATION_TIMEDOUT && begun)
            message = QStringLiteral("The data connection stalled: no data for %1 seconds.").arg(d->stallTimeoutSeconds);
        // Where the server refused, its own words say why ("550 No such file").
        const QByteArray lastReply = d->replies.isEmpty() ? QByteArray() : d->replies.constLast();
        if (lastReply.size() > 3 && (lastReply.at(0) == '4' || lastReply.at(0) == '5')) {
            const QString reply = d->decodeText(lastReply);
            if (!message.contains(reply))
                message += QStringLiteral(" (%1)").arg(reply);
        }
        if (refused)
            throw FtpRefused(message);
        throw FtpError(message, FtpFailure::classify(result, FtpFailure::replyCode(lastReply.constData(),
                                                                                   int(lastReply.size())),
                                                     stalled));
    }

    if (request.dataTransfer) {
        report(true);
        emit workEnd(request.mode);
    }
}
