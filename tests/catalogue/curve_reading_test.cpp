// A record's curve keys become a curve only when 曲线流量 and 曲线扬程 make
// one; otherwise the record is a range record, and the reason is told.
#include "catalogue/pump_curve.h"

#include <gtest/gtest.h>

using namespace pumpsel::curves;

namespace {

std::vector<CurveProblem> problemsOf(const StoredPump& stored, Pump* pump = nullptr) {
    std::vector<CurveProblem> problems;
    const Pump read = readPump(stored, &problems);
    if (pump) *pump = read;
    return problems;
}

std::vector<std::string> textsOf(const std::vector<CurveProblem>& problems) {
    std::vector<std::string> texts;
    for (const auto& p : problems) texts.push_back(problemText(p));
    return texts;
}

}  // namespace

TEST(CurveLists, SplitAtBothCommasTrimBlanksAndKeepEmptyEntriesUnknown) {
    const std::vector<Entry> expected = {0.0, 10.5, std::nullopt, 30.0, std::nullopt};
    EXPECT_EQ(parseList("0,10.5， ,\t30 ，"), expected);
    // The number rule reads what it can, as it reads 流量1.
    EXPECT_EQ(parseList("12m3/h,abc"), (std::vector<Entry>{12.0, 0.0}));
}

TEST(CurveLists, AWellFormedCurveIsUsedWithItsOptionalListsOverTheirKnownEntries) {
    Pump pump;
    const auto problems = problemsOf({.flows = "0, 10，20,30",
                                      .heads = "40,38,33,25",
                                      .efficiency = ",60,75,",
                                      .shaftPower = "1,2,3,4",
                                      .npsh = "unknown",
                                      .speed = "2900"},
                                     &pump);
    EXPECT_TRUE(problems.empty()) << problemText(problems.front());
    EXPECT_EQ(pump.data, Data::Curve);
    EXPECT_EQ(pump.head.at(20), 33.0);
    EXPECT_EQ(pump.head.at(30), 25.0);
    EXPECT_FALSE(pump.head.at(30.000001));
    // Efficiency is known from 10 to 20 only: two known entries make a line.
    EXPECT_FALSE(pump.efficiency.at(5));
    EXPECT_DOUBLE_EQ(*pump.efficiency.at(15), 67.5);
    EXPECT_FALSE(pump.efficiency.at(25));
    EXPECT_EQ(pump.bestEfficiencyFlow, 20.0);
    EXPECT_TRUE(pump.npsh.empty());  // "unknown" is no list
    EXPECT_EQ(pump.ratedSpeed, 2900.0);
}

TEST(CurveLists, FaultsOfFlowsOrHeadsMakeARangeRecordAndSayWhy) {
    struct Case {
        std::string_view flows, heads;
        std::vector<std::string> problems;
    };
    const std::vector<Case> cases = {
        {"0,10,20,30,40", "40,38,33,25", {"曲线扬程 has 4 entries, 曲线流量 5: the record is read as a range record"}},
        {"0,10,10,30", "40,38,33,25", {"曲线流量 entry 3 is not above entry 2: the record is read as a range record"}},
        {"0,20,10,30", "40,38,33,25", {"曲线流量 entry 3 is not above entry 2: the record is read as a range record"}},
        {"0,10", "40,38", {"曲线流量 has 2 entries, a curve needs at least 3: the record is read as a range record"}},
        {"0,10,20", "40,,33", {"曲线扬程 entry 2 has no value: the record is read as a range record"}},
        {"0,10,20,", "40,38,33,25", {"曲线流量 entry 4 has no value: the record is read as a range record"}},
        {"0,10,20",
         "1e400,38,33",
         {"曲线扬程 entry 1 \"1e400\" is too large for a number: it counts as unknown",
          "曲线扬程 entry 1 has no value: the record is read as a range record"}},
        {"0,10,20", "unknown", {"曲线扬程 is missing while 曲线流量 is given: the record is read as a range record"}},
        {"  ", "40,38,33", {"曲线流量 is missing while 曲线扬程 is given: the record is read as a range record"}},
    };
    for (const Case& c : cases) {
        Pump pump;
        const auto problems = problemsOf(
            {.flow1 = "10", .flow2 = "30", .head1 = "40", .head2 = "20", .flows = c.flows, .heads = c.heads}, &pump);
        EXPECT_EQ(textsOf(problems), c.problems) << c.flows << " / " << c.heads;
        // The range's line stands in.
        EXPECT_EQ(pump.data, Data::Range);
        EXPECT_EQ(pump.head.at(20), 30.0);
        EXPECT_FALSE(pump.head.at(5));
    }
}

TEST(CurveLists, AnOptionalListOfAnotherLengthIsIgnoredAndAnEntryThatIsNoNumberReadAsTheRuleReadsIt) {
    Pump pump;
    const auto problems = problemsOf({.flows = "0,10,20,30",
                                      .heads = "40,38m,33,25",
                                      .efficiency = "50,60,70",
                                      .shaftPower = "1,2,3,4,5",
                                      .npsh = "1,1.5,2,3",
                                      .speed = "0"},
                                     &pump);
    EXPECT_EQ(textsOf(problems), (std::vector<std::string>{
                                     "曲线扬程 entry 2 \"38m\" is not a number: the program computes with 38",
                                     "曲线效率 has 3 entries, 曲线流量 4: the list is ignored",
                                     "曲线功率 has 5 entries, 曲线流量 4: the list is ignored",
                                     "转速 0 is not above 0: no rated speed is known",
                                 }));
    EXPECT_EQ(pump.data, Data::Curve);
    EXPECT_EQ(pump.head.at(10), 38.0);
    EXPECT_TRUE(pump.efficiency.empty());
    EXPECT_FALSE(pump.bestEfficiencyFlow);
    EXPECT_TRUE(pump.shaftPower.empty());
    EXPECT_EQ(pump.npsh.at(20), 2.0);
    EXPECT_FALSE(pump.ratedSpeed);
}

TEST(CurveLists, TheBestEfficiencyFlowIsTheFirstOfEqualHighestEntries) {
    const Pump pump = readPump({.flows = "0,10,20,30", .heads = "40,38,33,25", .efficiency = "0,70,70,"});
    EXPECT_EQ(pump.bestEfficiencyFlow, 10.0);
}

TEST(RangeRecords, KeepTheLineBetweenTheEndsOfTheRangeAndNothingElse) {
    const Pump pump = readPump({.flow1 = "10", .flow2 = "30", .head1 = "40", .head2 = "20", .power = "3kW"});
    EXPECT_EQ(pump.data, Data::Range);
    EXPECT_EQ(pump.head.at(10), 40.0);
    EXPECT_EQ(pump.head.at(20), 30.0);
    EXPECT_EQ(pump.head.at(30), 20.0);
    EXPECT_FALSE(pump.head.at(9.999));
    EXPECT_FALSE(pump.head.at(30.001));
    EXPECT_TRUE(pump.efficiency.empty() && pump.shaftPower.empty() && pump.npsh.empty());
    EXPECT_FALSE(pump.motorPower);  // "3kW" is not a number

    // A range that runs backwards or is one flow holds no line.
    EXPECT_TRUE(readPump({.flow1 = "30", .flow2 = "10", .head1 = "40", .head2 = "20"}).head.empty());
    EXPECT_TRUE(readPump({.flow1 = "10", .flow2 = "10", .head1 = "40", .head2 = "20"}).head.empty());
}
