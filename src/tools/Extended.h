#pragma once

#include "UInt128.h"

#include <cstdint>
#include <string>

// A binary floating-point value with a 64-bit significand and the exponent range
// of the x87 extended format, computed in software so that every compiler and
// processor gives the same results (a compiler's long double may be narrower).
// Arithmetic rounds to nearest, ties to even, as the hardware format does.
// A result beyond the format's range throws Error.
class Extended
{
public:
    Extended() = default; // +0

    static Extended fromInteger(int64_t value);

    bool isZero() const { return m_significand == 0; }
    bool isNegative() const { return m_negative; }
    // Not negative, or a zero of either sign.
    bool isAtLeastZero() const { return !m_negative || isZero(); }

    Extended operator-() const;
    friend Extended operator+(const Extended &a, const Extended &b);
    friend Extended operator-(const Extended &a, const Extended &b);
    friend Extended operator*(const Extended &a, const Extended &b);

    // Exact bit-for-bit equality (+0 and -0 differ).
    friend bool operator==(const Extended &a, const Extended &b)
    {
        return a.m_negative == b.m_negative && a.m_significand == b.m_significand
               && (a.m_significand == 0 || a.m_exponent == b.m_exponent);
    }
    friend bool operator!=(const Extended &a, const Extended &b) { return !(a == b); }

    // Value = significand * 2^exponent. The significand has its top bit set
    // for normal values; subnormal values have the lowest exponent.
    uint64_t significand() const { return m_significand; }
    int exponent() const { return m_exponent; }

    // Builds the nearest value to (-1)^negative * bits * 2^exponent, where
    // `sticky` says that the true value has further 1 bits below the lowest
    // bit of `bits`. When `sticky` is set, `bits` must hold at least 65
    // significant bits so that the rounding can be decided.
    static Extended round(bool negative, UInt128 bits, int64_t exponent, bool sticky);

    // Decimal text to the nearest value: the digits (no sign, no point) times
    // 10^decimalExponent. Throws Error when the value is beyond the range.
    static Extended fromDecimal(bool negative, const std::string &digits, int64_t decimalExponent);
    // The same for a digit string that fits in 64 bits.
    static Extended fromDecimal(bool negative, uint64_t digits, int decimalExponent);

    // The value rounded to `significantDigits` decimal digits, ties away from
    // zero: the digits without trailing zeros and the exponent e of the form
    // 0.d1d2... x 10^e. Zero gives empty digits.
    void toDecimal(int significantDigits, std::string *digits, int *decimalExponent) const;
    // The same into a buffer of at least `significantDigits` characters;
    // returns the number of digits.
    int toDecimal(int significantDigits, char *digits, int *decimalExponent) const;

    static constexpr int MinExponent = -16445; // of the lowest bit of a subnormal
    static constexpr int MaxExponent = 16320;  // of the lowest bit of the largest value

private:
    bool m_negative = false;
    uint64_t m_significand = 0;
    int m_exponent = 0;
};
