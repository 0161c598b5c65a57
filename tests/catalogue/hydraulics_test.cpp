// The hydraulics of a selection against figures worked out independently:
// scipy 1.10 (scipy.interpolate.PchipInterpolator for the curves,
// scipy.optimize.brentq to 4 ulp for the meetings, minimize_scalar and a
// grid of 3.3 million flows for the largest power), or by hand where said.
#include "catalogue/hydraulics.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace pumpsel;
using namespace pumpsel::hydraulics;

namespace {

// Relative agreement to a few ulp of the figures' size.
void expectClose(std::optional<double> actual, double expected, const char* what = "") {
    ASSERT_TRUE(actual) << what;
    EXPECT_NEAR(*actual, expected, 1e-12 * std::max(1.0, std::fabs(expected))) << what;
}

// A pump of five points with every optional list.
curves::Pump pumpA(std::string_view flow1 = "10", std::string_view flow2 = "30", std::string_view power = "3.3") {
    return curves::readPump({.flow1 = flow1,
                             .flow2 = flow2,
                             .power = power,
                             .flows = "0,10,20,30,40",
                             .heads = "42,40,35,27,15",
                             .efficiency = "0,50,70,65,50",
                             .shaftPower = "1.2,2.0,2.7,3.2,3.4",
                             .npsh = "1.0,1.2,1.8,2.9,4.5",
                             .speed = "2900"});
}

}  // namespace

TEST(Pchip, MatchesScipyOnUnevenPointsWithAPeakAndBothEndSlopesClamped) {
    // The left end slope (−0.73 by the three-point formula) points against
    // the first piece and becomes 0; the right one (−0.95) overshoots where
    // the data turn and becomes 3·δ = −0.75 (scipy's derivative there).
    const double x[] = {0, 10, 15, 30, 42, 50}, y[] = {0, 2, 10, 60, 78, 76};
    const curves::Pchip curve(x, y);
    const std::pair<double, double> expected[] = {
        {0, 0.0},
        {4, 0.33037837837837847},
        {12.5, 4.966647498562391},
        {20, 25.234967536269856},
        {37, 73.70870067170445},
        {42, 78.0},
        {46, 77.75},
        {49.9, 76.07406640625},
        {50, 76.0},
    };
    for (const auto& [at, value] : expected) expectClose(curve.at(at), value, std::to_string(at).c_str());
    EXPECT_FALSE(curve.at(-0.001));
    EXPECT_FALSE(curve.at(50.001));
    EXPECT_FALSE(curve.at(std::nan("")));

    // Two points: the straight line; one: no curve.
    const curves::Pchip line(std::span(x, 2), std::span(y, 2));
    EXPECT_DOUBLE_EQ(*line.at(2.5), 0.5);
    EXPECT_TRUE(curves::Pchip(std::span(x, 1), std::span(y, 1)).empty());
}

TEST(OperatingPoint, OfACurveRisingFromShutOffIsTheLargerOfTwoMeetings) {
    // The system curve 31 + 2·(q/60)² crosses it near 3.19 and 45.69 m³/h.
    const curves::Pump pump = curves::readPump({.flows = "0,20,40,60,80", .heads = "30,34,33,28,18"});
    const auto point = operatingPoint(pump, {}, {31, 60, 33});
    ASSERT_TRUE(point);
    expectClose(point->flow, 45.68901115719298);
    expectClose(point->head, 32.159714300290055);

    // A system curve above the whole pump curve meets it nowhere.
    EXPECT_FALSE(operatingPoint(pump, {}, {35, 60, 40}));
}

TEST(OperatingPoint, TwoPumpsInParallelShareTheFlowAndInSeriesAddTheirHeads) {
    const curves::Pump pump = pumpA();
    // Parallel: H₁(q/2) meets 10 + 20·(q/50)².
    const DutyFigures parallel = dutyFigures(pump, {50, 30, 10, {2, false}});
    expectClose(parallel.headAtDutyFlow, 31.43076923076923, "H₁(25)");
    expectClose(parallel.headDeviationPct, 4.769230769230764);
    ASSERT_TRUE(parallel.working);
    expectClose(parallel.working->flow, 51.17517165168963);
    expectClose(parallel.working->head, 30.951185548639188);
    expectClose(parallel.pumpFlow, 25.587585825844815);
    expectClose(parallel.efficiencyPct, 68.09454300205937);
    expectClose(parallel.shaftPowerKw, 3.017964974795662);
    expectClose(parallel.totalPowerKw, 6.035929949591324);
    expectClose(parallel.npshRequired, 2.351376344666357);

    // Series: 2·H₁(q) meets 20 + 40·(q/30)².
    const DutyFigures series = dutyFigures(pump, {30, 60, 20, {2, true}});
    expectClose(series.headAtDutyFlow, 54.0, "2·H₁(30)");
    expectClose(series.headDeviationPct, -10.0);
    ASSERT_TRUE(series.working);
    expectClose(series.working->flow, 28.66376200197153);
    expectClose(series.working->head, 56.51605564914076);
    expectClose(series.pumpFlow, 28.66376200197153);
    expectClose(series.efficiencyPct, 65.99621375930079);
    expectClose(series.shaftPowerKw, 3.155969873582898);
    expectClose(series.totalPowerKw, 6.311939747165796);
    expectClose(series.npshRequired, 2.727577717376837);

    // The chart's view of the group: its flows and its head and efficiency at a group flow.
    const auto range = flowRange(pump, {3, false});
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 0);
    EXPECT_EQ(range->last, 120);
    EXPECT_EQ(headAt(pump, {3, false}, 60), 35.0);
    EXPECT_EQ(headAt(pump, {3, true}, 20), 105.0);
    EXPECT_EQ(efficiencyAt(pump, {3, false}, 60), 70.0);
    EXPECT_FALSE(headAt(pump, {3, false}, 120.5));
}

