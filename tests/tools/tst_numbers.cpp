// Number reading and writing of program words: the exact text of every value,
// and the software extended arithmetic checked against the processor's own
// 80-bit format where the compiler has it.
#include "tools/BigUInt.h"
#include "tools/Extended.h"
#include "tools/NumberText.h"
#include "tools/UInt128.h"

#include "TestSupport.h"

#include <QtTest>
#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <random>

#if LDBL_MANT_DIG == 64
#define ZAVRIN_NATIVE_EXTENDED 1
#include <cmath>
#include <cstring>
#endif

namespace {

NumberSyntax pointSystem()
{
    NumberSyntax s;
    s.systemSeparator = QLatin1Char('.');
    return s;
}

NumberSyntax commaSystem()
{
    NumberSyntax s;
    s.systemSeparator = QLatin1Char(',');
    return s;
}

Extended read(const char *text, const NumberSyntax &syntax = pointSystem())
{
    return FUNC_Ler_Numero(QString::fromLatin1(text), syntax);
}

QString format(const Extended &v) { return FUNC_Formatar_Numero(v); }

#ifdef ZAVRIN_NATIVE_EXTENDED
long double toNative(const Extended &v)
{
    long double r = std::ldexp(static_cast<long double>(v.significand()), v.exponent());
    return v.isNegative() ? -r : r;
}

Extended fromNative(long double v)
{
    if (v == 0)
        return std::signbit(v) ? -Extended() : Extended();
    int e = 0;
    const long double m = std::frexp(std::fabs(v), &e); // [0.5, 1)
    const uint64_t bits = static_cast<uint64_t>(std::ldexp(m, 64));
    return Extended::round(std::signbit(v), UInt128::from64(bits), e - 64, false);
}

bool sameValue(const Extended &a, long double b)
{
    const long double na = toNative(a);
    return std::memcmp(&na, &b, 10) == 0 || (na == 0 && b == 0 && std::signbit(na) == std::signbit(b));
}
#endif

} // namespace

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }

    void formatsValues_data();
    void formatsValues();
    void formatsSums_data();
    void formatsSums();
    void readsNumberTexts_data();
    void readsNumberTexts();
    void rejectsInvalidTexts_data();
    void rejectsInvalidTexts();
    void readsTypedNumbers_data();
    void readsTypedNumbers();
    void roundsTiesAwayFromZero();
    void handlesRangeLimits();
    void divides128By64();
    void fastAndExactFormattingAgree();
    void decimalSumsMatchExtendedSums_data();
    void decimalSumsMatchExtendedSums();
    void readingMatchesNativeExtended();
    void arithmeticMatchesNativeExtended();
};

void TestNumbers::formatsValues_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("12.5") << "12.5" << "12.5";
    QTest::newRow("100") << "100" << "100";
    QTest::newRow("0.0001 fixed") << "0.0001" << "0.0001";
    QTest::newRow("0.00005 scientific") << "0.00005" << "5E-5";
    QTest::newRow("1E15") << "1000000000000000" << "1E15";
    QTest::newRow("largest fixed") << "999999999999999" << "999999999999999";
    QTest::newRow("negative") << "-2.25" << "-2.25";
    QTest::newRow("trailing zeros") << "10.000" << "10";
    QTest::newRow("zero") << "0" << "0";
    QTest::newRow("negative zero") << "-0.000" << "0";
    QTest::newRow("16 digits rounded") << "1234567890123456" << "1.23456789012346E15";
    QTest::newRow("carry to next power") << "9.9999999999999999" << "10";
    QTest::newRow("small scientific with digits") << "0.0000123" << "1.23E-5";
    QTest::newRow("leading plus") << "+7" << "7";
    QTest::newRow("point first") << ".5" << "0.5";
    QTest::newRow("point last") << "5." << "5";
    QTest::newRow("long digit string") << "3.14159265358979323846264338327950288419716939937510" << "3.14159265358979";
}

void TestNumbers::formatsValues()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(format(FUNC_Ler_Numero(input, pointSystem())), expected);
}

void TestNumbers::formatsSums_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("subtract");
    QTest::addColumn<QString>("expected");
    QTest::newRow("10.3 - 10.2") << "10.3" << "10.2" << true << "0.1";
    QTest::newRow("10.25 - 5.5") << "10.25" << "5.5" << true << "4.75";
    QTest::newRow("-1 + 1") << "-1" << "1" << false << "0";
    QTest::newRow("0.1 + 0.2") << "0.1" << "0.2" << false << "0.3";
    QTest::newRow("10.2 - 10.3") << "10.2" << "10.3" << true << "-0.1";
    QTest::newRow("big plus small") << "1000000" << "0.00000001" << false << "1000000.00000001";
    QTest::newRow("beyond 15 digits") << "1000000" << "0.000000001" << false << "1000000";
}

