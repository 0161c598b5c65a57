// Reads go through a cache of parsed files; it must never serve a value that
// another program has changed on disk.
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace pumpsel;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

#ifdef _WIN32
// Rewrites the file in place (same file) through the system's calls. From
// this process, unlike elsewhere: the cache sees only the file on disk.
void rewriteInPlaceFromAnotherProcess(const std::filesystem::path& file, const std::string& bytes) {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    ASSERT_TRUE(ok && written == bytes.size());
}

FILETIME modifiedTime(const std::filesystem::path& file) {
    FILETIME t{};
    HANDLE h = ::CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(h != INVALID_HANDLE_VALUE && ::GetFileTime(h, nullptr, nullptr, &t));
    ::CloseHandle(h);
    return t;
}

void setModifiedTime(const std::filesystem::path& file, FILETIME t) {
    HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(h != INVALID_HANDLE_VALUE && ::SetFileTime(h, nullptr, &t, &t));
    ::CloseHandle(h);
}

void setModifiedSecondsAgo(const std::filesystem::path& file, int seconds) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = ((std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - seconds * 10000000ull;
    setModifiedTime(file, FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)});
}
#else
// Rewrites the file in place (same inode) from another process.
void rewriteInPlaceFromAnotherProcess(const std::filesystem::path& file, const std::string& bytes) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC);
        bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

void setModifiedSecondsAgo(const std::filesystem::path& file, int seconds) {
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= seconds;
    times[1] = times[0];
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}
#endif

class ProfileCache : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path file = dir / "data.ini";
};

}  // namespace

TEST_F(ProfileCache, SameSizeRewriteByAnotherProcessIsSeen) {
    writeBytes(file, "[s]\r\nk=1\r\n");
    setModifiedSecondsAgo(file, 10);
    ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
    ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
    rewriteInPlaceFromAnotherProcess(file, "[s]\r\nk=2\r\n");
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "2");
}

TEST_F(ProfileCache, RewriteWithinTheSameClockTickIsSeen) {
    // Written, read and rewritten at once: the time stamps cannot tell the two
    // versions apart, so the first read must not be trusted.
    for (int round = 0; round < 20; ++round) {
        const std::string a = "[s]\r\nk=" + std::to_string(round % 10) + "\r\n";
        const std::string b = "[s]\r\nk=" + std::to_string((round + 1) % 10) + "\r\n";
        writeBytes(file, a);
        ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), std::to_string(round % 10));
        rewriteInPlaceFromAnotherProcess(file, b);
        ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), std::to_string((round + 1) % 10));
    }
}

TEST_F(ProfileCache, RewriteThatRestoresTheModificationTimeIsSeen) {
    writeBytes(file, "[s]\r\nk=1\r\n");
    setModifiedSecondsAgo(file, 10);
#ifdef _WIN32
    const FILETIME before = modifiedTime(file);
#else
    struct stat before {};
    ::stat(file.c_str(), &before);
#endif
    ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
    rewriteInPlaceFromAnotherProcess(file, "[s]\r\nk=2\r\n");
#ifdef _WIN32
    setModifiedTime(file, before);
#else
    struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
#endif
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "2");  // the change time still moved
}

TEST_F(ProfileCache, ReplacedByRenameIsSeen) {
    writeBytes(file, "[s]\r\nk=1\r\n");
    setModifiedSecondsAgo(file, 10);
    ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
    const auto other = dir / "other.ini";
    writeBytes(other, "[s]\r\nk=2\r\n");
    setModifiedSecondsAgo(other, 10);  // same size, same time: only the inode differs
    std::filesystem::rename(other, file);
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "2");
}

TEST_F(ProfileCache, DeletedFileReadsUnknown) {
    writeBytes(file, "[s]\r\nk=1\r\n");
    setModifiedSecondsAgo(file, 10);
    ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
    std::filesystem::remove(file);
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "unknown");
    writeBytes(file, "[s]\r\nk=3\r\n");
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "3");
}

TEST_F(ProfileCache, ABatchChecksEachFileOnceAndSeesItsOwnWrites) {
    writeBytes(file, "[s]\r\nk=1\r\n");
    setModifiedSecondsAgo(file, 10);
    {
        ini::ReadBatch batch;
        ASSERT_EQ(ini::ReadProfileValue(file, "s", "k"), "1");
        ASSERT_TRUE(ini::writeValue(file, "s", "k", "2").ok);
        EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "2");
        rewriteInPlaceFromAnotherProcess(file, "[s]\r\nk=3\r\n");
        // Inside one action the file stands as the action found it.
        EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "2");
    }
    EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "3");
    {
        ini::ReadBatch batch;
        EXPECT_EQ(ini::ReadProfileValue(file, "s", "k"), "3");  // a new batch checks again
    }
}
