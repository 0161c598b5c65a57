// pumpsel-ini: the catalogue maintainers' command-line tool. It reads,
// writes, checks and searches the catalogue exactly as the program does.
#include "storage/file_ops.h"
#include "storage/profile.h"
#include "tools/command_line.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::tool {
namespace {

// "unknown" is the answer for a missing file, section or key; a file that
// is there but cannot be read (no memory for it, too large, no file) is a
// failure, not an answer.
int runGet(const Arguments& args) {
    const auto& a = args.positional;
    const auto file = files::pathFromUtf8(a[0]);
    ini::ReadBatch batch;  // the file is checked and parsed once for both reads
    files::ReadStatus status;
    if (!ini::parsedFile(file, &status) && status != files::ReadStatus::Missing)
        return failWith(kCannotRun, "get: cannot read " + a[0] + ": " + std::string(files::readProblem(status)));
    print(ini::ReadProfileValue(file, a[1], a[2]) + "\n");
    return kDone;
}

int runSet(const Arguments& args) {
    const auto& a = args.positional;
    auto outcome = ini::writeValue(files::pathFromUtf8(a[0]), a[1], a[2], a[3]);
    if (outcome) return kDone;
    return failWith(kRefused, "cannot write " + a[1] + "/" + a[2] + " to " + a[0] + ": " + outcome.reason);
}

const std::vector<const Command*>& commands() {
    static const std::vector<const Command*> all = {&getCommand(),     &setCommand(),    &searchCommand(),
                                                    &checkCommand(),   &exportCommand(), &importCommand(),
                                                    &compactCommand(), &dutyCommand()};
    return all;
}

int usage(std::FILE* to) {
    // In the GNU form, which help2man makes the manual page's synopsis of.
    std::string text;
    for (const Command* command : commands())
        text.append(text.empty() ? "Usage: " : "  or:  ").append("pumpsel-ini ").append(command->usage).append("\n");
    text +=
        "\n'pumpsel-ini COMMAND --help' describes a command; 'pumpsel-ini --version' prints the version.\n"
        "Arguments and output are UTF-8; the catalogue's files are GBK text.\n"
        "Exit status: 0 done, 1 problems found, no rows or refused, 2 bad arguments or cannot run.\n";
    std::fputs(text.c_str(), to);
    return to == stdout ? kDone : kCannotRun;
}

}  // namespace

const Command& getCommand() {
    static const Command command{"get",
                                 "get FILE SECTION KEY",
                                 "Prints the value as the program reads it; \"unknown\" when the file, section or\n"
                                 "key is missing. Exit 2 when the file is there but cannot be read.\n",
                                 {},
                                 {},
                                 3,
                                 3,
                                 runGet};
    return command;
}

const Command& setCommand() {
    static const Command command{"set",
                                 "set FILE SECTION KEY VALUE",
                                 "Writes the value as the program writes it: one atomic replacement of the file\n"
                                 "under the catalogue lock. Exit 1 with the reason when it cannot.\n",
                                 {},
                                 {},
                                 4,
                                 4,
                                 runSet};
    return command;
}

}  // namespace pumpsel::tool

int main(int argc, char** argv) {
    using namespace pumpsel::tool;
    const std::string_view name = argc > 1 ? argv[1] : "";
    if (name == "--help" || name == "-h") return afterOutput(usage(stdout));
    if (name == "--version") {
        print("pumpsel-ini " PUMPSEL_VERSION "\n");
        return afterOutput(kDone);
    }
    for (const Command* command : commands()) {
        if (command->name != name) continue;
        const std::span<char* const> rest(argv + 2, static_cast<std::size_t>(argc - 2));
        if (std::find_if(rest.begin(), rest.end(), [](const char* a) { return std::string_view(a) == "--help"; }) !=
            rest.end()) {
            print("usage: pumpsel-ini " + std::string(command->usage) + "\n" + std::string(command->help));
            return afterOutput(kDone);
        }
        std::string error;
        Arguments args = parseArguments(*command, rest, &error);
        if (!error.empty()) {
            printError(std::string(name) + ": " + error);
            std::fprintf(stderr, "usage: pumpsel-ini %s\n", std::string(command->usage).c_str());
            return kCannotRun;
        }
        args.programFolder = programFolder(argv[0]);
        return afterOutput(command->run(args));
    }
    if (!name.empty()) printError("unknown command " + std::string(name));
    return usage(stderr);
}
