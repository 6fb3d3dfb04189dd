#pragma once

#include <QByteArray>
#include <QString>

// Whole-file writes that never leave a half-written file behind: the bytes go to a
// temporary file in the same folder, which replaces the target only when complete.
namespace SafeFile {
bool write(const QString &path, const QByteArray &bytes, QString *error);
}
