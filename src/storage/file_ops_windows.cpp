// The file services on Windows: handles, ReplaceFileW, byte-range locks
// and a mutex that queues the writers of one machine.
#include "storage/file_ops.h"

#include "storage/file_ops_shared.h"

#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <utility>

namespace pumpsel::files {

namespace fs = std::filesystem;
using namespace detail;

namespace {

// A handle closed with its scope.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
        h_ = h;
    }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// The system's own words for an error, in UTF-8 like every reason.
std::string systemWords(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(error);
    if (length > 0) {
        std::wstring_view words(text, length);
        while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L'.'))
            words.remove_suffix(1);
        std::string utf8(words.size() * 3, '\0');
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, words.data(), static_cast<int>(words.size()), utf8.data(),
                                            static_cast<int>(utf8.size()), nullptr, nullptr);
        if (n > 0) message = utf8.substr(0, static_cast<std::size_t>(n));
    }
    if (text) ::LocalFree(text);
    return message;
}

std::string systemReason(std::string_view what, DWORD error = ::GetLastError()) {
    return std::string(what) + ": " + systemWords(error);
}

Replaced fail(Outcome* failure, std::string why, Failure kind = Failure::System) {
    if (failure) *failure = Outcome::failed(std::move(why), kind);
    return Replaced::Failed;
}

bool isMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Opens a file or folder to look at or read it, letting others read, write,
// rename and delete it meanwhile.
HANDLE openShared(const fs::path& path, DWORD access) {
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// FILETIME-style counts of 100 ns from 1601; stamps count nanoseconds from 1970.
std::int64_t unixNs(std::int64_t ticks) { return (ticks - 116444736000000000LL) * 100; }

// The stamp of an open regular file, or nullopt for a folder or device. The
// change time (which NTFS keeps apart from the write time) catches a rewrite
// that restores the write time.
std::optional<Stamp> stampOfHandle(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    Stamp s;
    s.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    s.device = info.dwVolumeSerialNumber;
    s.inode = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.modifiedNs =
        unixNs((std::int64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    FILE_BASIC_INFO basic{};
    s.changedNs = ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)
                      ? unixNs(basic.ChangeTime.QuadPart)
                      : s.modifiedNs;
    return s;
}

bool sameFile(const Stamp& a, const Stamp& b) { return a.device == b.device && a.inode == b.inode; }

ReadStatus readAll(HANDLE h, std::uint64_t size, std::string& bytes) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return ReadStatus::Unreadable;
    return readToEnd(size, bytes, [h](char* buffer, std::size_t capacity) -> std::int64_t {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(capacity, 1 << 30));
        if (!::ReadFile(h, buffer, want, &n, nullptr)) return -1;
        return n;
    });
}

// The new content's file while it is written, hidden, beside the target;
// removed unless moved into place.
class Temporary {
public:
    explicit Temporary(const fs::path& target) : name_(temporaryBeside(target)) {
        handle_.reset(
            ::CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!handle_) {
            const DWORD error = ::GetLastError();
            failure_ = isMissing(error)               ? Failure::Missing
                       : error == ERROR_ACCESS_DENIED ? Failure::ReadOnly
                                                      : Failure::System;
            reason_ = isMissing(error) ? "the folder does not exist"
                                       : systemReason("cannot create a file in the folder", error);
        }
    }
    ~Temporary() {
        handle_.reset();
        if (!moved_) ::DeleteFileW(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    bool created() const { return static_cast<bool>(handle_); }
    const std::string& reason() const { return reason_; }
    Failure failure() const { return failure_; }

    // Writes, flushes and closes the whole content.
    bool fill(std::string_view bytes, Outcome* failure) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
            if (!::WriteFile(handle_.get(), bytes.data() + done, chunk, &n, nullptr)) {
                if (failure) *failure = Outcome::failed(systemReason("cannot write"));
                return false;
            }
            done += n;
        }
        if (!::FlushFileBuffers(handle_.get())) {
            if (failure) *failure = Outcome::failed(systemReason("cannot write"));
            return false;
        }
        handle_.reset();
        return true;
    }

