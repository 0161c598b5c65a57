#include "storage/numbers.h"

#include <charconv>
#include <cmath>
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

// Digits of the decimal integer held in a digit string, divided by 10^k with
// halves going up: the magnitude part of a half-away-from-zero rounding.
std::string roundedQuotient(const std::string& digits, std::size_t k) {
    if (k == 0) return digits;
    if (k > digits.size()) return "0";
    std::string q = digits.substr(0, digits.size() - k);
    if (q.empty()) q = "0";
    if (digits[digits.size() - k] >= '5') {
        int i = static_cast<int>(q.size()) - 1;
        while (i >= 0 && q[i] == '9') q[i--] = '0';
        if (i < 0) q.insert(q.begin(), '1');
        else ++q[i];
    }
    return q;
}

}  // namespace

double leadingNumber(std::string_view text) {
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
    // The 7-significant-digit form d.dddddde±x, read as the integer
    // ddddddd times 10^(x-6).
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 6);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    std::string mantissa;
    for (char c : sci.substr(0, sci.find('e')))
        if (isDigit(c)) mantissa.push_back(c);
    int exponent = 0;
    std::string_view expText = sci.substr(sci.find('e') + 1);
    if (expText.front() == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), exponent);

    // Tenths = mantissa * 10^(exponent - 5), rounded half up in magnitude.
    int shift = exponent - 5;
    std::string tenths = shift >= 0 ? mantissa + std::string(static_cast<std::size_t>(shift), '0')
                                    : roundedQuotient(mantissa, static_cast<std::size_t>(-shift));
    tenths.erase(0, std::min(tenths.find_first_not_of('0'), tenths.size() - 1));
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

std::string decimal(long long value) { return std::to_string(value); }

}  // namespace pumpsel::numbers
