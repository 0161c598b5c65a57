#include "maintenance/record_rules.h"

#include "catalogue/catalogue.h"
#include "catalogue/hydraulics.h"
#include "storage/numbers.h"

#include <array>

namespace pumpsel::maintenance {
namespace {

// Places in catalogue::kRecordKeys.
enum Key : std::size_t { kModel, kFlow1, kFlow2, kHead1, kHead2, kPower };

std::string_view keyOf(std::size_t key) { return catalogue::kRecordKeys[key]; }
std::string keyName(std::size_t key) { return std::string(keyOf(key)); }

// The value the search compares, as the search shows it.
std::string computedAs(std::string_view value) { return numbers::formatOneDecimal(records::singleValue(value)); }

// Why a value that should be a number is not one, or empty when it is.
std::string notANumber(std::string_view value, bool missing) {
    if (missing) return " is missing";
    if (value.empty()) return " is empty";
    if (catalogue::isUnknown(value)) return " is \"unknown\"";
    if (!numbers::isNumeric(value)) return " " + quotedValue(value) + " is not a number";
    return {};
}

// How the lists and the report show a power that is no number.
std::string shownAs(std::string_view power) {
    if (catalogue::isUnknown(power)) return "as \"unknown\"";
    return power.empty() ? "as nothing" : "as it stands";
}

// The check's name for a fault of the curve reader.
std::string kindOf(const curves::CurveProblem& problem) {
    using curves::CurveFault;
    if (problem.key == curves::kSpeedKey) return "curve-speed";
    switch (problem.fault) {
        case CurveFault::ListMissing:
            return "curve-missing-list";
        case CurveFault::TooFewPoints:
            return "curve-too-few-points";
        case CurveFault::LengthsDiffer:
            return problem.dropsCurve() ? "curve-length" : "curve-list-ignored";
        case CurveFault::EntryMissing:
            return "curve-missing-entry";
        case CurveFault::FlowsNotAscending:
            return "curve-order";
        case CurveFault::NotANumber:
        case CurveFault::TooLarge:
            return "curve-not-a-number";
        case CurveFault::SpeedNotPositive:
            return "curve-speed";
    }
    return "curve";
}

std::string text(double value) { return numbers::roundTripText(value); }

// The curve as the reader took it: as many flows as heads, each known, the
// flows rising.
struct UsedCurve {
    std::vector<curves::Entry> flows, heads;
};

// Each run of points over which the head rises with the flow. Where a system
// curve meets such a curve twice, the operating point is the larger flow.
void addRisingHeads(const UsedCurve& curve, std::vector<ValueProblem>& problems) {
    const auto& [flows, heads] = curve;
    for (std::size_t i = 1; i < heads.size(); ++i) {
        if (!(*heads[i] > *heads[i - 1])) continue;
        std::size_t last = i;
        while (last + 1 < heads.size() && *heads[last + 1] > *heads[last]) ++last;
        problems.push_back({curves::kHeadsKey, "curve-rising-head",
                            std::string(curves::kHeadsKey) + " rises with the flow from " + text(*flows[i - 1]) +
                                " to " + text(*flows[last]) + " m³/h (" + text(*heads[i - 1]) + " to " +
                                text(*heads[last]) +
                                " m): where a system curve meets it twice, the program takes the larger flow",
                            true});
        i = last;
    }
}

// Entries of a 曲线效率 in use that no pump reaches: they are computed with as they stand.
void addEfficiencyOutOfRange(const UsedCurve& curve, std::string_view stored, std::vector<ValueProblem>& problems) {
    const std::vector<curves::Entry> efficiency = curves::parseList(stored);
    if (efficiency.size() != curve.flows.size()) return;  // ignored, as the reader says
    for (std::size_t i = 0; i < efficiency.size(); ++i)
        if (efficiency[i] && (*efficiency[i] < 0 || *efficiency[i] > 100))
            problems.push_back({curves::kEfficiencyKey, "curve-efficiency",
                                std::string(curves::kEfficiencyKey) + " entry " + std::to_string(i + 1) + " is " +
                                    text(*efficiency[i]) + " at " + text(*curve.flows[i]) +
                                    " m³/h, outside 0 to 100 %: the program computes with it as it stands"});
}

// A range 流量1 to 流量2 that reaches past the curve's ends, where the pump
// does not run. A range that is no numbers or runs backwards is said so already.
void addRangeBeyondCurve(const curves::StoredPump& stored, const curves::Pump& pump,
                         std::vector<ValueProblem>& problems) {
    if (!numbers::isNumeric(stored.flow1) || !numbers::isNumeric(stored.flow2) || pump.flow1 > pump.flow2) return;
    const double first = pump.head.first(), last = pump.head.last();
    if (pump.flow1 >= first && pump.flow2 <= last) return;
    problems.push_back({keyOf(pump.flow1 < first ? kFlow1 : kFlow2), "curve-range",
                        keyName(kFlow1) + " " + text(pump.flow1) + " to " + keyName(kFlow2) + " " + text(pump.flow2) +
                            " reaches beyond the curve's flows, " + text(first) + " to " + text(last) +
                            " m³/h: outside them the pump has no figures, and the motor check leaves them out",
                        true});
}

void addMotorOverload(const curves::Pump& pump, std::vector<ValueProblem>& problems) {
    if (hydraulics::motorOverloaded(pump) != true) return;
    problems.push_back({keyOf(kPower), "motor-overload",
                        keyName(kPower) + " " + text(*pump.motorPower) +
                            " lies below the largest shaft power between " + keyName(kFlow1) + " and " +
                            keyName(kFlow2) + ", " + text(*hydraulics::largestShaftPower(pump)) +
                            " kW: the motor would be overloaded, and duty says motor_overload=yes",
                        true});
}

}  // namespace

std::vector<ValueProblem> curveProblems(const curves::StoredPump& stored) {
    std::vector<curves::CurveProblem> read;
    const curves::Pump pump = curves::readPump(stored, &read);
    std::vector<ValueProblem> problems;
    for (const curves::CurveProblem& problem : read)
        problems.push_back({problem.key, kindOf(problem), curves::problemText(problem)});
    if (pump.data != curves::Data::Curve) return problems;
    const UsedCurve curve{curves::parseList(stored.flows), curves::parseList(stored.heads)};
    addRisingHeads(curve, problems);
    addEfficiencyOutOfRange(curve, stored.efficiency, problems);
    addRangeBeyondCurve(stored, pump, problems);
    addMotorOverload(pump, problems);
    return problems;
}

std::vector<ValueProblem> valueProblems(const records::ScannedRecord& record,
                                        const std::function<bool(std::size_t key)>& missing) {
    std::vector<ValueProblem> problems;
    const auto isMissing = [&](std::size_t key) { return missing && missing(key); };
    if (record.model.empty())
        problems.push_back(
            {keyOf(kModel), "no-model", keyName(kModel) + " is empty: the pump is listed without a name"});
    if (catalogue::isUnknown(record.model))
        problems.push_back({keyOf(kModel), "no-model",
                            keyName(kModel) + (isMissing(kModel) ? " is missing" : " is \"unknown\"") +
                                ": the listing ends before this record"});

    const std::array<std::string_view, 4> measured = {record.flow1, record.flow2, record.head1, record.head2};
    bool allNumbers = true;
    for (std::size_t key = kFlow1; key <= kHead2; ++key) {
        const std::string_view value = measured[key - kFlow1];
        const std::string why = notANumber(value, isMissing(key));
        if (why.empty()) continue;
        allNumbers = false;
        problems.push_back(
            {keyOf(key), "not-a-number", keyName(key) + why + ": the program computes with " + computedAs(value)});
    }
    if (const std::string why = notANumber(record.power, isMissing(kPower)); !why.empty())
        problems.push_back({keyOf(kPower), "not-a-number",
                            keyName(kPower) + why + ": the program only shows it, " + shownAs(record.power)});
    if (!allNumbers) return problems;

    const auto value = [](std::string_view text) { return records::singleValue(text); };
    if (value(record.flow1) > value(record.flow2))
        problems.push_back({keyOf(kFlow1), "reversed-flow",
                            keyName(kFlow1) + " " + computedAs(record.flow1) + " lies above " + keyName(kFlow2) + " " +
                                computedAs(record.flow2) + ": no duty point ever fits this pump"});
    if (value(record.head2) > value(record.head1))
        problems.push_back({keyOf(kHead2), "rising-head",
                            keyName(kHead2) + " " + computedAs(record.head2) + " lies above " + keyName(kHead1) + " " +
                                computedAs(record.head1) +
                                ": the head rises with the flow, and no duty point ever fits this pump"});
    return problems;
}

std::string quotedValue(std::string_view value) {
    constexpr std::size_t kShownCharacters = 40;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < value.size() && characters < kShownCharacters; ++characters) do
            ++end;  // past one UTF-8 character: its lead byte and continuation bytes
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80);
    return "\"" + std::string(value.substr(0, end)) + (end < value.size() ? "…\"" : "\"");
}

std::string numberRuns(const std::vector<long long>& ascending) {
    constexpr int kRuns = 10;
    std::string text;
    int runs = 0;
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        std::size_t last = i;
        while (last + 1 < ascending.size() && ascending[last + 1] == ascending[last] + 1) ++last;
        if (++runs > kRuns) return text + ", ... (" + std::to_string(ascending.size()) + " in all)";
        text += (text.empty() ? "" : ", ") + std::to_string(ascending[i]);
        if (last > i) text += "-" + std::to_string(ascending[last]);
        i = last;
    }
    return text;
}

}  // namespace pumpsel::maintenance
