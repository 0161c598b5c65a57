// pumpsel-ini duty: one pump's figures at a duty point, from its curve or
// its range.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/hydraulics.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "tools/command_line.h"
#include "tools/selection_arguments.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace pumpsel::tool {
namespace {

using hydraulics::SpeedFit;

// One key of the output: a number, a word, or unknown.
struct Field {
    std::string_view key;
    std::optional<std::string> value;
    bool word = false;  // quoted in JSON
};

// A figure that overflowed is no figure: JSON has no infinity.
Field number(std::string_view key, std::optional<double> value) {
    const bool known = value && std::isfinite(*value);
    return {key, known ? std::optional(numbers::roundTripText(*value)) : std::nullopt, false};
}

Field word(std::string_view key, std::optional<std::string_view> value) {
    return {key, value ? std::optional(std::string(*value)) : std::nullopt, true};
}

Field yesNo(std::string_view key, std::optional<bool> value) {
    return word(key, value ? std::optional<std::string_view>(*value ? "yes" : "no") : std::nullopt);
}

std::vector<Field> fieldsOf(const curves::Pump& pump, const hydraulics::Duty& duty) {
    const hydraulics::DutyFigures f = hydraulics::dutyFigures(pump, duty);
    const auto working = [&](double hydraulics::Point::*part) {
        return f.working ? std::optional<double>((*f.working).*part) : std::nullopt;
    };
    std::vector<Field> fields = {word("data", pump.data == curves::Data::Curve ? "curve" : "range"),
                                 number("head_at_duty_flow", f.headAtDutyFlow),
                                 number("head_deviation_pct", f.headDeviationPct),
                                 number("operating_flow", working(&hydraulics::Point::flow))};
    if (duty.staticHead) fields.push_back(number("operating_head", working(&hydraulics::Point::head)));
    fields.insert(fields.end(), {number("efficiency_pct", f.efficiencyPct), number("shaft_power_kw", f.shaftPowerKw),
                                 number("total_power_kw", f.totalPowerKw), number("per_pump_flow", f.pumpFlow),
                                 number("npshr_m", f.npshRequired), number("bep_flow", f.bestEfficiencyFlow),
                                 number("bep_ratio", f.bestEfficiencyRatio), yesNo("in_por", f.inPreferredRegion),
                                 yesNo("motor_overload", hydraulics::motorOverloaded(pump))});
    return fields;
}

// Why the duty point cannot be met by speed, in words; empty when it can.
std::string speedRefusal(const hydraulics::SpeedFigures& s) {
    const auto ratio = [&] { return "the speed ratio would be " + numbers::roundTripText(s.ratio.value_or(0)); };
    switch (s.fit) {
        case SpeedFit::Met:
            return {};
        case SpeedFit::BelowLowest:
            return ratio() + ", below " + numbers::roundTripText(hydraulics::kLowestSpeedRatio);
        case SpeedFit::AboveRated:
            return ratio() + ", above the rated speed";
        case SpeedFit::NoMeeting:
            return "the parabola H·(q/Q)² through the duty point does not meet the pump curve";
    }
    return {};
}

std::string keyValueText(const std::vector<Field>& fields) {
    std::string text;
    for (const Field& f : fields) text.append(f.key).append("=").append(f.value.value_or("")).append("\n");
    return text;
}

std::string jsonText(const std::vector<Field>& fields) {
    std::string json = "{";
    for (const Field& f : fields) {
        json.append(json.size() == 1 ? "\"" : ", \"").append(f.key).append("\": ");
        json += !f.value ? std::string("null") : f.word ? "\"" + *f.value + "\"" : *f.value;
    }
    return json + "}\n";
}

int runDuty(const Arguments& args) {
    const std::string& file = args.positional[0];
    const DutyRequest request = dutyRequestOf(args, 1);
    if (!request.error.empty()) return failWith(kCannotRun, "duty: " + request.error);
    std::string bytes;
    if (const auto status = files::readWholeFile(files::pathFromUtf8(file), bytes); status != files::ReadStatus::Ok)
        return failWith(kCannotRun, "duty: cannot read " + file + ": " + std::string(files::readProblem(status)));
    std::vector<curves::CurveProblem> problems;
    const std::optional<curves::Pump> pump =
        curves::readRecordPump(files::pathFromUtf8(file), request.record, &problems);
    if (!pump) return failWith(kCannotRun, "duty: " + file + " has no record " + std::to_string(request.record));
    for (const auto& problem : problems)
        printError("duty: record " + std::to_string(request.record) + ": " + curves::problemText(problem));

    std::vector<Field> fields = fieldsOf(*pump, request.duty);
    if (args.has("--speed")) {
        const auto s = hydraulics::speedForDuty(*pump, request.duty.group, request.duty.flow, request.duty.head);
        if (const std::string refusal = speedRefusal(s); !refusal.empty())
            printError("duty: the duty point cannot be met by speed: " + refusal);
        fields.insert(fields.end(), {number("speed_ratio", s.fit == SpeedFit::Met ? s.ratio : std::nullopt),
                                     number("speed_rpm", s.rpm), number("speed_efficiency_pct", s.efficiencyPct),
                                     number("speed_shaft_power_kw", s.shaftPowerKw)});
    }
    print(args.has("--json") ? jsonText(fields) : keyValueText(fields));
    return kDone;
}

}  // namespace

const Command& dutyCommand() {
    static const Command command{
        "duty",
        "duty MAKER_FILE RECORD Q H [--static-head HS] [--pumps N] [--series] [--speed] [--json]",
        "Prints the figures of record RECORD at the duty point (flow Q in m3/h, head H in m), from its curve\n"
        "(曲线流量, 曲线扬程, ...) or, without one, from the line of its range, as key=value lines:\n"
        "  data                curve or range\n"
        "  head_at_duty_flow   the pumps' head at Q, m\n"
        "  head_deviation_pct  (head_at_duty_flow - H) / H * 100\n"
        "  operating_flow      the working point's flow, m3/h: where the pump curve meets the system\n"
        "                      curve HS + (H - HS)(q/Q)^2 with --static-head, else Q where the pump runs at Q\n"
        "  operating_head      the working point's head, m (only with --static-head)\n"
        "  efficiency_pct, shaft_power_kw, npshr_m   each pump's, at the working point\n"
        "  total_power_kw      N * shaft_power_kw\n"
        "  per_pump_flow       each pump's flow at the working point, m3/h\n"
        "  bep_flow, bep_ratio the best efficiency flow, and per_pump_flow / bep_flow\n"
        "  in_por              yes when bep_ratio lies from 0.7 to 1.2\n"
        "  motor_overload      yes when the shaft power between 流量1 and 流量2 exceeds 功率\n"
        "--pumps N (1 to 6) identical pumps in parallel, or in series with --series. --speed adds\n"
        "speed_ratio, speed_rpm, speed_efficiency_pct and speed_shaft_power_kw (each pump's) for the speed\n"
        "that meets the duty point (a ratio from 0.5 to 1); stderr says when no such speed exists. An empty\n"
        "value is unknown. --json prints one JSON object (null where unknown). Problems of the record's\n"
        "curve are named on stderr. Exit 0, 2 on bad arguments, a missing record or an unreadable file.\n",
        {"--series", "--speed", "--json"},
        {"--static-head", "--pumps"},
        4,
        4,
        runDuty};
    return command;
}

}  // namespace pumpsel::tool