TEST(WorkingPoint, WithoutAStaticHeadIsTheDutyFlowOnThePumpCurve) {
    const DutyFigures f = dutyFigures(pumpA(), {20, 30, std::nullopt, {}});
    ASSERT_TRUE(f.working);
    EXPECT_EQ(f.working->flow, 20);
    EXPECT_EQ(f.working->head, 35);
    // At a point every figure is the list's own entry.
    EXPECT_EQ(f.efficiencyPct, 70.0);
    EXPECT_EQ(f.shaftPowerKw, 2.7);
    EXPECT_EQ(f.npshRequired, 1.8);
    // Outside the curve the pump does not run.
    const DutyFigures outside = dutyFigures(pumpA(), {45, 30, std::nullopt, {}});
    EXPECT_FALSE(outside.headAtDutyFlow || outside.working || outside.efficiencyPct || outside.shaftPowerKw);
}

TEST(ShaftPower, ComesFromTheCurveWhereKnownElseFromHeadAndEfficiency) {
    // 曲线功率 is known from 10 to 30 only.
    const curves::Pump pump = curves::readPump({.flows = "0,10,20,30,40",
                                                .heads = "42,40,35,27,15",
                                                .efficiency = "20,50,70,65,50",
                                                .shaftPower = ",2.0,2.7,3.2,"});
    EXPECT_EQ(shaftPowerAt(pump, 20), 2.7);
    // By hand: 1000·9.81·(35/3600)·H₁(35)/(η(35)/100)/1000 with H₁(35) and η(35) from scipy.
    expectClose(shaftPowerAt(pump, 35), 3.4799259259259268);
    expectClose(shaftPowerAt(pump, 5), 1.5467752822778595);
    // At 0 m³/h by hand: 9.81·0·42/0.2/3600 = 0.
    EXPECT_EQ(shaftPowerAt(pump, 0), 0.0);
    EXPECT_FALSE(shaftPowerAt(pump, 41));

    // No efficiency above 0, no power: unknown.
    const curves::Pump still = curves::readPump({.flows = "0,10,20", .heads = "40,38,33", .efficiency = "0,0,0"});
    EXPECT_FALSE(shaftPowerAt(still, 10));
}

TEST(ShaftPower, EfficiencyWithEmptyEntriesInterpolatesOverTheKnownOnes) {
    const curves::Pump pump = curves::readPump(
        {.flows = "0,10,20,30,40", .heads = "42,40,35,27,15", .efficiency = ",50,,65,50", .shaftPower = ",,,,"});
    // scipy through (10, 50), (30, 65), (40, 50).
    expectClose(pump.efficiency.at(20), 63.125);
    expectClose(pump.efficiency.at(35), 60.3125);
    EXPECT_FALSE(pump.efficiency.at(5));
    EXPECT_EQ(pump.bestEfficiencyFlow, 30.0);
    // Power from head and efficiency at 20, by hand: 9.81·20·35/(3600·0.63125).
    expectClose(shaftPowerAt(pump, 20), 9.81 * 20 * 35 / (3600 * 0.63125));
}

TEST(PreferredRegion, RunsFrom70To120PercentOfTheBestEfficiencyFlowInclusive) {
    // The best efficiency flow is 20 m³/h; two pumps in parallel, so each
    // pump runs at half the duty flow.
    const std::pair<double, std::optional<bool>> cases[] = {
        {28, true}, {48, true}, {27.98, false}, {48.02, false}, {90, std::nullopt}};
    for (const auto& [flow, inRegion] : cases) {
        const DutyFigures f = dutyFigures(pumpA(), {flow, 30, std::nullopt, {2, false}});
        EXPECT_EQ(f.inPreferredRegion, inRegion) << flow;
        EXPECT_EQ(f.bestEfficiencyFlow, 20.0);
        if (inRegion) expectClose(f.bestEfficiencyRatio, flow / 2 / 20);  // by hand
    }
}

