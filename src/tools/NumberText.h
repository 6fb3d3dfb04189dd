#pragma once

#include "Extended.h"
#include "platform/Error.h"

#include <QChar>
#include <QString>
#include <QStringView>

// Which characters are decimal points: the program text's point, and the
// system's decimal separator. Taken once when a run starts.
struct NumberSyntax
{
    QChar programPoint = QLatin1Char('.');
    QChar systemSeparator = QLatin1Char('.');

    // ProgramDecimalPoint and the system's (or the overridden) separator.
    static NumberSyntax current();
};

// A text that is not a number, or a number beyond the range of values; carries
// the text as it was read.
class ConversionError : public Error
{
public:
    enum class Kind { Invalid, TooLarge };
    ConversionError(const QString &numberText, const QString &message, Kind kind = Kind::Invalid)
        : Error(message), m_numberText(numberText), m_kind(kind) {}
    const QString &numberText() const { return m_numberText; }
    Kind kind() const { return m_kind; }

private:
    QString m_numberText;
    Kind m_kind;
};

// A value typed into a tool's option (not a program line) that cannot be used;
// the message, in the current language, names the option.
class OptionValueError : public Error
{
public:
    using Error::Error;
};

// A number text of a program word: an optional sign, digits with at most one
// decimal point, at least one digit. The point is the program's; a "," counts
// as one too where the system's separator is ",". No exponent, no blanks.
// Correctly rounded. Throws ConversionError.
Extended FUNC_Ler_Numero(QStringView text, const NumberSyntax &syntax);
Extended FUNC_Ler_Numero(QStringView text);

// A number typed by the user (the translation increments): blanks at both
// ends removed, then an optional sign, digits and at most one system decimal
// separator. Throws ConversionError.
Extended readTypedNumber(QStringView text, const NumberSyntax &syntax);

// A number text of at most 18 significant digits and 18 decimals, exactly:
// (-1)^negative * mantissa / 10^scale. What the common words of a program are;
// it lets their sums be computed without binary arithmetic.
struct PlainDecimal
{
    bool negative = false;
    uint64_t mantissa = 0;
    int scale = 0;
    int digits = 0; // significant digits of the mantissa (0 for zero)
};

// The number text read as FUNC_Ler_Numero reads it; false for a text that is
// invalid or not plain (FUNC_Ler_Numero then gives the value or the error).
bool readPlainDecimal(QStringView text, const NumberSyntax &syntax, PlainDecimal &value);
// The same for a typed number (readTypedNumber's grammar).
bool readPlainTypedDecimal(QStringView text, const NumberSyntax &syntax, PlainDecimal &value);

// Appends a + b as FUNC_Formatar_Numero writes the extended-precision sum of
// the two values read from text, with a "+" in front when `plus` is set and the
// sum is positive. False, appending nothing, when that cannot be told without
// the binary arithmetic: too many digits, or so much cancellation that the
// rounding of the operands could show in the 15th digit.
bool appendPlainSum(QString &out, const PlainDecimal &a, const PlainDecimal &b, bool plus);

// A value as program text: 15 significant digits (ties away from zero),
// trailing zeros dropped, fixed notation for 0.1E-3 <= |value| < 0.1E16 and
// scientific ("5E-5", "1E15") otherwise, always with "." as the point.
QString FUNC_Formatar_Numero(const Extended &value);
// The same, appended to a text.
void appendFormattedNumber(QString &out, const Extended &value);
