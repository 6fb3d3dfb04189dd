#include "PtyPair.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

bool PtyPair::start(const QString &dir, QString *error)
{
    const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
    if (socat.isEmpty()) {
        *error = QStringLiteral("socat is not installed");
        return false;
    }
    m_a = QDir(dir).filePath(QStringLiteral("ptyA"));
    m_b = QDir(dir).filePath(QStringLiteral("ptyB"));
    // socat's notices are read only when something goes wrong.
    m_socat.setProcessChannelMode(QProcess::MergedChannels);
    m_socat.start(socat, {QStringLiteral("-d"), QStringLiteral("-d"),
                          QStringLiteral("pty,raw,echo=0,link=%1").arg(m_a),
                          QStringLiteral("pty,raw,echo=0,link=%1").arg(m_b)});
    if (!m_socat.waitForStarted(5000)) {
        *error = QStringLiteral("socat did not start: %1").arg(m_socat.errorString());
        return false;
    }
    // socat makes the links once both ends exist.
    const QDeadlineTimer deadline(10000);
    while (!(QFileInfo::exists(m_a) && QFileInfo::exists(m_b))) {
        if (deadline.hasExpired() || m_socat.state() != QProcess::Running) {
            *error = QStringLiteral("socat made no pty pair in %1: %2")
                         .arg(dir, QString::fromLocal8Bit(m_socat.readAll()));
            stop();
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void PtyPair::stop()
{
    if (m_socat.state() == QProcess::NotRunning)
        return;
    m_socat.terminate();
    if (!m_socat.waitForFinished(3000)) {
        m_socat.kill();
        m_socat.waitForFinished(3000);
    }
}
