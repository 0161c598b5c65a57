// The record editor's rules, without its window.
#include "catalogue/record_editing.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace pumpsel::editing;
using testing_support::PumpRecord;
using testing_support::TempDir;

namespace {

// Records 1 to 3, and 5 after a gap.
std::string records() {
    std::string text;
    for (int n : {1, 2, 3, 5}) {
        const std::string s = std::to_string(n);
        text += PumpRecord{.number = n,
                           .model = "P" + s,
                           .flow1 = s,
                           .flow2 = "10",
                           .head1 = "20",
                           .head2 = "1",
                           .power = "1",
                           .remark = "r" + s}
                    .text();
    }
    return text;
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
    testing_support::writeGbk(file, records());
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
