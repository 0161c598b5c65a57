#pragma once
// The number rules of the catalogue: how stored and typed texts become
// numbers, and how numbers are shown and turned back into texts.
#include <string>
#include <string_view>

namespace pumpsel::numbers {

// The value of the longest leading decimal number (optional sign, digits with
// at most one point, optional exponent); blanks, tabs and line feeds are
// skipped wherever they stand; 0 when the text does not begin with a number.
// "12.5m3/h" gives 12.5, "40abc" 40, "unknown" 0.
double leadingNumber(std::string_view text);

// True when the text, apart from blanks at either end, is one decimal number:
// "12.5", " 12.5 ", "-3", "1e3", "+7" are; "abc", "12a", "1.2.3", "1e" and the
// empty text are not.
bool isNumeric(std::string_view text);

// A single-precision value with one decimal ("0.0"), judged by its
// 7-significant-digit decimal form, halves away from zero: 12.25 gives 12.3,
// 0.35 gives 0.4.
std::string formatOneDecimal(float value);

// A value as a whole number ("0"), halves away from zero: 2.5 gives 3.
std::string formatWhole(double value);

// The number-to-text form: a blank before a number that is not negative, a
// minus sign before a negative one, no fixed decimals (" 8", " 3.5", "-2").
std::string numberToText(double value);

// The shortest text that reads back as the same double: "12.5", "0.1",
// "1e+20"; "nan", "inf" or "-inf" for what is no finite number.
std::string roundTripText(double value);

}  // namespace pumpsel::numbers
