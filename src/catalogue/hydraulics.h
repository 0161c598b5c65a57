#pragma once
// The hydraulics of a selection: identical pumps together, the system curve
// and where the pumps run on it, efficiency, shaft power, NPSH, the best
// efficiency point and its preferred region, the speed that meets a duty
// point, and the motor check. Flows in m³/h, heads in m, powers in kW,
// efficiencies in %. Nothing here allocates: a ranking may ask it for every
// record of a kind.
#include "catalogue/pump_curve.h"

#include <optional>

namespace pumpsel::hydraulics {

inline constexpr double kWaterDensity = 1000;  // kg/m³
inline constexpr double kGravity = 9.81;       // m/s²
inline constexpr int kMaxPumps = 6;
// The preferred operating region: 70 % to 120 % of the best efficiency
// flow, both inclusive (Hydraulic Institute 9.6.3).
inline constexpr double kPreferredLow = 0.7, kPreferredHigh = 1.2;
// How far a speed may be turned down from the rated speed, both inclusive.
inline constexpr double kLowestSpeedRatio = 0.5, kHighestSpeedRatio = 1.0;

// N identical pumps (1 to kMaxPumps) working together: in parallel they
// share the flow at the head of one, in series they add their heads at the
// flow of one.
struct Group {
    int pumps = 1;
    bool series = false;

    double pumpFlow(double groupFlow) const { return series ? groupFlow : groupFlow / pumps; }
    double groupFlow(double pumpFlow) const { return series ? pumpFlow : pumpFlow * pumps; }
    double groupHead(double pumpHead) const { return series ? pumpHead * pumps : pumpHead; }
    double pumpHead(double groupHead) const { return series ? groupHead / pumps : groupHead; }
};

// The group's head at a group flow: H₁(q/N) in parallel, N·H₁(q) in series;
// unknown where the pumps do not run.
std::optional<double> headAt(const curves::Pump& pump, Group group, double flow);

// The efficiency of the group's pumps at a group flow (each pump's at its
// share of the flow); unknown where not known.
std::optional<double> efficiencyAt(const curves::Pump& pump, Group group, double flow);

// The group flows the pumps run at, from first to last; unknown when the
// pump has no head curve.
struct FlowRange {
    double first = 0, last = 0;
};
std::optional<FlowRange> flowRange(const curves::Pump& pump, Group group);

// The shaft power of one pump at its own flow: from 曲线功率 where that is
// known, else ρ·g·q·H/η (q in m³/s, η as a fraction) from its head and
// efficiency there; unknown where neither is, or the efficiency is not
// above 0.
std::optional<double> shaftPowerAt(const curves::Pump& pump, double pumpFlow);

// The system curve through the duty point (Q, H) over a static head Hs
// (0 ≤ Hs < H): Hs + (H − Hs)·(q/Q)². With Hs = 0 it is the parabola of
// the affinity laws through the duty point.
struct SystemCurve {
    double staticHead = 0, dutyFlow = 0, dutyHead = 0;
    double headAt(double flow) const;
};

// A group flow and head.
struct Point {
    double flow = 0, head = 0;
};

// Where the group's curve meets the system curve; of two meetings (a curve
// that rises from shut-off) the one of larger flow; unknown when they do
// not meet within the curve's flows.
std::optional<Point> operatingPoint(const curves::Pump& pump, Group group, const SystemCurve& system);

// A duty point for a group of pumps, with a static head when the system
// curve is known.
struct Duty {
    double flow = 0, head = 0;
    std::optional<double> staticHead;
    Group group;
};

// The figures of a pump at a duty point; unknown where the data give none.
// The working point is the operating point on the system curve when a
// static head is given, else the duty flow on the pump curve.
struct DutyFigures {
    std::optional<double> headAtDutyFlow;    // the group's head at Q
    std::optional<double> headDeviationPct;  // (H_pump(Q) − H) / H · 100
    std::optional<Point> working;            // the group's working point
    std::optional<double> pumpFlow;          // each pump's flow there
    std::optional<double> efficiencyPct;     // each pump's, there
    std::optional<double> shaftPowerKw;      // each pump's, there
    std::optional<double> totalPowerKw;      // N × shaftPowerKw
    std::optional<double> npshRequired;      // each pump's, m
    std::optional<double> bestEfficiencyFlow;
    std::optional<double> bestEfficiencyRatio;  // pumpFlow / bestEfficiencyFlow
    std::optional<bool> inPreferredRegion;
};
DutyFigures dutyFigures(const curves::Pump& pump, const Duty& duty);

// Whether turning the pumps down meets the duty point.
enum class SpeedFit {
    Met,
    BelowLowest,  // the ratio lies below kLowestSpeedRatio
    AboveRated,   // the ratio lies above kHighestSpeedRatio: the pumps are too small
    NoMeeting,    // the parabola through the duty point misses the curve
};

// The speed for a duty point: the parabola H·(q/Q)² meets the rated curve
// of the group at q₁, and the ratio r = Q/q₁ scales flow by r, head by r²
// and power by r³, keeping the efficiency.
struct SpeedFigures {
    SpeedFit fit = SpeedFit::NoMeeting;
    std::optional<double> ratio;          // r, also when it lies out of range
    std::optional<double> rpm;            // r × 转速, when met and 转速 is known
    std::optional<double> efficiencyPct;  // each pump's, at q₁, when met
    std::optional<double> shaftPowerKw;   // each pump's, at q₁, × r³, when met
};
SpeedFigures speedForDuty(const curves::Pump& pump, Group group, double flow, double head);

// The largest shaft power of one pump between 流量1 and 流量2, clipped to
// its curve's flows; unknown where no shaft power is known there.
std::optional<double> largestShaftPower(const curves::Pump& pump);

// Whether the motor (功率) would be overloaded somewhere between 流量1 and
// 流量2; unknown when the largest shaft power or 功率 is.
std::optional<bool> motorOverloaded(const curves::Pump& pump);

}  // namespace pumpsel::hydraulics