    // Puts the complete file in the target's place: with the system's replace
    // call, which gives it the original's attributes and access list, or
    // (replace false) only where nothing is. 0, or the error of the failure.
    DWORD moveTo(const fs::path& to, bool replace) {
        if (replace) {
            // The replace call is documented to keep the original's attributes,
            // but Wine keeps the replacement's (hidden): give it the original's
            // first, so the file comes out right either way.
            takeAttributesOf(to);
            if (::ReplaceFileW(to.c_str(), name_.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
                moved_ = true;
                return 0;
            }
            const DWORD error = ::GetLastError();
            // The original could not be removed and both kept their names, or
            // it is gone and the new content still waits under its own name:
            // a plain rename finishes both.
            if (error != ERROR_UNABLE_TO_REMOVE_REPLACED && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return error;
        }
        // A new file is shown like any other; a replacement has the original's attributes already.
        if (!replace) ::SetFileAttributesW(name_.c_str(), FILE_ATTRIBUTE_NORMAL);
        const DWORD how = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!::MoveFileExW(name_.c_str(), to.c_str(), how)) return ::GetLastError();
        moved_ = true;
        return 0;
    }

private:
    void takeAttributesOf(const fs::path& original) {
        constexpr DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_SYSTEM;
        const DWORD attributes = ::GetFileAttributesW(original.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
        const DWORD kept = attributes & kSettable;
        ::SetFileAttributesW(name_.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
    }

    fs::path name_;
    Handle handle_;
    std::string reason_;
    Failure failure_ = Failure::None;
    bool moved_ = false;
};

Replaced writeNew(const fs::path& target, std::string_view bytes, bool replace, Outcome* failure) {
    Temporary fresh(target);
    if (!fresh.created()) return fail(failure, fresh.reason(), fresh.failure());
    if (!fresh.fill(bytes, failure)) return Replaced::Failed;
    if (const DWORD error = fresh.moveTo(target, replace)) {
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
            if (failure) *failure = Outcome::failed("another program created the file meanwhile");
            return Replaced::Raced;
        }
        return fail(failure, systemReason(replace ? "cannot replace the file" : "cannot name the new file", error));
    }
    return Replaced::Done;
}

// The writers' lock: one byte far past the end of any file this program
// reads, so that the system's mandatory byte-range locks never stop a reader.
constexpr std::uint64_t kLockOffset = std::uint64_t(1) << 62;

enum class LockWait { Locked, Busy, Failed };

// Waits at most `limit` for the lock. The request is repeated every
// millisecond until then: an overlapped request cannot be relied on to end
// when cancelled (Wine reports it granted), and a blocking one cannot be
// given up at all. A short pause keeps a writer that releases the lock and
// at once asks again from taking it every time.
LockWait lockWithin(HANDLE h, std::chrono::steady_clock::duration limit, std::string* reason) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        OVERLAPPED range{};
        range.Offset = static_cast<DWORD>(kLockOffset);
        range.OffsetHigh = static_cast<DWORD>(kLockOffset >> 32);
        if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range))
            return LockWait::Locked;
        const DWORD error = ::GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            *reason = systemReason("cannot lock the file", error);
            return LockWait::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            *reason = "another program has kept the file locked for " + std::to_string(kLockWait.count()) + " seconds";
            return LockWait::Busy;
        }
        ::Sleep(1);
    }
}

}  // namespace

std::optional<Stamp> stampOf(const fs::path& path) {
    Handle h(openShared(path, FILE_READ_ATTRIBUTES));
    if (!h) return std::nullopt;
    return stampOfHandle(h.get());
}

ReadStatus readFileStart(const fs::path& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ReadStatus::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ReadStatus::NotAFile;
    Handle h(openShared(path, GENERIC_READ));
    if (!h) return isMissing(::GetLastError()) ? ReadStatus::Missing : ReadStatus::Unreadable;
    if (!stampOfHandle(h.get())) return ReadStatus::NotAFile;
    bytes.resize(maxBytes);
    DWORD n = 0;
    if (!::ReadFile(h.get(), bytes.data(), static_cast<DWORD>(maxBytes), &n, nullptr)) return ReadStatus::Unreadable;
    bytes.resize(n);
    return ReadStatus::Ok;
}

std::optional<JournalState> journalState(const fs::path&) { return std::nullopt; }

ReadStatus readWholeFile(const fs::path& path, std::string& bytes, Stamp* stamp) {
    bytes.clear();
    Handle h(openShared(path, GENERIC_READ));
    if (!h) {
        const DWORD error = ::GetLastError();
        if (isMissing(error) || error == ERROR_INVALID_NAME) return ReadStatus::Missing;
        // A folder cannot be opened for reading its content.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                   ? ReadStatus::NotAFile
                   : ReadStatus::Unreadable;
    }
    std::optional<Stamp> before = stampOfHandle(h.get());
    if (!before) return ReadStatus::NotAFile;
    for (int attempt = 0;; ++attempt) {
        if (const ReadStatus status = readAll(h.get(), before->size, bytes); status != ReadStatus::Ok) return status;
        const std::optional<Stamp> after = stampOfHandle(h.get());
        if (!after) return ReadStatus::Unreadable;
        // A file that changed while it was read is read again.
        if (*after == *before || attempt == 2) {
            if (stamp) *stamp = *after;
            return ReadStatus::Ok;
        }
        before = after;
    }
}

