#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Helpers shared by the tests: files, the corpus, a fresh application state.
namespace TestSupport {
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The corpus programs kept with the tests (and the larger collection when present).
QStringList corpusFiles(bool includeExtra = true);
// A folder path with a native separator at its end.
QString folder(const QString &path);
// Resets the application-wide values and the texts, as at process start.
void resetAppState();
} // namespace TestSupport
