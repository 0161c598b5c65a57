#pragma once
// The few file-system services the profile files need, in one place so that
// the platform differences stay here: change stamps, whole-file reads,
// crash-safe replacement and the writers' lock.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pumpsel::files {

// What identifies one version of a file's content. Size, inode and both
// time stamps (to the nanosecond) change when another program rewrites it.
struct Stamp {
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool operator==(const Stamp&) const = default;
};

enum class ReadStatus { Ok, Missing, NotAFile, Unreadable };

// The stamp of a regular file, or nullopt when there is none at the path.
std::optional<Stamp> stampOf(const std::filesystem::path& path);

// Reads a whole regular file; *stamp receives the stamp of what was read.
ReadStatus readWholeFile(const std::filesystem::path& path, std::string& bytes, Stamp* stamp = nullptr);

// Replaces (or creates) the file with the given bytes so that a crash at any
// moment leaves either the old or the new content: a temporary file in the
// same folder is written, flushed and renamed over the original, keeping the
// original's permission bits. On failure nothing is left behind and *reason
// says why. Callers hold the WriteLock of the folder.
bool replaceFile(const std::filesystem::path& path, const std::string& bytes, std::string* reason);

// Removes temporary files that crashed writers left beside the file. Only
// for callers that hold the WriteLock of the file's folder.
void removeStaleTemporaries(const std::filesystem::path& file);

// True for a regular file (not a folder, pipe or device).
bool isRegularFile(const std::filesystem::path& path);

// An exclusive advisory lock held by writers for a whole read-modify-write.
// It is taken on the file's folder, not on the file that the rename replaces,
// and the system drops it when the process dies.
class WriteLock {
public:
    explicit WriteLock(const std::filesystem::path& folder);
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool held() const { return held_; }
    const std::string& reason() const { return reason_; }

private:
    bool held_ = false;
    std::string reason_;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// The wall-clock time in nanoseconds, comparable with Stamp times.
std::int64_t nowNs();

// Path from UTF-8 text, the same on every platform.
std::filesystem::path pathFromUtf8(std::string_view utf8);

}  // namespace pumpsel::files
