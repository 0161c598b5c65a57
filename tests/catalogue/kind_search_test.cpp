// Selection across the makers of a kind: what is listed, in which order,
// with which figures, and which makers could not be read. Figures of range
// records are worked out by hand; those of curves with scipy 1.10
// (PchipInterpolator, brentq), as the comments say.
#include "catalogue/kind_search.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pumpsel;
using testing_support::PumpRecord;
using testing_support::TempDir;
using testing_support::writeGbk;

namespace {

// A pump of power 1 without a remark.
std::string pump(int number, const std::string& model, const std::string& flow1, const std::string& flow2,
                 const std::string& head1, const std::string& head2) {
    return PumpRecord{.number = number,
                      .model = model,
                      .flow1 = flow1,
                      .flow2 = flow2,
                      .head1 = head1,
                      .head2 = head2,
                      .power = "1",
                      .remark = std::nullopt}
        .text();
}

// Three makers with files, one without; duty point Q 100, H 50.
struct ThreeMakers {
    ThreeMakers() {
        writeGbk(dir / "txt/bump.dat",
                 "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n"
                 "3=丙厂\n3file=c.dat\n4=丁厂\n4file=d.dat\n5=戊厂\n5file=e.dat\n");
        writeGbk(dir / "txt/a.dat",
                 pump(1, "A-centre", "50", "150", "60", "40") +     // head 50 at Q 100: deviation 0, position 50
                     pump(2, "A-high", "100", "200", "60", "40") +  // head 60: +20 %, position 0
                     pump(3, "A-flat", "100", "100", "55", "45") +  // flat: the higher head 55, +10 %, position 50
                     pump(5, "A-after-gap", "0", "1000", "100", "0"));
        writeGbk(dir / "txt/b.dat", pump(1, "B-centre", "0", "200", "70", "30") +  // head 50: deviation 0, position 50
                                        pump(2, "B-near", "50", "90", "60", "40") +  // Q above 流量2 by 10 %
                                        pump(3, "B-far", "50", "89", "60", "40") +   // 11 %: beyond a 10 % tolerance
                                        pump(4, "B-reversed", "105", "95", "60", "40") +  // never fits: 流量1 > 流量2
                                        pump(5, "B-low-head", "50", "150", "47.5", "40"));  // H above 扬程1 by 5 %
        writeGbk(dir / "txt/c.dat", "; no records\n");
        writeGbk(dir / "txt/e.dat", pump(1, "E", "0", "1", "1", "0"));
    }
    TempDir dir;
};

ranking::KindListing search(const TempDir& dir, const std::string& flow, const std::string& head, double tolerance,
                            const duty::Selection& selection = {}) {
    return ranking::searchKind(catalogue::Catalogue(dir.path()), "离心泵", *duty::DutyPoint::holdable(flow, head),
                               tolerance, selection);
}

std::vector<std::string> listed(const ranking::KindListing& listing) {
    std::vector<std::string> out;
    for (const auto& p : listing.pumps) out.push_back(p.row.model);
    return out;
}

}  // namespace

