// pumpsel --help and --version print and exit without a display: help2man
// runs them while the package is built, and a terminal may have none.
#include "support/run_program.h"

#include <gtest/gtest.h>

using testing_support::ProgramRun;
using testing_support::runProgram;

namespace {

ProgramRun runWithoutDisplay(const std::string& argument) {
    return runProgram(
        PUMPSEL_PROGRAM, {argument},
        {.environment = {
             {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}}});
}

}  // namespace

TEST(CommandLine, HelpAndVersionPrintWithoutADisplay) {
    const ProgramRun version = runWithoutDisplay("--version");
    EXPECT_EQ(version.exitCode, 0) << version.err;  // not 128 + a signal either
    EXPECT_EQ(version.out, "pumpsel " PUMPSEL_VERSION "\n");

    const ProgramRun help = runWithoutDisplay("--help");
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_TRUE(help.out.starts_with("Usage: ")) << help.out;
    for (const char* part : {"--catalogue <DIR>", "the program's own folder, when it holds txt/bump.dat",
                             "$XDG_DATA_HOME/pumpsel, by default ~/.local/share/pumpsel"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part << "\n" << help.out;
}
