#pragma once
// The duty point: the flow Q (m³/h) and head H (m) a user types, with its
// checks, its reading by the number rules and its texts, in one place for
// every window and command that takes one.
#include "catalogue/hydraulics.h"
#include "catalogue/record_scan.h"

#include <optional>
#include <string>
#include <string_view>

namespace pumpsel::duty {

// A typed text without the white space around it (blanks, tabs, line
// breaks and the Unicode spaces such as the full-width U+3000), as the
// windows trim what is typed into a box.
std::string_view trimmedEntry(std::string_view typed);

// The selection window's test of a duty box as the box is left: nothing
// but white space, or a number (numbers::isNumeric).
bool mayLeaveBox(std::string_view typed);

// A duty point as typed: both texts, and their values in single precision
// as the searches hold them.
class DutyPoint {
public:
    // The texts are kept as typed (the header line shows them so) and
    // checked without the white space around them.
    // Both texts numbers: what the search of one maker takes. Nullopt otherwise.
    static std::optional<DutyPoint> typed(std::string flowText, std::string headText);
    // Both texts numbers that single precision holds (finite, about 3.4e38
    // at most in size): what the search across makers and the commands
    // take, since a value beyond it would rank as a false near miss.
    static std::optional<DutyPoint> holdable(std::string flowText, std::string headText);

    const std::string& flowText() const { return flowText_; }
    const std::string& headText() const { return headText_; }
    // Single precision, as the searches compare ranges with them.
    records::DutyPoint values() const { return values_; }
    // Double precision, by the same number rule, for the hydraulics.
    double flow() const;
    double head() const;

    // "Q= 25 立方米/时，扬程H= 20 米", with the texts as typed.
    std::string text() const;
    // The results window's header line for a search of a maker:
    // "<maker>，搜索: Q= 25 立方米/时，扬程H= 20 米".
    std::string searchHeaderLine(std::string_view maker) const;

private:
    DutyPoint(std::string flowText, std::string headText);
    std::string flowText_, headText_;
    records::DutyPoint values_;
};

// Whether one typed value is a number that single precision holds.
bool isHoldable(std::string_view typed);

// The unit flows are typed and shown in. The catalogue stores m³/h; the
// Chinese design codes (GB 50015) work in L/s.
enum class FlowUnit { CubicMetresPerHour, LitresPerSecond };
inline constexpr double kCubicMetresPerHourInLitrePerSecond = 3.6;

// A flow given in `unit`, in m³/h.
double toCubicMetresPerHour(double flow, FlowUnit unit);
// A flow of m³/h, in `unit`.
double inUnit(double cubicMetresPerHour, FlowUnit unit);
// "m³/h" or "L/s", as column headers and titles name the unit.
std::string_view unitText(FlowUnit unit);

// How the pumps are chosen beyond the duty point: over a system curve,
// several together, at the speed that meets the duty point, in a unit.
struct Selection {
    std::optional<double> staticHead;  // the system curve's Hs, m; none: no system curve
    hydraulics::Group group;
    bool speed = false;  // the speed for the duty point is wanted
    FlowUnit unit = FlowUnit::CubicMetresPerHour;
};

// What is wrong with a selection for a duty head: Hs outside 0 ≤ Hs < H,
// or N outside 1 to hydraulics::kMaxPumps.
enum class SelectionProblem { None, StaticHead, Pumps };
SelectionProblem problemOf(const Selection& selection, double dutyHead);

// The duty the hydraulics take: a flow given in the selection's unit and a
// head, in m³/h and m, with the selection's static head and group.
hydraulics::Duty hydraulicDuty(double flow, double head, const Selection& selection);

}  // namespace pumpsel::duty