// A range of one flow (A-flat) has no line: its head deviation is unknown,
// and it goes after the fits that have one.
TEST(KindSearch, FitsThenNearMissesInRankOrderWithTheirFigures) {
    ThreeMakers cat;
    const auto fitsOnly = search(cat.dir, "100", "50", 0);
    EXPECT_EQ(listed(fitsOnly), (std::vector<std::string>{"A-centre", "B-centre", "A-high", "A-flat"}));
    EXPECT_EQ(fitsOnly.makers, 5);

    // B-reversed misses by 5 % on either side of its backward range: nothing fits it, it is left out.
    const auto withMisses = search(cat.dir, "100", "50", 10);
    EXPECT_EQ(listed(withMisses),
              (std::vector<std::string>{"A-centre", "B-centre", "A-high", "A-flat", "B-low-head", "B-near"}));
    const auto& near = withMisses.pumps[5];
    EXPECT_FALSE(near.row.match->fits);
    EXPECT_EQ(ranking::missReason(*near.row.match), "流量高于上限 10.0%");
    EXPECT_EQ(ranking::missReason(*withMisses.pumps[4].row.match), "扬程高于上限 5.0%");
    EXPECT_EQ(ranking::missReason(*withMisses.pumps[0].row.match), "");
    EXPECT_EQ(near.maker, "乙厂");
    EXPECT_EQ(near.row.flowRange, "50.0 ～ 90.0");
    EXPECT_EQ(near.row.number, 2);
    // Q 100 lies beyond B-near's range 50 to 90: its line says nothing there.
    EXPECT_EQ(ranking::deviationText(near.figures.headDeviation), "—");
    EXPECT_EQ(ranking::positionText(near.figures.flowPosition), "—");

    const auto& high = withMisses.pumps[2];
    EXPECT_EQ(ranking::deviationText(high.figures.headDeviation), "+20.0%");
    EXPECT_EQ(ranking::positionText(high.figures.flowPosition), "0.0%");
    EXPECT_EQ(ranking::deviationText(withMisses.pumps[3].figures.headDeviation), "—");  // flat
    EXPECT_EQ(ranking::positionText(withMisses.pumps[3].figures.flowPosition), "50.0%");
    // B-low-head, Q within its range: the line 47.5 → 40 over 50 → 150 gives 43.75 m at 100.
    EXPECT_EQ(ranking::deviationText(withMisses.pumps[4].figures.headDeviation), "-12.5%");
    const auto noHead = search(cat.dir, "0.5", "0", 0);
    ASSERT_EQ(listed(noHead), std::vector<std::string>{"E"});
    EXPECT_EQ(ranking::deviationText(noHead.pumps[0].figures.headDeviation), "—");
}

// Q 100, H 50. Deviations by hand from the line between the range's corners.
TEST(KindSearch, RanksOnTheFiguresAsShownAndPutsPumpsShortOfTheHeadAfterThoseThatMeetIt) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n");
    writeGbk(dir / "txt/a.dat",
             pump(1, "short-centre", "50", "150", "57.5", "37.5") +       // 47.5 m at Q: -5.0 %, position 50
                 pump(2, "meets-edge", "100", "200", "52.5", "40") +      // 52.5 m: +5.0 %, position 0
                 pump(3, "low-edge", "100", "200", "50.98", "40") +       // 50.98 m: +1.96 % shows +2.0 %, position 0
                 pump(4, "high-centre", "50", "150", "61.02", "41.02") +  // 51.02 m: +2.04 % shows +2.0 %, 50
                 pump(5, "miss-17", "50", "82.96", "60", "40"));          // Q above 流量2 by 17.04 %, shown 17.0 %
    const auto fits = search(dir, "100", "50", 0);
    EXPECT_EQ(listed(fits), (std::vector<std::string>{"high-centre", "low-edge", "meets-edge", "short-centre"}));
    EXPECT_EQ(ranking::deviationText(fits.pumps[1].figures.headDeviation), "+2.0%");
    EXPECT_EQ(ranking::deviationText(fits.pumps[3].figures.headDeviation), "-5.0%");

    // The miss is compared as shown: 17.0 % is within a tolerance of 17.
    const auto within17 = search(dir, "100", "50", 17);
    ASSERT_EQ(within17.pumps.size(), 5u);
    EXPECT_EQ(within17.pumps[4].row.model, "miss-17");
    EXPECT_EQ(ranking::missReason(*within17.pumps[4].row.match), "流量高于上限 17.0%");
    EXPECT_EQ(search(dir, "100", "50", 16).pumps.size(), 4u);
}

namespace {
// 甲厂: C1, a curve (as in the README), and R1, a range; 乙厂: C2, a curve
// whose range misses each pump's share of the duty point (Q 40, H 30, two in
// parallel) by 10 % but whose curve covers it.
void writeCurveMakers(const TempDir& dir) {
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n");
    writeGbk(dir / "txt/a.dat",
             "[1]\n型号=C1\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=单级, 卧式\n"
             "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
             "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n"
             "[2]\n型号=R1\n流量1=15\n流量2=25\n扬程1=34\n扬程2=26\n功率=2.2\n备注=\n");
    writeGbk(dir / "txt/b.dat",
             "[1]\n型号=C2\n流量1=22\n流量2=35\n扬程1=40\n扬程2=30\n功率=4\n备注=备用\n"
             "曲线流量=0,15,30,45\n曲线扬程=45,42,36,26\n");
}
}  // namespace

