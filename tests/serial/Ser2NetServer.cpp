#include "Ser2NetServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

int Ser2NetServer::addConnection(const QString &device, Mode mode, const QString &options)
{
    m_connections.append({device, mode, options, 0});
    return int(m_connections.size()) - 1;
}

quint16 Ser2NetServer::freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString Ser2NetServer::url(int index) const
{
    const Connection &c = m_connections.at(index);
    return QStringLiteral("%1://127.0.0.1:%2").arg(c.mode == Mode::Raw ? QStringLiteral("tcp") : QStringLiteral("rfc2217")).arg(c.port);
}

bool Ser2NetServer::start(const QString &dir, QString *error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin")});
    if (program.isEmpty()) {
        *error = QStringLiteral("ser2net is not installed");
        return false;
    }
    QByteArray yaml;
    QList<quint16> taken;
    for (int i = 0; i < m_connections.size(); ++i) {
        Connection &c = m_connections[i];
        // Ports asked for one after the other could be the same one again: keep them apart.
        do
            c.port = freePort();
        while (c.port != 0 && taken.contains(c.port));
        if (c.port == 0) {
            *error = QStringLiteral("no free TCP port");
            return false;
        }
        taken << c.port;
        const QString accepter = c.mode == Mode::Raw ? QStringLiteral("tcp,127.0.0.1,%1").arg(c.port)
                                                     : QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1").arg(c.port);
        yaml += QStringLiteral("connection: &c%1\n  accepter: %2\n  connector: serialdev,%3,%4\n")
                    .arg(i)
                    .arg(accepter, c.device, c.options)
                    .toUtf8();
    }
    m_config = QDir(dir).filePath(QStringLiteral("ser2net.yaml"));
    QFile f(m_config);
    if (!f.open(QIODevice::WriteOnly) || f.write(yaml) != yaml.size()) {
        *error = QStringLiteral("cannot write %1").arg(m_config);
        return false;
    }
    f.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), m_config,
                              QStringLiteral("-P"), QDir(dir).filePath(QStringLiteral("ser2net.pid"))});
    if (!m_process.waitForStarted(5000)) {
        *error = QStringLiteral("ser2net did not start: %1").arg(m_process.errorString());
        return false;
    }
    // Listening: the port can no longer be bound. (A probe connection would make ser2net open the
    // device, so none is made.)
    const QDeadlineTimer deadline(10000);
    for (const Connection &c : std::as_const(m_connections)) {
        for (;;) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, c.port))
                break; // taken: ser2net listens there
            probe.close();
            if (deadline.hasExpired() || m_process.state() != QProcess::Running) {
                *error = QStringLiteral("ser2net does not listen on %1: %2").arg(c.port).arg(QString::fromLocal8Bit(m_process.readAll()));
                stop();
                return false;
            }
            QThread::msleep(20);
        }
    }
    return true;
}

void Ser2NetServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void Ser2NetServer::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(3000);
}
