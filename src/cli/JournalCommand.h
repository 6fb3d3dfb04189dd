#pragma once

#include <QDateTime>
#include <QStringList>

// zavrin-cnc journal [--machine N] [--since DATE] [--csv] [--journal FILE]: the transfer
// journal, oldest entry first, as a table or as CSV. Returns the exit code (1 when the
// journal cannot be read, 2 for a wrong command line).
int runJournalCommand(const QStringList &arguments);

// The moment a --since value names: YYYY-MM-DD (the start of that local day) or a date and
// time (YYYY-MM-DDTHH:MM[:SS[.mmm]], local unless it ends in Z or an offset). Invalid for
// anything else.
QDateTime journalSinceMoment(const QString &text);
