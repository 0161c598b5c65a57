// The maintainers' command-line tool reads and writes exactly as the program.
#include "support/pumpsel_ini.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using testing_support::ProgramRun;
using testing_support::readBytes;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeBytes;

TEST(PumpselIni, GetPrintsTheValueAsTheProgramReadsIt) {
    TempDir dir;
    const auto file = dir / "bump.dat";
    writeBytes(file, "[\xD6\xD6\xC0\xE0]\r\n1=\xC0\xEB\xD0\xC4\xB1\xC3\r\n2=\" lead\"\r\n");
    EXPECT_EQ(runTool({"get", file.string(), "种类", "1"}).out, "离心泵\n");
    EXPECT_EQ(runTool({"get", file.string(), "种类", "2"}).out, " lea\n");
    const ProgramRun missing = runTool({"get", file.string(), "种类", "9"});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_EQ(missing.out, "unknown\n");
}

TEST(PumpselIni, SetWritesGbkOrExplainsWhyNot) {
    TempDir dir;
    const auto file = dir / "a.dat";
    EXPECT_EQ(runTool({"set", file.string(), "1", "型号", "IS50-32-125"}).exitCode, 0);
    EXPECT_EQ(readBytes(file), "[1]\r\n\xD0\xCD\xBA\xC5=IS50-32-125\r\n");
    const ProgramRun bad = runTool({"set", file.string(), "1", "型号", "😀"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("GBK"), std::string::npos) << bad.err;
    EXPECT_EQ(runTool({"set", (dir / "no/such.dat").string(), "1", "k", "v"}).exitCode, 1);
    EXPECT_EQ(runTool({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(readBytes(file), "[1]\r\n\xD0\xCD\xBA\xC5=IS50-32-125\r\n");
}
