#pragma once
// Comma-separated values as spreadsheets exchange them (RFC 4180): fields
// with a comma, a double quote or a line break in double quotes, quotes
// doubled, CR LF after each row. Files begin with the UTF-8 byte-order mark,
// by which a spreadsheet on a Chinese Windows tells UTF-8 from GBK.
//
// Catalogue text comes from makers and publishers, and a spreadsheet runs a
// cell that begins with "=", "+", "-" or "@" as a formula (a tab or carriage
// return before one works too). Such a text cell is written with a leading
// "'", the common mark that a spreadsheet shows as text and does not run; a
// number such as "-2" or "+6.0%" stays a number. A text that begins with "'"
// gets the mark as well, so that reading back can always tell the mark from
// the text: export and import give every value back exactly.
#include "storage/outcome.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::csv {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One field as it is written: neutralised, then quoted where it must be.
std::string field(std::string_view text);

// The cell with the leading "'" that keeps a spreadsheet from running it,
// where it needs one (see above).
std::string neutralised(std::string_view cell);

// A cell as it was before neutralised(): the leading "'" taken away where
// neutralised() puts one. Other cells are returned as they are.
std::string_view withoutNeutraliser(std::string_view cell);

// One row: its fields, commas between them, CR LF after it.
std::string row(const std::vector<std::string>& fields);

// The text of a CSV file as UTF-8: what follows a UTF-8 byte-order mark, the
// bytes themselves when they are UTF-8, else the bytes read as GBK (a
// spreadsheet on a Chinese Windows saves CSV so). Malformed bytes become U+FFFD.
std::string textOf(std::string_view fileBytes);

using Row = std::vector<std::string>;

// How much a parse takes before it refuses the text: a file that is not
// what the reader expects is refused at once rather than read whole.
struct Limits {
    std::size_t rows = SIZE_MAX;
    std::size_t fields = SIZE_MAX;  // in one row
};

// The rows of a CSV text, or the number (from 1) of the first row that is
// not well-formed or passes the limits, and why: a quoted field that is
// never closed, text between a closing quote and the next comma or line
// break, more fields in a row or more rows than the limits allow. Rows end
// at CR LF, LF or CR; a double quote inside an unquoted field is taken as
// it is.
struct Parsed : Outcome {
    std::vector<Row> rows;
    std::size_t badRow = 0;
};
Parsed parse(std::string_view text, Limits limits = {});

}  // namespace pumpsel::csv
