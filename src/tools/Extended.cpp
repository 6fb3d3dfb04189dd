#include "Extended.h"

#include "BigUInt.h"
#include "ToolTexts.h"
#include "platform/Error.h"

#include <algorithm>

namespace {

// Beyond this many significant digits a decimal text is cut, keeping one
// non-zero digit for what was cut: no halfway point between two values of the
// format needs more than about 11,520 digits, so the rounding cannot change.
constexpr size_t MaxDigits = 12000;

// Powers that fit in 64 bits, looked up rather than computed in the loops.
struct PowerTables
{
    uint64_t ten[20];
    uint64_t five[28];
    constexpr PowerTables() : ten(), five()
    {
        ten[0] = five[0] = 1;
        for (int i = 1; i < 20; ++i)
            ten[i] = ten[i - 1] * 10;
        for (int i = 1; i < 28; ++i)
            five[i] = five[i - 1] * 5;
    }
};
constexpr PowerTables Powers;

constexpr uint64_t powerOfTen(int n) { return Powers.ten[n]; }   // n <= 19
constexpr uint64_t powerOfFive(int n) { return Powers.five[n]; } // n <= 27

[[noreturn]] void throwOverflow()
{
    throw Error(ToolTexts::overflow());
}

struct Normalised
{
    uint64_t significand; // top bit set
    int64_t exponent;
};

Normalised normalise(const Extended &x)
{
    const int shift = 64 - UInt128::from64(x.significand()).bitLength();
    return {x.significand() << shift, int64_t(x.exponent()) - shift};
}

// Increments a string of decimal digits; returns false when it overflowed
// ("999" becomes "000").
bool incrementDigits(std::string *digits)
{
    for (size_t i = digits->size(); i-- > 0;) {
        if ((*digits)[i] != '9') {
            ++(*digits)[i];
            return true;
        }
        (*digits)[i] = '0';
    }
    return false;
}

void stripTrailingZeros(std::string *digits)
{
    while (!digits->empty() && digits->back() == '0')
        digits->pop_back();
}

} // namespace

Extended Extended::fromInteger(int64_t value)
{
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    return round(negative, UInt128::from64(magnitude), 0, false);
}

Extended Extended::round(bool negative, UInt128 bits, int64_t exponent, bool sticky)
{
    Extended result;
    result.m_negative = negative;
    const int length = bits.bitLength();
    if (length == 0)
        return result;

    const int64_t top = exponent + length - 1;
    int64_t lowest = std::max<int64_t>(top - 63, MinExponent);
    const int64_t drop = lowest - exponent;
    uint64_t significand = 0;
    if (drop <= 0) {
        // Fits as it is (then nothing can be below it).
        significand = bits.shiftedLeft(int(-drop)).lo;
    } else {
        if (drop < 128)
            significand = bits.shiftedRight(int(drop)).lo;
        const bool roundBit = drop <= 128 && bits.bit(int(drop - 1));
        const bool below = sticky || (drop <= 128 ? !bits.lowBits(int(drop - 1)).isZero() : !bits.isZero());
        if (roundBit && (below || (significand & 1u))) {
            ++significand;
            if (significand == 0) { // carried out of 64 bits
                significand = 1ull << 63;
                ++lowest;
            }
        }
    }
    if (significand == 0)
        return result;
    if (lowest > MaxExponent)
        throwOverflow();
    result.m_significand = significand;
    result.m_exponent = int(lowest);
    return result;
}

Extended Extended::operator-() const
{
    Extended r = *this;
    r.m_negative = !r.m_negative;
    return r;
}

Extended operator+(const Extended &a, const Extended &b)
{
    if (a.isZero() && b.isZero()) {
        Extended zero;
        zero.m_negative = a.m_negative && b.m_negative;
        return zero;
    }
    if (a.isZero())
        return b;
    if (b.isZero())
        return a;

    Normalised x = normalise(a);
    Normalised y = normalise(b);
    bool xNegative = a.m_negative, yNegative = b.m_negative;
    if (x.exponent < y.exponent || (x.exponent == y.exponent && x.significand < y.significand)) {
        std::swap(x, y);
        std::swap(xNegative, yNegative);
    }
    // x is the larger magnitude; work in a frame whose lowest bit is 2^(x.exponent - 64).
    const UInt128 big(x.significand, 0);
    const int64_t distance = x.exponent - y.exponent;
    UInt128 small;
    bool sticky = false;
    if (distance <= 64) {
        small = UInt128::from64(y.significand).shiftedLeft(int(64 - distance));
    } else if (distance < 128) {
        const int shift = int(distance - 64);
        small = UInt128::from64(y.significand >> shift);
        sticky = (y.significand & ((1ull << shift) - 1)) != 0;
    } else {
        sticky = true;
    }

    int64_t exponent = x.exponent - 64;
    UInt128 result;
    if (xNegative == yNegative) {
        result = big + small;
        if (result < big) { // carried into bit 128
            sticky = sticky || result.bit(0);
            result = result.shiftedRight(1) + UInt128(1ull << 63, 0);
            ++exponent;
        }
    } else {
        // With bits lost below `small`, the true difference is just under
        // big - small: take one less and keep the sticky bit.
        result = big - small - UInt128::from64(sticky ? 1 : 0);
        if (result.isZero() && !sticky)
            return Extended();
    }
    return Extended::round(xNegative, result, exponent, sticky);
}