TEST(Speed, MeetsTheDutyPointFromHalfToFullSpeed) {
    const curves::Pump pump = curves::readPump({.flows = "0,8,16,24",
                                                .heads = "70,68,64,50",
                                                .efficiency = "0,60,75,60",
                                                .shaftPower = "2,3,4,4.5",
                                                .speed = "2900"});
    // 16·(q/8)² meets the curve at its point (16, 64): r = 8/16 exactly, and
    // by hand rpm = 1450, power 4·0.5³ = 0.5, efficiency the point's.
    const SpeedFigures half = speedForDuty(pump, {}, 8, 16);
    EXPECT_EQ(half.fit, SpeedFit::Met);
    EXPECT_EQ(half.ratio, 0.5);
    EXPECT_EQ(half.rpm, 1450.0);
    EXPECT_EQ(half.efficiencyPct, 75.0);
    EXPECT_EQ(half.shaftPowerKw, 0.5);

    // Just below half speed: 16·(q/7.99)² meets it at 15.98176820608035.
    const SpeedFigures below = speedForDuty(pump, {}, 7.99, 16);
    EXPECT_EQ(below.fit, SpeedFit::BelowLowest);
    expectClose(below.ratio, 0.49994468052415886);
    EXPECT_FALSE(below.rpm || below.efficiencyPct || below.shaftPowerKw);

    // On the curve: full speed. Above it: too small a pump (66·(q/16)² meets at 15.776772312028905).
    EXPECT_EQ(speedForDuty(pump, {}, 16, 64).ratio, 1.0);
    EXPECT_EQ(speedForDuty(pump, {}, 16, 64).fit, SpeedFit::Met);
    const SpeedFigures above = speedForDuty(pump, {}, 16, 66);
    EXPECT_EQ(above.fit, SpeedFit::AboveRated);
    expectClose(above.ratio, 1.014149135422389);

    // A parabola that stays under the curve (10·(24/30)² = 6.4 < 50) never meets it.
    const SpeedFigures none = speedForDuty(pump, {}, 30, 10);
    EXPECT_EQ(none.fit, SpeedFit::NoMeeting);
    EXPECT_FALSE(none.ratio);

    // Two pumps in parallel at twice the flow meet at the same point of each pump.
    EXPECT_EQ(speedForDuty(pump, {2, false}, 16, 16).ratio, 0.5);
}

TEST(MotorCheck, ComparesTheLargestShaftPowerBetweenFlow1AndFlow2WithThePower) {
    // 曲线功率 rises: its largest value from 10 to 30 is the point at 30.
    EXPECT_EQ(largestShaftPower(pumpA("10", "30")), 3.2);
    EXPECT_EQ(motorOverloaded(pumpA("10", "30", "3.2")), false);
    EXPECT_EQ(motorOverloaded(pumpA("10", "30", "3.19")), true);
    expectClose(largestShaftPower(pumpA("10", "35")), 3.3294642857142858);  // scipy, at 35
    EXPECT_EQ(largestShaftPower(pumpA("-5", "100")), 3.4);                  // clipped to the curve's 0 to 40
    EXPECT_FALSE(motorOverloaded(pumpA("10", "30", "unknown")));
    EXPECT_FALSE(motorOverloaded(pumpA("50", "60")));  // outside the curve

    // From head and efficiency the power peaks inside a piece, at 34.637 m³/h.
    const auto derived = [](std::string_view power) {
        return curves::readPump({.flow1 = "5",
                                 .flow2 = "38",
                                 .power = power,
                                 .flows = "0,10,20,30,40",
                                 .heads = "42,40,35,27,15",
                                 .efficiency = "20,50,70,65,50"});
    };
    expectClose(largestShaftPower(derived("3")), 3.4806270004643225);
    EXPECT_EQ(motorOverloaded(derived("3.48")), true);
    EXPECT_EQ(motorOverloaded(derived("3.481")), false);

    // A range record knows no shaft power.
    EXPECT_FALSE(
        motorOverloaded(curves::readPump({.flow1 = "10", .flow2 = "30", .head1 = "40", .head2 = "20", .power = "1"})));
}

TEST(RangeRecords, RunOnTheirLineOnly) {
    const curves::Pump pump = curves::readPump({.flow1 = "10", .flow2 = "30", .head1 = "40", .head2 = "20"});
    // The line 50 − q meets 10 + 18·(q/25)² where 18q²/625 + q − 40 = 0 (the quadratic formula).
    const DutyFigures f = dutyFigures(pump, {25, 28, 10, {}});
    expectClose(f.headAtDutyFlow, 25.0);
    ASSERT_TRUE(f.working);
    expectClose(f.working->flow, 23.752111432265785);
    expectClose(f.working->head, 26.247888567734215);
    EXPECT_FALSE(f.efficiencyPct || f.shaftPowerKw || f.npshRequired || f.bestEfficiencyFlow || f.inPreferredRegion);
    EXPECT_FALSE(dutyFigures(pump, {31, 28, std::nullopt, {}}).headAtDutyFlow);
    EXPECT_FALSE(dutyFigures(pump, {9, 28, std::nullopt, {}}).headAtDutyFlow);
}
