#pragma once

#include "platform/Error.h"
#include "platform/ftp/FtpFailure.h"
#include "platform/ftp/FtpListing.h"

#include <QList>
#include <QIODevice>
#include <QObject>
#include <QString>

#include <memory>

namespace FtpDetail {
struct Request;
struct Sockets;
}

// An operation of FtpClient stopped by abort() (the Cancel button), told apart
// from real failures so a window can say "cancelled" instead of "failed".
class FtpAborted : public Error
{
public:
    using Error::Error;
};

// A failed FTP request: libcurl's text (with the server's refusal where there is one)
// and what kind of failure that was, so a window can say it in the operator's terms.
class FtpError : public Error
{
public:
    explicit FtpError(QString message, FtpFailure::Kind kind = FtpFailure::Kind::Other)
        : Error(std::move(message)), m_kind(kind)
    {
    }
    FtpFailure::Kind kind() const { return m_kind; }

private:
    FtpFailure::Kind m_kind;
};

// The server refused to store a file under the name given (its STOR answer was
// a refusal), before any data went: nothing was created.
class FtpRefused : public FtpError
{
public:
    explicit FtpRefused(QString message) : FtpError(std::move(message), FtpFailure::Kind::Refused) {}
};

// The FTP client of the transfer window and of the machine registration test.
//
// Settings that never change: IPv4 only, no proxy, active data connections (the
// server connects back to us for each listing and transfer), login right after
// connecting. One control connection is made by connectToHost() and used by every
// later operation until disconnectFromHost(); should the server drop it in
// between, the next operation quietly makes a new one with the same login.
//
// Every operation blocks its caller but keeps the caller's event loop running, so
// windows repaint and a Cancel button can call abort(): libcurl runs on a thread
// of its own for the length of the operation (some of its waits block inside its
// calls), while the caller's thread lets events through every 20 ms, reports
// progress (at least every 200 ms during a transfer) and passes a Cancel on by
// shutting the connection's sockets, which ends any wait at once. The work
// signals come on the thread that owns the object. Failures of a request throw FtpError
// (classified by FtpFailure) with libcurl's text and,
// where there is one, the server's refusal ("Access denied: 530 (530 Login
// incorrect.)"); abort() makes the running operation throw FtpAborted.
//
// How each operation goes over libcurl (one easy handle, kept in one multi handle
// whose connection cache holds the control connection):
//   connectToHost      new easy+multi handle, CURLOPT_NOBODY request of "/" (connect,
//                      USER/PASS, PWD) with CURLOPT_QUOTE "*FEAT" to learn about MLSD
//   disconnectFromHost CURLOPT_NOBODY request with CURLOPT_QUOTE "QUIT" (answer awaited 5 s
//                      at most), then curl_multi_cleanup and curl_easy_cleanup
//   changeDir          CURLOPT_NOBODY request of the folder URL (CWD)
//   pwd                CURLOPT_NOBODY request of the folder URL with CURLOPT_PREQUOTE "PWD",
//                      the 257 reply read through CURLOPT_HEADERFUNCTION
//   setTransferType    CURLOPT_TRANSFERTEXT of the following put/get (TYPE A / TYPE I)
//   list               request of the folder URL: TYPE A, PORT, then LIST, or MLSD through
//                      CURLOPT_CUSTOMREQUEST when the server's FEAT offers it
//   remove, rename     CURLOPT_NOBODY request with CURLOPT_PREQUOTE "DELE", "RNFR"+"RNTO"
//   supportsRename     the same with "*RNFR" (a refusal does not fail the request)
//   put                CURLOPT_UPLOAD with CURLOPT_READFUNCTION (STOR, replaces); the
//                      data connection ends only once its send queue is empty (Linux:
//                      SIOCOUTQ on a copy of the socket from CURLOPT_SOCKOPTFUNCTION),
//                      so progress and stalls are judged by bytes the server took
//   get                CURLOPT_WRITEFUNCTION into a QSaveFile (SIZE, RETR), committed only
//                      when the whole file arrived
//   abort              shutdown() of the sockets libcurl opened (CURLOPT_OPENSOCKETFUNCTION,
//                      CURLOPT_CLOSESOCKETFUNCTION), curl_multi_wakeup, then
//                      curl_multi_remove_handle of the running request
//   progress           CURLOPT_XFERINFOFUNCTION, turned into work signals by the loop
// Fixed options: CURLOPT_IPRESOLVE v4, CURLOPT_PROXY "", CURLOPT_FTPPORT "-" with
// CURLOPT_FTP_USE_EPRT off (plain PORT, which every server knows), CURLOPT_FTP_FILEMETHOD
// single CWD, CURLOPT_CONNECTTIMEOUT_MS (connect, greeting and login),
// CURLOPT_ACCEPTTIMEOUT_MS (the server connecting back), CURLOPT_LOW_SPEED_LIMIT/TIME
// (a stalled data connection), CURLOPT_SERVER_RESPONSE_TIMEOUT (a silent server),
// CURLOPT_MAXAGE_CONN long enough that an idle control connection is kept.
//
// Remote paths: an absolute path ("/dir/", "/dir/file") is taken from the server's
// root, a relative one from the current directory (at first the login directory).
class FtpClient : public QObject
{
    Q_OBJECT

public:
    enum class TransferType { Ascii, Binary };
    Q_ENUM(TransferType)
    enum class WorkMode { Read, Write };
    Q_ENUM(WorkMode)

