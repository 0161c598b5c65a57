#include "catalogue/hydraulics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pumpsel::hydraulics {
namespace {

constexpr double kSecondsPerHour = 3600;
constexpr double kWattsPerKilowatt = 1000;

// The largest of the values offered; unknown ones do not count.
struct Largest {
    std::optional<double> value;
    void offer(std::optional<double> v) {
        if (v && (!value || *v > *value)) value = v;
    }
};

// Whether ρ·g·q·H/η rises (> 0) or falls (< 0) with the flow: the sign of
// its slope, (H + q·H′)·η − q·H·η′ over η². Unknown where it is.
std::optional<double> derivedPowerTrend(const curves::Pump& pump, double q) {
    const auto head = pump.head.at(q), headSlope = pump.head.slopeAt(q);
    const auto efficiency = pump.efficiency.at(q), efficiencySlope = pump.efficiency.slopeAt(q);
    if (!head || !headSlope || !efficiency || !efficiencySlope || !(*efficiency > 0)) return std::nullopt;
    return (*head + q * *headSlope) * *efficiency - q * *head * *efficiencySlope;
}

// Where the power turns from rising to falling between a and b (its trend
// tA > 0 at a, tB < 0 at b): false position with the Illinois halving, to
// 1e-12 of the flow. Near its peak the power is flat, so its value there is
// exact.
double powerPeak(const curves::Pump& pump, double a, double b, double tA, double tB) {
    double turn = a, before = b;
    int moved = 0;  // the end that moved last: +1 a, −1 b
    for (int i = 0; i < 100 && std::fabs(turn - before) > 1e-12 * (std::fabs(a) + std::fabs(b)); ++i) {
        before = turn;
        turn = (a * tB - b * tA) / (tB - tA);
        if (!(turn > a && turn < b)) turn = a + (b - a) / 2;
        const double t = derivedPowerTrend(pump, turn).value_or(0);
        if (t == 0) break;
        if (t > 0) {
            a = turn, tA = t;
            if (moved == +1) tB /= 2;  // b stays a second time: halve its weight
            moved = +1;
        } else {
            b = turn, tB = t;
            if (moved == -1) tA /= 2;
            moved = -1;
        }
    }
    return turn;
}

// The largest shaft power between a and b where it comes from the head and
// efficiency: at the ends, at the points of either curve, and where it
// turns from rising to falling between neighbouring points (head and
// efficiency are cubics there, smooth, and their slopes continuous at the
// points). Only where the efficiency is known.
void offerDerivedPower(const curves::Pump& pump, double a, double b, Largest& largest) {
    if (pump.efficiency.empty()) return;
    a = std::max(a, pump.efficiency.first());
    b = std::min(b, pump.efficiency.last());
    if (!(a <= b)) return;
    const auto power = [&](double q) { return shaftPowerAt(pump, q); };
    largest.offer(power(a));
    std::optional<double> trend = derivedPowerTrend(pump, a);
    for (double left = a; left < b;) {
        const double right = std::min({b, pump.head.knotAbove(left), pump.efficiency.knotAbove(left)});
        const std::optional<double> trendRight = derivedPowerTrend(pump, right);
        largest.offer(power(right));
        if (trend && trendRight && *trend > 0 && *trendRight < 0)
            largest.offer(power(powerPeak(pump, left, right, *trend, *trendRight)));
        left = right;
        trend = trendRight;
    }
}

// The largest value of 曲线功率 between a and b: every piece of a PCHIP is
// monotone, so it lies at an end or at a point.
void offerCurvePower(const curves::Pchip& power, double a, double b, Largest& largest) {
    largest.offer(power.at(a));
    for (double knot = power.knotAbove(a); knot < b; knot = power.knotAbove(knot)) largest.offer(power.at(knot));
    largest.offer(power.at(b));
}

}  // namespace

std::optional<double> headAt(const curves::Pump& pump, Group group, double flow) {
    const std::optional<double> head = pump.head.at(group.pumpFlow(flow));
    if (!head) return std::nullopt;
    return group.groupHead(*head);
}

std::optional<double> efficiencyAt(const curves::Pump& pump, Group group, double flow) {
    return pump.efficiency.at(group.pumpFlow(flow));
}

std::optional<FlowRange> flowRange(const curves::Pump& pump, Group group) {
    if (pump.head.empty()) return std::nullopt;
    return FlowRange{group.groupFlow(pump.head.first()), group.groupFlow(pump.head.last())};
}

std::optional<double> shaftPowerAt(const curves::Pump& pump, double pumpFlow) {
    if (const auto power = pump.shaftPower.at(pumpFlow)) return power;
    const std::optional<double> head = pump.head.at(pumpFlow);
    const std::optional<double> efficiency = pump.efficiency.at(pumpFlow);
    if (!head || !efficiency || !(*efficiency > 0)) return std::nullopt;
    return kWaterDensity * kGravity * (pumpFlow / kSecondsPerHour) * *head / (*efficiency / 100) / kWattsPerKilowatt;
}

