// What pumpsel-ini hands to spreadsheets and to files must not harm them or
// the catalogue: formula cells are neutralised and come back exact, an
// export never lands on a catalogue file, failed writes fail the command,
// and a CSV file far beyond a maker file's size is refused at once.
#include "storage/csv.h"
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pumpsel;
using testing_support::PumpRecord;
using testing_support::readBytes;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

namespace {

const std::string kHeader = "序号,型号,流量1,流量2,扬程1,扬程2,功率,备注\r\n";

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(SpreadsheetSafety, FormulaCellsAreNeutralisedAndAnExportImportsBackExactly) {
    TempDir dir;
    const auto file = dir / "txt/a.dat";
    writeGbk(
        file,
        PumpRecord{.model = "=HYPERLINK(\"http://e/\",\"x\")", .flow1 = "-2", .remark = "+cmd|' /C calc'!A0"}.text() +
            PumpRecord{.number = 2, .model = "-2+3", .remark = "@SUM(1)"}.text() +
            PumpRecord{.number = 3, .model = "'quoted", .remark = "-"}.text() +
            PumpRecord{.number = 4, .model = "+7", .remark = "plain"}.text());
    const std::string before = readBytes(file);
    const auto exported = runTool({"export", file.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(
        exported.out,
        std::string(csv::kUtf8Bom) +
            "序号,型号,流量1,流量2,扬程1,扬程2,功率,备注,曲线流量,曲线扬程,曲线效率,曲线功率,曲线汽蚀余量,转速\r\n"
            "1,\"'=HYPERLINK(\"\"http://e/\"\",\"\"x\"\")\",-2,20,30,25,1.5,'+cmd|' /C calc'!A0,,,,,,\r\n"
            "2,'-2+3,10,20,30,25,1.5,'@SUM(1),,,,,,\r\n"
            "3,''quoted,10,20,30,25,1.5,'-,,,,,,\r\n"
            "4,+7,10,20,30,25,1.5,plain,,,,,,\r\n");
    writeBytes(dir / "a.csv", exported.out);
    const auto imported = runTool({"import", file.string(), (dir / "a.csv").string(), "--replace"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "4 records as they were\n");
    EXPECT_EQ(readBytes(file), before);
}

TEST(SpreadsheetSafety, AnExportNeverLandsOnTheFileOrItsCatalogue) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n");
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "P1"}.text());
    const std::string index = readBytes(dir / "txt/bump.dat"), data = readBytes(dir / "txt/a.dat");
    for (const std::string& to : {"txt/a.dat", "txt/bump.dat", "txt/new.csv"}) {
        const auto run = runTool({"export", (dir / "txt/a.dat").string(), "-o", (dir / to).string()});
        EXPECT_EQ(run.exitCode, 2) << to;
        EXPECT_TRUE(run.err.starts_with("pumpsel-ini: export: will not write " + (dir / to).string() + ": "))
            << run.err;
    }
    EXPECT_EQ(readBytes(dir / "txt/bump.dat"), index);
    EXPECT_EQ(readBytes(dir / "txt/a.dat"), data);
    EXPECT_FALSE(std::filesystem::exists(dir / "txt/new.csv"));
    EXPECT_EQ(runTool({"export", (dir / "txt/a.dat").string(), "-o", (dir / "a.csv").string()}).exitCode, 0);
}

// Output that does not reach its place (a full disk: /dev/full) is a failure.
TEST(SpreadsheetSafety, AWriteThatFailsOnTheWayFailsTheCommand) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n");
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "P1"}.text());
    const std::string folder = dir.path().string(), file = (dir / "txt/a.dat").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"export", file}, {"check", folder}, {"search", folder, "离心泵", "15", "28"}}) {
        const auto run = runTool(args, {.stdoutTo = "/dev/full"});
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_EQ(run.err.substr(run.err.rfind("pumpsel-ini: ")),
                  "pumpsel-ini: cannot write the output: No space left on device\n")
            << args[0];
    }
}

TEST(SpreadsheetSafety, ACsvFarBeyondAMakerFileIsRefusedAtOnceWithFewAndShortMessages) {
    TempDir dir;
    const auto file = dir / "a.dat";
    writeGbk(file, PumpRecord{.model = "P1"}.text());
    const std::string before = readBytes(file);
    const auto import = [&](const std::string& csv, std::vector<std::string> options = {}) {
        writeBytes(dir / "in.csv", csv);
        std::vector<std::string> args{"import", file.string(), (dir / "in.csv").string()};
        args.insert(args.end(), options.begin(), options.end());
        return runTool(args);
    };

    std::string rows = kHeader;
    for (int n = 0; n < 40000; ++n) rows += ",P,1,2,3,2,1,\r\n";
    const auto tooMany = import(rows, {"--append"});
    EXPECT_EQ(tooMany.exitCode, 1);
    EXPECT_EQ(tooMany.err, "pumpsel-ini: import: " + (dir / "in.csv").string() +
                               " row 32769: more than 32,767 records: a maker data file lists at most 32,767\n"
                               "pumpsel-ini: import: nothing was written\n");

    const auto wide = import(kHeader.substr(0, kHeader.size() - 2) + std::string(100000, ',') + "\r\n");
    EXPECT_EQ(wide.exitCode, 1);
    // 8 times the 14 columns of a record: 112.
    EXPECT_NE(wide.err.find("row 1: more than 112 fields in a row"), std::string::npos) << wide.err.substr(0, 300);

    std::string bad = kHeader + ",P,1," + std::string(1 << 20, '9') + "x,3,2,1,\r\n";
    for (int n = 0; n < 199; ++n) bad += ",P,abc,2,3,2,1,\r\n";
    const auto faulty = import(bad, {"--append"});
    EXPECT_EQ(faulty.exitCode, 1);
    // 201 problems (the long field is both too long and no number): 100 named, the count of the rest,
    // "nothing was written".
    EXPECT_EQ(lineCount(faulty.err), 102u);
    EXPECT_NE(faulty.err.find("import: 101 more problems not shown"), std::string::npos);
    EXPECT_LT(faulty.err.find('\n'), 300u) << "the megabyte field is echoed cut";

    const auto emptied = import(kHeader, {"--replace"});
    EXPECT_EQ(emptied.exitCode, 1);
    EXPECT_NE(emptied.err.find("--replace would remove every record (give --allow-empty to do so)"), std::string::npos)
        << emptied.err;
    EXPECT_EQ(readBytes(file), before);
    const auto allowed = import(kHeader, {"--replace", "--allow-empty"});
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    EXPECT_EQ(allowed.out, "removed 1 record: 1\n");
}

// A duty value beyond single precision ("1e40") is no number the search can
// hold; "1e309" beyond double precision neither.
TEST(SpreadsheetSafety, DutyValuesBeyondSinglePrecisionAreRefused) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n");
    writeGbk(dir / "txt/a.dat", PumpRecord{.model = "P1"}.text());
    for (const std::string& value : {"1e40", "1e309", "-1e39"}) {
        const auto run = runTool({"search", dir.path().string(), "离心泵", value, "28"});
        EXPECT_EQ(run.exitCode, 2) << value;
        EXPECT_EQ(run.err, "pumpsel-ini: search: \"" + value + "\" is not a number single precision can hold\n");
    }
    EXPECT_EQ(runTool({"search", dir.path().string(), "离心泵", "3.4e38", "28"}).exitCode, 1);
}
