#pragma once
// What the commands of pumpsel-ini and pumpsel-sheet share: their arguments split into
// positional ones, flags and options, UTF-8 output, and the exit codes.
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::tool {

// Exit codes: done; found problems, no rows or refused; bad arguments or cannot run.
inline constexpr int kDone = 0;
inline constexpr int kRefused = 1;
inline constexpr int kCannotRun = 2;

struct Arguments {
    std::vector<std::string> positional;
    std::set<std::string, std::less<>> flags;                 // "--csv"
    std::map<std::string, std::string, std::less<>> options;  // "--tolerance" -> "10"
    std::filesystem::path programFolder;                      // the folder holding pumpsel-ini
    bool has(std::string_view flag) const { return flags.contains(flag); }
    const std::string* option(std::string_view name) const;
};

// One command: its name, its usage line, its help text, the flags and
// options it takes, how many positional arguments, and what it runs.
struct Command {
    std::string_view name;
    std::string_view usage;
    std::string_view help;
    std::vector<std::string_view> flags;
    std::vector<std::string_view> options;
    std::size_t minPositional = 0, maxPositional = 0;
    int (*run)(const Arguments&) = nullptr;
};

// Splits the arguments after the command name by the command's flags and
// options; an argument that starts with "-" and is not a number must be one
// of them, and "--" ends them. Empty *error when they fit the command.
Arguments parseArguments(const Command& command, std::span<const std::string> args, std::string* error);

#ifdef _WIN32
// The arguments of wmain in UTF-8: Windows hands them over as UTF-16
// whatever the ANSI code page, where main would get them in that code page.
std::vector<std::string> utf8Arguments(std::span<wchar_t* const> argv);

// Puts stdout and stderr in binary mode, so that a line break written is
// one byte in a file or pipe, as in the files the tool writes itself.
void useBinaryOutput();
#endif

// The folder of the running program (where the catalogue lies beside it):
// the system's name for the program's file; argv0 where it has none.
std::filesystem::path programFolder(const std::string& argv0);

// The one way text leaves the tool, to stdout or stderr. The text is UTF-8;
// a Windows console is given it as UTF-16 (it would show the bytes in its
// own code page), a file or pipe gets the bytes.
void writeText(std::FILE* stream, std::string_view text);

// The running program's name, which its messages begin with: "pumpsel-ini".
// Each program defines it.
std::string_view programName();

// Text to stdout or stderr through writeText.
void print(std::string_view text);
void printError(std::string_view text);  // prefixed with the program's name and ": ", a line break added

// Prints the reason to stderr and gives the exit code back.
int failWith(int exitCode, std::string_view reason);

// The exit code once everything printed has reached its place: stdout is
// flushed and closed, and a write that failed on the way (a full disk,
// /dev/full) turns the command's code into kCannotRun, with the reason.
int afterOutput(int exitCode);

// A path as UTF-8, for messages.
std::string displayPath(const std::filesystem::path& path);

// The commands of this tool, each defined beside its kind of work.
const Command& getCommand();
const Command& setCommand();
const Command& searchCommand();
const Command& checkCommand();
const Command& exportCommand();
const Command& importCommand();
const Command& compactCommand();
const Command& dutyCommand();

}  // namespace pumpsel::tool
