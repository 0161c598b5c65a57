// Reading values: every kind of absence reads "unknown", names match like the
// Windows services match them, and GBK double-byte characters never confuse
// the parser.
#include "storage/gbk.h"
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <array>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

using namespace pumpsel;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

class ProfileRead : public ::testing::Test {
protected:
    std::string read(const std::string& bytes, std::string_view section, std::string_view key) {
        // A new name each time: files written in one clock tick are not a cache test.
        auto file = dir / ("f" + std::to_string(++count) + ".ini");
        writeBytes(file, bytes);
        return ini::ReadProfileValue(file, section, key);
    }
    TempDir dir;
    int count = 0;
};

// GBK bytes of a few characters whose second byte is ASCII.
const std::string kLai = "\xB0\x5D";  // 癩: second byte "]"
const std::string kDao = "\xB6\x5C";  // 禱: second byte "\"
const std::string kLao = "\xB0\x41";  // 癆: second byte "A"
const std::string kYin = "\xB0\x61";  // 癮: second byte "a"

}  // namespace

TEST_F(ProfileRead, EveryAbsenceReadsUnknownAndCreatesNothing) {
    EXPECT_EQ(ini::ReadProfileValue(dir / "missing.ini", "s", "k"), "unknown");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.ini"));
    EXPECT_EQ(ini::ReadProfileValue(dir / "no" / "folder.ini", "s", "k"), "unknown");
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    EXPECT_EQ(ini::ReadProfileValue(std::filesystem::path(), "s", "k"), "unknown");
    EXPECT_EQ(ini::ReadProfileValue(dir.path(), "s", "k"), "unknown");  // a folder
    EXPECT_EQ(read("[s]\r\nk=v\r\n", "other", "k"), "unknown");
    EXPECT_EQ(read("[s]\r\nk=v\r\n", "s", "other"), "unknown");
    EXPECT_EQ(read("", "s", "k"), "unknown");
}

TEST_F(ProfileRead, EmptyValueIsPresentAndStoredUnknownIsMissing) {
    EXPECT_EQ(read("[s]\r\nk=\r\n", "s", "k"), "");
    EXPECT_EQ(read("[s]\r\nk=unknown\r\n", "s", "k"), "unknown");
    EXPECT_EQ(ini::lookupValue(dir / "f2.ini", "s", "k"), std::optional<std::string>("unknown"));
}

TEST_F(ProfileRead, NamesMatchWithoutCaseAndBlanksFirstMatchWins) {
    const std::string file =
        "k=before any section\r\n"
        "[ Pump ]  trailing text\r\n"
        "  Model  =  IS50 \r\n"
        "model=second\r\n"
        "[PUMP]\r\n"
        "other=in the second section\r\n";
    EXPECT_EQ(read(file, "pump", "MODEL"), "IS50");
    EXPECT_EQ(read(file, "  pump ", " model "), "IS50");
    EXPECT_EQ(read(file, "pump", "other"), "unknown");  // only the first section counts
    EXPECT_EQ(read(file, "", "k"), "unknown");
}

// A catalogue index section holds hundreds of keys; long sections are looked
// up through an index of their own, which must keep the first-match rule.
TEST_F(ProfileRead, LongSectionsKeepTheFirstMatch) {
    std::string file = "[Makers]\r\n";
    for (int i = 1; i <= 300; ++i) file += std::to_string(i) + "=maker " + std::to_string(i) + "\r\n";
    file += "150=again\r\nLast=L1\r\nlast=L2\r\n[makers]\r\n301=in the second section\r\n";
    auto path = dir / "long.ini";
    writeBytes(path, file);
    EXPECT_EQ(ini::ReadProfileValue(path, "makers", "150"), "maker 150");
    EXPECT_EQ(ini::ReadProfileValue(path, "MAKERS", " LAST "), "L1");
    EXPECT_EQ(ini::ReadProfileValue(path, "Makers", "1"), "maker 1");
    EXPECT_EQ(ini::ReadProfileValue(path, "Makers", "301"), "unknown");
}

// Key lines are parsed page by page at their first lookup; threads that
// share a cached file may ask for the same page at once.
TEST_F(ProfileRead, ThreadsSharingAFileReadTheSameValues) {
    std::string file;
    for (int n = 1; n <= 3000; ++n)
        file += "[" + std::to_string(n) + "]\r\nModel=M" + std::to_string(n) + "\r\nflow=" + std::to_string(n % 97) +
                "\r\n";
    auto path = dir / "shared.ini";
    writeBytes(path, file);
    // An older time stamp lets the cache trust the file, so the threads share one parse.
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::seconds(10));
    std::vector<std::thread> readers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            for (int k = 0; k < 3000; ++k) {
                const int n = 1 + (k * 7 + t * 751) % 3000;  // each thread in its own order
                if (ini::ReadProfileValue(path, std::to_string(n), "model") != "M" + std::to_string(n)) ++wrong;
            }
        });
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(ini::ReadProfileValue(path, "2999", "FLOW"), std::to_string(2999 % 97));
}

