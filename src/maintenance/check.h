#pragma once
// The check of a whole catalogue: every fault that the program's own rules
// hide or pass over silently, each with the line that causes it.
#include "storage/outcome.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::maintenance {

struct Problem {
    std::string file;      // relative to the catalogue folder, "/" between folders, UTF-8
    std::size_t line = 0;  // from 1; 0 when the problem is the whole file's
    std::string kind;      // a short, fixed name for scripts, such as "gap" or "duplicate-key"
    std::string message;   // what is wrong, and what the program does with it
};

// The problems in the order of the files checked, each file's by line.
// Fails, with the reason, only when there is no catalogue to check.
struct CheckReport : Outcome {
    std::vector<Problem> problems;
    int filesChecked = 0;
    int recordsListed = 0;
};

// Reads the catalogue index under the program folder and every maker data
// file, picture and thumbnail it names, through the program's own reads,
// and reports: kinds, makers and records after a gap in their numbering or
// above 32,767; duplicate sections and keys; records whose values the
// program cannot use (see valueProblems); data files, pictures and
// thumbnails that are missing, unreadable or named outside the catalogue;
// data files in txt/ that no maker names; lines the reader passes over,
// invalid GBK, values cut at the read limit, and UTF-8 text without a
// byte-order mark.
CheckReport checkCatalogue(const std::filesystem::path& programFolder);

// One "file:line: message" line per problem ("file: message" for a whole
// file), then a line with the counts.
std::string reportText(const CheckReport& report);

// The problems as a JSON array of objects {"file", "line", "kind",
// "message"}; "line" is null for a whole file.
std::string reportJson(const CheckReport& report);

}  // namespace pumpsel::maintenance
