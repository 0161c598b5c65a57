#pragma once
// Comma-separated values as spreadsheets exchange them (RFC 4180): fields
// with a comma, a double quote or a line break in double quotes, quotes
// doubled, CR LF after each row. Files begin with the UTF-8 byte-order mark,
// by which a spreadsheet on a Chinese Windows tells UTF-8 from GBK.
#include "storage/outcome.h"

#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::csv {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One field as it is written.
std::string field(std::string_view text);

// One row: its fields, commas between them, CR LF after it.
std::string row(const std::vector<std::string>& fields);

// The text of a CSV file as UTF-8: what follows a UTF-8 byte-order mark, the
// bytes themselves when they are UTF-8, else the bytes read as GBK (a
// spreadsheet on a Chinese Windows saves CSV so). Malformed bytes become U+FFFD.
std::string textOf(std::string_view fileBytes);

using Row = std::vector<std::string>;

// The rows of a CSV text, or the number (from 1) of the first row that is
// not well-formed and why: a quoted field that is never closed, or text
// between a closing quote and the next comma or line break. Rows end at
// CR LF, LF or CR; a double quote inside an unquoted field is taken as it is.
struct Parsed : Outcome {
    std::vector<Row> rows;
    std::size_t badRow = 0;
};
Parsed parse(std::string_view text);

}  // namespace pumpsel::csv
