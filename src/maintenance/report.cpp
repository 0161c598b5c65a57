// The check's report as text for people and as JSON for scripts.
#include "maintenance/check.h"
#include "storage/terminal_text.h"

#include <cstdio>
#include <set>

namespace pumpsel::maintenance {
namespace {

// The problem's file and line, as a terminal may show them.
std::string place(const Problem& problem) {
    const std::string file = terminal::escapedControls(problem.file);
    return problem.line == 0 ? file : file + ":" + std::to_string(problem.line);
}

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// A JSON string: quotes, backslashes and control characters escaped, DEL
// and the C1 controls too, so that the JSON is as safe on a terminal as the
// text report; the text is UTF-8 already.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        char escaped[8];
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c < 0x20 || c == 0x7F || c1) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c1 ? static_cast<unsigned char>(text[++i]) : c);
            out += escaped;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

}  // namespace

std::string reportText(const CheckReport& report) {
    std::string text;
    std::set<std::string> files;
    for (const Problem& problem : report.problems) {
        text += place(problem) + ": " + terminal::escapedControls(problem.message) + "\n";
        files.insert(problem.file);
    }
    text += plural(static_cast<std::size_t>(report.filesChecked), "file", "files") + " checked, " +
            plural(static_cast<std::size_t>(report.recordsListed), "record", "records") + " listed: ";
    if (report.problems.empty()) return text + "no problems\n";
    return text + plural(report.problems.size(), "problem", "problems") + " in " +
           plural(files.size(), "file", "files") + "\n";
}

std::string reportJson(const CheckReport& report) {
    std::string json = "[";
    for (const Problem& problem : report.problems) {
        json += json.size() == 1 ? "\n  " : ",\n  ";
        json += "{\"file\": " + jsonString(problem.file) +
                ", \"line\": " + (problem.line == 0 ? std::string("null") : std::to_string(problem.line)) +
                ", \"kind\": " + jsonString(problem.kind) + ", \"message\": " + jsonString(problem.message) + "}";
    }
    return json + (report.problems.empty() ? "]\n" : "\n]\n");
}

}  // namespace pumpsel::maintenance
