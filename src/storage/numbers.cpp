#include "storage/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

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

double parseDecimal(std::string_view number) {
    if (number.empty()) return 0.0;
    bool negative = number.front() == '-';
    if (number.front() == '+' || number.front() == '-') number.remove_prefix(1);
    double value = 0.0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // Too large gives infinity, too small gives zero.
        std::size_t mantissaEnd = number.find_first_of("eE");
        bool tiny = mantissaEnd != std::string_view::npos && number[mantissaEnd + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double leadingNumber(std::string_view text) {
    // Stored numbers seldom hold blanks: read them where they stand.
    if (text.find_first_of(" \t\n") == std::string_view::npos) return parseDecimal(text.substr(0, numberLength(text)));
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') compact.push_back(c);
    std::string_view s(compact);
    return parseDecimal(s.substr(0, numberLength(s)));
}

bool isNumeric(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return !text.empty() && numberLength(text) == text.size();
}

std::string formatOneDecimal(float value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-∞" : "∞";
    // The 7-significant-digit form d.dddddde±x is the integer ddddddd times
    // 10^(x-6); in tenths that is ddddddd times 10^(x-5), rounded half up in
    // magnitude, which is half away from zero.
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 6);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = sci.find('e');
    std::uint64_t mantissa = 0;
    for (char c : sci.substr(0, e))
        if (isDigit(c)) mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
    int exponent = 0;
    std::string_view expText = sci.substr(e + 1);
    if (expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    const int shift = exponent - 5;
    std::string tenths;
    if (shift >= 0) {
        tenths = std::to_string(mantissa) + std::string(static_cast<std::size_t>(shift), '0');
    } else if (shift >= -7) {
        std::uint64_t divisor = 1;
        for (int i = 0; i < -shift; ++i) divisor *= 10;
        tenths = std::to_string(mantissa / divisor + (mantissa % divisor * 2 >= divisor ? 1 : 0));
    } else {
        tenths = "0";
    }
    if (tenths.size() < 2) tenths.insert(tenths.begin(), 2 - tenths.size(), '0');
    tenths.insert(tenths.end() - 1, '.');
    return (value < 0 ? "-" : "") + tenths;
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

}  // namespace pumpsel::numbers
