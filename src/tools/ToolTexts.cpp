#include "ToolTexts.h"

#include "lang/Texts.h"

namespace {
// The language table's text, or its English text while no language has run
// (the command line).
QString text(const char *id, const char *english)
{
    const QString translated = Texts::extra(id);
    return translated.isEmpty() ? QString::fromUtf8(english) : translated;
}
} // namespace

namespace ToolTexts {

QString conversionErrorAtLine(int lineNumber, const QString &numberText)
{
    return text("Extra.ConversionError", "ERROR: Line %1: \"%2\" is not a valid number.")
        .arg(QString::number(lineNumber), numberText);
}

QString blockNumberTooLargeAtLine(int lineNumber)
{
    return text("Extra.BlockCounterOverflow", "ERROR: Line %1: The block number exceeds the largest number allowed.")
        .arg(lineNumber);
}

QString errorAtLine(int lineNumber, const QString &reason)
{
    return QStringLiteral("ERROR: Line %1: %2").arg(QString::number(lineNumber), reason);
}

QString invalidNumber(const QString &numberText)
{
    return QStringLiteral("\"%1\" is not a valid number.").arg(numberText);
}

QString numberOutOfRange(const QString &numberText)
{
    return QStringLiteral("\"%1\" is out of the range of numbers.").arg(numberText);
}

QString overflow() { return QStringLiteral("The result is out of the range of numbers."); }

QString blockNumberTooLarge(const QString &number)
{
    return QStringLiteral("The block number %1 is larger than 2147483647.").arg(number);
}

} // namespace ToolTexts
