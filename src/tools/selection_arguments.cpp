#include "tools/selection_arguments.h"

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

DutyRequest dutyRequestOf(const Arguments& args, std::size_t recordAt) {
    const std::string& recordText = args.positional[recordAt];
    const std::string& flowText = args.positional[recordAt + 1];
    const std::string& headText = args.positional[recordAt + 2];
    DutyRequest r;
    const std::optional<int> record = wholeNumber(recordText, 1, catalogue::kMaxCounter);
    const std::optional<double> flow = finiteNumber(flowText), head = finiteNumber(headText);
    if (!record)
        r.error = "the record number \"" + recordText + "\" is not a whole number from 1 to " +
                  std::to_string(catalogue::kMaxCounter);
    else if (!flow || !(*flow > 0))
        r.error = "Q \"" + flowText + "\" is not a positive number";
    else if (!head || !(*head > 0))
        r.error = "H \"" + headText + "\" is not a positive number";
    if (!r.error.empty()) return r;
    const SelectionRequest selection = selectionOf(args, *head);
    r.error = selection.error;
    r.record = *record;
    r.selection = selection.selection;
    r.duty = duty::hydraulicDuty(*flow, *head, selection.selection);
    return r;
}

bool kindExists(const catalogue::Catalogue& catalogue, std::string_view kind) {
    bool found = false;
    catalogue::enumerate([&](int k) { return catalogue.kindName(k); },
                         [&](int, const std::string& name) { found = found || name == kind; });
    return found;
}

std::optional<int> makerPlace(const catalogue::Catalogue& catalogue, std::string_view kind, std::string_view maker) {
    std::optional<int> named;
    const catalogue::Enumeration makers = catalogue::enumerate([&](int m) { return catalogue.makerValue(kind, m); },
                                                               [&](int m, const std::string& name) {
                                                                   if (!named && name == maker) named = m;
                                                               });
    if (named) return named;
    return makers.count > 0 ? wholeNumber(maker, 1, makers.count) : std::nullopt;
}

}  // namespace pumpsel::tool
