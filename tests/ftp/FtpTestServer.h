#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A pyftpdlib server on 127.0.0.1 serving one folder, run by the test or benchmark
// itself (tests/ftp/ftp_test_server.py). It reports each control connection and
// each command it received, which log() returns.
class FtpTestServer
{
public:
    static QString user() { return QStringLiteral("machine"); }
    static QString password() { return QStringLiteral("s3cret"); }

    // extraArgs: options of the script ("--no-mlsd", "--write-limit", "100000", ...).
    explicit FtpTestServer(const QString &rootDir, const QStringList &extraArgs = {});
    ~FtpTestServer();

    bool start(QString *error);
    void stop();
    // Stops or resumes the server process: connections stay open but nothing is answered.
    void freeze(bool frozen);
    quint16 port() const { return m_port; }

    // Everything the server reported so far, one entry per line ("CONNECT", "CMD RETR x").
    QStringList log();
    int count(const QString &prefix);

private:
    QProcess m_process;
    QString m_rootDir;
    QStringList m_extraArgs;
    quint16 m_port = 0;
    QByteArray m_output;
};
