#pragma once

#include <QStringList>

// zavrin-cnc stats [--ij abs|inc] [--diameter] [--rapid RATE] [--json] FILE:
// the figures of the program's toolpath. Returns the exit code (1 when the
// path cannot be followed, naming the line; 2 for a wrong command line).
int runStatsCommand(const QStringList &arguments);
