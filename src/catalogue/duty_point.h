#pragma once
// The duty point: the flow Q (m³/h) and head H (m) a user types, with its
// checks, its reading by the number rules and its texts, in one place for
// every window and command that takes one.
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

}  // namespace pumpsel::duty
