#pragma once
// Comma-separated values as spreadsheets exchange them (RFC 4180): fields
// with a comma, a double quote or a line break in double quotes, quotes
// doubled, CR LF after each row. Files begin with the UTF-8 byte-order mark,
// by which a spreadsheet on a Chinese Windows tells UTF-8 from GBK.
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::csv {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One field as it is written.
std::string field(std::string_view text);

// One row: its fields, commas between them, CR LF after it.
std::string row(const std::vector<std::string>& fields);

}  // namespace pumpsel::csv