void TestNumbers::formatsSums()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, subtract);
    QFETCH(QString, expected);
    const Extended x = FUNC_Ler_Numero(a, pointSystem());
    const Extended y = FUNC_Ler_Numero(b, pointSystem());
    QCOMPARE(format(subtract ? x - y : x + y), expected);
}

void TestNumbers::readsNumberTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("commaSystem");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comma on comma system") << "1,5" << true << "1.5";
    QTest::newRow("point on comma system") << "1.5" << true << "1.5";
    QTest::newRow("1/3") << "0.333333333333333333333" << false << "0.333333333333333";
    QTest::newRow("leading zeros") << "0007.50" << false << "7.5";
}

void TestNumbers::readsNumberTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, commaSystem);
    QFETCH(QString, expected);
    QCOMPARE(format(FUNC_Ler_Numero(text, commaSystem ? ::commaSystem() : pointSystem())), expected);
}

void TestNumbers::rejectsInvalidTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("commaSystem");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("sign only") << "-" << false;
    QTest::newRow("point only") << "." << false;
    QTest::newRow("two points") << "1.2.3" << false;
    QTest::newRow("sign after digit") << "1-2" << false;
    QTest::newRow("two signs") << "+-1" << false;
    QTest::newRow("comma on point system") << "1,5" << false;
    QTest::newRow("comma and point") << "1,5.2" << true;
    QTest::newRow("exponent") << "1E5" << false;
    QTest::newRow("blank") << " 1" << false;
    QTest::newRow("beyond the range") << ("1" + QString(5000, QLatin1Char('0'))) << false;
}

void TestNumbers::rejectsInvalidTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, commaSystem);
    try {
        FUNC_Ler_Numero(text, commaSystem ? ::commaSystem() : pointSystem());
        QFAIL("no conversion error");
    } catch (const ConversionError &error) {
        QCOMPARE(error.numberText(), text);
        QVERIFY(error.message().contains(text.left(40))); // a long text is shortened
    }
}

void TestNumbers::readsTypedNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("commaSystem");
    QTest::addColumn<QString>("expected"); // empty: conversion error
    QTest::newRow("blanks trimmed") << "  -5.5 " << false << "-5.5";
    QTest::newRow("comma system") << "2,25" << true << "2.25";
    QTest::newRow("point on comma system") << "2.25" << true << "";
    QTest::newRow("comma on point system") << "2,25" << false << "";
    QTest::newRow("empty field") << "" << false << "";
    QTest::newRow("plus") << "+3" << false << "3";
}

void TestNumbers::readsTypedNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, commaSystem);
    QFETCH(QString, expected);
    const NumberSyntax syntax = commaSystem ? ::commaSystem() : pointSystem();
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(ConversionError, readTypedNumber(text, syntax));
        return;
    }
    QCOMPARE(format(readTypedNumber(text, syntax)), expected);
}

void TestNumbers::decimalSumsMatchExtendedSums_data()
{
    // Word, increment: the sums a translation computes as decimals must be the
    // text of the extended-precision sum, or be left to it.
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("increment");
    QTest::newRow("typical") << "-462.5043" << "10";
    QTest::newRow("to zero") << "-10" << "10";
    QTest::newRow("near zero") << "-10.0001" << "10";
    QTest::newRow("deep cancellation") << "123456789.123456" << "-123456789.123455";
    QTest::newRow("sixteen digits") << "1234567890.123456" << "0.1";
    QTest::newRow("scientific small") << "0.00001" << "0.00002";
    QTest::newRow("scientific large") << "999999999999999" << "1";
    QTest::newRow("plus sign") << "+5" << "-2.5";
    QTest::newRow("leading zeros") << "000.000500" << "0.0005";
    QTest::newRow("eighteen digits") << "123456789012345678" << "1";
    QTest::newRow("many decimals") << "0.000000000000000001" << "0.000000000000000001";
    QTest::newRow("comma point") << "1,5" << "2";
}

