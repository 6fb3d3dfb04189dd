#pragma once

#include <QString>

// The tools' own messages beyond the catalog keys of the tool windows. The
// messages of a failed run are language texts; the others are the reasons
// those carry.
namespace ToolTexts {
// A run stopped at a line: ERROR: Line 12: "1.2.3" is not a valid number.
QString conversionErrorAtLine(int lineNumber, const QString &numberText);
// A run stopped at a line whose block number would pass 2147483647.
QString blockNumberTooLargeAtLine(int lineNumber);
// Any other failure at a line.
QString errorAtLine(int lineNumber, const QString &reason);

QString invalidNumber(const QString &numberText); // "1.2.3" is not a valid number.
QString numberOutOfRange(const QString &numberText);
QString overflow();
QString blockNumberTooLarge(const QString &number);
} // namespace ToolTexts
