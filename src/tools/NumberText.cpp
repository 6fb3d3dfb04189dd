#include "NumberText.h"

#include "LineText.h"
#include "ToolTexts.h"
#include "app/AppState.h"
#include "platform/SystemFormats.h"

#include <algorithm>
#include <string>

namespace {

// The number grammar shared by program words and typed numbers; `isPoint`
// says which characters are decimal points.
template<typename IsPoint>
Extended parseNumber(QStringView text, IsPoint isPoint)
{
    const auto invalid = [&] {
        return ConversionError(text.toString(), ToolTexts::invalidNumber(text.toString()));
    };
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    // Up to 19 significant digits are gathered in an integer; longer texts
    // take the exact path through a digit string.
    uint64_t small = 0;
    int smallDigits = 0;
    std::string digits;
    bool seenDigit = false;
    bool seenPoint = false;
    int fractionDigits = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            seenDigit = true;
            if (seenPoint)
                ++fractionDigits;
            const int digit = c.unicode() - '0';
            if (digits.empty()) {
                if (smallDigits == 0 && digit == 0)
                    continue; // leading zero
                if (smallDigits < 19) {
                    small = small * 10 + uint64_t(digit);
                    ++smallDigits;
                    continue;
                }
                digits = std::to_string(small);
            }
            digits.push_back(char('0' + digit));
        } else if (!seenPoint && isPoint(c)) {
            seenPoint = true;
        } else {
            throw invalid();
        }
    }
    if (!seenDigit)
        throw invalid();
    try {
        if (digits.empty())
            return Extended::fromDecimal(negative, small, -fractionDigits);
        return Extended::fromDecimal(negative, digits, -int64_t(fractionDigits));
    } catch (const ConversionError &) {
        throw;
    } catch (const Error &) {
        throw ConversionError(text.toString(), ToolTexts::numberOutOfRange(text.toString()),
                              ConversionError::Kind::TooLarge);
    }
}

} // namespace

NumberSyntax NumberSyntax::current()
{
    NumberSyntax syntax;
    syntax.programPoint = app().ProgramDecimalPoint;
    syntax.systemSeparator = SystemFormats::decimalSeparator();
    return syntax;
}

Extended FUNC_Ler_Numero(QStringView text, const NumberSyntax &syntax)
{
    const bool commaToo = syntax.systemSeparator == QLatin1Char(',');
    return parseNumber(text, [&](QChar c) {
        return c == syntax.programPoint || (commaToo && c == QLatin1Char(','));
    });
}

Extended FUNC_Ler_Numero(QStringView text)
{
    return FUNC_Ler_Numero(text, NumberSyntax::current());
}

Extended readTypedNumber(QStringView text, const NumberSyntax &syntax)
{
    return parseNumber(LineText::trimmed(text), [&](QChar c) { return c == syntax.systemSeparator; });
}

void appendFormattedNumber(QString &out, const Extended &value)
{
    char digits[16];
    int e = 0;
    const int n = value.toDecimal(15, digits, &e);
    if (n == 0) {
        out += QLatin1Char('0');
        return;
    }
    // Everything is built in one buffer: at most "-0.000" + 15 digits, or 15
    // digits and up to 15 zeros, or the scientific form.
    char text[48];
    int length = 0;
    if (value.isNegative())
        text[length++] = '-';
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            text[length++] = '0';
            text[length++] = '.';
            for (int i = 0; i < -e; ++i)
                text[length++] = '0';
            for (int i = 0; i < n; ++i)
                text[length++] = digits[i];
        } else {
            for (int i = 0; i < std::min(n, e); ++i)
                text[length++] = digits[i];
            for (int i = n; i < e; ++i)
                text[length++] = '0';
            if (n > e) {
                text[length++] = '.';
                for (int i = e; i < n; ++i)
                    text[length++] = digits[i];
            }
        }
    } else {
        text[length++] = digits[0];
        if (n > 1) {
            text[length++] = '.';
            for (int i = 1; i < n; ++i)
                text[length++] = digits[i];
        }
        text[length++] = 'E';
        int power = e - 1;
        if (power < 0) {
            text[length++] = '-';
            power = -power;
        }
        char reversed[8];
        int count = 0;
        for (; power; power /= 10)
            reversed[count++] = char('0' + power % 10);
        while (count)
            text[length++] = reversed[--count];
    }
    out += QLatin1String(text, length);
}

QString FUNC_Formatar_Numero(const Extended &value)
{
    QString text;
    appendFormattedNumber(text, value);
    return text;
}