Extended operator-(const Extended &a, const Extended &b)
{
    return a + (-b);
}

Extended operator*(const Extended &a, const Extended &b)
{
    const bool negative = a.m_negative != b.m_negative;
    if (a.isZero() || b.isZero()) {
        Extended zero;
        zero.m_negative = negative;
        return zero;
    }
    return Extended::round(negative, UInt128::multiply(a.m_significand, b.m_significand),
                           int64_t(a.m_exponent) + b.m_exponent, false);
}

Extended Extended::fromDecimal(bool negative, const std::string &text, int64_t decimalExponent)
{
    size_t first = 0;
    while (first < text.size() && text[first] == '0')
        ++first;
    size_t end = text.size();
    while (end > first && text[end - 1] == '0') {
        --end;
        ++decimalExponent;
    }
    Extended zero;
    zero.m_negative = negative;
    if (first == end)
        return zero;

    std::string digits = text.substr(first, end - first);
    if (digits.size() > MaxDigits) {
        decimalExponent += int64_t(digits.size() - MaxDigits) - 1;
        digits.resize(MaxDigits);
        digits.push_back('1');
    }

    // The value lies in [10^(magnitude-1), 10^magnitude). The largest value is
    // about 1.19E4932 and half the smallest about 1.82E-4951.
    const int64_t magnitude = int64_t(digits.size()) + decimalExponent;
    if (magnitude > 4933)
        throwOverflow();
    if (magnitude < -4950)
        return zero;

    if (digits.size() <= 19 && decimalExponent >= -26 && decimalExponent <= 19) {
        uint64_t n = 0;
        for (char c : digits)
            n = n * 10 + uint64_t(c - '0');
        return fromDecimal(negative, n, int(decimalExponent));
    }

    BigUInt n;
    for (size_t i = 0; i < digits.size();) {
        const size_t chunk = std::min<size_t>(9, digits.size() - i);
        uint32_t group = 0;
        for (size_t j = 0; j < chunk; ++j)
            group = group * 10 + uint32_t(digits[i + j] - '0');
        n.multiplySmall(uint32_t(powerOfTen(int(chunk))));
        n.addSmall(group);
        i += chunk;
    }
    int shift = 0;
    bool sticky = false;
    if (decimalExponent >= 0) {
        n.multiplyPowerOfTen(int(decimalExponent));
        const UInt128 top = n.topBits(&shift, &sticky);
        return round(negative, top, shift, sticky);
    }
    const int k = int(-decimalExponent);
    // An upper bound of the bit length of 5^k (2378 / 1024 is just above
    // log2(5)), so that the quotient keeps at least 65 bits.
    const int fiveBits = int((int64_t(k) * 2378) >> 10) + 2;
    const int scale = std::max(0, 66 + fiveBits - n.bitLength());
    n.shiftLeft(scale);
    const bool dropped = n.dividePowerOfFive(k);
    const UInt128 top = n.topBits(&shift, &sticky);
    return round(negative, top, int64_t(shift) - scale - k, sticky || dropped);
}

Extended Extended::fromDecimal(bool negative, uint64_t n, int decimalExponent)
{
    if (n == 0) {
        Extended zero;
        zero.m_negative = negative;
        return zero;
    }
    if (decimalExponent >= 0 && decimalExponent <= 19)
        return round(negative, UInt128::multiply(n, powerOfTen(decimalExponent)), 0, false);
    if (decimalExponent < 0 && decimalExponent >= -26) {
        // n / 10^k = (n << s) / 5^k * 2^(-s-k), with a quotient of at least 65 bits.
        const int k = -decimalExponent;
        const uint64_t five = powerOfFive(k);
        const int shift = 65 + UInt128::from64(five).bitLength() - UInt128::from64(n).bitLength();
        uint64_t remainder = 0;
        const UInt128 quotient = UInt128::from64(n).shiftedLeft(shift).dividedBy(five, &remainder);
        return round(negative, quotient, -int64_t(shift) - k, remainder != 0);
    }
    return fromDecimal(negative, std::to_string(n), decimalExponent);
}

