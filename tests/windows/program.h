#pragma once
// Other programs started from a Windows test: the build's own ones beside
// the test program, or any command line, with standard output and error
// going to files.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// A program of the build folder, where the test program itself lies.
inline std::filesystem::path besideTestProgram(const std::wstring& name) {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(std::wstring(self, length)).parent_path() / name;
}

// The command line that starts the program with the UTF-8 arguments, each
// in quotes (none of them holds one).
inline std::wstring commandLine(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments)
        line += L" \"" + std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring() + L"\"";
    return line;
}

// A running program; the destructor waits for its end.
class Program {
public:
    // Starts the command line in the folder (this program's current one when
    // empty); standard output goes to the file out, standard error to err.
    Program(std::wstring line, const std::filesystem::path& out, const std::filesystem::path& err,
            const std::filesystem::path& folder = {}) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        outFile_ = ::CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        errFile_ = ::CreateFileW(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outFile_;
        startup.hStdError = errFile_;
        started_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                    folder.empty() ? nullptr : folder.c_str(), &startup, &process_);
    }
    ~Program() {
        if (started_) {
            ::WaitForSingleObject(process_.hProcess, INFINITE);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
        ::CloseHandle(outFile_);
        ::CloseHandle(errFile_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return started_; }
    // Waits for the end.
    DWORD exitCode() const {
        DWORD code = 255;
        ::WaitForSingleObject(process_.hProcess, INFINITE);
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    HANDLE outFile_ = INVALID_HANDLE_VALUE;
    HANDLE errFile_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

}  // namespace testing_support
