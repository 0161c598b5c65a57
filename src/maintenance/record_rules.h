#pragma once
// What makes a pump record's values unusable to the program, in one place
// for the check of a catalogue and the import of rows.
#include "catalogue/catalogue.h"
#include "catalogue/record_scan.h"

#include <functional>
#include <string>
#include <vector>

namespace pumpsel::maintenance {

// catalogue::kMaxCounter as messages write it.
inline constexpr std::string_view kLimitText = "32,767";
static_assert(catalogue::kMaxCounter == 32767);

// One value at fault: its key's place in catalogue::kRecordKeys, a short
// fixed name of the fault for scripts ("not-a-number", "no-model",
// "reversed-flow", "rising-head"), and what is wrong with it and what the
// program then does.
struct ValueProblem {
    std::size_t key = 0;
    std::string kind;
    std::string message;
};

// The record's model, flows, heads and power judged as the program uses
// them: a model that is empty or "unknown"; flows and heads that are empty,
// "unknown" or not a number (the program computes with their leading
// number); a power that is not a number (it is only shown); a flow range
// that runs backwards and heads that rise with the flow, which no duty point
// ever fits. `missing(key)` tells a value that is not in the file at all
// from one stored as "unknown".
std::vector<ValueProblem> valueProblems(const records::ScannedRecord& record,
                                        const std::function<bool(std::size_t key)>& missing = {});

// A value as a message quotes it: in double quotes, cut after its first 40
// characters ("…" marks the cut), so that a field of megabytes is not
// echoed whole.
std::string quotedValue(std::string_view value);

// Ascending record numbers as runs, "5, 7-9, 12", at most ten runs and then
// the count of them all.
std::string numberRuns(const std::vector<long long>& ascending);

}  // namespace pumpsel::maintenance
