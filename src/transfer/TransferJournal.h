#pragma once

#include "journal/JournalEntry.h"

#include <QByteArray>
#include <QString>

class SerialPort;

// The transfer windows' side of the journal: an entry for the selected machine, and its
// recording through the program's recorder (nothing when the program has none).
namespace TransferJournal {

JournalEntry entry(JournalEntry::Medium medium, JournalEntry::Direction direction, const QString &localPath,
                   const QString &remote);
void record(const JournalEntry &entry);

// A serial send: `fileBytes` is the program as read, `taken` how many of its bytes went out.
// The hash and count are of the bytes as they left (with the line feeds completed).
void recordSerialSend(const QString &file, const QString &port, const QByteArray &fileBytes, qint64 taken,
                      JournalEntry::Outcome outcome, const QString &error);

// "COM3 (/dev/ttyUSB0)": the port's name and, where it differs, its device.
QString serialPortText(const SerialPort &port);

// "ftp://user@host:port/dir/name", never with the password.
QString ftpRemote(const QString &user, const QString &host, const QString &port, const QString &path);

} // namespace TransferJournal
