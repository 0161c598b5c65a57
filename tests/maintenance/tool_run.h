#pragma once
// Runs the built pumpsel-ini as a maintainer would, and collects what it
// printed on stdout and on stderr and how it exited.
#include "support/temp_dir.h"

#include <sys/wait.h>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

namespace testing_support {

struct ToolRun {
    int exitCode = -1;  // 128 + the signal for a killed run
    std::string out, err;
};

inline std::string shellQuoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline ToolRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args) {
    TempDir capture;
    std::string command = shellQuoted(program.string());
    for (const auto& a : args) command += " " + shellQuoted(a);
    command += " >" + shellQuoted((capture / "out").string()) + " 2>" + shellQuoted((capture / "err").string());
    // The shell reports a child killed by a signal as 128 + the signal.
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readBytes(capture / "out");
    run.err = readBytes(capture / "err");
    return run;
}

#ifdef PUMPSEL_INI
inline ToolRun runTool(const std::vector<std::string>& args) { return runProgram(PUMPSEL_INI, args); }
#endif

}  // namespace testing_support
