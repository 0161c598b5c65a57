// pumpsel-ini duty on a maker file written as publishers write it (GBK, CR
// LF): its keys in order, the JSON form, and exit 2 on what it cannot run.
// Expected figures: by hand where said, else scipy 1.10 (PchipInterpolator,
// brentq to 4 ulp).
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

using testing_support::runTool;

namespace {

// Record 1 has a curve (a full-width comma among its separators), record 2
// a curve too short to use, so its range stands; record 3 heads so large
// that figures overflow.
struct MakerFile {
    MakerFile() {
        testing_support::writeGbk(file,
                                  "[1]\n型号=A-1\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=\n"
                                  "曲线流量=0,10，20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
                                  "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n"
                                  "[2]\n型号=B-2\n流量1=10\n流量2=30\n扬程1=40\n扬程2=20\n功率=1.5\n"
                                  "曲线流量=0,10\n曲线扬程=40,30\n"
                                  "[3]\n型号=C-3\n曲线流量=0,1,2\n曲线扬程=1e308,1.5e308,1.7e308\n");
    }
    testing_support::TempDir dir;
    std::filesystem::path file = dir / "jn.dat";
    std::string name = file.string();
};

std::vector<std::pair<std::string, std::string>> keyValues(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        pairs.emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
    }
    return pairs;
}

}  // namespace

TEST(DutyCommand, PrintsAPumpsFiguresAsKeysInOrder) {
    MakerFile maker;
    // At a point of the curve every figure is exact: head 35, (35 − 30)/30·100,
    // the lists' entries at 20; the largest 曲线功率 from 10 to 30 is 3.2 < 3.3.
    const auto run = runTool({"duty", maker.name, "1", "20", "30"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "data=curve\nhead_at_duty_flow=35\nhead_deviation_pct=16.666666666666664\noperating_flow=20\n"
              "efficiency_pct=70\nshaft_power_kw=2.7\ntotal_power_kw=2.7\nper_pump_flow=20\nnpshr_m=1.8\n"
              "bep_flow=20\nbep_ratio=1\nin_por=yes\nmotor_overload=no\n");

    // The range's line, 40 − (20 − 10) = 30 at the duty flow (by hand); the
    // short curve is named on stderr.
    const auto range = runTool({"duty", maker.name, "2", "20", "27", "--speed"});
    EXPECT_EQ(range.exitCode, 0) << range.err;
    EXPECT_EQ(range.err,
              "pumpsel-ini: duty: record 2: 曲线流量 has 2 entries, a curve needs at least 3: the record is read as a "
              "range record\n");
    const auto pairs = keyValues(range.out);
    const std::vector<std::pair<std::string, std::string>> expected = {{"data", "range"},
                                                                       {"head_at_duty_flow", "30"},
                                                                       {"head_deviation_pct", "?"},
                                                                       {"operating_flow", "20"},
                                                                       {"efficiency_pct", ""},
                                                                       {"shaft_power_kw", ""},
                                                                       {"total_power_kw", ""},
                                                                       {"per_pump_flow", "20"},
                                                                       {"npshr_m", ""},
                                                                       {"bep_flow", ""},
                                                                       {"bep_ratio", ""},
                                                                       {"in_por", ""},
                                                                       {"motor_overload", ""},
                                                                       {"speed_ratio", "?"},
                                                                       {"speed_rpm", ""},
                                                                       {"speed_efficiency_pct", ""},
                                                                       {"speed_shaft_power_kw", ""}};
    ASSERT_EQ(pairs.size(), expected.size()) << range.out;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_EQ(pairs[i].first, expected[i].first);
        if (expected[i].second != "?") {
            EXPECT_EQ(pairs[i].second, expected[i].second) << pairs[i].first;
        }
    }
    // By hand: (30 − 27)/27·100; 27·(q/20)² meets 50 − q at q₁ = (−1 + √14.5)/0.135
    // (the quadratic formula), so r = 20/q₁.
    EXPECT_NEAR(std::stod(pairs[2].second), 100.0 / 9, 1e-13);
    EXPECT_NEAR(std::stod(pairs[13].second), 20 / ((-1 + std::sqrt(14.5)) / 0.135), 1e-14);
}