Replaced replaceFile(WriteLock& lock, std::string_view bytes, Outcome* failure) {
    if (!lock.held()) return fail(failure, lock.reason(), lock.failure());
    const fs::path& target = lock.target();
    if (!lock.exists()) return writeNew(target, bytes, false, failure);
    removeStaleTemporaries(target);
    return writeNew(target, bytes, true, failure);
}

namespace {

// The writers of one file on this machine queue for a named mutex, which
// stays theirs while the file is replaced under them: the byte-range lock
// alone would favour a writer that releases it and at once locks the file's
// next version, while the one that waited still holds the old one. The
// mutex is named after the file's full path (as the system spells it, so
// every spelling of it meets), and goes to the next writer when its holder
// dies. Null when there is none; the byte-range lock still holds.
HANDLE queueFor(HANDLE file) {
    wchar_t path[32768];
    const DWORD length = ::GetFinalPathNameByHandleW(file, path, 32768, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= 32768) return nullptr;
    ::CharLowerBuffW(path, length);
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (DWORD i = 0; i < length; ++i) hash = (hash ^ path[i]) * 1099511628211ull;
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\pumpsel-write-%016llx", static_cast<unsigned long long>(hash));
    return ::CreateMutexW(nullptr, FALSE, name);
}

}  // namespace

// The lock is held through a handle on the file itself that lets others
// read, write, rename and delete it, so the replace call can put the new
// file in its place while the lock is held. A writer that waited on a file
// replaced meanwhile locks the new one.
WriteLock::WriteLock(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    const Resolved link = resolveLinks(file);
    if (!link.problem.empty() || link.leadsOut) {
        link.leadsOut ? refuse(Failure::LinkLeadsOut, std::string(kLeadsOut)) : refuse(Failure::System, link.problem);
        return;
    }
    target_ = link.target;
    const auto busy = [&] {
        refuse(Failure::Locked,
               "another program has kept the file locked for " + std::to_string(kLockWait.count()) + " seconds");
    };
    for (;;) {
        const DWORD attributes = ::GetFileAttributesW(target_.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                held_ = true;  // created by replaceFile, which cannot overwrite another writer's file
                return;
            }
            isMissing(error) ? refuse(Failure::Missing, "the folder does not exist")
                             : refuse(Failure::System, systemReason("cannot find the file", error));
            return;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            refuse(Failure::NotAFile, std::string(kNotAFile));
            return;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            refuse(Failure::ReadOnly, std::string(kReadOnly));
            return;
        }
        Handle h(::CreateFileW(target_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
        if (!h) {
            const DWORD error = ::GetLastError();
            // Removed since it was looked at.
            if (isMissing(error) && std::chrono::steady_clock::now() < deadline) continue;
            error == ERROR_ACCESS_DENIED
                ? refuse(Failure::ReadOnly, std::string(kReadOnly))
                : refuse(Failure::System, systemReason("cannot open the file for writing", error));
            return;
        }
        const std::optional<Stamp> locked = stampOfHandle(h.get());
        if (!locked) {
            refuse(Failure::NotAFile, std::string(kNotAFile));
            return;
        }
        if (!turn_ && (turn_ = queueFor(h.get()))) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            const DWORD waited = ::WaitForSingleObject(turn_, static_cast<DWORD>(std::max<long long>(left.count(), 0)));
            if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
                ::CloseHandle(turn_);
                turn_ = nullptr;
                if (waited == WAIT_TIMEOUT) {
                    busy();
                } else {
                    refuse(Failure::System, systemReason("cannot wait for the lock"));
                }
                return;
            }
        }
        switch (lockWithin(h.get(), deadline - std::chrono::steady_clock::now(), &reason_)) {
            case LockWait::Locked:
                break;
            case LockWait::Busy:
                failure_ = Failure::Locked;
                return;
            case LockWait::Failed:
                failure_ = Failure::System;
                return;
        }
        const std::optional<Stamp> now = stampOf(target_);
        if (now && sameFile(*locked, *now)) {
            handle_ = h.release();
            held_ = exists_ = true;
            return;
        }
        // Replaced while this writer waited: the new file is the one to lock.
    }
}

WriteLock::~WriteLock() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));  // closing drops the lock
    if (turn_) {
        ::ReleaseMutex(static_cast<HANDLE>(turn_));
        ::CloseHandle(static_cast<HANDLE>(turn_));
    }
}

std::string errorText(const std::error_code& error) {
    if (error.category() != std::system_category()) return error.message();
    return systemWords(static_cast<DWORD>(error.value()));
}

// what() would not do: its words and paths are in the ANSI code page.
std::string errorText(const fs::filesystem_error& error) {
    std::string text = errorText(error.code());
    for (const fs::path* path : {&error.path1(), &error.path2()}) {
        const std::u8string name = path->u8string();
        if (!name.empty()) text += ": " + std::string(name.begin(), name.end());
    }
    return text;
}

}  // namespace pumpsel::files
