#pragma once
// The arguments that name a selection, shared by the commands that take
// one: whole numbers and figures by the program's number rule, the duty
// point with its record, static head and pumps, and the kind and maker as
// the catalogue index lists them.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/hydraulics.h"
#include "tools/command_line.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pumpsel::tool {

// A whole number from `lowest` to `highest`, or unknown.
std::optional<int> wholeNumber(std::string_view text, int lowest, int highest);

// A number that single precision holds, by the program's number rule, or unknown.
std::optional<double> finiteNumber(std::string_view text);

// The selection the options --static-head HS, --pumps N, --series, --speed
// and --units give for a duty head, or why they give none (error not
// empty): HS a number from 0 to below H, N from 1 to hydraulics::kMaxPumps,
// the unit "m3/h" (also "m³/h") or "L/s".
struct SelectionRequest {
    duty::Selection selection;
    std::string error;
};
SelectionRequest selectionOf(const Arguments& args, double dutyHead);

// A record and the duty point at it, with the selection's options, or the
// reason the arguments give none.
struct DutyRequest {
    hydraulics::Duty duty;
    duty::Selection selection;
    int record = 0;
    std::string error;
};

// Reads RECORD Q H from the positional arguments from `recordAt` on.
DutyRequest dutyRequestOf(const Arguments& args, std::size_t recordAt);

// Whether the catalogue index lists the kind.
bool kindExists(const catalogue::Catalogue& catalogue, std::string_view kind);

// The place of a maker in the kind's list: the maker named so, else the
// place a whole number gives when a maker is listed there; unknown otherwise.
std::optional<int> makerPlace(const catalogue::Catalogue& catalogue, std::string_view kind, std::string_view maker);

}  // namespace pumpsel::tool
