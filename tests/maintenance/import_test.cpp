// Export, import and compact of a maker data file: what comes out reads
// back into the same bytes, bad rows change nothing, every row is written
// as the program writes records, and an interrupted import leaves the old file.
#include "catalogue/record_scan.h"
#include "maintenance/record_file.h"
#include "maintenance/record_import.h"
#include "maintenance/record_rules.h"
#include "storage/csv.h"
#include "storage/profile.h"
#include "support/catalogue_files.h"
#include "support/pumpsel_ini.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace pumpsel;
using maintenance::ImportMode;
using testing_support::dyingMidWrite;
using testing_support::gbkText;
using testing_support::PumpRecord;
using testing_support::readBytes;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

namespace {

// The header of a CSV file without the curve columns, as makers' older sheets have it.
const std::string kHeader = "序号,型号,流量1,流量2,扬程1,扬程2,功率,备注\r\n";
const std::string kExportHeader =
    "序号,型号,流量1,流量2,扬程1,扬程2,功率,备注,曲线流量,曲线扬程,曲线效率,曲线功率,曲线汽蚀余量,转速\r\n";

// A clean file as makers' files look: a comment first, blank lines between
// records, a remark stored escaped, a model in quotes, a key of the maker's
// own, a section that is no record.
std::string makerFile(const std::string& secondFlow2) {
    return gbkText(
        "; 江南泵业 2026\n[1]\n型号=IS50-32-125\n流量1=12.5\n流量2=25\n扬程1=22\n扬程2=18\n功率 = 3\n"
        "备注=\"第一行\\r\\n第二行, \"甲\"\"\n\n"
        "[2]\n型号=\"  IS50-32-160\"\n流量1=12.5\n流量2=" +
        secondFlow2 + "\n扬程1=32\n扬程2=28\n功率=4\n转速=2900\n\n[说明]\n来源=厂家\n");
}

std::vector<std::pair<std::size_t, std::string>> rowsAndColumns(const maintenance::ImportReport& report) {
    std::vector<std::pair<std::size_t, std::string>> found;
    for (const auto& p : report.problems) found.emplace_back(p.row, p.column);
    return found;
}

}  // namespace

