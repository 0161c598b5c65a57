// Writing values: the file keeps every byte but the written line, is never
// left half-written, and a write that cannot be done changes nothing.
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "support/read_only.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace pumpsel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

class ProfileWrite : public ::testing::Test {
protected:
    // Writes one value into a file that starts with the given bytes; returns the bytes after.
    std::string afterWrite(const std::string& before, std::string_view section, std::string_view key,
                           std::string_view value) {
        writeBytes(file, before);
        EXPECT_TRUE(ini::writeValue(file, section, key, value).ok);
        return readBytes(file);
    }
    std::vector<std::string> folderContents() { return testing_support::fileNames(dir.path()); }

    TempDir dir;
    std::filesystem::path file = dir / "data.ini";
};

const std::string kLayout =
    "; catalogue of pumps\r\n"
    "\r\n"
    "[1]\r\n"
    "  model = IS50   \r\n"
    "flow=12.5\r\n"
    "; a note inside\r\n"
    "\r\n"
    "[2]\r\n"
    "model=IS65\r\n";

}  // namespace

TEST_F(ProfileWrite, ReplacingAValueKeepsEveryOtherByte) {
    EXPECT_EQ(afterWrite(kLayout, "1", "MODEL", "IS80"),
              "; catalogue of pumps\r\n\r\n[1]\r\n  model=IS80\r\nflow=12.5\r\n; a note inside\r\n\r\n"
              "[2]\r\nmodel=IS65\r\n");
}

TEST_F(ProfileWrite, NewKeyFollowsTheLastKeyLineOfItsSection) {
    EXPECT_EQ(afterWrite(kLayout, "1", "power", "2.2"),
              "; catalogue of pumps\r\n\r\n[1]\r\n  model = IS50   \r\nflow=12.5\r\npower=2.2\r\n"
              "; a note inside\r\n\r\n[2]\r\nmodel=IS65\r\n");
    EXPECT_EQ(afterWrite("[a]\r\n[b]\r\n", "a", "k", "v"), "[a]\r\nk=v\r\n[b]\r\n");
    EXPECT_EQ(afterWrite("[a]", "a", "k", "v"), "[a]\r\nk=v\r\n");
    EXPECT_EQ(afterWrite("[a]\nx=1", "a", "k", "v"), "[a]\nx=1\r\nk=v\r\n");
}

TEST_F(ProfileWrite, NewSectionGoesAtTheEndWithoutABlankLine) {
    EXPECT_EQ(afterWrite(kLayout, "3", "model", "IS100"), kLayout + "[3]\r\nmodel=IS100\r\n");
    EXPECT_EQ(afterWrite("[1]\r\nk=v", "2", "k", "w"), "[1]\r\nk=v\r\n[2]\r\nk=w\r\n");
    EXPECT_EQ(afterWrite("", "2", "k", "w"), "[2]\r\nk=w\r\n");
}

TEST_F(ProfileWrite, MissingFileIsCreatedAsGbk) {
    ASSERT_TRUE(ini::writeValue(file, "种类", "1", "单级单吸离心泵").ok);
    EXPECT_EQ(readBytes(file), "[\xD6\xD6\xC0\xE0]\r\n1=\xB5\xA5\xBC\xB6\xB5\xA5\xCE\xFC\xC0\xEB\xD0\xC4\xB1\xC3\r\n");
    EXPECT_EQ(ini::ReadProfileValue(file, "种类", "1"), "单级单吸离心泵");
}

