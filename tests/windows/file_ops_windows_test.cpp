// Writes through the Windows system calls: the read-only attribute, the
// attributes the replace call keeps, the byte-range lock and its bounded
// wait against other programs, and two programs writing one file.
#include "storage/file_ops.h"
#include "storage/profile.h"
#include "support/temp_dir.h"
#include "windows/program.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

using namespace pumpsel;
using testing_support::besideTestProgram;
using testing_support::commandLine;
using testing_support::Program;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

const std::string kRecord = "[1]\r\nmodel=IS50\r\n";

// A program of the build folder with the arguments, its output and error
// going to files.
Program started(const wchar_t* name, const std::vector<std::string>& arguments, const std::filesystem::path& out,
                const std::filesystem::path& err) {
    return Program(commandLine(besideTestProgram(name), arguments), out, err);
}

class WindowsWrite : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(file, kRecord); }

    TempDir dir, logs;
    std::filesystem::path file = dir / "a.dat";
    std::filesystem::path out = logs / "out.txt";
    std::filesystem::path err = logs / "err.txt";
};

}  // namespace

TEST_F(WindowsWrite, TheReadOnlyAttributeRefusesAndOtherAttributesStay) {
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const Outcome refused = ini::writeValue(file, "1", "k", "v");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.reason, "the file is read-only");
    EXPECT_EQ(readBytes(file), kRecord);

    // The new content is written hidden; the file keeps its own attributes.
    constexpr DWORD kWatched = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(ini::writeValue(file, "1", "k", "v").ok);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & kWatched, 0u);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(ini::writeValue(file, "1", "j", "w").ok);
    EXPECT_EQ(readBytes(file), kRecord + "k=v\r\nj=w\r\n");
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & kWatched, DWORD(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(testing_support::fileNames(dir.path()), std::vector<std::string>{"a.dat"});
}

TEST_F(WindowsWrite, ALockHeldElsewhereStopsWritersNotReadersForAtMostTheWait) {
    {
        files::WriteLock lock(file);
        ASSERT_TRUE(lock.held());
        Program writer = started(L"windows_writer.exe", {file.string(), "k", "1"}, out, err);
        ASSERT_TRUE(writer.started());
        EXPECT_EQ(writer.exitCode(), 1u);
        EXPECT_EQ(readBytes(err), "another program has kept the file locked for 3 seconds\r\n");
        EXPECT_EQ(readBytes(file), kRecord);
        const auto value = logs / "value.txt", readerErr = logs / "reader-err.txt";
        Program reader = started(L"pumpsel-ini.exe", {"get", file.string(), "1", "model"}, value, readerErr);
        EXPECT_EQ(reader.exitCode(), 0u) << readBytes(readerErr);
        EXPECT_EQ(readBytes(value), "IS50\n");
    }
    // Released while the other program waits: it goes on.
    auto lock = std::make_unique<files::WriteLock>(file);
    ASSERT_TRUE(lock->held());
    Program writer = started(L"windows_writer.exe", {file.string(), "k", "1"}, out, err);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    lock.reset();
    EXPECT_EQ(writer.exitCode(), 0u) << readBytes(err);
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k0"), "v");
}

TEST_F(WindowsWrite, TwoProgramsWritingOneFileLoseNothing) {
    constexpr int kKeys = 100;
    {
        Program first = started(L"windows_writer.exe", {file.string(), "a", std::to_string(kKeys)}, logs / "a-out.txt",
                                logs / "a.txt");
        Program second = started(L"windows_writer.exe", {file.string(), "b", std::to_string(kKeys)}, logs / "b-out.txt",
                                 logs / "b.txt");
        EXPECT_EQ(first.exitCode(), 0u) << readBytes(logs / "a.txt");
        EXPECT_EQ(second.exitCode(), 0u) << readBytes(logs / "b.txt");
    }
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < kKeys; ++i) ASSERT_EQ(ini::ReadProfileValue(file, "s", prefix + std::to_string(i)), "v");
    EXPECT_EQ(testing_support::fileNames(dir.path()), std::vector<std::string>{"a.dat"});
}

// The system's words for an error reach a reason in UTF-8. std::error_code
// gives them, and std::filesystem the paths too, in the ANSI code page,
// which is GBK under the Chinese locale these tests run in.
TEST(SystemErrorText, TheSystemsWordsAndThePathsAreUtf8) {
    wchar_t words[512];
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          ERROR_FILE_NOT_FOUND, 0, words, 512, nullptr);
    ASSERT_GT(length, 0u);
    std::wstring expected(words, length);
    while (!expected.empty() && (expected.back() == L'\r' || expected.back() == L'\n' || expected.back() == L'.'))
        expected.pop_back();
    const std::u8string expectedUtf8 = std::filesystem::path(expected).u8string();
    const std::error_code missing(ERROR_FILE_NOT_FOUND, std::system_category());
    EXPECT_EQ(files::errorText(missing), std::string(expectedUtf8.begin(), expectedUtf8.end()));

    TempDir dir;
    const std::filesystem::path gone = dir.path() / u8"没有的文件.dat";
    try {
        std::filesystem::copy_file(gone, dir.path() / "copy.dat");
        FAIL() << "copying a missing file did not fail";
    } catch (const std::filesystem::filesystem_error& error) {
        const std::string text = files::errorText(error);
        const std::u8string goneUtf8 = gone.u8string();
        EXPECT_NE(text.find(std::string(goneUtf8.begin(), goneUtf8.end())), std::string::npos) << text;
    }
}
