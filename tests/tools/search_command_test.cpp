// pumpsel-ini search lists what the window 全部厂家选型 lists, in its order
// and with its texts, and says by its exit status whether anything was found.
#include "catalogue/kind_search.h"
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>

using namespace pumpsel;
using testing_support::PumpRecord;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeGbk;

namespace {

// A pump of 甲厂 with the heads 60 to 40 over its flow range.
std::string pump(int number, const std::string& model, const std::string& flow1, const std::string& flow2,
                 const std::string& remark) {
    return PumpRecord{.number = number,
                      .model = model,
                      .flow1 = flow1,
                      .flow2 = flow2,
                      .head1 = "60",
                      .head2 = "40",
                      .remark = remark}
        .text();
}

// Maker 甲厂 has a fit on the centre (with a remark of two lines), a fit off
// it and a near miss; 乙厂's file is missing.
struct TwoMakers {
    TwoMakers() {
        writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n");
        writeGbk(dir / "txt/a.dat", pump(1, "A-high", "100", "200", "") + pump(2, "A-near", "50", "90", "") +
                                        pump(3, "A-centre", "50", "150", "\"=立式\\r\\n\t备用\""));
    }
    TempDir dir;
};

const std::string kHeader =
    "厂家\t型号\t数据\t流量(m³/h)\t扬程(m)\t功率(kW)\t扬程偏差\t流量位置\t运行点流量(m³/h)\t运行点扬程(m)\t效率(%)\t"
    "轴功率(kW)\t汽蚀余量(m)\t高效区\t说明\t备注\n";

}  // namespace

