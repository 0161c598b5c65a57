// The catalogue check finds every fault the program hides, on the line that
// causes it, and nothing in a clean catalogue.
#include "maintenance/check.h"
#include "support/catalogue_files.h"

#include <gtest/gtest.h>

using namespace pumpsel;
using testing_support::gbkText;
using testing_support::PumpRecord;
using testing_support::TempDir;
using testing_support::writeBytes;
using testing_support::writeGbk;

namespace {

struct FaultyCatalogue {
    FaultyCatalogue() {
        writeGbk(dir / "txt/bump.dat",
                 "stray=1\n"                                            // 1
                 "[种类]\n1=离心泵\n2=潜水泵\n4=隐藏泵\n"               // 2-5
                 "[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n"          // 6-9
                 "2=乙厂\n2file=..\\b.dat\n2pic=dir.png\n"              // 10-12
                 "3=丙厂\n3file=gone.dat\n"                             // 13-14
                 "[潜水泵]\n1=丁厂\n1file=d.dat\n1pic=b.png\n3=戊厂\n"  // 15-19
                 "[离心泵]\n1=重复\n");                                 // 20-21
        writeBytes(dir / "txt/a.dat",
                   gbkText("[1]\n型号=A1\n流量1=10\n流量2=5\n扬程1=20\n扬程2=30\n功率=1.5\n"  // 1-7
                           "[2]\n型号=A2\n流量1=abc\n流量2=\n扬程1=unknown\n功率=--\n"        // 8-13
                           "备注=" +
                           std::string(1200, 'x') +
                           "\n[2]\n型号=dup\n"                                                        // 14-16
                           "[3]\n型号=A3\n型号=A3b\n流量1=1\n流量2=2\n扬程1=3\n扬程2=1\n功率=1\n") +  // 17-24
                       "\xB1\xB8\xD7\xA2=\x81 bad\r\n" +  // 25: 备注 with a GBK lead byte before a blank
                       gbkText("no equals\n[4] junk\n型号=unknown\n[5]\n型号=A5\n[7]\n型号=A7\n"  // 26-32
                               "[40000]\n型号=far\n"));                                           // 33-34
        writeBytes(dir / "txt/d.dat", "[1]\r\n型号=D1\r\n");  // UTF-8 without a byte-order mark
        writeGbk(dir / "txt/orphan.dat", PumpRecord{.model = "X"}.text());
        for (const char* picture : {"a.png", "b.png", "sm_b.png"})
            writeBytes(dir / ("images/" + std::string(picture)), "P");
        std::filesystem::create_directories(dir / "images/dir.png");
    }
    TempDir dir;
};

std::vector<std::string> placesAndKinds(const maintenance::CheckReport& report) {
    std::vector<std::string> found;
    for (const auto& p : report.problems) found.push_back(p.file + ":" + std::to_string(p.line) + " " + p.kind);
    return found;
}

std::string messageAt(const maintenance::CheckReport& report, const std::string& file, std::size_t line) {
    for (const auto& p : report.problems)
        if (p.file == file && p.line == line) return p.message;
    return "(none)";
}

}  // namespace