// Two pumps in parallel for Q 40, H 30 over Hs 10: each pump's share is 20 m³/h at 30 m.
TEST(KindSearch, RanksCurveAndRangeRecordsOnTheirHydraulicsWithSystemCurveParallelPumpsAndSpeed) {
    TempDir dir;
    writeCurveMakers(dir);
    const duty::Selection selection{10.0, {2, false}, true, duty::FlowUnit::CubicMetresPerHour};
    const auto listing = search(dir, "40", "30", 10, selection);
    std::vector<std::vector<std::string>> rows;
    for (const auto& pump : listing.pumps) rows.push_back(ranking::rowTexts(pump, selection));
    EXPECT_EQ(ranking::headerTexts(selection),
              (std::vector<std::string>{"厂家", "型号", "数据", "流量(m³/h)", "扬程(m)", "功率(kW)", "扬程偏差",
                                        "流量位置", "运行点流量(m³/h)", "运行点扬程(m)", "效率(%)", "轴功率(kW)",
                                        "汽蚀余量(m)", "高效区", "转速(r/min)", "说明", "备注"}));
    // R1 by hand: the line 34 → 26 over 15 → 25 gives 30 m at 20, a 0.0 % deviation, position 50 %;
    // the pair's curve 46 − 0.4q meets 10 + 20(q/40)² at q = 40, h = 30; the parabola 30(q/40)²
    // meets it there too, so the speed ratio is 1, but R1 has no 转速.
    // C1 by scipy: H₁(20) = 35 (+16.7 %), operating point 43.645 m³/h at 33.811 m, each pump at
    // 21.822 m³/h: η 69.77 %, 2.8071 kW, NPSH 1.955 m, 1.091 of the BEP flow 20; speed ratio
    // 0.93739, 2718.4 r/min.
    // C2 by scipy: H₁(20) = 40.407 (+34.7 %); operating point 48.006 m³/h at 38.807 m; no
    // efficiency or power known; speed ratio 0.874, but no 转速.
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"甲厂", "R1", "范围", "15.0 ～ 25.0", "34.0 ～ 26.0", "2.2", "0.0%", "50.0%", "40.0", "30.0",
                         "—", "—", "—", "—", "—", "", ""},
                        {"甲厂", "C1", "曲线", "10.0 ～ 30.0", "40.0 ～ 27.0", "3.3", "+16.7%", "50.0%", "43.6", "33.8",
                         "69.8", "2.81", "2.0", "是", "2718", "", "单级, 卧式"},
                        {"乙厂", "C2", "曲线", "22.0 ～ 35.0", "40.0 ～ 30.0", "4", "+34.7%", "—", "48.0", "38.8", "—",
                         "—", "—", "—", "—", "流量低于下限 10.0%", "备用"}}));
    ASSERT_EQ(listing.pumps.size(), 3u);
    EXPECT_NEAR(*listing.pumps[1].figures.speed, 2718.435862198982, 1e-6);
    EXPECT_NEAR(listing.pumps[1].figures.working->flow, 43.64456828082169, 1e-9);

    // The same in L/s (Q 40 m³/h = 11.1 L/s): flows taken and shown in L/s, the rest alike.
    const duty::Selection litres{10.0, {2, false}, false, duty::FlowUnit::LitresPerSecond};
    const auto inLitres = search(dir, "11.111111111111111", "30", 10, litres);
    ASSERT_EQ(inLitres.pumps.size(), 3u);
    const auto c1 = ranking::rowTexts(inLitres.pumps[1], litres);
    EXPECT_EQ(ranking::headerTexts(litres)[3], "流量(L/s)");
    EXPECT_EQ(ranking::headerTexts(litres)[8], "运行点流量(L/s)");
    EXPECT_EQ(ranking::headerTexts(litres).size(), 16u);  // no speed column
    EXPECT_EQ(c1[3], "2.8 ～ 8.3");                       // 10/3.6 and 30/3.6
    EXPECT_EQ(c1[6], "+16.7%");
    EXPECT_EQ(c1[8], "12.1");  // 43.645/3.6
}

