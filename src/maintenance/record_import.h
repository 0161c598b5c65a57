#pragma once
// Pump records from a spreadsheet's CSV into a maker data file, every row
// checked by the program's own rules before anything is written, and the
// renumbering of a data file's records after gaps.
#include "storage/outcome.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pumpsel::maintenance {

enum class ImportMode {
    AddNew,   // rows add records; a row whose number exists is refused
    Append,   // rows add records after the last listed one, numbered in row order
    Replace,  // rows replace all the file's records
};

// Why a row, or the file as a whole (row 0), stops the import. Rows count
// as a spreadsheet shows them: the header is row 1.
struct RowProblem {
    std::size_t row = 0;
    std::string column;  // empty when the whole row is at fault
    std::string reason;
};

// What an import did, or would do. Fails without writing anything when it
// cannot run (the file cannot be locked, read or written), or, `refused`
// set, for the rows' or the file's problems.
struct ImportReport : Outcome {
    bool refused = false;
    std::vector<RowProblem> problems;
    std::vector<long long> added, changed, removed;  // record numbers, ascending
    int unchanged = 0;
    int repeatedDropped = 0;  // sections never read, under a number an earlier section has
};

// Whether a replacement by a CSV file without records, which removes every
// record of the file, is carried out or refused.
enum class EmptyReplacement { Refused, Allowed };

// Imports a CSV file's bytes (UTF-8 with or without byte-order mark, or GBK;
// columns in any order by their header) into the data file: checks column
// counts, values by the program's number rules and limits, text that GBK
// can hold, and record numbers (given ones unique and, with the file's
// records, without gaps; empty ones numbered on after the last), then writes
// the records in one atomic replacement of the file under the catalogue
// lock, or with dryRun only says what it would change. Append and AddNew
// refuse a file with records that are never listed (compact it first);
// Replace refuses a CSV file without records unless `empty` allows it.
ImportReport importCsv(const std::filesystem::path& dataFile, std::string_view csvBytes, ImportMode mode, bool dryRun,
                       EmptyReplacement empty = EmptyReplacement::Refused);

// What a compaction did, or would do: old and new numbers of the records
// renumbered. Fails without writing anything when it cannot run, or,
// `refused` set, for the lines of sections it would bring to light or leave
// in the way (repeated record sections, record sections without a model).
struct CompactReport : Outcome {
    bool refused = false;
    std::vector<std::pair<std::size_t, std::string>> refusals;  // line (0: the whole file), why
    std::vector<std::pair<long long, long long>> moves;
    std::size_t beyondLimit = 0;  // records left above 32,767
};

// Renumbers the records after gaps in the numbering 1, 2, ... in their
// order, so that the program lists them all, in one atomic replacement of
// the file under the catalogue lock; with dryRun only says what it would do.
CompactReport compactRecords(const std::filesystem::path& dataFile, bool dryRun);

}  // namespace pumpsel::maintenance