TEST(Check, FindsEachFaultOnItsLine) {
    FaultyCatalogue cat;
    const auto report = maintenance::checkCatalogue(cat.dir.path());
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(placesAndKinds(report), (std::vector<std::string>{
                                          "txt/bump.dat:1 ignored-line",
                                          "txt/bump.dat:5 gap",
                                          "txt/bump.dat:9 missing-picture",     // sm_a.png
                                          "txt/bump.dat:11 outside-catalogue",  // ..\b.dat
                                          "txt/bump.dat:12 unreadable-picture",
                                          "txt/bump.dat:12 missing-picture",  // sm_dir.png
                                          "txt/bump.dat:13 missing-picture",  // no 3pic
                                          "txt/bump.dat:14 missing-file",
                                          "txt/bump.dat:17 empty-file",  // read as GBK, d.dat holds no 型号
                                          "txt/bump.dat:19 gap",
                                          "txt/bump.dat:20 duplicate-section",
                                          "txt/a.dat:3 reversed-flow",
                                          "txt/a.dat:6 rising-head",
                                          "txt/a.dat:8 not-a-number",  // no 扬程2 in [2]
                                          "txt/a.dat:10 not-a-number",
                                          "txt/a.dat:11 not-a-number",
                                          "txt/a.dat:12 not-a-number",
                                          "txt/a.dat:13 not-a-number",
                                          "txt/a.dat:14 cut-value",
                                          "txt/a.dat:15 duplicate-section",
                                          "txt/a.dat:19 duplicate-key",
                                          "txt/a.dat:25 invalid-text",
                                          "txt/a.dat:26 ignored-line",
                                          "txt/a.dat:27 ignored-line",
                                          "txt/a.dat:28 ends-list",
                                          "txt/a.dat:33 above-limit",
                                          "txt/d.dat:1 ends-list",
                                          "txt/d.dat:2 utf8-without-bom",
                                          "txt/orphan.dat:0 unnamed-file",
                                      }));
    EXPECT_EQ(messageAt(report, "txt/bump.dat", 5), "there is no kind 3: kind 4 after the gap is never shown");
    EXPECT_EQ(messageAt(report, "txt/a.dat", 28),
              "record 4 has 型号=unknown: the list ends before it, and records 5, 7 after it are never listed");
    EXPECT_EQ(messageAt(report, "txt/a.dat", 10),
              "record 2: 流量1 \"abc\" is not a number: the program computes with 0.0");
    EXPECT_EQ(messageAt(report, "txt/a.dat", 3),
              "record 1: 流量1 10.0 lies above 流量2 5.0: no duty point ever fits this pump");
    EXPECT_EQ(report.recordsListed, 3);
}

TEST(Check, ACleanCatalogueHasNoProblemsAndAMissingOneCannotBeChecked) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat",
             "; 目录\n[种类]\n1=离心泵\n1mem=说明\n[离心泵]\n1=甲厂\n1file=sub\\a.dat\n1pic=a.png\n");
    writeBytes(dir / "txt/sub/a.dat",
               "\xEF\xBB\xBF[1]\r\n型号=A1\r\n流量1=1\r\n流量2=2\r\n扬程1=3\r\n扬程2=3\r\n功率=1\r\n");
    writeBytes(dir / "images/a.png", "P");
    writeBytes(dir / "images/sm_a.png", "P");
    const auto report = maintenance::checkCatalogue(dir.path());
    EXPECT_TRUE(report.ok);
    EXPECT_TRUE(report.problems.empty()) << maintenance::reportText(report);
    EXPECT_EQ(maintenance::reportText(report), "2 files checked, 1 record listed: no problems\n");

    const auto missing = maintenance::checkCatalogue(dir / "nowhere");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.reason.find("bump.dat"), std::string::npos) << missing.reason;
}

namespace {

// A pump whose own seven values are clean (no 备注), range 10 to 30 m³/h, and the given curve keys.
std::string curvePump(int number, const std::string& flow2, const std::string& power, const std::string& curve) {
    return PumpRecord{.number = number,
                      .model = "P" + std::to_string(number),
                      .flow2 = flow2,
                      .head1 = "38",
                      .head2 = "27",
                      .power = power,
                      .remark = std::nullopt,
                      .moreLines = curve}
        .text();
}

const std::string kGoodCurve = "曲线流量=0,10,20,30\n曲线扬程=40,38,30,27\n";

}  // namespace