TEST(DutyCommand, JsonGivesTheSameKeysWithNullsAndWordsAsStrings) {
    MakerFile maker;
    // Two pumps in parallel on the system curve 10 + 20·(q/50)²; the speed
    // from the parabola 30·(q/50)² meeting H₁(q/2) at 50.88456791043418.
    const auto run =
        runTool({"duty", maker.name, "1", "50", "30", "--static-head", "10", "--pumps", "2", "--speed", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& item : json.items()) keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"data", "head_at_duty_flow", "head_deviation_pct", "operating_flow",
                                        "operating_head", "efficiency_pct", "shaft_power_kw", "total_power_kw",
                                        "per_pump_flow", "npshr_m", "bep_flow", "bep_ratio", "in_por", "motor_overload",
                                        "speed_ratio", "speed_rpm", "speed_efficiency_pct", "speed_shaft_power_kw"}));
    EXPECT_EQ(json["data"], "curve");
    EXPECT_EQ(json["in_por"], "no");  // each pump at 25.59 m³/h, 128 % of the best efficiency flow
    EXPECT_EQ(json["motor_overload"], "no");
    EXPECT_EQ(json["bep_flow"], 20);
    // A head deviation beyond the doubles is no figure, not "inf".
    const auto overflow = runTool({"duty", maker.name, "3", "0.5", "1", "--json"});
    EXPECT_EQ(overflow.exitCode, 0) << overflow.err;
    const auto huge = nlohmann::json::parse(overflow.out);
    EXPECT_GT(huge["head_at_duty_flow"].get<double>(), 1e308);
    EXPECT_TRUE(huge["head_deviation_pct"].is_null());

    const std::pair<const char*, double> figures[] = {
        {"head_at_duty_flow", 31.43076923076923},    {"operating_flow", 51.17517165168963},
        {"operating_head", 30.951185548639188},      {"efficiency_pct", 68.09454300205937},
        {"shaft_power_kw", 3.017964974795662},       {"total_power_kw", 6.035929949591324},
        {"per_pump_flow", 25.587585825844815},       {"npshr_m", 2.351376344666357},
        {"bep_ratio", 25.587585825844815 / 20},      {"speed_ratio", 0.9826161850879588},
        {"speed_rpm", 2849.5869367550804},           {"speed_efficiency_pct", 68.18159600259834},
        {"speed_shaft_power_kw", 2.8561756033657506}};
    for (const auto& [key, value] : figures) EXPECT_NEAR(json[key].get<double>(), value, 1e-12 * value) << key;
}

TEST(DutyCommand, SaysWhenNoSpeedMeetsTheDutyPointAndLeavesTheSpeedFiguresEmpty) {
    MakerFile maker;
    // 40·(q/20)² is at 40 above the curve's 35 at 20 m³/h: it meets the curve
    // at a smaller flow, so the pump would have to run faster than rated.
    const auto run = runTool({"duty", maker.name, "1", "20", "40", "--speed"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(
        run.err.starts_with("pumpsel-ini: duty: the duty point cannot be met by speed: the speed ratio would "
                            "be 1.0"))
        << run.err;
    EXPECT_TRUE(run.err.ends_with(", above the rated speed\n")) << run.err;
    EXPECT_TRUE(run.out.ends_with("speed_ratio=\nspeed_rpm=\nspeed_efficiency_pct=\nspeed_shaft_power_kw=\n"))
        << run.out;
}

TEST(DutyCommand, ExitsTwoOnBadArgumentsAMissingRecordOrAnUnreadableFile) {
    MakerFile maker;
    const std::string& f = maker.name;
    const std::vector<std::vector<std::string>> bad = {
        {"duty", f, "4", "20", "30"},                         // no record 4
        {"duty", f, "0", "20", "30"},                         // records count from 1
        {"duty", f, "1", "abc", "30"},                        // not a number
        {"duty", f, "1", "0", "30"},                          // not positive
        {"duty", f, "1", "20", "-30"},                        //
        {"duty", f, "1", "4e38", "30"},                       // beyond single precision
        {"duty", f, "1", "20", "30", "--static-head", "30"},  // not below H
        {"duty", f, "1", "20", "30", "--static-head", "-1"},  // below 0
        {"duty", f, "1", "20", "30", "--pumps", "7"},         // 1 to 6
        {"duty", f, "1", "20", "30", "--pumps", "1.5"},       //
        {"duty", (maker.dir / "missing.dat").string(), "1", "20", "30"},
        {"duty", maker.dir.path().string(), "1", "20", "30"},  // a folder
        {"duty", f, "1", "20"},
    };
    for (const auto& args : bad) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args[1] << " " << args[2] << " " << args.back();
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("pumpsel-ini: duty: ")) << run.err;
    }
}