TEST(SearchCommand, ListsFitsThenNearMissesWithTheWindowsTextsAndNamesUnreadMakers) {
    TwoMakers cat;
    const auto run = runTool({"search", cat.dir.path().string(), "离心泵", "100", "50"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    // The remark's line break and tab are written escaped; the near miss's figures beyond its range are "—".
    EXPECT_EQ(
        run.out,
        kHeader +
            "甲厂\tA-centre\t范围\t50.0 ～ 150.0\t60.0 ～ 40.0\t1.5\t0.0%\t50.0%\t100.0\t50.0\t—\t—\t—\t—\t\t"
            "=立式\\r\\n\\t备用\n"
            "甲厂\tA-high\t范围\t100.0 ～ 200.0\t60.0 ～ 40.0\t1.5\t+20.0%\t0.0%\t100.0\t60.0\t—\t—\t—\t—\t\t\n"
            "甲厂\tA-near\t范围\t50.0 ～ 90.0\t60.0 ～ 40.0\t1.5\t—\t—\t—\t—\t—\t—\t—\t—\t流量高于上限 10.0%\t\n");
    EXPECT_EQ(run.err, "pumpsel-ini: maker 2 乙厂 (b.dat): the data file is missing\n");

    // The near miss goes below its miss; the CSV is the window's export of the same list.
    const auto csv = runTool({"search", cat.dir.path().string(), "离心泵", "100", " 50", "--csv", "--tolerance", "9"});
    EXPECT_EQ(csv.exitCode, 0);
    // The remark gains its column, kept from running as a formula, its line break in quotes.
    EXPECT_EQ(
        csv.out,
        "\xEF\xBB\xBF水泵类型,离心泵,流量Q(m³/h),100,扬程H(m), 50,容差,9%\r\n"
        "厂家,型号,数据,流量(m³/h),扬程(m),功率(kW),扬程偏差,流量位置,运行点流量(m³/h),运行点扬程(m),效率(%),"
        "轴功率(kW),汽蚀余量(m),高效区,说明,备注\r\n"
        "甲厂,A-centre,范围,50.0 ～ 150.0,60.0 ～ 40.0,1.5,0.0%,50.0%,100.0,50.0,—,—,—,—,,\"'=立式\r\n\t备用\"\r\n"
        "甲厂,A-high,范围,100.0 ～ 200.0,60.0 ～ 40.0,1.5,+20.0%,0.0%,100.0,60.0,—,—,—,—,,\r\n");
}

TEST(SearchCommand, ExitsOneWithoutRowsAndTwoOnBadArgumentsWithTheReason) {
    TwoMakers cat;
    const std::string root = cat.dir.path().string();
    const auto none = runTool({"search", root, "离心泵", "1000", "50", "--tolerance", "0"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, kHeader);

    const std::vector<std::vector<std::string>> bad = {
        {"search", root, "轴流泵", "100", "50"},                        // no such kind
        {"search", root, "离心泵", "100m", "50"},                       // not a number, as the window refuses it
        {"search", root, "离心泵", "100", "50", "--tolerance", "51"},   // the window offers 0 to 50
        {"search", root, "离心泵", "100", "50", "--tolerance", "2.5"},  // in whole percents
        {"search", (cat.dir / "nowhere").string(), "离心泵", "100", "50"},
        {"search", root, "离心泵", "100"},
        {"search", root, "离心泵", "100", "50", "--sort"},
        {"search", root, "离心泵", "100", "50", "--pumps", "7"},
        {"search", root, "离心泵", "100", "50", "--static-head", "50"},  // Hs below H
        {"search", root, "离心泵", "100", "50", "--units", "gpm"},
        {"search", root, "离心泵", "0", "50", "--speed"},  // the speed's parabola needs a positive Q
    };
    for (const auto& args : bad) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args[2] << " " << args.back();
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(run.err.starts_with("pumpsel-ini: search: ")) << run.err;
    }
}

// The pump of the README's curve, two in parallel over a static head of 10 m,
// for 40 m³/h (11.1 L/s) at 30 m. Figures by scipy 1.10 (PchipInterpolator,
// brentq): operating point 43.645 m³/h (12.12 L/s) at 33.811 m, each pump
// at 21.822 m³/h with η 69.77 %, 2.8071 kW, NPSH 1.955 m; speed ratio
// 0.93739 of 2900 r/min. Its range 10 to 30 m³/h shows as 2.8 to 8.3 L/s.
TEST(SearchCommand, TakesTheSelectionOptionsAndShowsFlowsInLitresPerSecond) {
    TwoMakers cat;
    writeGbk(cat.dir / "txt/a.dat",
             "[1]\n型号=50-200\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=\n"
             "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
             "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n");
    const std::vector<std::string> args = {"search",  cat.dir.path().string(),
                                           "离心泵",  "11.111111111111111",
                                           "30",      "--static-head",
                                           "10",      "--pumps",
                                           "2",       "--speed",
                                           "--units", "L/s"};
    const auto run = runTool(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "厂家\t型号\t数据\t流量(L/s)\t扬程(m)\t功率(kW)\t扬程偏差\t流量位置\t运行点流量(L/s)\t运行点扬程(m)\t"
              "效率(%)\t轴功率(kW)\t汽蚀余量(m)\t高效区\t转速(r/min)\t说明\t备注\n"
              "甲厂\t50-200\t曲线\t2.8 ～ 8.3\t40.0 ～ "
              "27.0\t3.3\t+16.7%\t50.0%\t12.1\t33.8\t69.8\t2.81\t2.0\t是\t2718\t\t\n");

    auto csvArgs = args;
    csvArgs.push_back("--csv");
    const auto csv = runTool(csvArgs);
    EXPECT_TRUE(
        csv.out.starts_with("\xEF\xBB\xBF水泵类型,离心泵,流量Q(L/s),11.111111111111111,扬程H(m),30,容差,10%,"
                            "静扬程Hs(m),10,水泵台数,2台并联,调速,是\r\n"))
        << csv.out;

    // In series each pump takes half the head: 40 m³/h at 70 m is each pump's 40 at 35, which its
    // range misses by the flow alone, 25 %. By hand from the curve's points at 40: the pair gives
    // 2 × 15 = 30 m (-57.1 %), η 50, 3.40 kW, NPSH 4.5 m, twice the BEP flow 20.
    const auto series = runTool(
        {"search", cat.dir.path().string(), "离心泵", "40", "70", "--pumps", "2", "--series", "--tolerance", "25"});
    EXPECT_EQ(series.exitCode, 0) << series.err;
    EXPECT_TRUE(
        series.out.ends_with("\n甲厂\t50-200\t曲线\t10.0 ～ 30.0\t40.0 ～ 27.0\t3.3\t-57.1%\t—\t40.0\t30.0\t50.0\t"
                             "3.40\t4.5\t否\t流量高于上限 25.0%\t\n"))
        << series.out;
}
