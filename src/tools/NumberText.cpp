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

namespace {

// The program text of 0.d1d2...dn x 10^e (n from 1 to 15, d1 not zero).
void appendDecimalText(QString &out, bool negative, const char *digits, int n, int e)
{
    // Everything is built in one buffer: at most "-0.000" + 15 digits, or 15
    // digits and up to 15 zeros, or the scientific form.
    char text[48];
    int length = 0;
    if (negative)
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

template<typename IsPoint>
bool readPlain(QStringView text, IsPoint isPoint, PlainDecimal &value)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(text.data());
    const qsizetype size = text.size();
    qsizetype i = 0;
    value = PlainDecimal();
    if (i < size && (units[i] == '+' || units[i] == '-')) {
        value.negative = units[i] == '-';
        ++i;
    }
    bool seenDigit = false;
    bool seenPoint = false;
    for (; i < size; ++i) {
        const char16_t c = units[i];
        if (c >= '0' && c <= '9') {
            seenDigit = true;
            if (seenPoint && ++value.scale > 18)
                return false;
            if (value.digits == 0 && c == '0')
                continue; // a leading zero
            if (++value.digits > 18)
                return false;
            value.mantissa = value.mantissa * 10 + uint64_t(c - '0');
        } else if (!seenPoint && isPoint(QChar(c))) {
            seenPoint = true;
        } else {
            return false;
        }
    }
    return seenDigit;
}

constexpr uint64_t powersOfTen[19] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL,
                                      100000000ULL, 1000000000ULL, 10000000000ULL, 100000000000ULL,
                                      1000000000000ULL, 10000000000000ULL, 100000000000000ULL,
                                      1000000000000000ULL, 10000000000000000ULL, 100000000000000000ULL,
                                      1000000000000000000ULL};

} // namespace

bool readPlainDecimal(QStringView text, const NumberSyntax &syntax, PlainDecimal &value)
{
    const bool commaToo = syntax.systemSeparator == QLatin1Char(',');
    return readPlain(text, [&](QChar c) { return c == syntax.programPoint || (commaToo && c == QLatin1Char(',')); },
                     value);
}

bool readPlainTypedDecimal(QStringView text, const NumberSyntax &syntax, PlainDecimal &value)
{
    return readPlain(LineText::trimmed(text), [&](QChar c) { return c == syntax.systemSeparator; }, value);
}

bool appendPlainSum(QString &out, const PlainDecimal &a, const PlainDecimal &b, bool plus)
{
    // Both on the finer scale, each below 10^18, so the sum fits in 63 bits.
    const int scale = std::max(a.scale, b.scale);
    if (a.digits + scale - a.scale > 18 || b.digits + scale - b.scale > 18)
        return false;
    const uint64_t x = a.mantissa * powersOfTen[scale - a.scale];
    const uint64_t y = b.mantissa * powersOfTen[scale - b.scale];
    const int64_t sum = (a.negative ? -int64_t(x) : int64_t(x)) + (b.negative ? -int64_t(y) : int64_t(y));
    const uint64_t magnitude = sum < 0 ? uint64_t(-sum) : uint64_t(sum);
    // The operands carry a relative error of 2^-64 each once read into binary:
    // with |a| + |b| at most 1000 times the sum, that stays far below half a
    // unit of the 15th digit of the sum, so the binary sum rounds to the same
    // 15 digits as the exact one (when it has no more than 15).
    if (magnitude == 0 || magnitude < (x + y + 999) / 1000)
        return false;
    char digits[20];
    int count = 0;
    for (uint64_t m = magnitude; m; m /= 10)
        digits[count++] = char('0' + m % 10);
    int zeros = 0;
    while (digits[zeros] == '0')
        ++zeros;
    const int n = count - zeros;
    if (n > 15)
        return false;
    char ordered[16];
    for (int i = 0; i < n; ++i)
        ordered[i] = digits[count - 1 - i];
    if (plus && sum > 0)
        out += QLatin1Char('+');
    appendDecimalText(out, sum < 0, ordered, n, count - scale);
    return true;
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
    appendDecimalText(out, value.isNegative(), digits, n, e);
}

QString FUNC_Formatar_Numero(const Extended &value)
{
    QString text;
    appendFormattedNumber(text, value);
    return text;
}
