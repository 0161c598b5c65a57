// A second program for the Windows tests: writes COUNT keys PREFIX0,
// PREFIX1, ... into section s of FILE, each in a write of its own. Exits 1
// at the first failed write.
#include "storage/file_ops.h"
#include "storage/profile.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: windows_writer FILE PREFIX COUNT\n", stderr);
        return 2;
    }
    const auto file = pumpsel::files::pathFromUtf8(argv[1]);
    for (int i = 0, count = std::stoi(argv[3]); i < count; ++i) {
        const auto outcome = pumpsel::ini::writeValue(file, "s", argv[2] + std::to_string(i), "v");
        if (!outcome.ok) {
            std::fprintf(stderr, "%s\n", outcome.reason.c_str());
            return 1;
        }
    }
    return 0;
}
