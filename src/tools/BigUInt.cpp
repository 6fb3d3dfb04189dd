#include "BigUInt.h"

#include <algorithm>

namespace {
constexpr uint32_t TenToThe9 = 1000000000u;
constexpr uint32_t FiveToThe13 = 1220703125u;
} // namespace

BigUInt::BigUInt(uint64_t value)
{
    if (value != 0) {
        m_limbs.push_back(static_cast<uint32_t>(value));
        if (value >> 32)
            m_limbs.push_back(static_cast<uint32_t>(value >> 32));
    }
}

void BigUInt::trim()
{
    while (!m_limbs.empty() && m_limbs.back() == 0)
        m_limbs.pop_back();
}

int BigUInt::bitLength() const
{
    if (m_limbs.empty())
        return 0;
    uint32_t top = m_limbs.back();
    int bits = 0;
    while (top) {
        ++bits;
        top >>= 1;
    }
    return static_cast<int>(m_limbs.size() - 1) * 32 + bits;
}

void BigUInt::multiplySmall(uint32_t factor)
{
    uint64_t carry = 0;
    for (uint32_t &limb : m_limbs) {
        const uint64_t product = uint64_t(limb) * factor + carry;
        limb = static_cast<uint32_t>(product);
        carry = product >> 32;
    }
    if (carry)
        m_limbs.push_back(static_cast<uint32_t>(carry));
    trim();
}

void BigUInt::addSmall(uint32_t addend)
{
    uint64_t carry = addend;
    for (size_t i = 0; carry && i < m_limbs.size(); ++i) {
        const uint64_t sum = uint64_t(m_limbs[i]) + carry;
        m_limbs[i] = static_cast<uint32_t>(sum);
        carry = sum >> 32;
    }
    if (carry)
        m_limbs.push_back(static_cast<uint32_t>(carry));
}

void BigUInt::shiftLeft(int bits)
{
    if (m_limbs.empty() || bits <= 0)
        return;
    const int limbShift = bits / 32;
    const int bitShift = bits % 32;
    if (bitShift) {
        uint32_t carry = 0;
        for (uint32_t &limb : m_limbs) {
            const uint32_t next = limb >> (32 - bitShift);
            limb = (limb << bitShift) | carry;
            carry = next;
        }
        if (carry)
            m_limbs.push_back(carry);
    }
    m_limbs.insert(m_limbs.begin(), size_t(limbShift), 0u);
}

uint32_t BigUInt::divideSmall(uint32_t divisor)
{
    uint64_t remainder = 0;
    for (size_t i = m_limbs.size(); i-- > 0;) {
        const uint64_t current = (remainder << 32) | m_limbs[i];
        m_limbs[i] = static_cast<uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    trim();
    return static_cast<uint32_t>(remainder);
}

void BigUInt::multiplyPowerOfTen(int n)
{
    for (; n >= 9; n -= 9)
        multiplySmall(TenToThe9);
    uint32_t rest = 1;
    for (; n > 0; --n)
        rest *= 10;
    if (rest != 1)
        multiplySmall(rest);
}

void BigUInt::multiplyPowerOfFive(int n)
{
    for (; n >= 13; n -= 13)
        multiplySmall(FiveToThe13);
    uint32_t rest = 1;
    for (; n > 0; --n)
        rest *= 5;
    if (rest != 1)
        multiplySmall(rest);
}

bool BigUInt::dividePowerOfFive(int n)
{
    // floor(floor(a / b) / c) == floor(a / (b c)), and the division is exact
    // exactly when every step is.
    bool dropped = false;
    for (; n >= 13; n -= 13)
        dropped |= divideSmall(FiveToThe13) != 0;
    uint32_t rest = 1;
    for (; n > 0; --n)
        rest *= 5;
    if (rest != 1)
        dropped |= divideSmall(rest) != 0;
    return dropped;
}

UInt128 BigUInt::topBits(int *shift, bool *sticky) const
{
    const int drop = std::max(0, bitLength() - 128);
    const int dropLimbs = drop / 32;
    const int dropBits = drop % 32;
    *shift = drop;
    *sticky = false;
    for (int i = 0; i < dropLimbs && !*sticky; ++i)
        *sticky = m_limbs[size_t(i)] != 0;
    if (dropBits && (m_limbs[size_t(dropLimbs)] & ((1u << dropBits) - 1u)))
        *sticky = true;

    // Limb i contributes its bits from dropBits up, landing at bit
    // (i - dropLimbs) * 32 - dropBits of the result.
    UInt128 result;
    for (size_t i = size_t(dropLimbs); i < m_limbs.size(); ++i) {
        const int position = int(i - size_t(dropLimbs)) * 32 - dropBits;
        const uint64_t limb = m_limbs[i];
        if (position < 0)
            result = result + UInt128::from64(limb >> dropBits);
        else if (position < 128)
            result = result + UInt128::from64(limb).shiftedLeft(position);
    }
    return result;
}

std::string BigUInt::toDecimal() const
{
    if (m_limbs.empty())
        return "0";
    BigUInt rest = *this;
    std::vector<uint32_t> groups; // base 10^9, least significant first
    while (!rest.isZero())
        groups.push_back(rest.divideSmall(TenToThe9));
    std::string text = std::to_string(groups.back());
    for (size_t i = groups.size() - 1; i-- > 0;) {
        std::string group = std::to_string(groups[i]);
        text.append(9 - group.size(), '0');
        text += group;
    }
    return text;
}
