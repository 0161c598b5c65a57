// The maintainers' command-line tool reads and writes exactly as the program.
#include "storage/profile.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>

using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

struct ToolRun {
    int exitCode;
    std::string out;
};

std::string quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolRun run(const std::vector<std::string>& args, bool withStderr = false) {
    std::string command = PUMPSEL_INI;
    for (const auto& a : args) command += " " + quoted(a);
    command += withStderr ? " 2>&1" : " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    while (std::size_t n = fread(buf.data(), 1, buf.size(), pipe)) out.append(buf.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace

TEST(PumpselIni, GetPrintsTheValueAsTheProgramReadsIt) {
    TempDir dir;
    const auto file = dir / "bump.dat";
    writeBytes(file, "[\xD6\xD6\xC0\xE0]\r\n1=\xC0\xEB\xD0\xC4\xB1\xC3\r\n2=\" lead\"\r\n");
    EXPECT_EQ(run({"get", file.string(), "种类", "1"}).out, "离心泵\n");
    EXPECT_EQ(run({"get", file.string(), "种类", "2"}).out, " lea\n");
    ToolRun missing = run({"get", file.string(), "种类", "9"});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_EQ(missing.out, "unknown\n");
}

TEST(PumpselIni, SetWritesGbkOrExplainsWhyNot) {
    TempDir dir;
    const auto file = dir / "a.dat";
    EXPECT_EQ(run({"set", file.string(), "1", "型号", "IS50-32-125"}).exitCode, 0);
    EXPECT_EQ(readBytes(file), "[1]\r\n\xD0\xCD\xBA\xC5=IS50-32-125\r\n");
    ToolRun bad = run({"set", file.string(), "1", "型号", "😀"}, true);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("GBK"), std::string::npos) << bad.out;
    EXPECT_EQ(run({"set", (dir / "no/such.dat").string(), "1", "k", "v"}).exitCode, 1);
    EXPECT_EQ(run({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(readBytes(file), "[1]\r\n\xD0\xCD\xBA\xC5=IS50-32-125\r\n");
}
