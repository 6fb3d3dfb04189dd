#pragma once

#include <QByteArray>
#include <QString>

// Lines for standard error in the form the system journal reads from a service: a priority
// prefix "<N>" (3 error, 4 warning, 5 notice, 6 information, 7 debug) and one line of text.
namespace ServiceLog {
QByteArray line(int priority, const QString &text);
// Writes a line to standard error at once.
void write(int priority, const QString &text);
// Routes Qt's own warnings to standard error in the same form.
void installQtMessageHandler();
} // namespace ServiceLog