// Scans read sections in file order and guess the next one; the guess must
// never hide the first section of a name or read a later duplicate.
TEST_F(ProfileRead, SnapshotReadsLikeSingleReadsInAnyOrder) {
    const std::string file =
        "[1]\r\nm=one\r\n[3]\r\nm=three\r\n[2]\r\nm=two\r\n[3]\r\nm=three again\r\n"
        "[4]\r\nm=four\r\n[2]\r\nm=two again\r\n[5]\r\nM=\"  five\"\r\n";
    auto path = dir / "snapshot.ini";
    writeBytes(path, file);
    static constexpr std::string_view kKeys[] = {"m", "missing"};
    ini::Snapshot snapshot(path, kKeys);
    for (const char* section : {"1", "2", "3", "4", "3", "2", "5", "6", "1"}) {
        const auto& values = snapshot.read(section);
        ASSERT_EQ(values.size(), 2u);
        EXPECT_EQ(values[0], ini::ReadProfileValue(path, section, "m")) << section;
        EXPECT_EQ(values[1], "unknown") << section;
    }
    EXPECT_EQ(snapshot.read("3")[0], "three");
    EXPECT_EQ(snapshot.read("5")[0], "  fi");  // two leading blanks cost two characters
    ini::Snapshot missing(dir / "none.ini", kKeys);
    EXPECT_EQ(missing.read("1"), (std::vector<std::string>{"unknown", "unknown"}));
}

TEST_F(ProfileRead, LineFormsThatNeverMatch) {
    const std::string file =
        "[s]\n"
        "; k=commented out\n"
        "k\n"
        "# k2=hash is no comment\n"
        "k3=a=b\n"
        "k4=v ; inline stays\n"
        "[broken\n"
        "k5=after a bracket without its end\n";
    EXPECT_EQ(read(file, "s", "k"), "unknown");
    EXPECT_EQ(read(file, "s", "; k"), "unknown");
    EXPECT_EQ(read(file, "s", "# k2"), "hash is no comment");
    EXPECT_EQ(read(file, "s", "k3"), "a=b");
    EXPECT_EQ(read(file, "s", "k4"), "v ; inline stays");
    EXPECT_EQ(read(file, "s", "k5"), "after a bracket without its end");
    EXPECT_EQ(read(file, "s", "[broken"), "unknown");
}

TEST_F(ProfileRead, EveryLineEndingReads) {
    EXPECT_EQ(read("[s]\r\na=1\r\nb=2\r\n", "s", "b"), "2");
    EXPECT_EQ(read("[s]\na=1\nb=2", "s", "b"), "2");
    EXPECT_EQ(read("[s]\ra=1\rb=2\r", "s", "b"), "2");
    EXPECT_EQ(read("[s]\r\na=1\nb=2\r", "s", "a"), "1");
}

TEST_F(ProfileRead, QuotesAreRemovedOncePerMatchingPair) {
    const std::string file =
        "[s]\r\n"
        "d = \"double\" \r\n"
        "q = 'single'\r\n"
        "m = 'mixed\"\r\n"
        "u = \"unmatched\r\n"
        "e = \"\"\r\n"
        "one = \"\r\n"
        "n = \"\"nested\"\"\r\n";
    EXPECT_EQ(read(file, "s", "d"), "double");
    EXPECT_EQ(read(file, "s", "q"), "single");
    EXPECT_EQ(read(file, "s", "m"), "'mixed\"");
    EXPECT_EQ(read(file, "s", "u"), "\"unmatched");
    EXPECT_EQ(read(file, "s", "e"), "");
    EXPECT_EQ(read(file, "s", "one"), "\"");
    EXPECT_EQ(read(file, "s", "n"), "\"nested\"");
}

TEST_F(ProfileRead, LeadingBlanksCostCharactersAtTheEnd) {
    const std::string file = "[s]\r\na=\" lead\"\r\nb=\"  two\"\r\nc=\"   \"\r\nd=\"trail  \"\r\n";
    EXPECT_EQ(read(file, "s", "a"), " lea");
    EXPECT_EQ(ini::lookupValue(dir / "f1.ini", "s", "a"), std::optional<std::string>(" lead"));
    EXPECT_EQ(read(file, "s", "b"), "  t");
    EXPECT_EQ(read(file, "s", "c"), "");
    EXPECT_EQ(read(file, "s", "d"), "trail  ");
    EXPECT_EQ(read("[s]\r\n"
                   "a=\" \xD6\xD0\xCE\xC4\"\r\n",
                   "s", "a"),
              " 中");  // characters, not bytes
}