// A listing for two pumps in parallel at the duty point alone, ranked again
// over Hs 10 with the speed, in L/s, gives the rows a search for those gives
// (C1's operating point 43.645 m³/h = 12.1 L/s and 2718.4 r/min by scipy, above).
TEST(KindSearch, RankedAgainForAnotherStaticHeadSpeedAndUnitAsASearchRanks) {
    TempDir dir;
    writeCurveMakers(dir);
    const duty::Selection before{std::nullopt, {2, false}, false, duty::FlowUnit::CubicMetresPerHour};
    const duty::Selection after{10.0, {2, false}, true, duty::FlowUnit::LitresPerSecond};
    ASSERT_TRUE(ranking::listsAlike(before, after));
    EXPECT_FALSE(ranking::listsAlike(before, {std::nullopt, {3, false}, false, {}}));
    EXPECT_FALSE(ranking::listsAlike(before, {std::nullopt, {2, true}, false, {}}));
    auto listing = search(dir, "40", "30", 10, before);
    ranking::rerank(listing.pumps, *duty::DutyPoint::holdable("11.111111111111111", "30"), after);
    const auto fresh = search(dir, "11.111111111111111", "30", 10, after);
    ASSERT_EQ(listing.pumps.size(), fresh.pumps.size());
    for (std::size_t i = 0; i < fresh.pumps.size(); ++i)
        EXPECT_EQ(ranking::rowTexts(listing.pumps[i], after), ranking::rowTexts(fresh.pumps[i], after));
    const auto c1 = ranking::rowTexts(listing.pumps[1], after);
    EXPECT_EQ(c1[1], "C1");
    EXPECT_EQ(c1[3], "2.8 ～ 8.3");
    EXPECT_EQ(c1[8], "12.1");
    EXPECT_EQ(c1[14], "2718");
}

// 30 m³/h given as 30/3.6 = 8.333333333333334 L/s, as the window gives it,
// is 30 again: a range ending at 30 holds it and has figures there (the
// line from (10, 40) to (30, 20) gives 20 m at 30, -33.3 % against 30 m).
TEST(KindSearch, AFlowInLitresPerSecondMeetsARangesEndAsInCubicMetres) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n");
    writeGbk(dir / "txt/a.dat", pump(1, "Z", "10", "30", "40", "20"));
    const duty::Selection litres{std::nullopt, {1, false}, false, duty::FlowUnit::LitresPerSecond};
    const auto listing = search(dir, "8.333333333333334", "30", 10, litres);
    ASSERT_EQ(listing.pumps.size(), 1u);
    const auto z = ranking::rowTexts(listing.pumps[0], litres);
    EXPECT_EQ(z[6], "-33.3%");
    EXPECT_EQ(z[7], "100.0%");
    EXPECT_EQ(z[8], "8.3");
    EXPECT_EQ(z[9], "20.0");
}

TEST(KindSearch, MakersWhoseFilesGiveNothingAreNamed) {
    ThreeMakers cat;
    std::filesystem::create_directory(cat.dir / "txt/e.dat.folder");
    writeGbk(cat.dir / "txt/bump.dat",
             "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n"
             "3=丙厂\n3file=c.dat\n4=丁厂\n4file=d.dat\n5=戊厂\n5file=e.dat.folder\n6=己厂\n6file=..\\x."
             "dat\n");
    const auto listing = search(cat.dir, "100", "50", 0);
    ASSERT_EQ(listing.unread.size(), 4u);
    EXPECT_EQ(listing.unread[0].maker, "丙厂");
    EXPECT_EQ(listing.unread[0].problem, ranking::FileProblem::Empty);
    EXPECT_EQ(listing.unread[1].maker, "丁厂");
    EXPECT_EQ(listing.unread[1].problem, ranking::FileProblem::Missing);
    EXPECT_EQ(listing.unread[2].problem, ranking::FileProblem::Unreadable);
    EXPECT_EQ(listing.unread[3].fileName, "..\\x.dat");
    EXPECT_EQ(listing.unread[3].problem, ranking::FileProblem::Missing);

    // Cancelled at the first question: the helper thread may have scanned
    // makers by then (a later question may never come when it scans them all).
    const auto cancelled = ranking::searchKind(catalogue::Catalogue(cat.dir.path()), "离心泵",
                                               *duty::DutyPoint::holdable("100", "50"), 0, {}, [&](int, int total) {
                                                   EXPECT_EQ(total, 6);
                                                   return false;
                                               });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.pumps.empty());
}
