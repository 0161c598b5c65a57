// The number rules shared by the search, the record editor and the entry boxes.
#include "storage/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

using namespace pumpsel::numbers;

TEST(LeadingNumber, TakesTheLongestLeadingDecimalNumber) {
    EXPECT_DOUBLE_EQ(leadingNumber("12.5m3/h"), 12.5);
    EXPECT_DOUBLE_EQ(leadingNumber("40abc"), 40);
    EXPECT_DOUBLE_EQ(leadingNumber("unknown"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber(""), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-3"), -3);
    EXPECT_DOUBLE_EQ(leadingNumber("+7"), 7);
    EXPECT_DOUBLE_EQ(leadingNumber("1e2"), 100);
    EXPECT_DOUBLE_EQ(leadingNumber("1E-1x"), 0.1);
    EXPECT_DOUBLE_EQ(leadingNumber("1e"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("1e+"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("5."), 5);
    EXPECT_DOUBLE_EQ(leadingNumber("."), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("--5"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("０5"), 0);  // a full-width digit is no digit
}

TEST(LeadingNumber, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_DOUBLE_EQ(leadingNumber(" 40 "), 40);
    EXPECT_DOUBLE_EQ(leadingNumber("1 2\t3\n.5"), 123.5);
    EXPECT_DOUBLE_EQ(leadingNumber("- 4"), -4);
    EXPECT_DOUBLE_EQ(leadingNumber("1\r2"), 1);  // a carriage return is not skipped
}

TEST(LeadingNumber, OutOfRangeValuesSaturate) {
    EXPECT_TRUE(std::isinf(leadingNumber("1e400")));
    EXPECT_LT(leadingNumber("-1e400"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e-400"), 0);
    EXPECT_TRUE(std::isinf(leadingNumber(std::string(400, '9'))));
}

// Out of a double's range, the place of the first significant digit decides,
// wherever the zeros and the exponent put it.
TEST(LeadingNumber, EdgesOfTheRangeFollowTheFirstSignificantDigit) {
    const std::string zeros(400, '0');
    EXPECT_EQ(leadingNumber("0." + zeros + "1"), 0.0);
    EXPECT_EQ(leadingNumber("-0." + zeros + "1"), 0.0);
    EXPECT_EQ(leadingNumber("0." + zeros + "1e400"), 0.1);
    EXPECT_EQ(leadingNumber(zeros + "12.5"), 12.5);
    EXPECT_EQ(leadingNumber("1" + zeros + "e-400"), 1.0);
    EXPECT_EQ(leadingNumber("1" + zeros), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber("0." + zeros + "1e+500"), 1e99);
    EXPECT_EQ(leadingNumber("0." + zeros + "1e+800"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber("1e" + std::string(30, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(leadingNumber("1e-" + std::string(30, '9')), 0.0);
    EXPECT_EQ(leadingNumber("1e" + zeros + "2"), 100.0);
    EXPECT_EQ(leadingNumber("0e" + std::string(30, '9')), 0.0);
    EXPECT_EQ(leadingNumber("1." + std::string(500, '3')),
              std::strtod(("1." + std::string(500, '3')).c_str(), nullptr));
}

// Short decimals take a quicker road than long ones and exponents; both must
// give the correctly rounded double that strtod gives.
TEST(LeadingNumber, EveryDecimalReadsAsStrtodReadsIt) {
    std::mt19937 rng(11);
    for (int round = 0; round < 20000; ++round) {
        std::string text = rng() % 4 == 0 ? "-" : "";
        const int whole = static_cast<int>(rng() % 18), fraction = static_cast<int>(rng() % 18);
        for (int i = 0; i < whole; ++i) text.push_back(static_cast<char>('0' + rng() % 10));
        if (fraction > 0 || whole == 0) text.push_back('.');
        for (int i = 0; i < std::max(fraction, whole == 0 ? 1 : 0); ++i)
            text.push_back(static_cast<char>('0' + rng() % 10));
        if (rng() % 5 == 0) text += "e" + std::to_string(static_cast<int>(rng() % 41) - 20);
        const double expected = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(leadingNumber(text), expected) << text;
    }
}

TEST(IsNumeric, AcceptsOneDecimalNumberBetweenBlanks) {
    for (const char* ok : {"12.5", " 12.5 ", "-3", "0", "1e3", "+7", "1E+3", ".5", "5.", "\t8\t", "1e-2"})
        EXPECT_TRUE(isNumeric(ok)) << ok;
    for (const char* bad :
         {"abc", "12a", "1.2.3", "1e", "", "  ", ".", "+", "1 2", "1,000", "&H10", "(5)", "5-", "1d2", "0x10", "１２"})
        EXPECT_FALSE(isNumeric(bad)) << bad;
}

TEST(FormatOneDecimal, HalvesGoAwayFromZeroOnTheSevenDigitForm) {
    EXPECT_EQ(formatOneDecimal(0.25f), "0.3");
    EXPECT_EQ(formatOneDecimal(12.25f), "12.3");
    EXPECT_EQ(formatOneDecimal(0.35f), "0.4");  // 0.3499999940... as a single
    EXPECT_EQ(formatOneDecimal(-0.25f), "-0.3");
    EXPECT_EQ(formatOneDecimal(15.0f), "15.0");
    EXPECT_EQ(formatOneDecimal(0.0f), "0.0");
    EXPECT_EQ(formatOneDecimal(0.04f), "0.0");
    EXPECT_EQ(formatOneDecimal(9.96f), "10.0");
    EXPECT_EQ(formatOneDecimal(99.95f), "100.0");
    EXPECT_EQ(formatOneDecimal(1234567.0f), "1234567.0");
    EXPECT_EQ(formatOneDecimal(1e20f), "100000000000000000000.0");
    EXPECT_EQ(formatOneDecimal(6.3f), "6.3");
    EXPECT_EQ(formatOneDecimal(1e-10f), "0.0");
}

TEST(FormatWhole, HalvesGoAwayFromZero) {
    EXPECT_EQ(formatWhole(2.5), "3");
    EXPECT_EQ(formatWhole(2.4), "2");
    EXPECT_EQ(formatWhole(-2.5), "-3");
    EXPECT_EQ(formatWhole(-1), "-1");
    EXPECT_EQ(formatWhole(0), "0");
    EXPECT_EQ(formatWhole(-0.4), "0");
    EXPECT_EQ(formatWhole(32767), "32767");
    EXPECT_EQ(formatWhole(1e20), "100000000000000000000");
}

TEST(NumberToText, BlankBeforeNonNegativeNumbers) {
    EXPECT_EQ(numberToText(8), " 8");
    EXPECT_EQ(numberToText(3.5), " 3.5");
    EXPECT_EQ(numberToText(-2), "-2");
    EXPECT_EQ(numberToText(0), " 0");
    EXPECT_EQ(numberToText(32768), " 32768");
    EXPECT_EQ(numberToText(0.1 + 0.2), " 0.3");  // at most 15 significant digits
    EXPECT_EQ(numberToText(1e20), " 1E+20");
}

namespace {
// The rule written plainly: the 7-significant-digit decimal form, rounded to
// tenths with halves away from zero, by decimal digits.
std::string oneDecimalByDigits(float value) {
    char buf[64];
    auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 6).ptr;
    std::string sci(buf, end);
    std::string digits = sci.substr(0, 1) + sci.substr(2, 6);
    int exponent = std::stoi(sci.substr(sci.find('e') + 1));
    // digits holds d.dddddd times 10^exponent; place the point and round at tenths.
    int point = exponent + 1;  // digits before the point
    while (point <= 0) digits.insert(0, 1, '0'), ++point;
    while (static_cast<int>(digits.size()) < point + 2) digits.push_back('0');
    std::string kept = digits.substr(0, point + 1);
    if (digits[point + 1] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[i] == '9') kept[i--] = '0';
        if (i < 0)
            kept.insert(0, 1, '1'), ++point;
        else
            ++kept[i];
    }
    std::string whole = kept.substr(0, kept.size() - 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    if (whole.empty()) whole = "0";
    return (value < 0 ? "-" : "") + whole + "." + kept.back();
}
}  // namespace

TEST(FormatOneDecimal, AgreesWithTheRuleWrittenPlainly) {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> exponent(-4, 9);
    for (int i = 0; i < 200000; ++i) {
        const float value = static_cast<float>(std::pow(10.0, exponent(rng)) * (rng() % 2 ? 1 : -1));
        ASSERT_EQ(formatOneDecimal(value), oneDecimalByDigits(value)) << value;
    }
    for (float tricky : {0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 9.95f, 99.95f, 999.95f, 9999999.5f, 1e-3f, 9.9999995e6f})
        EXPECT_EQ(formatOneDecimal(tricky), oneDecimalByDigits(tricky)) << tricky;
}