    explicit FtpClient(QObject *parent = nullptr);
    ~FtpClient() override;

    QString host() const;
    void setHost(const QString &host);
    quint16 port() const; // 21 unless set
    void setPort(quint16 port);
    QString user() const;
    void setUser(const QString &user);
    QString password() const;
    void setPassword(const QString &password);

    // The port number of a port text ("21", " 2121 "); throws Error
    // `Invalid port "x"` for anything that is not a number from 1 to 65535.
    static quint16 portFromText(const QString &text);

    // Time-outs; the defaults suit a machine on the shop network.
    int connectTimeoutMs() const; // 10 s: connection, greeting and login
    void setConnectTimeoutMs(int ms);
    int stallTimeoutSeconds() const; // 30 s without a byte on a data connection
    void setStallTimeoutSeconds(int seconds);
    int responseTimeoutSeconds() const; // 60 s waiting for a reply on the control connection
    void setResponseTimeoutSeconds(int seconds);

    // True while the control connection is open (false after the server closed it).
    bool connected() const;
    // True while an operation runs (abort() applies to it).
    bool busy() const;

    // Connects and logs in with host, port, user and password; an open connection
    // is closed first. Throws Error when the host cannot be reached in time or the
    // login is refused.
    void connectToHost();
    // Closes the control connection. Called during an operation, it aborts it.
    void disconnectFromHost();

    // CWD; throws Error when the directory does not exist. The current directory
    // is what later relative names refer to.
    void changeDir(const QString &directory);
    // PWD: the current directory as the server's reply gives it.
    QString pwd();

    // TYPE A or TYPE I for the following put and get (listings are always TYPE A).
    void setTransferType(TransferType type);
    TransferType transferType() const;

    // The current directory's entries (MLSD when the server offers it, else LIST).
    QList<FtpListEntry> list();
    // STOR: the local file under remoteName (relative to the current directory),
    // replacing a remote file of that name.
    void put(const QString &localPath, const QString &remoteName);
    // RETR: the remote file into localPath. The bytes go to a temporary file in
    // the target's folder that replaces localPath only once the transfer completed,
    // so a cancelled or broken download leaves an existing local file as it was.
    void get(const QString &remotePath, const QString &localPath);
    // RETR into a device (a hash of the bytes, a buffer in memory); the device gets the
    // bytes as they come, so on a failure it holds part of the file.
    void get(const QString &remotePath, QIODevice *device);
    // SIZE: the remote file's size in bytes as the server tells it, or -1 when the server
    // does not know the command (or refuses it for this file or transfer type). Ask it in
    // TYPE I: in TYPE A a server may count line ends differently or refuse.
    qint64 size(const QString &remotePath);
    // DELE of a remote file (relative to the current directory or absolute).
    void remove(const QString &remotePath);
    // RNFR and RNTO: gives a remote file another name.
    void rename(const QString &from, const QString &to);
    // Whether the server knows RNFR. Renaming is in every FTP standard but not in
    // every machine's server, and FEAT does not list it: the first call asks
    // "RNFR" of a name that does not exist; a server that knows the command refuses
    // the name (550) or waits for RNTO (350), one that does not answers 500, 502 or
    // 504. Remembered for the connection.
    bool supportsRename();

    // Stops the running operation; it then throws FtpAborted. A transfer stopped
    // half-way takes the control connection with it (connected() is then false).
    // Does nothing when idle.
    void abort();

signals:
    // A data transfer started: Read for listings and downloads, Write for uploads;
    // total in bytes when known, else 0.
    void workBegin(FtpClient::WorkMode mode, qint64 total);
    // Bytes moved so far, a few times a second while data flows.
    void work(FtpClient::WorkMode mode, qint64 done);
    void workEnd(FtpClient::WorkMode mode);

private:
    struct Private;
    void run(FtpDetail::Request &request);
    QByteArray urlFor(const QString &remotePath, bool directory) const;
    QString resolve(const QString &remotePath) const;
    void requireIdleAndConnected() const;

    std::unique_ptr<Private> d;
};
