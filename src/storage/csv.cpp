#include "storage/csv.h"

#include "storage/gbk.h"
#include "storage/numbers.h"

namespace pumpsel::csv {
namespace {

constexpr char kNeutraliser = '\'';

bool isNumber(std::string_view cell) {
    if (cell.ends_with('%')) cell.remove_suffix(1);  // "+6.0%": a percentage is a number too
    return numbers::isNumeric(cell);
}

// True for a cell that neutralised() marks: one a spreadsheet would run, or
// one whose own leading "'" would otherwise be taken for the mark.
bool needsNeutraliser(std::string_view cell) {
    if (cell.empty()) return false;
    if (cell.front() == kNeutraliser) return true;
    return std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos && !isNumber(cell);
}

}  // namespace

std::string neutralised(std::string_view cell) {
    return needsNeutraliser(cell) ? kNeutraliser + std::string(cell) : std::string(cell);
}

std::string_view withoutNeutraliser(std::string_view cell) {
    if (cell.starts_with(kNeutraliser) && needsNeutraliser(cell.substr(1))) cell.remove_prefix(1);
    return cell;
}

std::string field(std::string_view text) {
    const std::string cell = neutralised(text);
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string row(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += field(fields[i]);
    }
    return line + "\r\n";
}

std::string textOf(std::string_view fileBytes) {
    if (fileBytes.starts_with(kUtf8Bom)) return gbk::sanitizedUtf8(fileBytes.substr(kUtf8Bom.size()));
    if (gbk::isValidUtf8(fileBytes)) return std::string(fileBytes);
    return gbk::toUtf8(fileBytes);
}

namespace {

bool endsField(char c) { return c == ',' || c == '\r' || c == '\n'; }

// The quoted field that starts at text[at], its quotes doubled; `at` moves past it.
bool readQuoted(std::string_view text, std::size_t& at, std::string& out) {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] != '"') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            at = i + 1;
            return true;
        }
    }
    return false;
}

}  // namespace

Parsed parse(std::string_view text, Limits limits) {
    Parsed parsed;
    const auto fail = [&](std::string reason) {
        parsed.ok = false;
        parsed.reason = std::move(reason);
        parsed.badRow = parsed.rows.size() + 1;
        return parsed;
    };
    Row current;
    for (std::size_t at = 0; at < text.size();) {
        if (current.size() == limits.fields)
            return fail("more than " + std::to_string(limits.fields) + " fields in a row");
        if (parsed.rows.size() == limits.rows) return fail("more than " + std::to_string(limits.rows) + " rows");
        std::string& value = current.emplace_back();
        if (text[at] == '"') {
            if (!readQuoted(text, at, value)) return fail("a quoted field is not closed");
            if (at < text.size() && !endsField(text[at])) return fail("text follows a closing quote");
        } else {
            std::size_t end = at;
            while (end < text.size() && !endsField(text[end])) ++end;
            value.assign(text.substr(at, end - at));
            at = end;
        }
        if (at < text.size() && text[at] == ',') {
            if (++at == text.size()) current.emplace_back();  // a last field left empty
            continue;
        }
        parsed.rows.push_back(std::move(current));
        current.clear();
        if (at < text.size()) at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
    }
    if (!current.empty()) parsed.rows.push_back(std::move(current));
    return parsed;
}

}  // namespace pumpsel::csv
