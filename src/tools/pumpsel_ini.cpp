// pumpsel-ini: reads and writes catalogue values from the command line,
// exactly as the program does.
//   pumpsel-ini get FILE SECTION KEY
//   pumpsel-ini set FILE SECTION KEY VALUE
#include "storage/file_ops.h"
#include "storage/profile.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

int usage() {
    std::fputs(
        "usage: pumpsel-ini get FILE SECTION KEY\n"
        "       pumpsel-ini set FILE SECTION KEY VALUE\n"
        "Arguments and output are UTF-8; the files are GBK text.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pumpsel;
    if (argc < 2) return usage();
    const std::string_view command = argv[1];
    if (command == "get" && argc == 5) {
        std::string value = ini::ReadProfileValue(files::pathFromUtf8(argv[2]), argv[3], argv[4]);
        std::fwrite(value.data(), 1, value.size(), stdout);
        std::fputc('\n', stdout);
        return 0;
    }
    if (command == "set" && argc == 6) {
        auto outcome = ini::writeValue(files::pathFromUtf8(argv[2]), argv[3], argv[4], argv[5]);
        if (outcome) return 0;
        std::fprintf(stderr, "pumpsel-ini: cannot write %s/%s to %s: %s\n", argv[3], argv[4], argv[2],
                     outcome.reason.c_str());
        return 1;
    }
    return usage();
}
