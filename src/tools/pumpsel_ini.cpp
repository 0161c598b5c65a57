// pumpsel-ini: the catalogue maintainers' command-line tool. It reads,
// writes, checks and searches the catalogue exactly as the program does.
#include "storage/file_ops.h"
#include "storage/profile.h"
#include "tools/command_line.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::tool {

std::string_view programName() { return "pumpsel-ini"; }

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
    writeText(to, text);
    return to == stdout ? kDone : kCannotRun;
}

// A file-system call that throws (a path the system cannot take, say) ends
// the command as any other failure to run does.
int runCommand(const Command& command, const Arguments& args) {
    try {
        return command.run(args);
    } catch (const std::filesystem::filesystem_error& error) {
        return failWith(kCannotRun, std::string(command.name) + ": " + pumpsel::files::errorText(error));
    }
}

// argv as UTF-8, the program's name first.
int runTool(const std::vector<std::string>& argv) {
    const std::string_view name = argv.size() > 1 ? std::string_view(argv[1]) : "";
    if (name == "--help" || name == "-h") return afterOutput(usage(stdout));
    if (name == "--version") {
        print("pumpsel-ini " PUMPSEL_VERSION "\n");
        return afterOutput(kDone);
    }
    for (const Command* command : commands()) {
        if (command->name != name) continue;
        const std::span<const std::string> rest = std::span(argv).subspan(2);
        if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
            print("usage: pumpsel-ini " + std::string(command->usage) + "\n" + std::string(command->help));
            return afterOutput(kDone);
        }
        std::string error;
        Arguments args = parseArguments(*command, rest, &error);
        if (!error.empty()) {
            printError(std::string(name) + ": " + error);
            writeText(stderr, "usage: pumpsel-ini " + std::string(command->usage) + "\n");
            return kCannotRun;
        }
        args.programFolder = programFolder(argv[0]);
        return afterOutput(runCommand(*command, args));
    }
    if (!name.empty()) printError("unknown command " + std::string(name));
    return usage(stderr);
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

#ifdef _WIN32
// wmain (linked with -municode): the arguments as the C runtime splits them
// for main, but in UTF-16, so that Chinese ones arrive whatever the code page.
int wmain(int argc, wchar_t** argv) {
    pumpsel::tool::useBinaryOutput();
    return pumpsel::tool::runTool(pumpsel::tool::utf8Arguments(std::span(argv, static_cast<std::size_t>(argc))));
}
#else
int main(int argc, char** argv) { return pumpsel::tool::runTool(std::vector<std::string>(argv, argv + argc)); }
#endif
