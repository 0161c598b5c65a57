#include "tools/command_line.h"

#include "storage/numbers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace pumpsel::tool {
namespace {

#ifdef _WIN32
// Set when a write to stdout on a console failed, which afterOutput reports
// as it reports a failed write to a file.
bool consoleOutputFailed = false;

std::wstring utf16(std::string_view utf8) {
    std::wstring text(utf8.size(), L'\0');  // never more UTF-16 units than UTF-8 bytes
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                                             static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string utf8(std::wstring_view utf16) {
    std::string text(utf16.size() * 3, '\0');  // at most three UTF-8 bytes per UTF-16 unit
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), text.data(),
                                             static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// The console a stream shows on; none when it goes to a file or pipe.
HANDLE consoleOf(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// In pieces: a console takes a write through a buffer of limited size. A
// surrogate pair stays within one piece.
bool writeConsole(HANDLE console, std::wstring_view text) {
    constexpr std::size_t kPiece = 8192;
    while (!text.empty()) {
        std::size_t count = std::min(text.size(), kPiece);
        if (count < text.size() && IS_HIGH_SURROGATE(text[count - 1])) --count;
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(count), &written, nullptr) || written == 0)
            return false;
        text.remove_prefix(written);
    }
    return true;
}
#endif

}  // namespace

const std::string* Arguments::option(std::string_view name) const {
    auto it = options.find(name);
    return it == options.end() ? nullptr : &it->second;
}

Arguments parseArguments(const Command& command, std::span<const std::string> args, std::string* error) {
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

#ifdef _WIN32
std::vector<std::string> utf8Arguments(std::span<wchar_t* const> argv) {
    std::vector<std::string> arguments;
    for (const wchar_t* argument : argv) arguments.push_back(utf8(argument));
    return arguments;
}

void useBinaryOutput() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

// The name may be longer than MAX_PATH: the buffer grows until it fits.
std::filesystem::path programFolder(const std::string&) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return std::filesystem::path(name.substr(0, length)).parent_path();
        name.resize(name.size() * 2);
    }
}
#else
std::filesystem::path programFolder(const std::string& argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) self = std::filesystem::weakly_canonical(std::filesystem::path(argv0), ec);
    return self.parent_path();
}
#endif

void writeText(std::FILE* stream, std::string_view text) {
#ifdef _WIN32
    if (HANDLE console = consoleOf(stream)) {
        if (!writeConsole(console, utf16(text)) && stream == stdout) consoleOutputFailed = true;
        return;
    }
#endif
    std::fwrite(text.data(), 1, text.size(), stream);
}

void print(std::string_view text) { writeText(stdout, text); }

void printError(std::string_view text) {
    writeText(stderr, std::string(programName()) + ": " + std::string(text) + "\n");
}

int failWith(int exitCode, std::string_view reason) {
    printError(reason);
    return exitCode;
}

int afterOutput(int exitCode) {
    errno = 0;
    bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
#ifdef _WIN32
    failed = failed || consoleOutputFailed;
#endif
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
