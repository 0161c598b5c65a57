// Selection across the makers of a kind: what is listed, in which order,
// with which figures, and which makers could not be read.
#include "catalogue/kind_search.h"
#include "storage/gbk.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pumpsel;
using testing_support::TempDir;

namespace {

void writeGbk(const TempDir& dir, const std::string& name, const std::string& utf8) {
    testing_support::writeBytes(dir / name, *gbk::fromUtf8(utf8));
}

std::string record(int n, const std::string& model, const std::string& f1, const std::string& f2, const std::string& h1,
                   const std::string& h2) {
    return "[" + std::to_string(n) + "]\r\n型号=" + model + "\r\n流量1=" + f1 + "\r\n流量2=" + f2 + "\r\n扬程1=" + h1 +
           "\r\n扬程2=" + h2 + "\r\n功率=1\r\n";
}

// Three makers with files, one without; duty point Q 100, H 50.
struct ThreeMakers {
    ThreeMakers() {
        writeGbk(dir, "txt/bump.dat",
                 "[种类]\r\n1=离心泵\r\n[离心泵]\r\n1=甲厂\r\n1file=a.dat\r\n2=乙厂\r\n2file=b.dat\r\n"
                 "3=丙厂\r\n3file=c.dat\r\n4=丁厂\r\n4file=d.dat\r\n5=戊厂\r\n5file=e.dat\r\n");
        writeGbk(dir, "txt/a.dat",
                 record(1, "A-centre", "50", "150", "60", "40") +     // head 50 at Q 100: deviation 0, position 50
                     record(2, "A-high", "100", "200", "60", "40") +  // head 60: +20 %, position 0
                     record(3, "A-flat", "100", "100", "55", "45") +  // flat: the higher head 55, +10 %, position 50
                     record(5, "A-after-gap", "0", "1000", "100", "0"));
        writeGbk(dir, "txt/b.dat",
                 record(1, "B-centre", "0", "200", "70", "30") +           // head 50: deviation 0, position 50
                     record(2, "B-near", "50", "90", "60", "40") +         // Q above 流量2 by 10 %
                     record(3, "B-far", "50", "89", "60", "40") +          // 11 %: beyond a 10 % tolerance
                     record(4, "B-reversed", "150", "50", "60", "40") +    // never fits: 流量1 > 流量2
                     record(5, "B-low-head", "50", "150", "47.5", "40"));  // H above 扬程1 by 5 %
        writeGbk(dir, "txt/c.dat", "; no records\r\n");
        writeGbk(dir, "txt/e.dat", record(1, "E", "0", "1", "1", "0"));
    }
    TempDir dir;
};

std::vector<std::string> listed(const ranking::KindListing& listing) {
    std::vector<std::string> out;
    for (const auto& p : listing.pumps) out.push_back(p.row.model);
    return out;
}

}  // namespace

TEST(KindSearch, FitsThenNearMissesInRankOrderWithTheirFigures) {
    ThreeMakers cat;
    const catalogue::Catalogue catalogue(cat.dir.path());
    const auto fitsOnly = ranking::searchKind(catalogue, "离心泵", {100, 50}, 0);
    EXPECT_EQ(listed(fitsOnly), (std::vector<std::string>{"A-centre", "B-centre", "A-flat", "A-high"}));
    EXPECT_EQ(fitsOnly.makers, 5);

    const auto withMisses = ranking::searchKind(catalogue, "离心泵", {100, 50}, 10);
    EXPECT_EQ(listed(withMisses),
              (std::vector<std::string>{"A-centre", "B-centre", "A-flat", "A-high", "B-low-head", "B-near"}));
    const auto& near = withMisses.pumps[5];
    EXPECT_FALSE(near.row.match->fits);
    EXPECT_EQ(ranking::missReason(*near.row.match), "流量高于上限 10.0%");
    EXPECT_EQ(ranking::missReason(*withMisses.pumps[4].row.match), "扬程高于上限 5.0%");
    EXPECT_EQ(ranking::missReason(*withMisses.pumps[0].row.match), "");
    EXPECT_EQ(near.maker, "乙厂");
    EXPECT_EQ(near.row.flowRange, "50.0 ～ 90.0");
    EXPECT_EQ(near.row.number, 2);

    const auto& high = withMisses.pumps[3];
    EXPECT_EQ(ranking::deviationText(high.headDeviation), "+20.0%");
    EXPECT_EQ(ranking::positionText(high.flowPosition), "0.0%");
    EXPECT_EQ(ranking::deviationText(withMisses.pumps[2].headDeviation), "+10.0%");  // flat: the higher head
    EXPECT_EQ(ranking::positionText(withMisses.pumps[2].flowPosition), "50.0%");
    EXPECT_EQ(ranking::deviationText(withMisses.pumps[4].headDeviation), "-12.5%");
    const auto noHead = ranking::searchKind(catalogue, "离心泵", {0.5f, 0}, 0);
    ASSERT_EQ(listed(noHead), std::vector<std::string>{"E"});
    EXPECT_EQ(ranking::deviationText(noHead.pumps[0].headDeviation), "—");
}

TEST(KindSearch, MakersWhoseFilesGiveNothingAreNamed) {
    ThreeMakers cat;
    std::filesystem::create_directory(cat.dir / "txt/e.dat.folder");
    writeGbk(cat.dir, "txt/bump.dat",
             "[种类]\r\n1=离心泵\r\n[离心泵]\r\n1=甲厂\r\n1file=a.dat\r\n2=乙厂\r\n2file=b.dat\r\n"
             "3=丙厂\r\n3file=c.dat\r\n4=丁厂\r\n4file=d.dat\r\n5=戊厂\r\n5file=e.dat.folder\r\n6=己厂\r\n6file=..\\x."
             "dat\r\n");
    const auto listing = ranking::searchKind(catalogue::Catalogue(cat.dir.path()), "离心泵", {100, 50}, 0);
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
    const auto cancelled =
        ranking::searchKind(catalogue::Catalogue(cat.dir.path()), "离心泵", {100, 50}, 0, [&](int, int total) {
            EXPECT_EQ(total, 6);
            return false;
        });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.pumps.empty());
}