void Extended::toDecimal(int significantDigits, std::string *digits, int *decimalExponent) const
{
    digits->assign(size_t(std::max(significantDigits, 1)), '0');
    const int n = toDecimal(significantDigits, &(*digits)[0], decimalExponent);
    digits->resize(size_t(n));
}

int Extended::toDecimal(int significantDigits, char *digits, int *decimalExponent) const
{
    *decimalExponent = 0;
    if (isZero())
        return 0;

    // Usual case: value * 10^p fits in 128 bits for the p that leaves the
    // wanted number of digits in front of the point.
    if (significantDigits <= 19) {
        // floor(log10(value)), or one less: the value lies in
        // [2^(b-1), 2^b) with b = bit length + exponent; 78913 / 2^18 is just
        // below log10(2).
        const int64_t bits = int64_t(UInt128::from64(m_significand).bitLength()) + m_exponent - 1;
        const int64_t scaled = bits * 78913;
        int k = int(scaled >= 0 ? scaled >> 18 : -((-scaled + (1 << 18) - 1) >> 18));
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int p = significantDigits - 1 - k;
            UInt128 scaledValue;
            bool roundUp = false;
            bool done = false;
            if (p >= 0 && p <= 27) {
                const UInt128 product = UInt128::multiply(m_significand, powerOfFive(p));
                const int64_t t = int64_t(m_exponent) + p;
                if (t >= 0) {
                    if (product.bitLength() + t <= 127) {
                        scaledValue = product.shiftedLeft(int(t));
                        done = true;
                    }
                } else if (t > -128) {
                    const int u = int(-t);
                    scaledValue = product.shiftedRight(u);
                    roundUp = product.bit(u - 1);
                    done = true;
                }
            } else if (p < 0 && p >= -19 && m_exponent >= 0
                       && UInt128::from64(m_significand).bitLength() + m_exponent <= 127) {
                const uint64_t divisor = powerOfTen(-p);
                uint64_t remainder = 0;
                scaledValue = UInt128::from64(m_significand).shiftedLeft(m_exponent).dividedBy(divisor, &remainder);
                roundUp = remainder >= divisor - remainder;
                done = true;
            }
            if (!done)
                break;
            const uint64_t lowLimit = powerOfTen(significantDigits - 1);
            const uint64_t highLimit = powerOfTen(significantDigits);
            if (scaledValue >= UInt128::from64(highLimit)) {
                ++k;
                continue;
            }
            if (scaledValue < UInt128::from64(lowLimit)) {
                --k;
                continue;
            }
            uint64_t n = scaledValue.lo + (roundUp ? 1 : 0);
            if (n == highLimit) {
                n = lowLimit;
                ++k;
            }
            // Trailing zeros off, in big steps first.
            while (n % 100000000 == 0)
                n /= 100000000;
            while (n % 10000 == 0)
                n /= 10000;
            while (n % 100 == 0)
                n /= 100;
            if (n % 10 == 0)
                n /= 10;
            char reversed[20];
            int count = 0;
            for (; n; n /= 10)
                reversed[count++] = char('0' + n % 10);
            for (int i = 0; i < count; ++i)
                digits[i] = reversed[count - 1 - i];
            *decimalExponent = k + 1;
            return count;
        }
    }

    // Exact decimal expansion: significand * 2^e, or significand * 5^-e / 10^-e.
    BigUInt exact(m_significand);
    int pointFromRight = 0;
    if (m_exponent >= 0) {
        exact.shiftLeft(m_exponent);
    } else {
        exact.multiplyPowerOfFive(-m_exponent);
        pointFromRight = -m_exponent;
    }
    std::string all = exact.toDecimal();
    int exponent = int(all.size()) - pointFromRight;
    if (int(all.size()) > significantDigits) {
        const bool up = all[size_t(significantDigits)] >= '5';
        all.resize(size_t(significantDigits));
        if (up && !incrementDigits(&all)) {
            all.insert(all.begin(), '1');
            all.pop_back();
            ++exponent;
        }
    }
    stripTrailingZeros(&all);
    std::copy(all.begin(), all.end(), digits);
    *decimalExponent = exponent;
    return int(all.size());
}
