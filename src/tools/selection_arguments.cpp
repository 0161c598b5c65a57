#include "tools/selection_arguments.h"

#include "catalogue/duty_point.h"
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

DutyRequest dutyRequestOf(const Arguments& args, std::size_t recordAt) {
    const std::string& recordText = args.positional[recordAt];
    const std::string& flowText = args.positional[recordAt + 1];
    const std::string& headText = args.positional[recordAt + 2];
    DutyRequest r;
    const std::optional<int> record = wholeNumber(recordText, 1, catalogue::kMaxCounter);
    const std::optional<double> flow = finiteNumber(flowText), head = finiteNumber(headText);
    const std::string* staticHead = args.option("--static-head");
    const std::string* pumps = args.option("--pumps");
    const std::optional<double> hs = staticHead ? finiteNumber(*staticHead) : std::nullopt;
    const std::optional<int> n = pumps ? wholeNumber(*pumps, 1, hydraulics::kMaxPumps) : std::optional<int>(1);
    const duty::Selection selection{hs, {n.value_or(0), args.has("--series")}};
    if (!record)
        r.error = "the record number \"" + recordText + "\" is not a whole number from 1 to " +
                  std::to_string(catalogue::kMaxCounter);
    else if (!flow || !(*flow > 0))
        r.error = "Q \"" + flowText + "\" is not a positive number";
    else if (!head || !(*head > 0))
        r.error = "H \"" + headText + "\" is not a positive number";
    else if ((staticHead && !hs) || duty::problemOf(selection, *head) == duty::SelectionProblem::StaticHead)
        r.error = "the static head \"" + *staticHead + "\" is not a number from 0 to below H";
    else if (duty::problemOf(selection, *head) == duty::SelectionProblem::Pumps)
        r.error = "the number of pumps \"" + *pumps + "\" is not a whole number from 1 to " +
                  std::to_string(hydraulics::kMaxPumps);
    if (!r.error.empty()) return r;
    r.record = *record;
    r.duty = duty::hydraulicDuty(*flow, *head, selection);
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