double SystemCurve::headAt(double flow) const {
    const double ratio = flow / dutyFlow;
    return staticHead + (dutyHead - staticHead) * ratio * ratio;
}

std::optional<Point> operatingPoint(const curves::Pump& pump, Group group, const SystemCurve& system) {
    // At one pump's flow u the group gives s·H₁(u) at the group flow c·u,
    // which meets the system curve where s·H₁(u) = Hs + (H − Hs)·(c/Q)²·u².
    const double c = group.groupFlow(1), s = group.groupHead(1);
    const double scale = c / system.dutyFlow;
    const curves::Parabola parabola{system.staticHead, (system.dutyHead - system.staticHead) * scale * scale};
    const std::optional<double> pumpFlow = pump.head.largestMeeting(s, parabola);
    if (!pumpFlow) return std::nullopt;
    return Point{group.groupFlow(*pumpFlow), group.groupHead(*pump.head.at(*pumpFlow))};
}

DutyFigures dutyFigures(const curves::Pump& pump, const Duty& duty) {
    DutyFigures f;
    const Group group = duty.group;
    f.headAtDutyFlow = headAt(pump, group, duty.flow);
    if (f.headAtDutyFlow && duty.head > 0) f.headDeviationPct = (*f.headAtDutyFlow - duty.head) / duty.head * 100;
    if (duty.staticHead)
        f.working = operatingPoint(pump, group, {*duty.staticHead, duty.flow, duty.head});
    else if (f.headAtDutyFlow)
        f.working = Point{duty.flow, *f.headAtDutyFlow};
    f.bestEfficiencyFlow = pump.bestEfficiencyFlow;
    if (!f.working) return f;

    const double pumpFlow = group.pumpFlow(f.working->flow);
    f.pumpFlow = pumpFlow;
    f.efficiencyPct = pump.efficiency.at(pumpFlow);
    f.shaftPowerKw = shaftPowerAt(pump, pumpFlow);
    if (f.shaftPowerKw) f.totalPowerKw = *f.shaftPowerKw * group.pumps;
    f.npshRequired = pump.npsh.at(pumpFlow);
    if (f.bestEfficiencyFlow && *f.bestEfficiencyFlow > 0) {
        const double ratio = pumpFlow / *f.bestEfficiencyFlow;
        f.bestEfficiencyRatio = ratio;
        f.inPreferredRegion = ratio >= kPreferredLow && ratio <= kPreferredHigh;
    }
    return f;
}

SpeedFigures speedForDuty(const curves::Pump& pump, Group group, double flow, double head) {
    SpeedFigures s;
    const std::optional<Point> rated = operatingPoint(pump, group, {0, flow, head});
    if (!rated) return s;
    const double ratio = flow / rated->flow;
    s.ratio = ratio;
    if (ratio < kLowestSpeedRatio) {
        s.fit = SpeedFit::BelowLowest;
        return s;
    }
    if (ratio > kHighestSpeedRatio) {
        s.fit = SpeedFit::AboveRated;
        return s;
    }
    s.fit = SpeedFit::Met;
    if (pump.ratedSpeed) s.rpm = ratio * *pump.ratedSpeed;
    const double pumpFlow = group.pumpFlow(rated->flow);
    s.efficiencyPct = pump.efficiency.at(pumpFlow);
    if (const auto power = shaftPowerAt(pump, pumpFlow)) s.shaftPowerKw = *power * ratio * ratio * ratio;
    return s;
}

std::optional<double> largestShaftPower(const curves::Pump& pump) {
    if (pump.head.empty()) return std::nullopt;
    const double lo = std::max(pump.flow1, pump.head.first()), hi = std::min(pump.flow2, pump.head.last());
    if (!(lo <= hi)) return std::nullopt;
    Largest largest;
    const curves::Pchip& power = pump.shaftPower;
    if (power.empty() || hi < power.first() || lo > power.last()) {
        offerDerivedPower(pump, lo, hi, largest);
        return largest.value;
    }
    // 曲线功率 where it is known, the head and efficiency on either side of it.
    offerCurvePower(power, std::max(lo, power.first()), std::min(hi, power.last()), largest);
    if (lo < power.first()) offerDerivedPower(pump, lo, power.first(), largest);
    if (hi > power.last()) offerDerivedPower(pump, power.last(), hi, largest);
    return largest.value;
}

std::optional<bool> motorOverloaded(const curves::Pump& pump) {
    const std::optional<double> largest = largestShaftPower(pump);
    if (!largest || !pump.motorPower) return std::nullopt;
    return *largest > *pump.motorPower;
}

}  // namespace pumpsel::hydraulics
