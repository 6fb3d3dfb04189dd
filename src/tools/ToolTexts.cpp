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

QString shortened(const QString &value)
{
    constexpr qsizetype Shown = 40;
    // A text only a little longer than what is shown is kept whole.
    if (value.size() <= Shown + 20)
        return value;
    return value.left(Shown) + text("Extra.TextLength", "\u2026 (%1 characters)").arg(value.size());
}

QString conversionErrorAtLine(int lineNumber, const QString &numberText)
{
    return text("Extra.ConversionError", "ERROR: Line %1: \"%2\" is not a valid number.")
        .arg(QString::number(lineNumber), shortened(numberText));
}

QString numberTooLargeAtLine(int lineNumber, const QString &numberText)
{
    return text("Extra.NumberTooLarge", "ERROR: Line %1: \"%2\" is too large.")
        .arg(QString::number(lineNumber), shortened(numberText));
}

QString incrementError(QChar axis, const QString &numberText, bool tooLarge)
{
    const QString message =
        tooLarge ? text("Extra.IncrementTooLarge", "ERROR: The increment of the \"%1\" axis, \"%2\", is too large.")
                 : text("Extra.IncrementNotNumber",
                        "ERROR: The increment of the \"%1\" axis, \"%2\", is not a valid number.");
    return message.arg(QString(axis), shortened(numberText));
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
    return QStringLiteral("\"%1\" is not a valid number.").arg(shortened(numberText));
}

QString numberOutOfRange(const QString &numberText)
{
    return QStringLiteral("\"%1\" is too large.").arg(shortened(numberText));
}

QString overflow() { return QStringLiteral("The result is out of the range of numbers."); }

QString blockNumberTooLarge(const QString &number)
{
    return QStringLiteral("The block number %1 is larger than 2147483647.").arg(number);
}

} // namespace ToolTexts
