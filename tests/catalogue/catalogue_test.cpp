// The catalogue's paths, keys and enumerations.
#include "catalogue/catalogue.h"
#include "storage/profile.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace pumpsel;
using catalogue::Catalogue;
using testing_support::TempDir;
using testing_support::writeGbk;

namespace {

// Kinds 1, 2 and 4 (after a gap); makers 1 to 3 of 离心泵, maker 2 with an
// empty 2yb and names that leave the catalogue.
const std::string kIndex =
    "[种类]\n1=离心泵\n1mem=清水\n2=潜水泵\n4=深井泵\n"
    "[离心泵]\n1=A\n1file=a.dat\n1pic=a.png\n"
    "2=B\n2yb=\n2file=..\\..\\etc\\passwd\n2pic=/etc/hosts\n"
    "3=C\n3file=sub\\c.dat\n3pic=sub/c.png\n";

}  // namespace

TEST(CatalogueKeys, NumberFirstThenWord) {
    EXPECT_EQ(catalogue::numberedKey(3), "3");
    EXPECT_EQ(catalogue::numberedKey(3, "file"), "3file");
    EXPECT_EQ(catalogue::numberedKey(12, "mem"), "12mem");
    EXPECT_EQ(catalogue::orNotGiven("unknown"), "不详");
    EXPECT_EQ(catalogue::orNotGiven(""), "");
    EXPECT_EQ(catalogue::orNotGiven("Unknown"), "Unknown");
}

TEST(CatalogueLayout, PathsLieUnderTheProgramFolder) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", kIndex);
    Catalogue cat(dir.path());
    EXPECT_EQ(cat.indexPath(), dir.path() / "txt" / "bump.dat");
    EXPECT_EQ(cat.reportPath(), dir / "水泵选型结果.txt");
    EXPECT_EQ(cat.textFile("水泵选型.txt"), dir / "txt/水泵选型.txt");
    EXPECT_EQ(cat.makerDataFile("离心泵", 1), dir.path() / "txt" / "a.dat");
    EXPECT_EQ(cat.makerPicture("离心泵", 1), dir.path() / "images" / "a.png");
    EXPECT_EQ(cat.makerThumbnail("离心泵", 1), dir.path() / "images" / "sm_a.png");
    // A backslash is a folder separator everywhere.
    EXPECT_EQ(cat.makerDataFile("离心泵", 3), dir.path() / "txt" / "sub" / "c.dat");
    EXPECT_EQ(cat.makerPicture("离心泵", 3), dir.path() / "images" / "sub" / "c.png");
    // A missing key names a file called "unknown", which normally does not exist.
    EXPECT_EQ(cat.makerDataFile("离心泵", 9), dir.path() / "txt" / "unknown");
}

TEST(CatalogueLayout, NamesThatLeaveTheCatalogueNameNoFile) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", kIndex);
    Catalogue cat(dir.path());
    EXPECT_TRUE(cat.makerDataFile("离心泵", 2).empty());
    EXPECT_TRUE(cat.makerPicture("离心泵", 2).empty());
    EXPECT_EQ(ini::ReadProfileValue(cat.makerDataFile("离心泵", 2), "root", "x"), "unknown");
    EXPECT_FALSE(ini::writeValue(cat.makerDataFile("离心泵", 2), "1", "型号", "x").ok);
    const std::filesystem::path folder = dir.path();
    for (const char* bad : {"", "..", "a\\..\\..\\b", "\\abs", "/abs", "C:\\x", "c:x", "\\\\server\\share"})
        EXPECT_TRUE(catalogue::insideFolder(folder, bad).empty()) << bad;
    EXPECT_EQ(catalogue::insideFolder(folder, "a\\.\\b"), folder / "a" / "b");
    EXPECT_EQ(catalogue::insideFolder(folder, "a\\\\b"), folder / "a" / "b");
}

TEST(CatalogueLayout, KindsMakersAndNotGiven) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", kIndex);
    Catalogue cat(dir.path());
    std::vector<std::string> kinds;
    auto kindsFound = catalogue::enumerate([&](int k) { return cat.kindName(k); },
                                           [&](int, const std::string& name) { kinds.push_back(name); });
    EXPECT_EQ(kindsFound.count, 2);  // kind 4 lies after a gap
    EXPECT_FALSE(kindsFound.limitReached);
    EXPECT_EQ(kinds, (std::vector<std::string>{"离心泵", "潜水泵"}));
    EXPECT_EQ(cat.kindDescription(1), "清水");
    EXPECT_EQ(cat.kindDescription(2), "不详");
    EXPECT_EQ(cat.makerValue("离心泵", 2, "yb"), "");
    EXPECT_EQ(catalogue::orNotGiven(cat.makerValue("离心泵", 2, "tel")), "不详");
}

TEST(CatalogueLayout, MissingIndexListsNothing) {
    TempDir dir;
    Catalogue cat(dir.path());
    EXPECT_EQ(catalogue::enumerate([&](int k) { return cat.kindName(k); }).count, 0);
    EXPECT_EQ(cat.kindDescription(1), "不详");
}

TEST(Enumeration, StopsCleanlyAtTheCounterLimit) {
    int calls = 0;
    auto result = catalogue::enumerate([&](int) {
        ++calls;
        return std::string("x");
    });
    EXPECT_EQ(result.count, 32767);
    EXPECT_TRUE(result.limitReached);
    EXPECT_EQ(calls, 32767);

    auto upTo = [](int last) {
        return catalogue::enumerate([last](int n) { return n <= last ? "x" : std::string("unknown"); });
    };
    EXPECT_EQ(upTo(32766).count, 32766);
    EXPECT_FALSE(upTo(32766).limitReached);
    EXPECT_EQ(upTo(0).count, 0);
}
