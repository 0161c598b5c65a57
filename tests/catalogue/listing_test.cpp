// The listing that the search and the browse commands show: which records
// fit a duty point, and the texts of their rows.
#include "catalogue/record_scan.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace pumpsel::records;
using testing_support::TempDir;
using testing_support::writeGbk;

namespace {

// Records 1 to 6 and 8: fits at the bounds, a flat range, reversed ranges,
// texts that are no numbers, and a record after the gap at 7.
const std::string kRecords =
    "[1]\n型号=A\n流量1=10\n流量2=40\n扬程1=50\n扬程2=30\n功率=2.2 kW\n"
    "[2]\n型号=Flat\n流量1=40\n流量2=40\n扬程1=30\n扬程2=30\n"
    "[3]\n型号=Reversed flow\n流量1=40\n流量2=10\n扬程1=50\n扬程2=30\n"
    "[4]\n型号=Rising head\n流量1=10\n流量2=40\n扬程1=30\n扬程2=50\n"
    "[5]\n型号=Units\n流量1=12.25m3/h\n流量2=0.1\n扬程1=abc\n扬程2=-0.25\n"
    "[6]\n型号=Tenth\n流量1=0.1\n流量2=0.1\n扬程1=0.1\n扬程2=0.1\n"
    "[8]\n型号=Beyond the gap\n流量1=0\n流量2=100\n扬程1=100\n扬程2=0\n";

std::vector<std::string> models(const std::vector<PumpRow>& rows) {
    std::vector<std::string> out;
    for (const PumpRow& row : rows) out.push_back(row.model + "#" + std::to_string(row.number));
    return out;
}

}  // namespace

TEST(Listing, ADutyPointKeepsThePumpsWhoseRangesHoldItBoundsIncluded) {
    TempDir dir;
    writeGbk(dir / "a.dat", kRecords);
    int tries = 0;
    const auto all = listPumps(dir / "a.dat", std::nullopt, RangeForm::OneDecimal, [&](int) { ++tries; });
    EXPECT_EQ(all.size(), 6u);
    EXPECT_EQ(tries, 7);  // the missing record 7 is tried too
    using Point = DutyPoint;
    EXPECT_EQ(models(listPumps(dir / "a.dat", Point{40, 30}, RangeForm::OneDecimal)),
              (std::vector<std::string>{"A#1", "Flat#2"}));
    EXPECT_EQ(models(listPumps(dir / "a.dat", Point{10, 50}, RangeForm::OneDecimal)),
              (std::vector<std::string>{"A#1"}));
    EXPECT_TRUE(listPumps(dir / "a.dat", Point{9.99f, 40}, RangeForm::OneDecimal).empty());
    // Single precision on both sides: a typed 0.1 equals a stored 0.1.
    EXPECT_EQ(models(listPumps(dir / "a.dat", Point{singleValue("0.1"), singleValue("0.1")}, RangeForm::OneDecimal)),
              (std::vector<std::string>{"Tenth#6"}));
    EXPECT_TRUE(listPumps(dir / "missing.dat", Point{40, 30}, RangeForm::OneDecimal).empty());
}

TEST(Listing, RowsShowRangesInTheFormTheCallerAsksFor) {
    TempDir dir;
    writeGbk(dir / "a.dat", kRecords);
    const auto decimal = listPumps(dir / "a.dat", std::nullopt, RangeForm::OneDecimal);
    const auto stored = listPumps(dir / "a.dat", std::nullopt, RangeForm::AsStored);
    ASSERT_EQ(decimal.size(), 6u);
    EXPECT_EQ(decimal[0].flowRange, "10.0 ～ 40.0");
    EXPECT_EQ(decimal[0].headRange, "50.0 ～ 30.0");
    EXPECT_EQ(decimal[0].power, "2.2 kW");
    EXPECT_EQ(decimal[1].power, "unknown");
    EXPECT_EQ(decimal[4].flowRange, "12.3 ～ 0.1");
    EXPECT_EQ(decimal[4].headRange, "0.0 ～ -0.3");
    EXPECT_EQ(stored[4].flowRange, "12.25m3/h ～ 0.1");
    EXPECT_EQ(stored[4].headRange, "abc ～ -0.25");
    EXPECT_EQ(stored[4].number, 5);
}
