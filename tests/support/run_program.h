#pragma once
// Runs a program as a script would, but without a shell between: the
// exact arguments, what it printed on stdout and on stderr, and how it
// ended. A limit, changes to the environment or a file in place of stdout
// (such as /dev/full) are set for the program alone.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace testing_support {

struct ProgramRun {
    int exitCode = -1;  // 128 + the signal for a process that was killed
    std::string out, err;
};

// A resource limit (setrlimit), soft and hard alike.
struct Limit {
    int resource;
    rlim_t value;
};

// A variable of the program's environment; without a value it is removed.
struct Variable {
    std::string name;
    std::optional<std::string> value{};
};

struct RunOptions {
    std::optional<Limit> limit{};
    std::vector<Variable> environment{};  // changes to this process's environment
    std::filesystem::path stdoutTo{};     // an existing file (/dev/full) for stdout; `out` then stays empty
};

namespace detail {

// This process's environment with the changes applied, as "NAME=value" texts.
inline std::vector<std::string> environmentWith(const std::vector<Variable>& changes) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool changed = false;
        for (const Variable& v : changes) changed = changed || entry.starts_with(v.name + "=");
        if (!changed) entries.push_back(entry);
    }
    for (const Variable& v : changes)
        if (v.value) entries.push_back(v.name + "=" + *v.value);
    return entries;
}

inline std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

// Reads both pipes as the program fills them, so that neither can fill up
// and stop it, until both are closed.
inline void collect(int outFd, int errFd, std::string& out, std::string& err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string* texts[2] = {&out, &err};
    for (int open = 2; open > 0;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

// The program itself when it names a folder, else the first executable of
// that name in a folder of PATH, as a shell finds it.
inline std::filesystem::path located(const std::filesystem::path& program) {
    if (program.has_parent_path()) return program;
    const char* path = std::getenv("PATH");
    for (std::string_view folders = path ? path : ""; !folders.empty();) {
        const std::size_t colon = std::min(folders.find(':'), folders.size());
        const std::filesystem::path candidate = std::filesystem::path(folders.substr(0, colon)) / program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        folders.remove_prefix(std::min(colon + 1, folders.size()));
    }
    return program;
}

}  // namespace detail

// Runs the program (a path, or a name looked up on PATH) with the arguments
// and waits for it to end. Everything the child needs is prepared before the
// fork: a test process may have threads, and a forked child of one may only
// make system calls.
inline ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                             const RunOptions& options = {}) {
    const std::filesystem::path executable = detail::located(program);
    std::vector<std::string> argvTexts{program.string()};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = detail::environmentWith(options.environment);
    const std::vector<char*> argv = detail::pointers(argvTexts), envp = detail::pointers(envTexts);
    const int stdoutFile = options.stdoutTo.empty() ? -1 : ::open(options.stdoutTo.c_str(), O_WRONLY | O_CLOEXEC);
    if (!options.stdoutTo.empty() && stdoutFile < 0) return {};
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        if (options.limit) {
            const rlimit limit{options.limit->value, options.limit->value};
            if (::setrlimit(options.limit->resource, &limit) != 0) _exit(127);
        }
        ::dup2(stdoutFile >= 0 ? stdoutFile : out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(executable.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (stdoutFile >= 0) ::close(stdoutFile);
    ProgramRun run;
    if (child < 0) {
        ::close(out[0]);
        ::close(err[0]);
        return run;
    }
    detail::collect(out[0], err[0], run.out, run.err);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace testing_support
