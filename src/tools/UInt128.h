#pragma once

#include <cstdint>

// An unsigned 128-bit integer with the few operations the number reading and
// writing need. Written out by hand so that every compiler computes the same.
struct UInt128
{
    uint64_t hi = 0;
    uint64_t lo = 0;

    constexpr UInt128() = default;
    constexpr UInt128(uint64_t high, uint64_t low) : hi(high), lo(low) {}
    static constexpr UInt128 from64(uint64_t v) { return {0, v}; }

    bool isZero() const { return hi == 0 && lo == 0; }

    // Number of significant bits (0 for zero).
    int bitLength() const;

    // 64 x 64 -> 128, exact.
    static UInt128 multiply(uint64_t a, uint64_t b);

    UInt128 shiftedLeft(int bits) const;  // bits in [0, 127]; bits shifted out are lost
    UInt128 shiftedRight(int bits) const; // bits in [0, 127]
    // The bits below `bits` (bits in [0, 128]).
    UInt128 lowBits(int bits) const;
    bool bit(int position) const;

    friend bool operator==(const UInt128 &a, const UInt128 &b) { return a.hi == b.hi && a.lo == b.lo; }
    friend bool operator!=(const UInt128 &a, const UInt128 &b) { return !(a == b); }
    friend bool operator<(const UInt128 &a, const UInt128 &b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }
    friend bool operator>(const UInt128 &a, const UInt128 &b) { return b < a; }
    friend bool operator<=(const UInt128 &a, const UInt128 &b) { return !(b < a); }
    friend bool operator>=(const UInt128 &a, const UInt128 &b) { return !(a < b); }

    friend UInt128 operator+(const UInt128 &a, const UInt128 &b)
    {
        const uint64_t low = a.lo + b.lo;
        return {a.hi + b.hi + (low < a.lo ? 1u : 0u), low};
    }
    friend UInt128 operator-(const UInt128 &a, const UInt128 &b)
    {
        return {a.hi - b.hi - (a.lo < b.lo ? 1u : 0u), a.lo - b.lo};
    }

    // Quotient and remainder by a non-zero 64-bit divisor.
    UInt128 dividedBy(uint64_t divisor, uint64_t *remainder) const;
};