TEST_F(ProfileWrite, FailuresWriteNothing) {
    EXPECT_FALSE(ini::writeValue(dir / "no" / "data.ini", "s", "k", "v").ok);
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    EXPECT_FALSE(ini::writeValue(std::filesystem::path(), "s", "k", "v").ok);
    EXPECT_FALSE(ini::writeValue(dir.path(), "s", "k", "v").ok);  // a folder where the file should be

    writeBytes(file, kLayout);
    auto outcome = ini::writeValue(file, "1", "model", "emoji 😀 here");
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.reason.find("😀"), std::string::npos) << outcome.reason;
    EXPECT_FALSE(ini::writeValue(file, "1", "model", "Windows-only ⅰ best fit \u00AD").ok);
    for (std::string_view section : {"", "  ", "a]b", "[a", "a\nb"})
        EXPECT_FALSE(ini::writeValue(file, section, "k", "v").ok) << section;
    for (std::string_view key : {"", "a=b", "a\r\nb", ";k", "[k]"})
        EXPECT_FALSE(ini::writeValue(file, "1", key, "v").ok) << key;
    EXPECT_FALSE(ini::writeValue(file, "1", "k", std::string_view("a\0b", 3)).ok);
    EXPECT_EQ(readBytes(file), kLayout);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"data.ini"});
}

#ifndef _WIN32  // POSIX permission bits; tests/windows has the read-only attribute
TEST_F(ProfileWrite, ReadOnlyFolderFailsAndKeepsTheFile) {
    writeBytes(file, kLayout);
    testing_support::ReadOnly readOnly(dir.path());
    if (!readOnly.effective()) GTEST_SKIP() << "cannot make a folder read-only here";
    auto outcome = ini::writeValue(file, "1", "model", "IS80");
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.reason.empty());
    EXPECT_EQ(readBytes(file), kLayout);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"data.ini"});
}

TEST_F(ProfileWrite, PermissionBitsSurviveAndNoTemporaryFileStays) {
    writeBytes(file, kLayout);
    ::chmod(file.c_str(), 0640);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(ini::writeValue(file, "1", "k" + std::to_string(i), "v").ok);
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"data.ini"});
}
#endif

TEST_F(ProfileWrite, ValuesWithLineBreaksKeepTheFileIntact) {
    writeBytes(file, kLayout);
    const std::string remark = "第一行\r\n第二行 [2]\nmodel=broken\\n\\\\ end\r";
    ASSERT_TRUE(ini::writeValue(file, "1", "remark", remark).ok);
    EXPECT_EQ(ini::ReadProfileValue(file, "1", "remark"), remark);
    EXPECT_EQ(ini::ReadProfileValue(file, "2", "model"), "IS65");
    EXPECT_EQ(ini::ReadProfileValue(file, "1", "model"), "IS50");
    // One line, in quotes, with escapes.
    const std::string bytes = readBytes(file);
    EXPECT_NE(bytes.find("remark=\"\xB5\xDA\xD2\xBB\xD0\xD0\\r\\n"), std::string::npos);
    ASSERT_TRUE(ini::writeValue(file, "1", "remark", "one line").ok);
    EXPECT_EQ(ini::ReadProfileValue(file, "1", "remark"), "one line");
}

// A value is stored as it is where a read gives it back so; blanks at its
// ends, a pair of quotes around it, line breaks or the characters "\n" or
// "\r" inside quotes need the quoted form, which reads back exactly too.
TEST_F(ProfileWrite, EveryValueReadsBackExactlyAsWritten) {
    EXPECT_EQ(afterWrite("", "s", "k", "D:\\new 禱"), "[s]\r\nk=D:\\new \xB6\x5C\r\n");
    EXPECT_EQ(afterWrite("", "s", "k", "\"D:\\new\""), "[s]\r\nk=\"\"D:\\\\new\"\"\r\n");
    EXPECT_EQ(afterWrite("", "s", "k", " 禱 'x' "), "[s]\r\nk=\" \xB6\x5C 'x' \"\r\n");
    for (const std::string value :
         {"\"D:\\new\"", "'D:\\root'", "\"quoted\"", "\"", "\"\"", "'a'", " lead", "trail\t", "\x1A", "\\\\n",
          "\"\\\\server\\share\"", "a\\rb\"", "\"\\n\" 禱\\", "\"x\"\n\"y\"", "\\", "\"\\\"", "unknownish", ""}) {
        writeBytes(file, kLayout);
        ASSERT_TRUE(ini::writeValue(file, "1", "remark", value).ok) << value;
        EXPECT_EQ(ini::lookupValue(file, "1", "remark"), value) << value;
        EXPECT_EQ(ini::lookupValue(file, "1", "flow"), "12.5");
    }
    // Reads hand out 999 bytes of GBK at most: a longer value is refused, not cut.
    writeBytes(file, kLayout);
    const std::string longest = std::string(997, 'x') + "泵";
    ASSERT_TRUE(ini::writeValue(file, "1", "remark", longest).ok);
    EXPECT_EQ(ini::lookupValue(file, "1", "remark"), longest);
    const auto tooLong = ini::writeValue(file, "1", "remark", longest + "x");
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.reason, "value is longer than the 999 bytes of GBK a read hands out");
    EXPECT_EQ(ini::lookupValue(file, "1", "remark"), longest);
}

