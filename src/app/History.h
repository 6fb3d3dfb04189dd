#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// History entries of the messages panel.
namespace History {
// "<file> - <short date> <long time> - <title>"; the time is left out at midnight.
QString entryText(const QString &fileName, const QDateTime &moment, const QString &title);
// The detail lines that become children: the non-blank ones, unchanged.
QStringList childLines(const QStringList &details);
// Blank: empty or only characters of code 32 or less.
bool isBlank(const QString &text);
} // namespace History