TEST_F(ProfileRead, LongValuesAreCutTo999BytesWithoutSplittingACharacter) {
    EXPECT_EQ(read("[s]\r\nk=" + std::string(1200, 'x') + "\r\n", "s", "k"), std::string(999, 'x'));
    // 1 ASCII byte + 600 Chinese characters: the 500th character would need bytes 999-1000.
    std::string chinese;
    for (int i = 0; i < 600; ++i) chinese += "\xD6\xD0";  // 中
    std::string expected = "x";
    for (int i = 0; i < 499; ++i) expected += "中";
    EXPECT_EQ(read("[s]\r\nk=x" + chinese + "\r\n", "s", "k"), expected);
}

TEST_F(ProfileRead, DoubleByteCharactersWithAsciiSecondBytes) {
    const std::string file = "[" + kLai + "]\r\n" + kDao + "=" + kLai + kDao + "\r\n" + kLao + "=capital\r\n" + "[" +
                             kLai + " x ] after\r\n" + "k=second\r\n";
    EXPECT_EQ(read(file, "癩", "禱"), "癩禱");
    EXPECT_EQ(read(file, "癩", "癆"), "capital");
    // ASCII folding of the trail byte "A" would turn 癆 into 癮.
    EXPECT_EQ(read(file, "癩", "癮"), "unknown");
    EXPECT_EQ(read(file, "癩 x", "k"), "second");
    EXPECT_EQ(read("[s]\r\n" + kYin + "=lower\r\n", "s", "癆"), "unknown");
}

TEST_F(ProfileRead, FullWidthLettersAreNotFolded) {
    EXPECT_EQ(read("[s]\r\n\xA3\xC1=full\r\n", "s", "Ａ"), "full");  // Ａ
    EXPECT_EQ(read("[s]\r\n\xA3\xC1=full\r\n", "s", "ａ"), "unknown");
}

TEST_F(ProfileRead, ChineseCatalogueKeysRoundTrip) {
    const std::string file = "[1]\r\n\xD0\xCD\xBA\xC5=IS50-32-125\r\n\xB1\xB8\xD7\xA2=\xC7\xE5\xCB\xAE\r\n";
    EXPECT_EQ(read(file, "1", "型号"), "IS50-32-125");
    EXPECT_EQ(read(file, "1", "备注"), "清水");
}

TEST_F(ProfileRead, NulEndsAValueAndInvalidBytesNeverCrash) {
    EXPECT_EQ(read(std::string("[s]\r\nk=ab\0cd\r\nj=x\r\n", 18), "s", "k"), "ab");
    EXPECT_EQ(read(std::string("[s]\r\nk=ab\0cd\r\nj=x\r\n", 18), "s", "j"), "x");
    // 0xFF is a private-use character in code page 936; a lone lead byte is invalid.
    EXPECT_EQ(read("[s]\r\nk=\xFF\x81\r\n", "s", "k"), "\xEF\xA3\xB5\xEF\xBF\xBD");
    EXPECT_EQ(read("[s]\r\nk=v\xB0", "s", "k"), "v\xEF\xBF\xBD");  // a lead byte ends the file
    EXPECT_EQ(read("[s]\r\nk=\x80\r\n", "s", "k"), "€");           // 0x80 is the euro sign
}

TEST_F(ProfileRead, ByteOrderMarksChooseTheEncoding) {
    EXPECT_EQ(read("\xEF\xBB\xBF[种类]\r\n1=离心泵\r\n", "种类", "1"), "离心泵");
    std::string utf16le = "\xFF\xFE";
    for (char16_t c : std::u16string(u"[种类]\r\n1=离心泵\r\n")) {
        utf16le.push_back(static_cast<char>(c & 0xFF));
        utf16le.push_back(static_cast<char>(c >> 8));
    }
    EXPECT_EQ(read(utf16le, "种类", "1"), "离心泵");
    std::string utf16be = "\xFE\xFF";
    for (char16_t c : std::u16string(u"[s]\r\nk=泵\r\n")) {
        utf16be.push_back(static_cast<char>(c >> 8));
        utf16be.push_back(static_cast<char>(c & 0xFF));
    }
    EXPECT_EQ(read(utf16be, "s", "k"), "泵");
}

TEST(GbkDecoding, TheFastTableAgreesWithIcuOnAnyBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(rng() % 100, '\0');
        // Runs of ASCII (long ones too, holding line breaks) between GBK bytes and their trail bytes.
        const unsigned asciiPercent = std::array{50u, 90u, 10u}[round % 3];
        for (char& c : bytes) c = static_cast<char>(rng() % 100 < asciiPercent ? rng() % 0x80 : 0x80 + rng() % 0x80);
        const std::string viaIcu = pumpsel::gbk::toUtf8(bytes);
        const std::u16string viaTable = pumpsel::gbk::toUtf16(bytes);
        std::string tableUtf16le;
        for (char16_t c : viaTable) tableUtf16le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        ASSERT_EQ(viaIcu, pumpsel::gbk::utf16ToUtf8(tableUtf16le, false)) << round;
    }
    EXPECT_EQ(pumpsel::gbk::toUtf16("\xD6\xD0\x80\xFF"), u"中€\uF8F5");
}
