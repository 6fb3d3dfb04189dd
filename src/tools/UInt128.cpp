#include "UInt128.h"

namespace {

int leadingZeros64(uint64_t v)
{
    if (v == 0)
        return 64;
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_clzll(v);
#else
    int n = 0;
    if (v <= 0x00000000FFFFFFFFull) { n += 32; v <<= 32; }
    if (v <= 0x0000FFFFFFFFFFFFull) { n += 16; v <<= 16; }
    if (v <= 0x00FFFFFFFFFFFFFFull) { n += 8; v <<= 8; }
    if (v <= 0x0FFFFFFFFFFFFFFFull) { n += 4; v <<= 4; }
    if (v <= 0x3FFFFFFFFFFFFFFFull) { n += 2; v <<= 2; }
    if (v <= 0x7FFFFFFFFFFFFFFFull) { n += 1; }
    return n;
#endif
}

// (u1:u0) / v for u1 < v: the long division of two 32-bit digits at a time
// with a normalised divisor (Knuth's algorithm D specialised to this size).
uint64_t divide128By64(uint64_t u1, uint64_t u0, uint64_t v, uint64_t *remainder)
{
    const uint64_t base = 1ull << 32;
    const int s = leadingZeros64(v);
    v <<= s;
    const uint64_t vn1 = v >> 32;
    const uint64_t vn0 = v & 0xFFFFFFFFull;
    const uint64_t un32 = (u1 << s) | (s == 0 ? 0 : (u0 >> (64 - s)));
    const uint64_t un10 = u0 << s;
    const uint64_t un1 = un10 >> 32;
    const uint64_t un0 = un10 & 0xFFFFFFFFull;

    uint64_t q1 = un32 / vn1;
    uint64_t rhat = un32 - q1 * vn1;
    while (q1 >= base || q1 * vn0 > base * rhat + un1) {
        --q1;
        rhat += vn1;
        if (rhat >= base)
            break;
    }
    // The products wrap around; the true value fits in 64 bits.
    const uint64_t un21 = un32 * base + un1 - q1 * v;

    uint64_t q0 = un21 / vn1;
    rhat = un21 - q0 * vn1;
    while (q0 >= base || q0 * vn0 > base * rhat + un0) {
        --q0;
        rhat += vn1;
        if (rhat >= base)
            break;
    }
    *remainder = (un21 * base + un0 - q0 * v) >> s;
    return q1 * base + q0;
}

} // namespace

int UInt128::bitLength() const
{
    if (hi != 0)
        return 128 - leadingZeros64(hi);
    return 64 - leadingZeros64(lo);
}

UInt128 UInt128::multiply(uint64_t a, uint64_t b)
{
    const uint64_t aLow = a & 0xFFFFFFFFull, aHigh = a >> 32;
    const uint64_t bLow = b & 0xFFFFFFFFull, bHigh = b >> 32;
    const uint64_t ll = aLow * bLow;
    const uint64_t lh = aLow * bHigh;
    const uint64_t hl = aHigh * bLow;
    const uint64_t hh = aHigh * bHigh;
    const uint64_t middle = (ll >> 32) + (lh & 0xFFFFFFFFull) + (hl & 0xFFFFFFFFull);
    const uint64_t low = (middle << 32) | (ll & 0xFFFFFFFFull);
    const uint64_t high = hh + (lh >> 32) + (hl >> 32) + (middle >> 32);
    return {high, low};
}

UInt128 UInt128::shiftedLeft(int bits) const
{
    if (bits == 0)
        return *this;
    if (bits >= 64)
        return {lo << (bits - 64), 0};
    return {(hi << bits) | (lo >> (64 - bits)), lo << bits};
}

UInt128 UInt128::shiftedRight(int bits) const
{
    if (bits == 0)
        return *this;
    if (bits >= 64)
        return {0, hi >> (bits - 64)};
    return {hi >> bits, (lo >> bits) | (hi << (64 - bits))};
}

UInt128 UInt128::lowBits(int bits) const
{
    if (bits >= 128)
        return *this;
    if (bits >= 64)
        return {bits == 64 ? 0 : hi & ((1ull << (bits - 64)) - 1), lo};
    return {0, bits == 0 ? 0 : lo & ((1ull << bits) - 1)};
}

bool UInt128::bit(int position) const
{
    return position >= 64 ? ((hi >> (position - 64)) & 1u) != 0 : ((lo >> position) & 1u) != 0;
}

UInt128 UInt128::dividedBy(uint64_t divisor, uint64_t *remainder) const
{
    const uint64_t qHigh = hi / divisor;
    const uint64_t rHigh = hi % divisor;
    uint64_t r = 0;
    const uint64_t qLow = divide128By64(rHigh, lo, divisor, &r);
    if (remainder)
        *remainder = r;
    return {qHigh, qLow};
}
