#pragma once

#include "UInt128.h"

#include <cstdint>
#include <string>
#include <vector>

// An arbitrary-size natural number, for the exact conversions between decimal
// text and binary values that do not fit in 128 bits (long digit strings, very
// large or very small values). Only what those conversions need.
class BigUInt
{
public:
    BigUInt() = default;
    explicit BigUInt(uint64_t value);

    bool isZero() const { return m_limbs.empty(); }
    int bitLength() const;

    void multiplySmall(uint32_t factor);
    void addSmall(uint32_t addend);
    void shiftLeft(int bits);
    // Divides in place and returns the remainder.
    uint32_t divideSmall(uint32_t divisor);
    // Multiplies by 10^n or 5^n.
    void multiplyPowerOfTen(int n);
    void multiplyPowerOfFive(int n);
    // Divides by 5^n in place; returns whether any remainder was dropped.
    bool dividePowerOfFive(int n);

    // The 128 most significant bits (the number shifted right by `*shift`
    // bits, `*shift` >= 0), and whether any 1 bit was shifted out.
    UInt128 topBits(int *shift, bool *sticky) const;

    // Decimal digits, most significant first ("0" for zero).
    std::string toDecimal() const;

private:
    void trim();
    std::vector<uint32_t> m_limbs; // least significant first, no leading zero limbs
};
