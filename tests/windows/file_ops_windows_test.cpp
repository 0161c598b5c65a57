// Writes through the Windows system calls: the read-only attribute, the
// attributes the replace call keeps, the byte-range lock and its bounded
// wait against other programs, and two programs writing one file.
#include "storage/file_ops.h"
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

using namespace pumpsel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

const std::string kRecord = "[1]\r\nmodel=IS50\r\n";

// A program of the build folder, started with the arguments, its standard
// error going to a file.
class Program {
public:
    Program(const std::wstring& name, const std::vector<std::string>& arguments, const std::filesystem::path& err) {
        wchar_t self[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::filesystem::path program = std::filesystem::path(std::wstring(self, length)).parent_path() / name;
        std::wstring line = L"\"" + program.wstring() + L"\"";
        for (const std::string& argument : arguments)
            line += L" \"" + std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring() + L"\"";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        errFile_ = ::CreateFileW(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errFile_;
        started_ = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                    &process_);
    }
    ~Program() {
        if (started_) {
            ::WaitForSingleObject(process_.hProcess, INFINITE);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
        ::CloseHandle(errFile_);
    }
    bool started() const { return started_; }
    DWORD exitCode() const {
        DWORD code = 255;
        ::WaitForSingleObject(process_.hProcess, INFINITE);
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    HANDLE errFile_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

class WindowsWrite : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(file, kRecord); }

    TempDir dir, logs;
    std::filesystem::path file = dir / "a.dat";
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
        Program writer(L"windows_writer.exe", {file.string(), "k", "1"}, err);
        ASSERT_TRUE(writer.started());
        EXPECT_EQ(writer.exitCode(), 1u);
        EXPECT_EQ(readBytes(err), "another program has kept the file locked for 3 seconds\r\n");
        EXPECT_EQ(readBytes(file), kRecord);
        Program reader(L"pumpsel-ini.exe", {"get", file.string(), "1", "model"}, err);
        EXPECT_EQ(reader.exitCode(), 0u);
    }
    // Released while the other program waits: it goes on.
    auto lock = std::make_unique<files::WriteLock>(file);
    ASSERT_TRUE(lock->held());
    Program writer(L"windows_writer.exe", {file.string(), "k", "1"}, err);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    lock.reset();
    EXPECT_EQ(writer.exitCode(), 0u) << readBytes(err);
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k0"), "v");
}

TEST_F(WindowsWrite, TwoProgramsWritingOneFileLoseNothing) {
    constexpr int kKeys = 100;
    {
        Program first(L"windows_writer.exe", {file.string(), "a", std::to_string(kKeys)}, logs / "a.txt");
        Program second(L"windows_writer.exe", {file.string(), "b", std::to_string(kKeys)}, logs / "b.txt");
        EXPECT_EQ(first.exitCode(), 0u) << readBytes(logs / "a.txt");
        EXPECT_EQ(second.exitCode(), 0u) << readBytes(logs / "b.txt");
    }
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < kKeys; ++i) ASSERT_EQ(ini::ReadProfileValue(file, "s", prefix + std::to_string(i)), "v");
    EXPECT_EQ(testing_support::fileNames(dir.path()), std::vector<std::string>{"a.dat"});
}