TEST_F(ProfileWrite, FilesWithAByteOrderMarkAreWrittenBackInTheirEncoding) {
    EXPECT_EQ(afterWrite("\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "泵"), "\xEF\xBB\xBF[s]\r\nk=泵\r\n");
    auto utf16le = [](std::u16string text) {
        std::string out = "\xFF\xFE";
        for (char16_t c : text) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return out;
    };
    EXPECT_EQ(afterWrite(utf16le(u"[s]\r\nk=v\r\n"), "s", "k", "😀"), utf16le(u"[s]\r\nk=😀\r\n"));
    // A damaged UTF-16 file (an unpaired surrogate) is not rewritten.
    std::string damaged = utf16le(u"[s]\r\nk=v\r\n") + std::string("\x00\xD8", 2);
    writeBytes(file, damaged);
    EXPECT_FALSE(ini::writeValue(file, "s", "k", "w").ok);
    EXPECT_EQ(readBytes(file), damaged);
}

TEST_F(ProfileWrite, ReadsSeeEveryWrite) {
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(ini::writeValue(file, "s", "k", std::to_string(i % 10)).ok);
        ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), std::to_string(i % 10));
    }
}

#ifndef _WIN32  // fork; tests/windows has writers in threads
TEST_F(ProfileWrite, TwoProcessesWritingOneFileLoseNothing) {
    constexpr int kKeys = 500;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            for (int i = 0; i < kKeys; ++i)
                if (!ini::writeValue(file, "s", "p" + std::to_string(c) + "_" + std::to_string(i), "v").ok) _exit(1);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kKeys; ++i)
            ASSERT_EQ(ini::ReadProfileValue(file, "s", "p" + std::to_string(c) + "_" + std::to_string(i)), "v");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"data.ini"});
}
#endif

TEST_F(ProfileWrite, SeveralValuesGoInOneReplacementOrNotAtAll) {
    writeBytes(file, kLayout);
    const ini::KeyValue record[] = {{"model", "IS100"}, {"flow", "25"}, {"head", "32"}, {"power", "4"}};
    ASSERT_TRUE(ini::writeValues(file, "1", record).ok);
    EXPECT_EQ(readBytes(file),
              "; catalogue of pumps\r\n\r\n[1]\r\n  model=IS100\r\nflow=25\r\nhead=32\r\npower=4\r\n"
              "; a note inside\r\n\r\n[2]\r\nmodel=IS65\r\n");
    ASSERT_TRUE(ini::writeValues(file, "9", record).ok);
    EXPECT_TRUE(readBytes(file).ends_with("[9]\r\nmodel=IS100\r\nflow=25\r\nhead=32\r\npower=4\r\n"));

    const std::string before = readBytes(file);
    const ini::KeyValue bad[] = {{"model", "IS125"}, {"flow", "30"}, {"remark", "no 😀 here"}};
    auto outcome = ini::writeValues(file, "1", bad);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failed, 2u);
    EXPECT_EQ(readBytes(file), before);
    const ini::KeyValue badKey[] = {{"model", "x"}, {"a=b", "y"}};
    outcome = ini::writeValues(file, "1", badKey);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failed, 1u);
    EXPECT_EQ(readBytes(file), before);
}
