#include "FtpTestServer.h"

#include <QDeadlineTimer>

#include <signal.h>

FtpTestServer::FtpTestServer(const QString &rootDir, const QStringList &extraArgs)
    : m_rootDir(rootDir), m_extraArgs(extraArgs)
{
}

FtpTestServer::~FtpTestServer()
{
    stop();
}

bool FtpTestServer::start(QString *error)
{
    QStringList args{QStringLiteral(ZAVRIN_SOURCE_DIR "/tests/ftp/ftp_test_server.py"),
                     QStringLiteral("--dir"),
                     m_rootDir,
                     QStringLiteral("--user"),
                     user(),
                     QStringLiteral("--password"),
                     password()};
    args += m_extraArgs;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    if (!m_process.waitForStarted(10000)) {
        *error = m_process.errorString();
        return false;
    }
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        m_process.waitForReadyRead(200);
        m_output += m_process.readAllStandardOutput();
        const qsizetype ready = m_output.indexOf("READY ");
        const qsizetype end = m_output.indexOf('\n', ready);
        if (ready >= 0 && end > ready) {
            m_port = quint16(m_output.mid(ready + 6, end - ready - 6).trimmed().toUInt());
            m_output.remove(0, end + 1);
            return m_port != 0;
        }
        if (m_process.state() == QProcess::NotRunning)
            break;
    }
    *error = QStringLiteral("the FTP test server did not start");
    return false;
}

void FtpTestServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void FtpTestServer::freeze(bool frozen)
{
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), frozen ? SIGSTOP : SIGCONT);
}

QStringList FtpTestServer::log()
{
    // The server writes each line before it answers, so what the client has seen
    // answered is already in the pipe.
    while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(50))
        m_output += m_process.readAllStandardOutput();
    m_output += m_process.readAllStandardOutput();
    QStringList lines = QString::fromUtf8(m_output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.trimmed();
    return lines;
}

int FtpTestServer::count(const QString &prefix)
{
    int n = 0;
    for (const QString &line : log())
        if (line.startsWith(prefix))
            ++n;
    return n;
}