TEST(Check, FindsEachCurveFaultOnTheLineOfItsKey) {
    TempDir dir;
    writeGbk(dir / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n");
    writeBytes(dir / "images/a.png", "P");
    writeBytes(dir / "images/sm_a.png", "P");
    // Each pump takes 7 lines, then its curve keys; the line of the faulty key is noted.
    writeGbk(dir / "txt/a.dat",
             curvePump(1, "30", "100", "曲线流量=0,10,20,30\n曲线扬程=40,38,30\n") +  // 1-9, 曲线扬程 at 9
                 curvePump(2, "30", "100", "曲线流量=0,10\n曲线扬程=40,38\n") +       // 10-18, 曲线流量 at 17
                 curvePump(3, "30", "100", "曲线流量=0,20,10,30\n曲线扬程=40,38,30,27\n") +   // 19-27, at 26
                 curvePump(4, "30", "100", "曲线流量=0,10,20,30\n曲线扬程=36,40,35,27\n") +   // 28-36, at 36
                 curvePump(5, "30", "100", kGoodCurve + "曲线效率=40,50,120,65\n") +          // 37-46, at 46
                 curvePump(6, "40", "100", kGoodCurve) +                                      // 47-55, 流量2 at 50
                 curvePump(7, "30", "3", kGoodCurve + "曲线功率=1.2,2.0,2.7,3.2\n") +         // 56-65, 功率 at 62
                 curvePump(8, "30", "100", kGoodCurve + "曲线汽蚀余量=1,2\n") +               // 66-75, at 75
                 curvePump(9, "30", "100", "曲线流量=0,10,20,30\n曲线扬程=40,38,30m,27\n") +  // 76-84, at 84
                 curvePump(10, "30", "100", kGoodCurve + "转速=-2900\n") +                    // 85-94, at 94
                 curvePump(11, "30", "100", "曲线流量=0,10,20,30\n") +  // 95-102, no 曲线扬程: the section's line
                 curvePump(12, "30", "100", "曲线流量=0,,20,30\n曲线扬程=40,38,30,27\n"));  // 103-111, at 110
    const auto report = maintenance::checkCatalogue(dir.path());
    ASSERT_TRUE(report.ok) << report.reason;
    EXPECT_EQ(placesAndKinds(report), (std::vector<std::string>{
                                          "txt/a.dat:9 curve-length",
                                          "txt/a.dat:17 curve-too-few-points",
                                          "txt/a.dat:26 curve-order",
                                          "txt/a.dat:36 curve-rising-head",
                                          "txt/a.dat:46 curve-efficiency",
                                          "txt/a.dat:50 curve-range",
                                          "txt/a.dat:62 motor-overload",
                                          "txt/a.dat:75 curve-list-ignored",
                                          "txt/a.dat:84 curve-not-a-number",
                                          "txt/a.dat:94 curve-speed",
                                          "txt/a.dat:95 curve-missing-list",
                                          "txt/a.dat:110 curve-missing-entry",
                                      }));
    EXPECT_EQ(messageAt(report, "txt/a.dat", 9),
              "record 1: 曲线扬程 has 3 entries, 曲线流量 4: the record is read as a range record");
    // The head rises over the first step of the curve as written: 36 m at 0 to 40 m at 10 m³/h.
    EXPECT_EQ(messageAt(report, "txt/a.dat", 36),
              "record 4: 曲线扬程 rises with the flow from 0 to 10 m³/h (36 to 40 m): where a system curve meets it "
              "twice, the program takes the larger flow");
    // Shaft power rises at every point, so the monotone curve through it is largest at 流量2 = 30: 3.2 kW.
    EXPECT_EQ(messageAt(report, "txt/a.dat", 62),
              "record 7: 功率 3 lies below the largest shaft power between 流量1 and 流量2, 3.2 kW: the motor would "
              "be overloaded, and duty says motor_overload=yes");
    EXPECT_EQ(messageAt(report, "txt/a.dat", 75),
              "record 8: 曲线汽蚀余量 has 2 entries, 曲线流量 4: the list is ignored");
    EXPECT_EQ(messageAt(report, "txt/a.dat", 84),
              "record 9: 曲线扬程 entry 3 \"30m\" is not a number: the program computes with 30");
}
