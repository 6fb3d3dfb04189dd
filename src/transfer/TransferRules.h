#pragma once

#include <QString>

struct TransferValues;

// The rules of program transfer that need no window: which way a machine's
// transfer type takes, how loaded values are tidied, how targets and progress
// texts are made.
namespace TransferRules {

// The second argument of the preparations.
enum TransferMode { Send = 1, Receive = 2 };

enum class Way { None, Directory, Ftp, Serial };

// The way of a transfer type word, compared exactly ("DIRREDE" is read like
// "DIRNET"); any other word, the empty one included, has no way.
Way wayFor(const QString &transferType);

// Trimmed, with "/" put in front and at the end where missing; empty gives "/".
QString normaliseFtpDirectory(const QString &directory);

// The part of a path after its last separator (the whole text when it has none).
QString fileNamePart(const QString &path);

// Whether a name from a machine (an FTP listing) can be used as a file name in a
// local folder without leaving it: no "/" or "\\", not "." or "..", no drive
// ("C:"), no control character, not empty.
bool isPlainLocalName(const QString &name);

// Directory (trimmed, a separator added when it has none at its end) followed by
// the name (trimmed): where a directory transfer puts its copy.
QString copyTarget(const QString &directory, const QString &name);

// A listed file's size: whole kilobytes, the remainder dropped, and " KB".
QString sizeInKilobytes(qint64 bytes);

// The percentage label of a transfer: position * 100 / maximum rounded, and "%".
QString percentText(qint64 position, qint64 maximum);

// Loading of the values of one machine (statement 8 on the type's table). A machine
// without a row gets empty texts. Database failures throw Error.
void loadPathValues(TransferValues &values, const QString &machineId);
void loadFtpValues(TransferValues &values, const QString &machineId);
void loadSerialValues(TransferValues &values, const QString &machineId);

} // namespace TransferRules
