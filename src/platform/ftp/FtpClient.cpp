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

#include <atomic>
#include <cstdio>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace {

// How often a running operation lets the caller's events through, and how often
// it reports progress: often enough for a smooth bar and a prompt Cancel, rarely
// enough not to slow a fast transfer down.
constexpr int kPumpIntervalMs = 20;
constexpr int kWorkIntervalMs = 50;
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
    bool utf8Names = true; // names go back to the server in the encoding its listing used
    curl_socket_t controlSocket = CURL_SOCKET_BAD;

    bool busy = false;
    std::atomic<bool> abortRequested{false};
    bool closeRequested = false;

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
    std::atomic<qint64> done{0};
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

size_t onUploadData(char *data, size_t size, size_t count, void *userData)
{
    auto *request = static_cast<Request *>(userData);
    if (!request || !request->device)
        return CURL_READFUNC_ABORT;
    const qint64 bytes = request->device->read(data, qint64(size * count));
    if (bytes < 0) {
        request->localError = request->device->errorString();
        return CURL_READFUNC_ABORT;
    }
    return size_t(bytes);
}

int onProgress(void *userData, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
               curl_off_t uploaded)
{
    auto *request = static_cast<Request *>(userData);
    if (!request)
        return 0;
    if (request->mode == FtpClient::WorkMode::Write) {
        request->total = uploadTotal;
        request->done = uploaded;
    } else {
        request->total = downloadTotal;
        request->done = downloaded;
    }
    return 0;
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
        d->abortRequested = true;
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
    request.uploadSize = file.size();
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

void FtpClient::run(FtpDetail::Request &request)
{
    CURL *e = d->easy;
    d->errorBuffer[0] = '\0';
    d->replies.clear();

    const Slist quote = makeSlist(request.quote);
    const Slist preQuote = makeSlist(request.preQuote);
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
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                     long(request.responseTimeoutSeconds ? request.responseTimeoutSeconds : d->responseTimeoutSeconds));

    d->busy = true;
    d->abortRequested = false;
    curl_multi_add_handle(d->multi, e);

    QPointer<FtpClient> alive(this);
    bool finished = false;
    CURLcode result = CURLE_OK;
    bool begun = false;
    qint64 reported = -1;
    // libcurl keeps the first message of a request; one written while the request
    // went on (7.88 writes one for every active-mode data connection) is not the reason.
    QByteArray harmlessMessage;
    QElapsedTimer pumpClock;
    QElapsedTimer workClock;
    pumpClock.start();
    workClock.start();

    const auto cancelled = [] { return FtpAborted(QStringLiteral("Operation cancelled.")); };
    // Signals and events may run any code of the caller, this object's deletion included.
    const auto report = [&](bool last) {
        const qint64 total = request.total;
        const qint64 done = request.done;
        if (!begun) {
            if (!last && total <= 0 && done <= 0)
                return;
            begun = true;
            emit workBegin(request.mode, qMax<qint64>(total, 0));
            if (!alive)
                throw cancelled();
        }
        if (done != reported && (last || workClock.elapsed() >= kWorkIntervalMs)) {
            reported = done;
            workClock.restart();
            emit work(request.mode, done);
            if (!alive)
                throw cancelled();
        }
    };

    while (true) {
        int running = 0;
        const CURLMcode code = curl_multi_perform(d->multi, &running);
        if (code != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            std::snprintf(d->errorBuffer, CURL_ERROR_SIZE, "%s", curl_multi_strerror(code));
            finished = true;
            break;
        }
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(d->multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == e) {
                result = message->data.result;
                finished = true;
            }
        }
        if (finished)
            break;
        if (d->errorBuffer[0] && harmlessMessage.isEmpty())
            harmlessMessage = QByteArray(d->errorBuffer);
        if (request.dataTransfer)
            report(false);
        if (pumpClock.elapsed() >= kPumpIntervalMs) {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            if (!alive)
                throw cancelled();
            pumpClock.restart();
        }
        if (d->abortRequested)
            break;
        curl_multi_poll(d->multi, nullptr, 0, kPumpIntervalMs, nullptr);
    }

    if (finished) {
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(e, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK)
            socket = CURL_SOCKET_BAD;
        d->controlSocket = socket;
    } else {
        d->controlSocket = CURL_SOCKET_BAD; // libcurl closes a connection left mid-request
    }
    curl_multi_remove_handle(d->multi, e);
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
        QString message = QString::fromUtf8(curl_easy_strerror(result));
        if (d->errorBuffer[0] && harmlessMessage != d->errorBuffer)
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
        throw Error(message);
    }

    if (request.dataTransfer) {
        report(true);
        emit workEnd(request.mode);
    }
}
