#include "tools/selection_options.h"

#include "catalogue/hydraulics.h"
#include "storage/numbers.h"

#include <charconv>

namespace pumpsel::tool {

std::optional<int> wholeNumber(std::string_view text, int lowest, int highest) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lowest || value > highest) return std::nullopt;
    return value;
}

std::optional<double> finiteNumber(std::string_view text) {
    if (!duty::isHoldable(text)) return std::nullopt;
    return numbers::leadingNumber(text);
}

namespace {
std::optional<duty::FlowUnit> unitOf(const std::string* text) {
    if (!text || *text == "m3/h" || *text == "m³/h") return duty::FlowUnit::CubicMetresPerHour;
    if (*text == "L/s") return duty::FlowUnit::LitresPerSecond;
    return std::nullopt;
}
}  // namespace

SelectionRequest selectionOf(const Arguments& args, double dutyHead) {
    const std::string* staticHead = args.option("--static-head");
    const std::string* pumps = args.option("--pumps");
    const std::string* unitText = args.option("--units");
    const std::optional<double> hs = staticHead ? finiteNumber(*staticHead) : std::nullopt;
    const std::optional<int> n = pumps ? wholeNumber(*pumps, 1, hydraulics::kMaxPumps) : std::optional<int>(1);
    const std::optional<duty::FlowUnit> unit = unitOf(unitText);
    SelectionRequest r{{hs,
                        {n.value_or(0), args.has("--series")},
                        args.has("--speed"),
                        unit.value_or(duty::FlowUnit::CubicMetresPerHour)},
                       {}};
    const duty::SelectionProblem problem = duty::problemOf(r.selection, dutyHead);
    if ((staticHead && !hs) || problem == duty::SelectionProblem::StaticHead)
        r.error = "the static head \"" + *staticHead + "\" is not a number from 0 to below H";
    else if (problem == duty::SelectionProblem::Pumps)
        r.error = "the number of pumps \"" + *pumps + "\" is not a whole number from 1 to " +
                  std::to_string(hydraulics::kMaxPumps);
    else if (!unit)
        r.error = "the unit \"" + *unitText + "\" is neither m3/h nor L/s";
    return r;
}

}  // namespace pumpsel::tool
