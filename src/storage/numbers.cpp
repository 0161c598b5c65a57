#include "storage/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace pumpsel::numbers {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at the start of s (0 when there is none).
std::size_t numberLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && isDigit(s[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

// Digits and a point only, at most 15 digits: the digits as an integer and
// the power of ten are then exact doubles, and their quotient is the
// correctly rounded value that from_chars would give, sooner.
std::optional<double> shortDecimal(std::string_view number) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false;
    for (char c : number) {
        if (c == '.') {
            point = true;
        } else if (isDigit(c) && ++count <= 15) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point ? 1 : 0;
        } else {
            return std::nullopt;  // an exponent, or too many digits
        }
    }
    return static_cast<double>(digits) / kPowers[decimals];
}

// The power of ten of the first non-zero digit of an unsigned decimal
// number, exponent included: a number out of a double's range is too large
// when it is positive, too small when not. Exponents saturate, so that
// thousands of exponent digits cannot overflow.
long long firstDigitPower(std::string_view number) {
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    long long power =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    long long exponent = 0;
    std::string_view digits = e < number.size() ? number.substr(e + 1) : std::string_view();
    const bool negativeExponent = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
    for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000'000LL);
    return power + (negativeExponent ? -exponent : exponent);
}

double parseDecimal(std::string_view number) {
    if (number.empty()) return 0.0;
    bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
    if (auto value = shortDecimal(number)) return negative ? -*value : *value;
    double value = 0.0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range)
        value = firstDigitPower(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double leadingNumber(std::string_view text) {
    // Stored numbers seldom hold blanks: read them where they stand.
    const auto dropped = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    if (std::none_of(text.begin(), text.end(), dropped)) return parseDecimal(text.substr(0, numberLength(text)));
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!dropped(c)) compact.push_back(c);
    std::string_view s(compact);
    return parseDecimal(s.substr(0, numberLength(s)));
}

bool isNumeric(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return !text.empty() && numberLength(text) == text.size();
}

namespace {

// The single's 7-significant-digit form as mantissa (1000000..9999999) and
// decimal exponent of its first digit. Between 1e-3 and 1e7 a single times
// the power of ten that scales it to 7 digits is exact in double precision,
// so rounding that product is rounding the decimal form; elsewhere the
// decimal form is written out and read back.
void sevenDigits(float magnitude, std::uint64_t& mantissa, int& exponent) {
    const double x = magnitude;
    if (x >= 1e-3 && x < 1e7) {
        static constexpr double kScale[] = {1e9, 1e8, 1e7, 1e6, 1e5, 1e4, 1e3, 1e2, 1e1, 1e0};  // 10^(6 - exponent)
        exponent = x >= 1 ? 0 : -3;                          // from 1 on, the first digit lies at 10^0 or higher
        while (x * kScale[exponent + 3] >= 1e7) ++exponent;  // the first digit lies higher; x < 1e7 stops it at 6
        // The product is exact and below 2^53: its whole part and fraction
        // are too, and rounding them by hand (half to even, as nearbyint in
        // the default mode) spares a library call.
        const double scaled = x * kScale[exponent + 3];
        mantissa = static_cast<std::uint64_t>(scaled);
        const double fraction = scaled - static_cast<double>(mantissa);
        if (fraction > 0.5 || (fraction == 0.5 && (mantissa & 1) != 0)) ++mantissa;
        if (mantissa == 10000000) {  // rounding carried into the next power of ten
            mantissa = 1000000;
            ++exponent;
        }
        return;
    }
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 6);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = sci.find('e');
    mantissa = 0;
    for (char c : sci.substr(0, e))
        if (isDigit(c)) mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    std::string_view expText = sci.substr(e + 1);
    if (expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);
}

}  // namespace

std::string formatOneDecimal(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-∞" : "∞";
    if (value == 0) return "0.0";
    // The 7-digit form is the integer mantissa times 10^(exponent-6); in
    // tenths that is mantissa times 10^(exponent-5), rounded half up in
    // magnitude, which is half away from zero.
    std::uint64_t mantissa = 0;
    int exponent = 0;
    sevenDigits(std::fabs(value), mantissa, exponent);
    const int shift = exponent - 5;
    std::uint64_t tenths = 0;
    int zeros = 0;  // tenths = the digits of `tenths` followed by this many zeros
    if (shift >= 0) {
        tenths = mantissa;
        zeros = shift;
    } else if (shift >= -7) {
        std::uint64_t divisor = 1;
        for (int i = 0; i < -shift; ++i) divisor *= 10;
        tenths = mantissa / divisor + (mantissa % divisor * 2 >= divisor ? 1 : 0);
    }
    // Sign, digits (at most 7 and 33 zeros), point, last digit.
    char text[48];
    char* at = text;
    if (value < 0) *at++ = '-';
    char* const digits = at;
    at = std::to_chars(at, at + 8, tenths).ptr;
    at = std::fill_n(at, zeros, '0');
    if (at - digits < 2) {  // below one: a leading zero
        at[0] = at[-1];
        at[-1] = '0';
        ++at;
    }
    at[0] = at[-1];
    at[-1] = '.';
    return std::string(text, at + 1);
}

std::string formatWhole(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : value < 0 ? "-∞" : "∞";
    double rounded = std::round(value);  // halves away from zero
    if (rounded == 0) return "0";
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, 0);
    return std::string(buf, res.ptr);
}

std::string numberToText(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : value < 0 ? "-∞" : " ∞";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::general, 15);
    std::string text(buf, res.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return (value < 0 ? "-" : " ") + text;
}

std::string roundTripText(double value) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
}

}  // namespace pumpsel::numbers
