#pragma once

#include <QString>

// The tools' own messages beyond the catalog keys of the tool windows. The
// messages of a failed run are language texts; the others are the reasons
// those carry.
namespace ToolTexts {
// A run stopped at a line: ERROR: Line 12: "1.2.3" is not a valid number.
QString conversionErrorAtLine(int lineNumber, const QString &numberText);
// A run stopped at a line with a number beyond the range of values.
QString numberTooLargeAtLine(int lineNumber, const QString &numberText);
// A translation increment that is not a number, or too large.
QString incrementError(QChar axis, const QString &numberText, bool tooLarge);
// A text as it is shown inside a message: a long one is cut to its first 40
// characters, followed by its length ("1111…  (1048576 characters)").
QString shortened(const QString &text);
// A run stopped at a line whose block number would pass 2147483647.
QString blockNumberTooLargeAtLine(int lineNumber);
// Any other failure at a line.
QString errorAtLine(int lineNumber, const QString &reason);

QString invalidNumber(const QString &numberText); // "1.2.3" is not a valid number.
QString numberOutOfRange(const QString &numberText);
QString overflow();
QString blockNumberTooLarge(const QString &number);
} // namespace ToolTexts
