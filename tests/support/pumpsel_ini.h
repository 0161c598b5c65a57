#pragma once
// pumpsel-ini as the tests run it: the built program, and the preloaded shim
// (die_mid_write.cpp) that kills it half-way through a write. A test target
// that includes this defines PUMPSEL_INI and DIE_MID_WRITE.
#include "support/run_program.h"

#include <string>
#include <vector>

namespace testing_support {

// Runs the built pumpsel-ini with the arguments.
inline ProgramRun runTool(const std::vector<std::string>& args, const RunOptions& options = {}) {
    return runProgram(PUMPSEL_INI, args, options);
}

// Options under which the program is killed in its first write into `victim`
// (a file, or any file in a folder when it ends in "/"), half of the bytes stored.
inline RunOptions dyingMidWrite(const std::string& victim) {
    return {.environment = {{"PUMPSEL_DIE_WRITING", victim},
                            {"LD_PRELOAD", DIE_MID_WRITE},
                            // the shim comes before the sanitizer's runtime
                            {"ASAN_OPTIONS", "verify_asan_link_order=0"}}};
}

}  // namespace testing_support
