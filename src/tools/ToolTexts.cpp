#include "ToolTexts.h"

#include "lang/Texts.h"

namespace {
// The language table's text, or the English one while no language has run.
QString text(const char *id, const char *english)
{
    const QString translated = Texts::extra(id);
    return translated.isEmpty() ? QString::fromUtf8(english) : translated;
}
} // namespace

namespace ToolTexts {

QString invalidNumber(const QString &numberText)
{
    return text("Tools.InvalidNumber", "\"%1\" is not a valid number.").arg(numberText);
}

QString numberOutOfRange(const QString &numberText)
{
    return text("Tools.NumberOutOfRange", "\"%1\" is out of the range of numbers.").arg(numberText);
}

QString overflow()
{
    return text("Tools.Overflow", "The result is out of the range of numbers.");
}

QString blockNumberTooLarge(const QString &number)
{
    return text("Tools.BlockNumberTooLarge", "The block number %1 is larger than 2147483647.").arg(number);
}

QString atLine(int lineNumber, const QString &reason)
{
    return text("Tools.AtLine", "Line %1: %2").arg(QString::number(lineNumber), reason);
}

} // namespace ToolTexts
