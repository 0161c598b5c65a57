#include "catalogue/duty_point.h"

#include "storage/numbers.h"

#include <array>
#include <charconv>
#include <cmath>

namespace pumpsel::duty {

namespace {

// The length of the white space character that the UTF-8 text begins (or,
// atEnd, ends) with, or 0.
std::size_t whiteSpaceAt(std::string_view text, bool atEnd) {
    static constexpr std::string_view kSpaces[] = {" ",      "\t",     "\n",     "\v",     "\f",     "\r",     "\u0085",
                                                   "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004",
                                                   "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u2028",
                                                   "\u2029", "\u202F", "\u205F", "\u3000"};
    for (std::string_view space : kSpaces)
        if (atEnd ? text.ends_with(space) : text.starts_with(space)) return space.size();
    return 0;
}

bool isNumber(std::string_view typed) { return numbers::isNumeric(trimmedEntry(typed)); }

}  // namespace

std::string_view trimmedEntry(std::string_view typed) {
    while (const std::size_t n = whiteSpaceAt(typed, false)) typed.remove_prefix(n);
    while (const std::size_t n = whiteSpaceAt(typed, true)) typed.remove_suffix(n);
    return typed;
}

bool mayLeaveBox(std::string_view typed) { return trimmedEntry(typed).empty() || isNumber(typed); }

bool isHoldable(std::string_view typed) { return isNumber(typed) && std::isfinite(records::singleValue(typed)); }

DutyPoint::DutyPoint(std::string flowText, std::string headText)
    : flowText_(std::move(flowText)),
      headText_(std::move(headText)),
      values_{records::singleValue(flowText_), records::singleValue(headText_)} {}

std::optional<DutyPoint> DutyPoint::typed(std::string flowText, std::string headText) {
    if (!isNumber(flowText) || !isNumber(headText)) return std::nullopt;
    return DutyPoint(std::move(flowText), std::move(headText));
}

std::optional<DutyPoint> DutyPoint::holdable(std::string flowText, std::string headText) {
    if (!isHoldable(flowText) || !isHoldable(headText)) return std::nullopt;
    return DutyPoint(std::move(flowText), std::move(headText));
}

double DutyPoint::flow() const { return numbers::leadingNumber(flowText_); }

double DutyPoint::head() const { return numbers::leadingNumber(headText_); }

std::string DutyPoint::text() const { return "Q= " + flowText_ + " 立方米/时，扬程H= " + headText_ + " 米"; }

std::string DutyPoint::searchHeaderLine(std::string_view maker) const {
    return std::string(maker) + "，搜索: " + text();
}

// A flow in L/s is most often one in m³/h divided by 3.6 and written to 16
// digits, and the product carries the division's last-digit error:
// 8.333333333333334 × 3.6 = 30.000000000000004, past a range that ends at
// 30. Twelve significant digits drop that error and keep every digit a
// person types.
double toCubicMetresPerHour(double flow, FlowUnit unit) {
    if (unit != FlowUnit::LitresPerSecond) return flow;
    const double product = flow * kCubicMetresPerHourInLitrePerSecond;
    std::array<char, 32> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), product, std::chars_format::general, 12);
    double rounded = product;
    std::from_chars(text.data(), written.ptr, rounded);
    return rounded;
}

double inUnit(double cubicMetresPerHour, FlowUnit unit) {
    return unit == FlowUnit::LitresPerSecond ? cubicMetresPerHour / kCubicMetresPerHourInLitrePerSecond
                                             : cubicMetresPerHour;
}

std::string_view unitText(FlowUnit unit) { return unit == FlowUnit::LitresPerSecond ? "L/s" : "m³/h"; }

SelectionProblem problemOf(const Selection& selection, double dutyHead) {
    if (selection.staticHead && !(*selection.staticHead >= 0 && *selection.staticHead < dutyHead))
        return SelectionProblem::StaticHead;
    if (selection.group.pumps < 1 || selection.group.pumps > hydraulics::kMaxPumps) return SelectionProblem::Pumps;
    return SelectionProblem::None;
}

hydraulics::Duty hydraulicDuty(double flow, double head, const Selection& selection) {
    return {toCubicMetresPerHour(flow, selection.unit), head, selection.staticHead, selection.group};
}

}  // namespace pumpsel::duty
