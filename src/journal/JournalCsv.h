#pragma once

#include "JournalEntry.h"

#include <QVector>

class QIODevice;
class QString;

// The journal as CSV (RFC 4180): UTF-8, a header row, records ended by CR LF, fields
// with a comma, a quote or a line break quoted with doubled quotes. The words are the
// stored keywords, so a sheet reads the same whichever language wrote it; the time is
// given in UTC and in the workstation's local time (ISO 8601 with its offset).
namespace JournalCsv {

QByteArray headerRow();
QByteArray row(const JournalEntry &entry);
// Writes the header and one row per entry; false with the device's reason in *error.
bool write(QIODevice *device, const QVector<JournalEntry> &entries, QString *error);

} // namespace JournalCsv
