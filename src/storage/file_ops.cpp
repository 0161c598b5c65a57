#include "storage/file_ops.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#ifdef _WIN32
#include <windows.h>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pumpsel::files {

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::int64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

namespace {

std::string randomSuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int i = 0; i < 10; ++i) s.push_back(digits[rng() % 36]);
    return s;
}

// Temporary files start with a dot and end in ".tmp" so that a folder listing
// shows at once what they are; they never outlive a write.
std::filesystem::path temporaryBeside(const std::filesystem::path& path) {
    auto name = path.filename().u8string();
    return path.parent_path() / (u8"." + name + u8"." + std::u8string(
        reinterpret_cast<const char8_t*>(randomSuffix().c_str())) + u8".tmp");
}

bool isTemporaryOf(const std::filesystem::path& entry, const std::filesystem::path& file) {
    const std::u8string name = entry.filename().u8string();
    const std::u8string prefix = u8"." + file.filename().u8string() + u8".";
    return name.size() == prefix.size() + 14 && name.starts_with(prefix) && name.ends_with(u8".tmp");
}

}  // namespace

// A writer killed between naming its temporary file and renaming it leaves
// that file behind; the next writer, holding the lock, clears it away.
void removeStaleTemporaries(const std::filesystem::path& file) {
    std::error_code ec;
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isTemporaryOf(it->path(), file)) std::filesystem::remove(it->path(), ec);
}

#ifndef _WIN32

namespace {

Stamp stampFrom(const struct stat& st) {
    Stamp s;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

std::string systemReason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::optional<Stamp> stampOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampFrom(st);
}

ReadStatus readWholeFile(const std::filesystem::path& path, std::string& bytes, Stamp* stamp) {
    bytes.clear();
    // Non-blocking, so that a pipe standing where a file should be cannot hang the read.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return ReadStatus::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::NotAFile;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        // Past the size it had when opened, a file is read on only if it grew
        // meanwhile: the buffer is not enlarged just to find the end.
        char more[4096];
        const bool full = done == bytes.size();
        ssize_t n = full ? ::read(fd, more, sizeof more) : ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            bytes.clear();
            return ReadStatus::Unreadable;
        }
        if (n == 0) break;
        if (full) bytes.append(more, static_cast<std::size_t>(n));
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    if (stamp) {
        ::fstat(fd, &st);
        *stamp = stampFrom(st);
    }
    ::close(fd);
    return ReadStatus::Ok;
}

// Opens the new content's file: an unnamed one where the file system allows
// it, which vanishes with a crashed writer; else a named temporary file.
int openTemporary(const std::filesystem::path& folder, const std::filesystem::path& temp, bool* unnamed) {
#ifdef O_TMPFILE
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        *unnamed = true;
        return fd;
    }
#endif
    *unnamed = false;
    return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool replaceFile(const std::filesystem::path& path, const std::string& bytes, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    mode_t mode = 0666;
    bool keepMode = false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail("not a regular file");
        mode = st.st_mode & 07777;
        keepMode = true;
    }
    removeStaleTemporaries(path);
    const auto temp = temporaryBeside(path);
    bool unnamed = false;
    int fd = openTemporary(path.parent_path(), temp, &unnamed);
    if (fd < 0) return fail(systemReason("cannot create a file in the folder"));
    auto abandon = [&](const char* what) {
        std::string why = systemReason(what);
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(why);
    };
    if (keepMode && ::fchmod(fd, mode) != 0) return abandon("cannot set permissions");
    if (!writeAll(fd, bytes)) return abandon("cannot write");
    if (::fsync(fd) != 0) return abandon("cannot flush");
    if (unnamed) {
        // The content gets a name only now, complete and flushed, just for the rename.
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return abandon("cannot name the new file");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) return abandon("cannot replace the file");
    if (::close(fd) != 0) return fail(systemReason("cannot close"));
    syncFolder(path.parent_path());
    return true;
}

WriteLock::WriteLock(const std::filesystem::path& folder) {
    fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        reason_ = errno == ENOENT || errno == ENOTDIR ? "the folder does not exist"
                                                      : systemReason("cannot open the folder");
        return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            reason_ = systemReason("cannot lock the folder");
            return;
        }
    }
    held_ = true;
}

WriteLock::~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing drops the lock
}

#else  // Windows

namespace {

std::string lastErrorReason(const char* what) {
    return std::string(what) + " (error " + std::to_string(::GetLastError()) + ")";
}

}  // namespace

std::optional<Stamp> stampOf(const std::filesystem::path& path) {
    HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = ::GetFileInformationByHandle(h, &info) &&
              !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ::CloseHandle(h);
    if (!ok) return std::nullopt;
    Stamp s;
    s.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.device = info.dwVolumeSerialNumber;
    s.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // FILETIME counts 100 ns from 1601; stamps count from 1970.
    auto unixNs = [](FILETIME t) {
        return (((std::int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) - 116444736000000000LL) * 100;
    };
    s.modifiedNs = unixNs(info.ftLastWriteTime);
    s.changedNs = unixNs(info.ftCreationTime);
    return s;
}

ReadStatus readWholeFile(const std::filesystem::path& path, std::string& bytes, Stamp* stamp) {
    bytes.clear();
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return ReadStatus::Missing;
    if (!std::filesystem::is_regular_file(status)) return ReadStatus::NotAFile;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadStatus::Unreadable;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return ReadStatus::Unreadable;
    if (stamp) {
        auto s = stampOf(path);
        if (s) *stamp = *s;
    }
    return ReadStatus::Ok;
}

bool replaceFile(const std::filesystem::path& path, const std::string& bytes, std::string* reason) {
    removeStaleTemporaries(path);
    const auto temp = temporaryBeside(path);
    HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (reason) *reason = lastErrorReason("cannot create a file in the folder");
        return false;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(h);
    ::CloseHandle(h);
    ok = ok && ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL) &&
         ::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        if (reason) *reason = lastErrorReason("cannot replace the file");
        ::DeleteFileW(temp.c_str());
    }
    return ok;
}

// Windows cannot lock a folder, so writers share a lock file in it; the lock
// (not the file) goes away with the process.
WriteLock::WriteLock(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder.empty() ? "." : folder, ec)) {
        reason_ = "the folder does not exist";
        return;
    }
    auto lockPath = folder / L".pumpsel.lock";
    HANDLE h = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        reason_ = lastErrorReason("cannot open the lock file");
        return;
    }
    OVERLAPPED ov{};
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov)) {
        reason_ = lastErrorReason("cannot lock");
        ::CloseHandle(h);
        return;
    }
    handle_ = h;
    held_ = true;
}

WriteLock::~WriteLock() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
}

#endif

}  // namespace pumpsel::files
