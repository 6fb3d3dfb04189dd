// Number reading and formatting, and the software extended arithmetic, checked
// against the processor's own 80-bit format and the C library (both correctly
// rounded): reading must give the nearest value, formatting the nearest 15
// digits (ties away from zero), and a formatted number must read back to the
// same text.
#include "FuzzSupport.h"

#include "tools/Extended.h"
#include "tools/NumberText.h"
#include "tools/UInt128.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#if LDBL_MANT_DIG == 64
#define ZAVRIN_NATIVE_EXTENDED 1
#endif

namespace {

NumberSyntax syntaxOf(uint8_t bits)
{
    NumberSyntax s;
    s.programPoint = (bits & 1) ? QLatin1Char(',') : QLatin1Char('.');
    s.systemSeparator = (bits & 2) ? QLatin1Char(',') : QLatin1Char('.');
    return s;
}

QString text(const Extended &v)
{
    return QStringLiteral("%1%2 x 2^%3").arg(v.isNegative() ? QStringLiteral("-") : QString()).arg(v.significand()).arg(v.exponent());
}

#ifdef ZAVRIN_NATIVE_EXTENDED
long double toNative(const Extended &v)
{
    const long double r = std::ldexp(static_cast<long double>(v.significand()), v.exponent());
    return v.isNegative() ? -r : r;
}

bool sameValue(const Extended &a, long double b)
{
    const long double na = toNative(a);
    return std::memcmp(&na, &b, 10) == 0 || (na == 0 && b == 0 && std::signbit(na) == std::signbit(b));
}

// The 15 digits of the C library (which rounds ties to even); where they differ
// from ours the value must lie exactly halfway, and ours must be the one away
// from zero.
void checkDigitsAgainstNative(const Extended &v, const std::string &digits, int exponent)
{
    const long double native = toNative(v);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", std::fabs(native));
    std::string theirs;
    for (const char *p = buffer; *p && *p != 'e'; ++p)
        if (*p != '.')
            theirs.push_back(*p);
    const int theirExponent = std::atoi(std::strchr(buffer, 'e') + 1) + 1;
    while (!theirs.empty() && theirs.back() == '0')
        theirs.pop_back();
    if (theirs == digits && theirExponent == exponent)
        return;
    // Every digit of the value: no finite long double needs more than 12,000.
    static std::vector<char> exact(16500);
    std::snprintf(exact.data(), exact.size(), "%.12000Le", std::fabs(native));
    std::string all;
    for (const char *p = exact.data(); *p && *p != 'e'; ++p)
        if (*p != '.')
            all.push_back(*p);
    const bool tie = all.size() > 15 && all[15] == '5' && all.find_first_not_of('0', 16) == std::string::npos;
    FUZZ_CHECK(tie, QStringLiteral("%1: ours %2e%3, C library %4").arg(text(v), QString::fromStdString(digits))
                        .arg(exponent).arg(QString::fromLatin1(buffer)));
}
#endif

// Formats a value and checks the text: at most 15 significant digits, and a
// fixed-notation text reads back to a value that formats the same.
void checkFormatting(const Extended &v, bool farEndsToo = true)
{
    // Values far from 1 are written through their exact expansion, thousands
    // of digits long: checked in a few runs only, or the fuzzer does little else.
    if (!farEndsToo && (v.exponent() < -1100 || v.exponent() > 1100))
        return;
    const QString formatted = FUNC_Formatar_Numero(v);
    FUZZ_CHECK(!formatted.isEmpty(), text(v));
    std::string digits;
    int exponent = 0;
    v.toDecimal(15, &digits, &exponent);
    FUZZ_CHECK(digits.size() <= 15 && (digits.empty() || digits.back() != '0'), text(v));
#ifdef ZAVRIN_NATIVE_EXTENDED
    if (!v.isZero())
        checkDigitsAgainstNative(v, digits, exponent);
#endif
    if (formatted.contains(QLatin1Char('E')))
        return;
    NumberSyntax point;
    const Extended back = FUNC_Ler_Numero(formatted, point);
    FUZZ_CHECK(FUNC_Formatar_Numero(back) == formatted, text(v) + QStringLiteral(" as ") + formatted);
}

bool isNumberGrammar(const std::string &s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool digit = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            digit = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

void checkReading(const QByteArray &bytes, const NumberSyntax &syntax, bool typed)
{
    const QString input = QString::fromLatin1(bytes);
    // The same text in the C library's notation.
    std::string plain;
    {
        QString t = input;
        if (typed) {
            qsizetype b = 0, e = t.size();
            while (b < e && t[b].unicode() <= 32)
                ++b;
            while (e > b && t[e - 1].unicode() <= 32)
                --e;
            t = t.mid(b, e - b);
        }
        const bool commaIsPoint = typed ? syntax.systemSeparator == QLatin1Char(',')
                                        : (syntax.programPoint == QLatin1Char(',')
                                           || syntax.systemSeparator == QLatin1Char(','));
        const bool pointIsPoint = typed ? syntax.systemSeparator == QLatin1Char('.')
                                        : syntax.programPoint == QLatin1Char('.');
        for (QChar c : t) {
            if (c == QLatin1Char(',') && commaIsPoint)
                plain.push_back('.');
            else if (c == QLatin1Char('.') && !pointIsPoint)
                plain.push_back('x');
            else
                plain.push_back(c.unicode() < 128 ? char(c.unicode()) : 'x');
        }
    }
    try {
        const Extended v = typed ? readTypedNumber(input, syntax) : FUNC_Ler_Numero(input, syntax);
        FUZZ_CHECK(isNumberGrammar(plain), escaped(input));
#ifdef ZAVRIN_NATIVE_EXTENDED
        const long double native = std::strtold(plain.c_str(), nullptr);
        FUZZ_CHECK(sameValue(v, native), escaped(input) + QStringLiteral(" read as ") + text(v));
#endif
        checkFormatting(v);
    } catch (const ConversionError &error) {
        FUZZ_CHECK(error.numberText() == (typed ? input.trimmed() : input) || typed, escaped(input));
        if (isNumberGrammar(plain)) {
            // A well-formed text is refused only beyond the range.
#ifdef ZAVRIN_NATIVE_EXTENDED
            errno = 0;
            const long double native = std::strtold(plain.c_str(), nullptr);
            FUZZ_CHECK(std::isinf(native), escaped(input) + QStringLiteral(" refused: ") + error.message());
#endif
        }
    } catch (const Error &error) {
        FUZZ_CHECK(false, escaped(input) + QStringLiteral(": not a conversion error: ") + error.message());
    }
}

Extended valueOf(FuzzedDataProvider &in)
{
    const bool negative = in.ConsumeBool();
    const uint64_t bits = in.ConsumeIntegral<uint64_t>();
    // Mostly values of everyday size: the far ends of the range take the exact
    // decimal path, thousands of digits long, which costs a thousand times more.
    const int exponent = in.ConsumeIntegral<uint8_t>() < 32
                             ? in.ConsumeIntegralInRange<int>(Extended::MinExponent - 70, Extended::MaxExponent + 10)
                             : in.ConsumeIntegralInRange<int>(-300, 200);
    return Extended::round(negative, UInt128::from64(bits), exponent, false);
}

void checkArithmetic(FuzzedDataProvider &in)
{
    const bool farEndsToo = in.ConsumeIntegral<uint8_t>() == 0;
    Extended a, b;
    try {
        a = valueOf(in);
        b = in.ConsumeBool() ? valueOf(in) : Extended::fromInteger(in.ConsumeIntegral<int64_t>());
    } catch (const Error &) {
        return; // beyond the range
    }
    checkFormatting(a, farEndsToo);
    checkFormatting(b, farEndsToo);
    const auto check = [&](char op, auto compute, auto native) {
        try {
            const Extended r = compute();
            checkFormatting(r, farEndsToo);
#ifdef ZAVRIN_NATIVE_EXTENDED
            FUZZ_CHECK(sameValue(r, native()), text(a) + QLatin1Char(' ') + QLatin1Char(op) + QLatin1Char(' ') + text(b)
                                                   + QStringLiteral(" = ") + text(r));
#endif
        } catch (const ConversionError &) {
            FUZZ_CHECK(false, QStringLiteral("conversion error from arithmetic"));
        } catch (const Error &) {
#ifdef ZAVRIN_NATIVE_EXTENDED
            FUZZ_CHECK(std::isinf(native()), text(a) + QLatin1Char(' ') + QLatin1Char(op) + QLatin1Char(' ') + text(b)
                                                 + QStringLiteral(" refused"));
#endif
        }
    };
#ifdef ZAVRIN_NATIVE_EXTENDED
    const long double na = toNative(a), nb = toNative(b);
    FUZZ_CHECK(sameValue(a, na) && sameValue(b, nb), text(a) + QLatin1Char(' ') + text(b));
#else
    const long double na = 0, nb = 0;
#endif
    check('+', [&] { return a + b; }, [&] { return na + nb; });
    check('-', [&] { return a - b; }, [&] { return na - nb; });
    check('*', [&] { return a * b; }, [&] { return na * nb; });
    check('n', [&] { return -a; }, [&] { return -na; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool cLocale = std::setlocale(LC_NUMERIC, "C") != nullptr;
    (void)cLocale;
    // The choices come from the end of the input, the number text is the rest.
    FuzzedDataProvider in(data, size);
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    switch (mode % 4) {
    case 0:
    case 1: {
        const std::string bytes = in.ConsumeRemainingBytesAsString();
        checkReading(QByteArray::fromStdString(bytes), syntaxOf(mode >> 2), false);
        break;
    }
    case 2: {
        const std::string bytes = in.ConsumeRemainingBytesAsString();
        checkReading(QByteArray::fromStdString(bytes), syntaxOf(mode >> 2), true);
        break;
    }
    default:
        checkArithmetic(in);
        break;
    }
    return 0;
}