TEST(Import, AnExportReadsBackIntoTheSameBytesAndAChangedValueRewritesOnlyItsLine) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, makerFile("25"));
    const auto exported = runTool({"export", file.string(), "-o", (dir / "jn.csv").string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string csv = readBytes(dir / "jn.csv");
    EXPECT_EQ(csv, std::string(csv::kUtf8Bom) + kExportHeader +
                       "1,IS50-32-125,12.5,25,22,18,3,\"第一行\r\n第二行, \"\"甲\"\"\",,,,,,\r\n"
                       "2,  IS50-32-160,12.5,25,32,28,4,unknown,,,,,,2900\r\n");

    const auto imported = runTool({"import", file.string(), (dir / "jn.csv").string(), "--replace"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "2 records as they were\n");
    EXPECT_EQ(readBytes(file), makerFile("25"));

    std::string edited = csv;
    edited.replace(edited.find("12.5,25,32"), 10, "12.5,26,32");
    const auto report = maintenance::importCsv(file, edited, ImportMode::Replace, false);
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(report.changed, std::vector<long long>{2});
    EXPECT_EQ(readBytes(file), makerFile("26"));
}

// A maker file with curves: a full one (NPSH with full-width commas), and a
// range record whose 曲线效率 is there but empty.
std::string curveFile(const std::string& speed) {
    return gbkText(
        "[1]\n型号=50-200\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.5\n备注=\n"
        "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n曲线功率=1.2,2.0,2.7,3.2,3.4\n"
        "曲线汽蚀余量=1.0，1.2，1.8，2.9，4.5\n转速=" +
        speed + "\n\n[2]\n型号=IS50\n流量1=12.5\n流量2=25\n扬程1=22\n扬程2=18\n功率=3\n曲线效率=\n");
}

TEST(Import, CurveKeysTravelAsColumnsAndImportBackIntoTheSameBytes) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, curveFile("2900"));
    const auto exported = runTool({"export", file.string(), "-o", (dir / "jn.csv").string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string csv = readBytes(dir / "jn.csv");
    EXPECT_EQ(csv, std::string(csv::kUtf8Bom) + kExportHeader +
                       "1,50-200,10,30,40,27,3.5,,\"0,10,20,30,40\",\"42,40,35,27,15\",\"0,50,70,65,50\","
                       "\"1.2,2.0,2.7,3.2,3.4\",1.0，1.2，1.8，2.9，4.5,2900\r\n"
                       "2,IS50,12.5,25,22,18,3,unknown,,,,,,\r\n");
    const auto imported = runTool({"import", file.string(), (dir / "jn.csv").string(), "--replace"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "2 records as they were\n");
    EXPECT_EQ(readBytes(file), curveFile("2900"));

    // An emptied cell leaves its key empty, which reads as no list, as the export gave it.
    std::string cleared = csv;
    cleared.replace(cleared.find(",2900\r\n"), 7, ",\r\n");
    ASSERT_TRUE(maintenance::importCsv(file, cleared, ImportMode::Replace, false).ok);
    EXPECT_EQ(readBytes(file), curveFile(""));

    // A new record takes its curve keys after its seven, in their order, the empty cells left out.
    const auto added = maintenance::importCsv(
        file, kExportHeader + ",P3,10,30,40,27,3.5,新,\"0,10,20,30\",\"40,38,30,27\",,,,1450\r\n", ImportMode::AddNew,
        false);
    ASSERT_TRUE(added.ok) << added.reason;
    EXPECT_EQ(readBytes(file), curveFile("") + gbkText("\n[3]\n型号=P3\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n"
                                                       "功率=3.5\n备注=新\n曲线流量=0,10,20,30\n"
                                                       "曲线扬程=40,38,30,27\n转速=1450\n"));
}

TEST(Import, ARowWhoseCurveIsFaultyIsRefusedWithItsColumn) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, makerFile("25"));
    const std::string csv = kExportHeader +
                            ",P3,10,30,38,27,100,,\"0,20,10,30\",\"40,38,30,27\",,,,\r\n"       // row 2
                            ",P4,10,30,38,27,100,,\"0,10,20,30\",\"40,38,27\",,,,\r\n"          // 3
                            ",P5,10,30,38,27,100,,\"0,10,20,30\",\"40,38,30,27\",,,,fast\r\n";  // 4
    const auto report = maintenance::importCsv(file, csv, ImportMode::AddNew, false);
    EXPECT_TRUE(report.refused);
    EXPECT_EQ(rowsAndColumns(report),
              (std::vector<std::pair<std::size_t, std::string>>{{2, "曲线流量"}, {3, "曲线扬程"}, {4, "转速"}}));
    EXPECT_EQ(report.problems[0].reason, "曲线流量 entry 3 is not above entry 2: the record is read as a range record");
    EXPECT_EQ(report.problems[2].reason,
              "转速 \"fast\" is not a number: the program computes with 0, so no rated speed is known");
    EXPECT_EQ(readBytes(file), makerFile("25"));

    // The curve columns come all or none.
    const auto partial = maintenance::importCsv(
        file, "型号,流量1,流量2,扬程1,扬程2,功率,备注,曲线流量,曲线扬程,曲线效率,曲线功率,曲线汽蚀余量\r\n",
        ImportMode::AddNew, false);
    EXPECT_EQ(rowsAndColumns(partial), (std::vector<std::pair<std::size_t, std::string>>{{1, "转速"}}));
}

// Makers publish curves that rise from shut-off, ranges past the curve and
// motors that a pump could overload: check reports them, yet they are the
// maker's data, so an import stores them and the round trip holds.
TEST(Import, AnUnusualButUsableCurveIsStored) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    const std::string unusual = gbkText(
        "[1]\n型号=P1\n流量1=0\n流量2=35\n扬程1=36\n扬程2=27\n功率=1\n备注=\n"
        "曲线流量=0,10,20,30\n曲线扬程=36,40,35,27\n曲线功率=1.5,2,2.5,3\n");
    writeBytes(file, unusual);
    const auto exported = runTool({"export", file.string(), "-o", (dir / "jn.csv").string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const auto imported = runTool({"import", file.string(), (dir / "jn.csv").string(), "--replace"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(readBytes(file), unusual);
    std::vector<std::string> kinds;
    for (const auto& problem : maintenance::curveProblems(
             {"P1", "0", "35", "36", "27", "1", "0,10,20,30", "36,40,35,27", "", "1.5,2,2.5,3", "", ""}))
        kinds.push_back(problem.kind + (problem.onlyUnusual ? " (stored)" : ""));
    EXPECT_EQ(kinds, (std::vector<std::string>{"curve-rising-head (stored)", "curve-range (stored)",
                                               "motor-overload (stored)"}));
}

// A demo maker file with curves on every record goes out and comes back unchanged.
TEST(Import, ADemoCurveFileExportsAndImportsBackByteForByte) {
    TempDir dir;
    const auto file = dir / "dj_bc.dat";
    std::filesystem::copy_file(std::filesystem::path(DEMO_CATALOGUE) / "txt/dj_bc.dat", file);
    const std::string before = readBytes(file);
    const auto exported = runTool({"export", file.string(), "-o", (dir / "bc.csv").string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    // Record 1's flows, as the file stores them.
    EXPECT_NE(readBytes(dir / "bc.csv").find(",\"0,7.5,10,12.5,13.8,15,18\","), std::string::npos);
    const auto imported = runTool({"import", file.string(), (dir / "bc.csv").string(), "--replace"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(readBytes(file), before);
}

TEST(Import, EveryBadRowIsNamedAndNothingIsWritten) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, makerFile("25"));
    const std::string csv = kHeader +
                            "3,P3,1,2,3,2,1,ok\r\n"      // row 2: fine
                            ",P4,abc,2,3,2,1,ok\r\n"     // 3
                            ",P5,1,2\r\n"                // 4
                            ",unknown,1,2,3,2,1,ok\r\n"  // 5: would end the list
                            ",P6,1,2,3,2,1,😀\r\n"        // 6
                            "07,P7,1,2,3,2,1,ok\r\n"     // 7
                            "3,P8,1,2,3,2,1,ok\r\n"      // 8
                            "1,P9,1,2,3,2,1,ok\r\n"      // 9
                            ",,,,,,,\r\n"                // a blank row, as spreadsheets leave them
                            "12,P12,1,2,3,2,1,ok\r\n"    // 11: records 7 to 11 missing
                            "32768,P,1,2,3,2,1,ok\r\n";  // 12
    writeBytes(dir / "bad.csv", csv);
    const auto run = runTool({"import", file.string(), (dir / "bad.csv").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("bad.csv row 3: 流量1 \"abc\" is not a number: the program computes with 0.0\n"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.err.ends_with("pumpsel-ini: import: nothing was written\n"));
    EXPECT_EQ(readBytes(file), makerFile("25"));

    const auto report = maintenance::importCsv(file, csv, ImportMode::AddNew, false);
    EXPECT_TRUE(report.refused);
    EXPECT_EQ(rowsAndColumns(report), (std::vector<std::pair<std::size_t, std::string>>{{3, "流量1"},
                                                                                        {4, ""},
                                                                                        {5, "型号"},
                                                                                        {6, "备注"},
                                                                                        {7, "序号"},
                                                                                        {12, "序号"},
                                                                                        {8, "序号"},
                                                                                        {9, "序号"},
                                                                                        {11, "序号"}}));
    EXPECT_EQ(report.problems[2].reason, "型号 is \"unknown\": the listing ends before this record");
    EXPECT_EQ(report.problems[8].reason, "no row gives record 7: record 12 and those after it would never be listed");

    const auto unclosed = maintenance::importCsv(file, kHeader + ",P,1,2,3,2,1,\"open\r\n", ImportMode::AddNew, false);
    EXPECT_EQ(rowsAndColumns(unclosed), (std::vector<std::pair<std::size_t, std::string>>{{2, ""}}));
    EXPECT_EQ(readBytes(file), makerFile("25"));
}

// A spreadsheet on a Chinese Windows saves CSV in GBK without a mark, its
// columns as the maker arranged them.
TEST(Import, GbkRowsInAnyColumnOrderAreAddedAsTheProgramWritesRecords) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, makerFile("25"));
    const std::string csv = gbkText(
        "备注,型号,功率,扬程2,扬程1,流量2,流量1,序号\n"
        "\"说明,一\",P3,1.1,10,12,20,10,1\n"
        ",P4,2.2,20,24,40,20,2\n");

    const auto refused = maintenance::importCsv(file, csv, ImportMode::AddNew, false);
    EXPECT_EQ(rowsAndColumns(refused), (std::vector<std::pair<std::size_t, std::string>>{{2, "序号"}, {3, "序号"}}));
    const auto dryRun = maintenance::importCsv(file, csv, ImportMode::Append, true);
    EXPECT_EQ(dryRun.added, (std::vector<long long>{3, 4}));
    EXPECT_EQ(readBytes(file), makerFile("25"));

    const auto appended = maintenance::importCsv(file, csv, ImportMode::Append, false);
    ASSERT_TRUE(appended.ok) << appended.reason;
    const std::string original = makerFile("25");
    const std::size_t info = original.find(gbkText("[说明]"));
    EXPECT_EQ(readBytes(file),
              original.substr(0, info) +
                  gbkText("[3]\n型号=P3\n流量1=10\n流量2=20\n扬程1=12\n扬程2=10\n功率=1.1\n备注=说明,一\n\n"
                          "[4]\n型号=P4\n流量1=20\n流量2=40\n扬程1=24\n扬程2=20\n功率=2.2\n备注=\n") +
                  original.substr(info));
    EXPECT_EQ(records::countRecords(file).count, 4);
    EXPECT_EQ(ini::ReadProfileValue(file, "3", "备注"), "说明,一");
}

TEST(Import, RecordsThatAreNeverListedMustBeCompactedOrReplaced) {
    TempDir dir;
    const auto file = dir / "gap.dat";
    const std::string original =
        gbkText(PumpRecord{.model = "A"}.text() + PumpRecord{.number = 2, .model = "B"}.text() +
                PumpRecord{.number = 5, .model = "E"}.text());
    writeBytes(file, original);
    const std::string csv = kHeader + ",N,1,2,3,2,1,x\r\n";
    const auto appended = maintenance::importCsv(file, csv, ImportMode::Append, false);
    ASSERT_EQ(appended.problems.size(), 1u);
    EXPECT_EQ(appended.problems[0].row, 0u);
    EXPECT_EQ(appended.problems[0].reason,
              "section 5 holds a record the program never lists, after record 2: compact the file first, or import "
              "with --replace");
    EXPECT_EQ(readBytes(file), original);

    const auto replaced = maintenance::importCsv(file, csv, ImportMode::Replace, false);
    ASSERT_TRUE(replaced.ok) << replaced.reason;
    EXPECT_EQ(replaced.changed, std::vector<long long>{1});
    EXPECT_EQ(replaced.removed, (std::vector<long long>{2, 5}));
    EXPECT_EQ(readBytes(file), gbkText("[1]\n型号=N\n流量1=1\n流量2=2\n扬程1=3\n扬程2=2\n功率=1\n备注=x\n"));
}

TEST(Import, AnImportKilledHalfWayLeavesTheOldFile) {
    TempDir dir;
    const auto file = dir / "jn.dat";
    writeBytes(file, makerFile("25"));
    std::string csv = kHeader;
    for (int n = 3; n < 2000; ++n) csv += "," + std::to_string(n) + "型,1,2,3,2,1,备注\r\n";
    writeBytes(dir / "more/rows.csv", csv);

    const auto killed = runTool({"import", file.string(), (dir / "more/rows.csv").string(), "--append"},
                                dyingMidWrite(std::filesystem::canonical(dir.path()).string() + "/"));
    ASSERT_EQ(killed.exitCode, 128 + SIGKILL) << killed.err;
    EXPECT_EQ(readBytes(file), makerFile("25"));
    EXPECT_EQ(testing_support::fileNames(dir.path()), (std::vector<std::string>{"jn.dat", "more"}));

    const auto again = runTool({"import", file.string(), (dir / "more/rows.csv").string(), "--append"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(records::countRecords(file).count, 1999);
}

TEST(Compact, RenumbersTheRecordsAfterGapsAndTouchesNothingElse) {
    TempDir dir;
    const auto file = dir / "gap.dat";
    const std::string section7 = "[7]\n型号=G\n流量1=1\n; 厂家注\n";
    writeGbk(file, "[1]\n型号=A\n[3]\n型号=C\n[说明]\nx=1\n" + section7 + "[4]\n型号=D\n");
    const auto dry = runTool({"compact", file.string(), "--dry-run"});
    EXPECT_EQ(dry.out, "3 → 2\n4 → 3\n7 → 4\nwould renumber 3 records; dry run: nothing was written\n");
    const auto run = runTool({"compact", file.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "3 → 2\n4 → 3\n7 → 4\nrenumbered 3 records\n");
    EXPECT_EQ(readBytes(file), gbkText("[1]\n型号=A\n[2]\n型号=C\n[说明]\nx=1\n[4]\n型号=G\n流量1=1\n; 厂家注\n"
                                       "[3]\n型号=D\n"));
    EXPECT_EQ(runTool({"compact", file.string()}).out, "no gaps: nothing to renumber\n");

    // A repeated section would come to light, a section without a model would end the list again.
    const std::string stuck = gbkText("[1]\n型号=A\n[3]\n流量1=1\n[5]\n型号=E\n[1]\n型号=old\n");
    writeBytes(file, stuck);
    const auto refused = runTool({"compact", file.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("gap.dat:3: section [3] has no 型号"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("gap.dat:7: section [1] repeats the one at line 1"), std::string::npos) << refused.err;
    EXPECT_EQ(readBytes(file), stuck);
}
