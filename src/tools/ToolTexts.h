#pragma once

#include <QString>

// The tools' own messages (beyond the catalog keys of the tool windows), in the
// current language.
namespace ToolTexts {
QString invalidNumber(const QString &numberText); // "1.2.3" is not a valid number.
QString numberOutOfRange(const QString &numberText);
QString overflow();
QString blockNumberTooLarge(const QString &number);
QString atLine(int lineNumber, const QString &reason); // Line 12: <reason>
} // namespace ToolTexts
