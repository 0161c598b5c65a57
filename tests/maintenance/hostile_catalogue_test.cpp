// A catalogue built to harm the maintainer who checks it: links that lead
// out of it, escape sequences in its names, a file named twice, faults on
// every line, and files far larger than catalogues are. Reads keep to the
// catalogue, terminals see no raw control characters, and the check keeps
// its work and memory near what the files themselves need.
#include "catalogue/catalogue.h"
#include "catalogue/record_scan.h"
#include "maintenance/check.h"
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>

using namespace pumpsel;
using testing_support::gbkText;
using testing_support::Limit;
using testing_support::PumpRecord;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

namespace {

namespace fs = std::filesystem;

struct HostileCatalogue {
    HostileCatalogue() {
        writeGbk(dir / "txt/bump.dat",
                 "[种类]\n1=离心泵\n"                                  // 1-2
                 "[离心泵]\n1=甲\x1b[2J厂\n1file=a.dat\n1pic=a.png\n"  // 3-6
                 "2=乙厂\n2file=out.dat\n2pic=out.png\n"               // 7-9
                 "3=丙厂\n3file=dir\\etc\\passwd\n3pic=a.png\n"        // 10-12
                 "4=丁厂\n4file=bump.dat\n4pic=" +
                     std::string(1200, 'p') + "\n");  // 13-15
        writeGbk(dir / "txt/a.dat", PumpRecord{.model = "M\x07\tX"}.text());
        writeGbk(outside / "x.dat", PumpRecord{.model = "secret"}.text());
        writeBytes(outside / "x.png", "P");
        writeBytes(dir / "images/a.png", "P");  // its thumbnail is missing
        fs::create_symlink(outside / "x.dat", dir / "txt/out.dat");
        fs::create_symlink(outside / "x.png", dir / "images/out.png");
        fs::create_symlink("/", dir / "txt/dir");
    }
    std::string folder() const { return dir.path().string(); }
    TempDir dir, outside;
};

std::string messagesAt(const maintenance::CheckReport& report, std::size_t line) {
    std::string text;
    for (const auto& p : report.problems)
        if (p.file == "txt/bump.dat" && p.line == line) text += p.message + "\n";
    return text;
}

bool runsOnAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

}  // namespace

TEST(HostileCatalogue, LinksOutOfTheCatalogueReadAsMissingAndTheCheckSaysWhy) {
    HostileCatalogue cat;
    const catalogue::Catalogue catalogue(cat.dir.path());
    for (int maker : {2, 3}) {
        EXPECT_TRUE(catalogue.makerDataFile("离心泵", maker).empty()) << maker;
        EXPECT_TRUE(
            records::listPumps(catalogue.makerDataFile("离心泵", maker), std::nullopt, records::RangeForm::AsStored)
                .empty());
    }
    EXPECT_TRUE(catalogue.makerPicture("离心泵", 2).empty());
    EXPECT_EQ(catalogue.makerDataFile("离心泵", 1), cat.dir / "txt/a.dat");

    const auto report = maintenance::checkCatalogue(cat.dir.path());
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(messagesAt(report, 8),
              "maker 2 (乙厂): the data file \"out.dat\" leads out of txt/ through a link: the program takes it as "
              "missing\n");
    EXPECT_EQ(messagesAt(report, 9),
              "maker 2 (乙厂): the picture \"out.png\" leads out of images/ through a link: no picture is shown\n"
              "maker 2 (乙厂): the thumbnail \"sm_out.png\" is missing: no thumbnail is shown\n");
    EXPECT_EQ(messagesAt(report, 11),
              "maker 3 (丙厂): the data file \"dir\\etc\\passwd\" leads out of txt/ through a link: the program takes "
              "it as missing\n");
    // The index named as maker 4's data file is checked once: its long value is said once.
    EXPECT_EQ(std::count_if(report.problems.begin(), report.problems.end(),
                            [](const auto& p) { return p.kind == "cut-value"; }),
              1);
    for (const auto& p : report.problems) EXPECT_EQ(p.message.find("secret"), std::string::npos) << p.message;
}

TEST(HostileCatalogue, TerminalsGetNoRawControlCharacters) {
    HostileCatalogue cat;
    const auto check = runTool({"check", cat.folder()});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_NE(check.out.find("maker 1 (甲\\x1b[2J厂)"), std::string::npos) << check.out;
    const auto search = runTool({"search", cat.folder(), "离心泵", "15", "28"});
    EXPECT_EQ(search.exitCode, 0) << search.err;
    EXPECT_NE(search.out.find("甲\\x1b[2J厂\tM\\x07\\tX\t"), std::string::npos) << search.out;
    for (const std::string& out : {check.out, check.err, search.out, search.err})
        EXPECT_EQ(std::count_if(out.begin(), out.end(),
                                [](char c) { return (c >= 0 && c < 0x20 && c != '\n' && c != '\t') || c == 0x7f; }),
                  0);
}

// A fault on each of thousands of lines is listed a hundred times and counted.
TEST(HostileCatalogue, EachKindOfProblemIsListedAHundredTimesAFileThenCounted) {
    HostileCatalogue cat;
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "no equals here\n";
    writeGbk(cat.dir / "txt/a.dat", PumpRecord{.model = "M"}.text() + lines);
    const auto report = maintenance::checkCatalogue(cat.dir.path());
    std::vector<std::string> ignored;
    for (const auto& p : report.problems)
        if (p.file == "txt/a.dat" && p.kind == "ignored-line") ignored.push_back(p.message);
    ASSERT_EQ(ignored.size(), 101u);
    EXPECT_EQ(ignored.back(), "200 more problems of this kind (ignored-line) are not listed");
}

// A catalogue index of 64 MB of comment lines and eight makers naming one
// picture of 900 MB are checked in a process that may take 400 MB: nothing
// is kept per line, the index is held once, and pictures are never read whole.
TEST(HostileCatalogue, TheCheckNeedsMemoryNearTheFilesSizeNotTheirLineCount) {
    if (runsOnAddressSanitizer()) GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
    TempDir dir;
    std::string index = "[种类]\n1=离心泵\n[离心泵]\n";
    for (int m = 1; m <= 8; ++m)
        index += std::to_string(m) + "=厂" + std::to_string(m) + "\n" + std::to_string(m) + "file=a.dat\n" +
                 std::to_string(m) + "pic=big.png\n";
    std::string comments;
    comments.reserve(64u << 20);
    while (comments.size() < (64u << 20)) comments += ";\r\n";
    writeBytes(dir / "txt/bump.dat", gbkText(index) + comments);
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "M"}.text());
    for (const char* picture : {"images/big.png", "images/sm_big.png"}) {
        writeBytes(dir / picture, "");
        fs::resize_file(dir / picture, 900u << 20);  // sparse: no disk taken
    }
    const auto run = runTool({"check", dir.path().string()}, {.limit = Limit{RLIMIT_AS, 400000 * 1024}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "2 files checked, 1 record listed: no problems\n");
}
