#pragma once
// What makes a pump record's values unusable to the program, in one place
// for the check of a catalogue and the import of rows.
#include "catalogue/catalogue.h"
#include "catalogue/pump_curve.h"
#include "catalogue/record_scan.h"

#include <functional>
#include <string>
#include <vector>

namespace pumpsel::maintenance {

// catalogue::kMaxCounter as messages write it.
inline constexpr std::string_view kLimitText = "32,767";
static_assert(catalogue::kMaxCounter == 32767);

// One value at fault: its key, a short fixed name of the fault for scripts
// ("not-a-number", "no-model", "reversed-flow", "curve-order"), and what is
// wrong with it and what the program then does.
struct ValueProblem {
    std::string_view key;
    std::string kind;
    std::string message;
    // A curve the program uses as stored, only unusual (heads rising from
    // shut-off, a range beyond the curve, a motor that would be overloaded):
    // makers publish such curves, so the check reports them and an import
    // stores them.
    bool onlyUnusual = false;
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

// The record's curve keys judged as the program reads them
// (curves::readPump): lists of unequal length or of fewer than 3 points,
// flows that do not rise, entries missing or not numbers, an optional list
// of another length, a 转速 that is not a positive number; and, of a curve
// the program uses, what a maker would not mean: heads that rise with the
// flow, efficiencies outside 0 to 100 %, a range 流量1 to 流量2 beyond the
// curve's flows, and a 功率 below the largest shaft power in that range.
// Kinds: "curve-missing-list", "curve-too-few-points", "curve-length",
// "curve-missing-entry", "curve-order", "curve-not-a-number",
// "curve-list-ignored", "curve-speed", "curve-rising-head",
// "curve-efficiency", "curve-range", "motor-overload".
std::vector<ValueProblem> curveProblems(const curves::StoredPump& stored);

// A value as a message quotes it: in double quotes, cut after its first 40
// characters ("…" marks the cut), so that a field of megabytes is not
// echoed whole.
std::string quotedValue(std::string_view value);

// Ascending record numbers as runs, "5, 7-9, 12", at most ten runs and then
// the count of them all.
std::string numberRuns(const std::vector<long long>& ascending);

}  // namespace pumpsel::maintenance
