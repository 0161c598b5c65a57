// Writers killed at random moments never leave a half-written file: the
// record holds its old or its new values, whole, and no temporary file stays.
// A writer killed in the instant between naming its finished temporary file
// and renaming it over the original leaves that file; the next write, under
// the lock, removes it.
#include "storage/profile.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>

using namespace pumpsel;
using testing_support::readBytes;
using testing_support::TempDir;

namespace {

const char* const kKeys[] = {"型号", "流量1", "流量2", "扬程1", "扬程2", "功率", "备注"};

// Rewrites record 1 again and again, all seven values to the same new token;
// tells the parent through the pipe when the first write is done.
[[noreturn]] void writeForever(const std::filesystem::path& file, int kill, int pipe) {
    for (int generation = 1;; ++generation) {
        const std::string token = "v" + std::to_string(kill) + "-" + std::to_string(generation);
        std::vector<ini::KeyValue> values;
        for (const char* key : kKeys) values.push_back({key, token});
        ini::writeValues(file, "1", values);
        if (generation == 1 && ::write(pipe, "x", 1) != 1) _exit(1);
    }
}

}  // namespace

TEST(CrashInjection, KilledWritersLeaveWholeRecordsAndNoTemporaryFiles) {
    TempDir dir;
    const auto file = dir / "a.dat";
    std::string others;
    for (int n = 2; n <= 2000; ++n)
        others +=
            "[" + std::to_string(n) + "]\r\nmodel=P" + std::to_string(n) + "\r\nflow=" + std::to_string(n) + "\r\n";
    std::string first = "[status]\nkills=0\n[1]\n";
    for (const char* key : kKeys) first += std::string(key) + "=v0\n";
    testing_support::writeBytes(file, testing_support::gbkText(first) + others);

    // Kills land anywhere within a few writes' time, however fast this build writes.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(ini::writeValue(file, "status", "kills", "0").ok);
    const auto writeMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count() / 5;
    std::mt19937 rng(20261207);
    int leftBehind = 0;
    for (int kill = 1; kill <= 300; ++kill) {
        int firstWrite[2];
        ASSERT_EQ(pipe(firstWrite), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeForever(file, kill, firstWrite[1]);
        char done;
        ASSERT_EQ(::read(firstWrite[0], &done, 1), 1);
        ::close(firstWrite[0]);
        ::close(firstWrite[1]);
        usleep(static_cast<useconds_t>(rng() % (3 * writeMicros + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        std::vector<std::string> values;
        for (const char* key : kKeys) values.push_back(ini::ReadProfileValue(file, "1", key));
        const std::string now = values[0];
        for (const std::string& value : values) ASSERT_EQ(value, now) << "kill " << kill;
        ASSERT_TRUE(now.starts_with("v" + std::to_string(kill) + "-")) << "kill " << kill << ": " << now;
        ASSERT_TRUE(readBytes(file).ends_with(others)) << "kill " << kill;
        leftBehind += testing_support::fileNames(dir.path()).size() > 1;
        ASSERT_TRUE(ini::writeValue(file, "status", "kills", std::to_string(kill)).ok);
        ASSERT_EQ(testing_support::fileNames(dir.path()), std::vector<std::string>{"a.dat"}) << "kill " << kill;
        ASSERT_TRUE(readBytes(file).starts_with("[status]\r\nkills=" + std::to_string(kill) + "\r\n"));
    }
    std::printf("300 kills: %d left a finished temporary file behind\n", leftBehind);
}
