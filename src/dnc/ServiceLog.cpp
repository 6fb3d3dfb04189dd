#include "ServiceLog.h"

#include <QtGlobal>

#include <cstdio>

namespace ServiceLog {

QByteArray line(int priority, const QString &text)
{
    QString one = text;
    // One entry per line: the journal would take a line break for a new entry without priority.
    one.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return '<' + QByteArray::number(qBound(0, priority, 7)) + '>' + one.toUtf8() + '\n';
}

void write(int priority, const QString &text)
{
    const QByteArray bytes = line(priority, text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void installQtMessageHandler()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        int priority = 6;
        switch (type) {
        case QtDebugMsg: priority = 7; break;
        case QtInfoMsg: priority = 6; break;
        case QtWarningMsg: priority = 4; break;
        case QtCriticalMsg: priority = 3; break;
        case QtFatalMsg: priority = 2; break;
        }
        write(priority, message);
    });
}

} // namespace ServiceLog