void TestNumbers::decimalSumsMatchExtendedSums()
{
    QFETCH(QString, word);
    QFETCH(QString, increment);
    const auto check = [&](const QString &a, const QString &b, const NumberSyntax &syntax = pointSystem()) {
        const Extended exact = FUNC_Ler_Numero(a, syntax) + readTypedNumber(b, syntax);
        for (const bool plus : {false, true}) {
            QString expected;
            if (plus && exact.isAtLeastZero())
                expected += QLatin1Char('+');
            appendFormattedNumber(expected, exact);
            PlainDecimal x, y;
            QVERIFY(readPlainDecimal(a, syntax, x) && readPlainTypedDecimal(b, syntax, y));
            QString fast;
            if (appendPlainSum(fast, x, y, plus))
                QCOMPARE(fast, expected);
            else
                QVERIFY(fast.isEmpty());
        }
    };
    QString commaIncrement = increment;
    commaIncrement.replace(QLatin1Char('.'), QLatin1Char(','));
    check(word, commaIncrement, commaSystem());
    if (!word.contains(QLatin1Char(',')))
        check(word, increment);
    // And seeded random pairs of the same lengths around the row's values.
    std::mt19937_64 random(qHash(word) ^ qHash(increment));
    for (int i = 0; i < 2000; ++i) {
        const auto randomText = [&](int digits, int decimals) {
            QString t = random() % 2 ? QStringLiteral("-") : QString();
            for (int d = 0; d < digits; ++d)
                t += QLatin1Char(char('0' + random() % 10));
            if (decimals > 0) {
                t += QLatin1Char('.');
                for (int d = 0; d < decimals; ++d)
                    t += QLatin1Char(char('0' + random() % 10));
            }
            return t;
        };
        const int da = 1 + int(random() % 10), fa = int(random() % 9);
        const QString a = randomText(da, fa);
        // Often the negated word nearly: cancellation.
        QString b = random() % 3 ? randomText(1 + int(random() % 10), int(random() % 9)) : a;
        if (b == a && b.size() > 1) {
            b = b.startsWith(QLatin1Char('-')) ? b.mid(1) : QLatin1Char('-') + b;
            b[b.size() - 1] = QLatin1Char(char('0' + random() % 10));
        }
        check(a, b);
    }
}

void TestNumbers::roundsTiesAwayFromZero()
{
    // Binary values that lie exactly halfway at the 15th digit.
    QCOMPARE(format(read("123456789012344.5")), QStringLiteral("123456789012345"));
    QCOMPARE(format(read("-123456789012344.5")), QStringLiteral("-123456789012345"));
    QCOMPARE(format(read("12345678901234.25")), QStringLiteral("12345678901234.3"));
    QCOMPARE(format(read("1234567890123445")), QStringLiteral("1.23456789012345E15"));
}

void TestNumbers::handlesRangeLimits()
{
    // Tiny values: subnormal, then nothing.
    const QString tiny = QStringLiteral("0.") + QString(4950, QLatin1Char('0')) + QStringLiteral("5");
    const Extended subnormal = FUNC_Ler_Numero(tiny, pointSystem());
    QVERIFY(!subnormal.isZero());
    QCOMPARE(subnormal.exponent(), Extended::MinExponent);
    QCOMPARE(format(subnormal), QStringLiteral("3.64519953188247E-4951"));
    const QString tinier = QStringLiteral("0.") + QString(6000, QLatin1Char('0')) + QStringLiteral("1");
    QVERIFY(FUNC_Ler_Numero(tinier, pointSystem()).isZero());
    // The largest values and the step beyond.
    const Extended large = FUNC_Ler_Numero(QStringLiteral("1") + QString(4931, QLatin1Char('0')), pointSystem());
    QCOMPARE(format(large), QStringLiteral("1E4931"));
    QVERIFY_THROWS_EXCEPTION(Error, large * Extended::fromInteger(1000));
    // A 20,000-digit text (more digits than are ever needed for rounding).
    const QString longText = QStringLiteral("1.") + QString(20000, QLatin1Char('0')) + QStringLiteral("1");
    QCOMPARE(format(FUNC_Ler_Numero(longText, pointSystem())), QStringLiteral("1"));
}

void TestNumbers::divides128By64()
{
#ifdef __SIZEOF_INT128__
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const UInt128 n(random() >> (random() % 64), random());
        uint64_t d = random() >> (random() % 64);
        if (d == 0)
            d = 3;
        uint64_t remainder = 0;
        const UInt128 q = n.dividedBy(d, &remainder);
        const unsigned __int128 native = (static_cast<unsigned __int128>(n.hi) << 64) | n.lo;
        QCOMPARE(q.hi, static_cast<uint64_t>((native / d) >> 64));
        QCOMPARE(q.lo, static_cast<uint64_t>(native / d));
        QCOMPARE(remainder, static_cast<uint64_t>(native % d));
        const UInt128 p = UInt128::multiply(n.lo, d);
        const unsigned __int128 nativeProduct = static_cast<unsigned __int128>(n.lo) * d;
        QCOMPARE(p.hi, static_cast<uint64_t>(nativeProduct >> 64));
        QCOMPARE(p.lo, static_cast<uint64_t>(nativeProduct));
    }
