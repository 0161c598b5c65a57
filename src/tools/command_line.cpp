#include "tools/command_line.h"

#include "storage/numbers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace pumpsel::tool {

const std::string* Arguments::option(std::string_view name) const {
    auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

Arguments parseArguments(const Command& command, std::span<char* const> args, std::string* error) {
    Arguments parsed;
    const auto takes = [](const std::vector<std::string_view>& names, std::string_view arg) {
        return std::find(names.begin(), names.end(), arg) != names.end();
    };
    bool positionalOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (positionalOnly || !arg.starts_with('-') || arg == "-" || numbers::isNumeric(arg)) {
            parsed.positional.emplace_back(arg);
        } else if (arg == "--") {
            positionalOnly = true;
        } else if (takes(command.flags, arg)) {
            parsed.flags.emplace(arg);
        } else if (takes(command.options, arg) && i + 1 < args.size()) {
            parsed.options[std::string(arg)] = args[++i];
        } else {
            *error = takes(command.options, arg) ? std::string(arg) + " needs a value"
                                                 : "unknown option " + std::string(arg);
            return parsed;
        }
    }
    const std::size_t count = parsed.positional.size();
    if (count < command.minPositional || count > command.maxPositional) *error = "wrong number of arguments";
    return parsed;
}

std::filesystem::path programFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::weakly_canonical(std::filesystem::path(argv0), ec);
    return self.parent_path();
}

void print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void printError(std::string_view text) {
    std::fputs("pumpsel-ini: ", stderr);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

int failWith(int exitCode, std::string_view reason) {
    printError(reason);
    return exitCode;
}

int afterOutput(int exitCode) {
    errno = 0;
    bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
    int error = errno;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (!failed) return exitCode;
    return failWith(kCannotRun,
                    std::string("cannot write the output: ") + (error ? std::strerror(error) : "the write failed"));
}

std::string displayPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace pumpsel::tool
