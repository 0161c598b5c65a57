#pragma once
// The options that choose pumps beyond the duty point, shared by the
// commands duty and search: --static-head HS, --pumps N, --series, --speed
// and --units.
#include "catalogue/duty_point.h"
#include "tools/command_line.h"

#include <optional>
#include <string>
#include <string_view>

namespace pumpsel::tool {

// A whole number from `lowest` to `highest`, or unknown.
std::optional<int> wholeNumber(std::string_view text, int lowest, int highest);

// A number that single precision holds, by the program's number rule, or unknown.
std::optional<double> finiteNumber(std::string_view text);

// The selection the options give for a duty head, or why they give none
// (error not empty): HS a number from 0 to below H, N from 1 to
// hydraulics::kMaxPumps, the unit "m3/h" (also "m³/h") or "L/s".
struct SelectionRequest {
    duty::Selection selection;
    std::string error;
};
SelectionRequest selectionOf(const Arguments& args, double dutyHead);

}  // namespace pumpsel::tool
