// pumpsel-ini check: the report as text or JSON, the catalogue beside the
// program by default, and the exit status scripts go by.
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>

using testing_support::PumpRecord;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeGbk;

TEST(CheckCommand, ReportsAsTextOrJsonAndExitsByWhatItFound) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲\"\t厂\n1file=a.dat\n");
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "A1"}.text() + PumpRecord{.number = 3, .model = "A3"}.text());
    const auto text = runTool({"check", dir.path().string()});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_EQ(text.out,
              "txt/bump.dat:4: maker 1 (甲\"\\t厂) names no picture (no 1pic): no picture and no thumbnail are shown\n"
              "txt/a.dat:9: there is no record 2: record 3 after the gap is never listed\n"
              "2 files checked, 1 record listed: 2 problems in 2 files\n");

    const auto json = runTool({"check", dir.path().string(), "--json"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out,
              "[\n  {\"file\": \"txt/bump.dat\", \"line\": 4, \"kind\": \"missing-picture\", \"message\": \"maker 1 "
              "(甲\\\"\\u0009厂) names no picture (no 1pic): no picture and no thumbnail are shown\"},\n"
              "  {\"file\": \"txt/a.dat\", \"line\": 9, \"kind\": \"gap\", \"message\": \"there is no record 2: "
              "record 3 after the gap is never listed\"}\n]\n");

    const auto missing = runTool({"check", (dir / "nowhere").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_TRUE(missing.err.starts_with("pumpsel-ini: check: cannot read the catalogue index")) << missing.err;
}

TEST(CheckCommand, ChecksTheCatalogueBesideTheProgramByDefault) {
    TempDir dir;
    std::filesystem::copy_file(PUMPSEL_INI, dir / "pumpsel-ini");
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n");
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "A1"}.text());
    testing_support::writeBytes(dir / "images/a.png", "P");
    testing_support::writeBytes(dir / "images/sm_a.png", "P");
    const auto run = testing_support::runProgram(dir / "pumpsel-ini", {"check"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "2 files checked, 1 record listed: no problems\n");
}
