#include "TransferJournal.h"

#include "SerialSendStream.h"
#include "app/AppState.h"
#include "journal/JournalRecorder.h"
#include "journal/ProgramHash.h"
#include "platform/serial/SerialPort.h"

#include <QUrl>

namespace TransferJournal {

JournalEntry entry(JournalEntry::Medium medium, JournalEntry::Direction direction, const QString &localPath,
                   const QString &remote)
{
    JournalEntry e;
    e.machineId = app().SelectedMachineId;
    e.machineNumber = app().SelectedMachineNumber;
    e.machineDescription = app().SelectedMachineDescription;
    e.medium = medium;
    e.direction = direction;
    e.localPath = localPath;
    e.remote = remote;
    return e;
}

void record(const JournalEntry &entry)
{
    if (JournalRecorder *recorder = JournalRecorder::current())
        recorder->record(entry);
}

void recordSerialSend(const QString &file, const QString &port, const QByteArray &fileBytes, qint64 taken,
                      JournalEntry::Outcome outcome, const QString &error)
{
    const QByteArray sent = SerialSendStream::wholeTransmission(fileBytes.left(taken));
    JournalEntry e = entry(JournalEntry::Medium::Serial, JournalEntry::Direction::Send, file, port);
    e.bytes = sent.size();
    e.sha256 = ProgramHash::ofBytes(sent);
    e.outcome = outcome;
    e.error = error;
    record(e);
}

QString serialPortText(const SerialPort &port)
{
    const QString name = port.settings().portName;
    const QString device = port.deviceName();
    return device.isEmpty() || device == name ? name : QStringLiteral("%1 (%2)").arg(name, device);
}

QString ftpRemote(const QString &user, const QString &host, const QString &port, const QString &path)
{
    QUrl url;
    url.setScheme(QStringLiteral("ftp"));
    url.setUserName(user);
    url.setHost(host);
    bool ok = false;
    const int number = port.trimmed().toInt(&ok);
    if (ok && number > 0 && number != 21)
        url.setPort(number);
    url.setPath(path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path);
    return url.toString(QUrl::RemovePassword);
}

} // namespace TransferJournal
