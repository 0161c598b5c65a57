// Whole-file reads: every byte, whatever size the file system reports.
#include "storage/file_ops.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace pumpsel;
using testing_support::TempDir;
using testing_support::writeBytes;

TEST(WholeFileRead, EveryByteOfFilesAroundTheBufferSizes) {
    TempDir dir;
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 65536u, 1000003u}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>('a' + i * 7 % 26);
        const auto file = dir / ("f" + std::to_string(size));
        writeBytes(file, content);
        std::string read = "left over";
        ASSERT_EQ(files::readWholeFile(file, read), files::ReadStatus::Ok) << size;
        EXPECT_EQ(read, content) << size;
    }
}

#ifdef __linux__
// Files under /proc report a size of 0 and still hold text: a read goes on
// past the reported size until the end.
TEST(WholeFileRead, ReadsPastTheReportedSize) {
    std::string status;
    ASSERT_EQ(files::readWholeFile("/proc/self/status", status), files::ReadStatus::Ok);
    EXPECT_EQ(status.rfind("Name:", 0), 0u);
    EXPECT_NE(status.find("VmRSS:"), std::string::npos);
    std::string maps;  // several reads' worth
    ASSERT_EQ(files::readWholeFile("/proc/self/smaps", maps), files::ReadStatus::Ok);
    EXPECT_GT(maps.size(), 3 * 4096u);
    EXPECT_EQ(maps.back(), '\n');
}

// Opening a device can act on it (a tape rewinds, a terminal is taken):
// something other than a regular file is told by its type, never opened.
// The system reports every opening of the pipe here to the watch.
TEST(WholeFileRead, AnythingButARegularFileIsNotOpened) {
    TempDir dir;
    const auto pipe = dir / "a.dat";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, pipe.c_str(), IN_OPEN), 0);
    std::string bytes;
    EXPECT_EQ(files::readWholeFile(pipe, bytes), files::ReadStatus::NotAFile);
    EXPECT_EQ(files::readFileStart(pipe, 16, bytes), files::ReadStatus::NotAFile);
    char events[256];
    EXPECT_EQ(::read(watch, events, sizeof events), -1) << "the pipe was opened";
    ::close(watch);
}
#endif
