// The catalogue's paths, keys and enumerations.
#include "catalogue/catalogue.h"
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace pumpsel;
using catalogue::Catalogue;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

std::string gbkIndex() {
    // [种类] 1=离心泵 1mem=清水 2=潜水泵 4=深井泵 ; [离心泵] makers 1, 2 (2 without 2yb)
    return "[\xD6\xD6\xC0\xE0]\r\n1=\xC0\xEB\xD0\xC4\xB1\xC3\r\n1mem=\xC7\xE5\xCB\xAE\r\n"
           "2=\xC7\xB1\xCB\xAE\xB1\xC3\r\n4=\xC9\xEE\xBE\xAE\xB1\xC3\r\n"
           "[\xC0\xEB\xD0\xC4\xB1\xC3]\r\n1=A\r\n1file=a.dat\r\n1pic=a.png\r\n"
           "2=B\r\n2yb=\r\n2file=..\\..\\etc\\passwd\r\n2pic=/etc/hosts\r\n"
           "3=C\r\n3file=sub\\c.dat\r\n3pic=sub/c.png\r\n";
}

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
    writeBytes(dir / "txt/bump.dat", gbkIndex());
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
    writeBytes(dir / "txt/bump.dat", gbkIndex());
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
    writeBytes(dir / "txt/bump.dat", gbkIndex());
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