#else
    QSKIP("no native 128-bit integer to compare with");
#endif
}

void TestNumbers::fastAndExactFormattingAgree()
{
    // 15 digits go the 128-bit way; 20 digits always take the exact expansion,
    // whose first 15 digits must round the same way.
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const int exponent = int(random() % 160) - 110;
        const Extended v = Extended::round(false, UInt128::from64(random() | (1ull << 63)), exponent, false);
        std::string fast, exact;
        int fastE = 0, exactE = 0;
        v.toDecimal(15, &fast, &fastE);
        v.toDecimal(40, &exact, &exactE);
        // Round the long expansion to 15 digits by hand.
        exact.resize(std::max<size_t>(exact.size(), 40), '0');
        std::string rounded = exact.substr(0, 15);
        int roundedE = exactE;
        if (exact[15] >= '5') {
            int j = 14;
            while (j >= 0 && rounded[size_t(j)] == '9')
                rounded[size_t(j--)] = '0';
            if (j < 0) {
                rounded.insert(rounded.begin(), '1');
                rounded.pop_back();
                ++roundedE;
            } else {
                ++rounded[size_t(j)];
            }
        }
        while (!rounded.empty() && rounded.back() == '0')
            rounded.pop_back();
        if (fast != rounded || fastE != roundedE)
            QFAIL(qPrintable(QStringLiteral("%1 x 2^%2: %3e%4 against %5e%6")
                                 .arg(v.significand()).arg(v.exponent())
                                 .arg(QString::fromStdString(fast)).arg(fastE)
                                 .arg(QString::fromStdString(rounded)).arg(roundedE)));
    }
}

void TestNumbers::readingMatchesNativeExtended()
{
#ifdef ZAVRIN_NATIVE_EXTENDED
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937_64 random(3);
    const auto digitString = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s.push_back(char('0' + random() % 10));
        return s;
    };
    for (int i = 0; i < 20000; ++i) {
        // Short program-like numbers, long ones and extreme exponents.
        const int kind = int(random() % 4);
        std::string text;
        if (kind == 0)
            text = digitString(1 + int(random() % 6)) + "." + digitString(int(random() % 6));
        else if (kind == 1)
            text = digitString(1 + int(random() % 30)) + "." + digitString(int(random() % 40));
        else if (kind == 2)
            text = "0." + std::string(size_t(random() % 4000), '0') + digitString(1 + int(random() % 25));
        else
            text = digitString(1 + int(random() % 25)) + std::string(size_t(random() % 4000), '0');
        if (random() % 2)
            text.insert(text.begin(), '-');
        const Extended ours = read(text.c_str());
        const long double native = std::strtold(text.c_str(), nullptr);
        if (!sameValue(ours, native))
            QFAIL(text.c_str());
    }
#else
    QSKIP("long double is not the 80-bit format here");
#endif
}

void TestNumbers::arithmeticMatchesNativeExtended()
{
#ifdef ZAVRIN_NATIVE_EXTENDED
    std::mt19937_64 random(5);
    const auto randomValue = [&]() {
        const int exponent = int(random() % 200) - 130;
        uint64_t bits = random() | (1ull << 63);
        if (random() % 4 == 0)
            bits &= ~((1ull << (random() % 60)) - 1); // short significands, exact sums
        return Extended::round(random() % 2, UInt128::from64(bits), exponent, false);
    };
    for (int i = 0; i < 50000; ++i) {
        const Extended a = randomValue();
        Extended b = randomValue();
        if (i % 5 == 0)
            b = -a + Extended::round(false, UInt128::from64(random() % 1000), a.exponent(), false);
        const long double na = toNative(a), nb = toNative(b);
        QVERIFY(sameValue(a, na));
        if (!sameValue(a + b, na + nb) || !sameValue(a - b, na - nb) || !sameValue(a * b, na * nb))
            QFAIL(qPrintable(QStringLiteral("%1 x 2^%2 and %3 x 2^%4")
                                 .arg(a.significand()).arg(a.exponent()).arg(b.significand()).arg(b.exponent())));
        QVERIFY(fromNative(na) == a);
    }
#else
    QSKIP("long double is not the 80-bit format here");
#endif
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
