// pumpsel-ini search lists what the window 全部厂家选型 lists, in its order
// and with its texts, and says by its exit status whether anything was found.
#include "catalogue/kind_search.h"
#include "maintenance/tool_run.h"
#include "storage/gbk.h"

#include <gtest/gtest.h>

using namespace pumpsel;
using testing_support::runTool;
using testing_support::TempDir;

namespace {

std::string record(int n, const std::string& model, const std::string& flow1, const std::string& flow2) {
    return "[" + std::to_string(n) + "]\r\n型号=" + model + "\r\n流量1=" + flow1 + "\r\n流量2=" + flow2 +
           "\r\n扬程1=60\r\n扬程2=40\r\n功率=1.5\r\n";
}

// Maker 甲厂 has a fit on the centre, a fit off it and a near miss; 乙厂's file is missing.
struct TwoMakers {
    TwoMakers() {
        write("txt/bump.dat", "[种类]\r\n1=离心泵\r\n[离心泵]\r\n1=甲厂\r\n1file=a.dat\r\n2=乙厂\r\n2file=b.dat\r\n");
        write("txt/a.dat",
              record(1, "A-high", "100", "200") + record(2, "A-near", "50", "90") + record(3, "A-centre", "50", "150"));
    }
    void write(const std::string& name, const std::string& utf8) const {
        testing_support::writeBytes(dir / name, *gbk::fromUtf8(utf8));
    }
    TempDir dir;
};

}  // namespace

TEST(SearchCommand, ListsFitsThenNearMissesWithTheWindowsTextsAndNamesUnreadMakers) {
    TwoMakers cat;
    const auto run = runTool({"search", cat.dir.path().string(), "离心泵", "100", "50"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "厂家\t型号\t流量(m3/h)\t扬程(m)\t功率(kw)\t扬程偏差\t流量位置\t说明\n"
              "甲厂\tA-centre\t50.0 ～ 150.0\t60.0 ～ 40.0\t1.5\t0.0%\t50.0%\t\n"
              "甲厂\tA-high\t100.0 ～ 200.0\t60.0 ～ 40.0\t1.5\t+20.0%\t0.0%\t\n"
              "甲厂\tA-near\t50.0 ～ 90.0\t60.0 ～ 40.0\t1.5\t-30.0%\t125.0%\t流量高于上限 10.0%\n");
    EXPECT_EQ(run.err, "pumpsel-ini: maker 2 乙厂 (b.dat): the data file is missing\n");

    // The near miss goes below its miss; the CSV is the window's export of the same list.
    const auto csv = runTool({"search", cat.dir.path().string(), "离心泵", "100", " 50", "--csv", "--tolerance", "9"});
    EXPECT_EQ(csv.exitCode, 0);
    const auto listing = ranking::searchKind(catalogue::Catalogue(cat.dir.path()), "离心泵", {100, 50}, 9);
    ASSERT_EQ(listing.pumps.size(), 2u);
    EXPECT_EQ(csv.out, ranking::csvText({"离心泵", *duty::DutyPoint::holdable("100", " 50"), 9},
                                        {&listing.pumps[0], &listing.pumps[1]}));
}

TEST(SearchCommand, ExitsOneWithoutRowsAndTwoOnBadArgumentsWithTheReason) {
    TwoMakers cat;
    const std::string root = cat.dir.path().string();
    const auto none = runTool({"search", root, "离心泵", "1000", "50", "--tolerance", "0"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "厂家\t型号\t流量(m3/h)\t扬程(m)\t功率(kw)\t扬程偏差\t流量位置\t说明\n");

    const std::vector<std::vector<std::string>> bad = {
        {"search", root, "轴流泵", "100", "50"},                        // no such kind
        {"search", root, "离心泵", "100m", "50"},                       // not a number, as the window refuses it
        {"search", root, "离心泵", "100", "50", "--tolerance", "51"},   // the window offers 0 to 50
        {"search", root, "离心泵", "100", "50", "--tolerance", "2.5"},  // in whole percents
        {"search", (cat.dir / "nowhere").string(), "离心泵", "100", "50"},
        {"search", root, "离心泵", "100"},
        {"search", root, "离心泵", "100", "50", "--sort"},
    };
    for (const auto& args : bad) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args[2] << " " << args.back();
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(run.err.starts_with("pumpsel-ini: search: ")) << run.err;
    }
}
