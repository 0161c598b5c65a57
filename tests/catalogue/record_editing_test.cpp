// The record editor's rules, without its window.
#include "catalogue/record_editing.h"
#include "storage/gbk.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace pumpsel::editing;
using testing_support::TempDir;

namespace {

// Records 1 to 3, and 5 after a gap.
std::string records() {
    std::string text;
    for (const char* n : {"1", "2", "3", "5"})
        text += std::string("[") + n + "]\r\n型号=P" + n + "\r\n流量1=" + n +
                "\r\n流量2=10\r\n扬程1=20\r\n扬程2=1\r\n"
                "功率=1\r\n备注=r" +
                n + "\r\n";
    return *pumpsel::gbk::fromUtf8(text);
}

RecordValues recordOf(const char* n) { return {std::string("P") + n, n, "10", "20", "1", "1", std::string("r") + n}; }

}  // namespace

TEST(RecordEditing, SectionsAndNextNumberFromTheNumberBox) {
    auto sections = [](std::string_view text) {
        const SaveSections s = saveSections(text);
        return s.written + "|" + s.existing + "|" + s.previous;
    };
    EXPECT_EQ(sections("7"), "7|7|6");
    EXPECT_EQ(sections(" 7 "), "7|7|6");
    EXPECT_EQ(sections("abc"), "abc|0|-1");
    EXPECT_EQ(sections("2.5"), "2.5|3|2");
    EXPECT_EQ(sections("04"), "04|4|3");
    EXPECT_EQ(sections(""), "|0|-1");
    EXPECT_EQ(nextNumberText("7"), " 8");
    EXPECT_EQ(nextNumberText("2.5"), " 3.5");
    EXPECT_EQ(nextNumberText("-3"), "-2");
    EXPECT_EQ(nextNumberText("abc"), " 1");
}

TEST(RecordEditing, OpeningLoadingAndSavingFollowTheRecordsOnDisk) {
    TempDir dir;
    const auto file = dir / "a.dat";
    testing_support::writeBytes(file, records());
    const Opening opening = openingFor(file);
    EXPECT_FALSE(opening.full);
    EXPECT_EQ(opening.number, 4);  // the gap at 4 hides record 5
    EXPECT_EQ(opening.templateRecord, recordOf("3"));
    EXPECT_EQ(openingFor(dir / "missing.dat").templateRecord[0], "unknown");

    EXPECT_EQ(numberChange(file, " 3 "), NumberChange::Load);
    EXPECT_EQ(numberChange(file, "4"), NumberChange::Nothing);
    EXPECT_EQ(numberChange(file, "03"), NumberChange::Nothing);
    EXPECT_EQ(numberChange(file, "5"), NumberChange::BeyondFirstFree);

    EXPECT_EQ(checkSave(file, "4", recordOf("3")), SaveCheck::SameAsPrevious);
    EXPECT_EQ(checkSave(file, "4", recordOf("4")), SaveCheck::Adds);
    EXPECT_EQ(checkSave(file, "2", recordOf("9")), SaveCheck::Overwrites);
    EXPECT_EQ(checkSave(file, "3", recordOf("2")), SaveCheck::SameAsPrevious);  // refused before the overwrite question
    EXPECT_EQ(checkSave(file, "abc", recordOf("1")), SaveCheck::Adds);
    EXPECT_EQ(checkSave(file, "32767", recordOf("9")), SaveCheck::Adds);
    EXPECT_EQ(checkSave(file, "32768", recordOf("9")), SaveCheck::BeyondLimit);
}
