// What the sheet shows, gathered from the catalogue, the hydraulics and
// the ranking.
#include "catalogue/catalogue.h"
#include "sheet/sheet.h"
#include "sheet/sheet_chart.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "storage/profile.h"

#include <array>
#include <cmath>

namespace ui::sheet {

namespace {

using namespace pumpsel;

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// The record's keys that the hydraulics read, then its remark.
constexpr std::size_t kRemark = curves::kStoredKeys.size();
std::array<std::string_view, kRemark + 1> recordKeys() {
    std::array<std::string_view, kRemark + 1> keys{};
    std::copy(curves::kStoredKeys.begin(), curves::kStoredKeys.end(), keys.begin());
    keys[kRemark] = catalogue::kRemarkKey;
    return keys;
}

std::optional<double> motorLoad(std::optional<double> shaftPowerKw, std::optional<double> motorPowerKw) {
    if (!shaftPowerKw || !motorPowerKw || !(*motorPowerKw > 0)) return std::nullopt;
    return *shaftPowerKw / *motorPowerKw * 100;
}

Running ratedRunning(const hydraulics::DutyFigures& f, hydraulics::Group group, const ChosenPump& pump) {
    Running r;
    if (f.working) {
        r.flow = f.working->flow;
        r.head = f.working->head;
        r.pumpHead = group.pumpHead(f.working->head);
    }
    r.pumpFlow = f.pumpFlow;
    r.efficiencyPct = f.efficiencyPct;
    r.npshRequired = f.npshRequired;
    r.rpm = pump.ratedSpeed;
    r.shaftPowerKw = f.shaftPowerKw;
    r.totalPowerKw = f.totalPowerKw;
    r.motorLoadPct = motorLoad(f.shaftPowerKw, pump.motorPower);
    return r;
}

// Turned down to the speed that meets it, the pumps run at the duty point.
Running variableRunning(const hydraulics::SpeedFigures& s, const hydraulics::Duty& duty, const ChosenPump& pump) {
    Running r;
    r.flow = duty.flow;
    r.head = duty.head;
    r.pumpFlow = duty.group.pumpFlow(duty.flow);
    r.pumpHead = duty.group.pumpHead(duty.head);
    r.efficiencyPct = s.efficiencyPct;
    r.rpm = s.rpm;
    r.shaftPowerKw = s.shaftPowerKw;
    if (s.shaftPowerKw) r.totalPowerKw = *s.shaftPowerKw * duty.group.pumps;
    r.motorLoadPct = motorLoad(s.shaftPowerKw, pump.motorPower);
    return r;
}

Verdict verdictOf(std::optional<bool> passes, const ChosenPump& pump) {
    if (pump.data == curves::Data::Range) return Verdict::NoCurveData;
    if (!passes) return Verdict::NotKnown;
    return *passes ? Verdict::Pass : Verdict::Fail;
}

Checks checksOf(const SheetContent& c, std::optional<bool> motorOverloaded) {
    Checks checks;
    // A pump that does not run at the duty flow cannot reach the duty head.
    checks.headMargin = c.figures.headDeviationPct && *c.figures.headDeviationPct >= 0 ? Verdict::Pass : Verdict::Fail;
    checks.preferredRegion = verdictOf(c.figures.inPreferredRegion, c.pump);
    checks.motor = verdictOf(motorOverloaded ? std::optional(!*motorOverloaded) : std::nullopt, c.pump);
    if (c.speed) checks.speed = verdictOf(c.speed->fit == hydraulics::SpeedFit::Met, c.pump);
    return checks;
}

std::optional<Energy> energyOf(const Running& running, const Request& request) {
    if (!running.totalPowerKw) return std::nullopt;
    Energy e{*running.totalPowerKw, request.hoursPerYear, request.pricePerKwh};
    e.kwhPerYear = e.powerKw * e.hoursPerYear;
    e.costPerYear = e.kwhPerYear * e.pricePerKwh;
    return e;
}

}  // namespace

std::vector<Alternative> alternativesFrom(const std::vector<ranking::RankedPump>& ranked, int maker, int record) {
    std::vector<Alternative> rows;
    for (const ranking::RankedPump& pump : ranked) {
        if (rows.size() == static_cast<std::size_t>(kAlternatives)) break;
        if (pump.makerPosition == maker && pump.row.number == record) continue;
        const ranking::Figures& f = pump.figures;
        rows.push_back({fromUtf8(pump.maker), fromUtf8(pump.row.model), pump.pump.data, f.headDeviation, f.efficiency,
                        f.shaftPower});
    }
    return rows;
}

namespace {

// The chosen record as the catalogue describes it and as the hydraulics read it.
struct ChosenRecord {
    BuildProblem problem = BuildProblem::None;
    ChosenPump described{};
    curves::Pump pump{};
};

ChosenRecord readChosenRecord(const catalogue::Catalogue& catalogue, const PumpChoice& choice) {
    const std::string maker = catalogue.makerValue(choice.kind, choice.maker);
    if (choice.maker < 1 || catalogue::isUnknown(maker)) return {BuildProblem::NoMaker};
    const std::filesystem::path dataFile = catalogue.makerDataFile(choice.kind, choice.maker);
    ini::ReadBatch batch;  // the data file is checked and parsed once
    files::ReadStatus status = files::ReadStatus::Ok;
    if (!ini::parsedFile(dataFile, &status) && status != files::ReadStatus::Missing)
        return {BuildProblem::FileUnreadable};
    const auto keys = recordKeys();
    ini::Snapshot snapshot(dataFile, keys);
    const std::vector<std::string>& values = snapshot.read(catalogue::numberedKey(choice.record));
    if (catalogue::isUnknown(values[0])) return {BuildProblem::NoRecord};

    const curves::StoredPump stored = curves::storedPumpOf(values);
    const curves::Pump pump = curves::readPump(stored);
    const auto indexValue = [&](std::string_view word) {
        return fromUtf8(catalogue::orNotGiven(catalogue.makerValue(choice.kind, choice.maker, word)));
    };
    return {BuildProblem::None,
            {fromUtf8(choice.kind), fromUtf8(maker), indexValue(catalogue::kAddressWord),
             indexValue(catalogue::kTelephoneWord), fromUtf8(values[0]), fromUtf8(values[kRemark]), choice.record,
             pump.data, pump.flow1, pump.flow2, numbers::leadingNumber(stored.head1),
             numbers::leadingNumber(stored.head2), pump.ratedSpeed, pump.motorPower},
            pump};
}

// The pumps' figures at the duty point, their checks, energy and chart.
void addFigures(SheetContent& c, const curves::Pump& pump, const Request& request) {
    c.figures = hydraulics::dutyFigures(pump, c.duty);
    c.largestShaftPowerKw = hydraulics::largestShaftPower(pump);
    c.rated = ratedRunning(c.figures, c.duty.group, c.pump);
    if (c.variableSpeed) {
        c.speed = hydraulics::speedForDuty(pump, c.duty.group, c.duty.flow, c.duty.head);
        if (c.speed->fit == hydraulics::SpeedFit::Met && pump.data == curves::Data::Curve)
            c.variable = variableRunning(*c.speed, c.duty, c.pump);
    }
    c.checks = checksOf(c, hydraulics::motorOverloaded(pump));
    c.energy = energyOf(c.variable ? *c.variable : c.rated, request);
    c.chart = sheetChart(pump, c.duty, c.figures.working);
}

}  // namespace

Built buildSheet(const catalogue::Catalogue& catalogue, const PumpChoice& choice, const Request& request,
                 const std::vector<ranking::RankedPump>& ranked) {
    ChosenRecord chosen = readChosenRecord(catalogue, choice);
    if (chosen.problem != BuildProblem::None) return {std::nullopt, chosen.problem};
    SheetContent c;
    c.heading = request.heading;
    c.duty = duty::hydraulicDuty(request.flow, request.head, request.selection);
    c.standby = request.standby;
    c.variableSpeed = request.selection.speed;
    c.pump = std::move(chosen.described);
    addFigures(c, chosen.pump, request);
    c.alternatives = alternativesFrom(ranked, choice.maker, choice.record);
    return {std::move(c), BuildProblem::None};
}

}  // namespace ui::sheet
