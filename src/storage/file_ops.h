#pragma once
// The few file-system services the profile files need, in one place so that
// the platform differences stay here: change stamps, whole-file reads,
// crash-safe replacement and the writers' lock.
#include "storage/outcome.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

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

// What tells files apart: two names of one file have the same identity.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileId&) const = default;
};

// Larger files are not read: no catalogue comes near this size, and every
// offset into a file that is read stays far inside 32 bits.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t(1) << 30;

// How long a writer waits for another program to release a file.
inline constexpr std::chrono::seconds kLockWait{3};

enum class ReadStatus { Ok, Missing, NotAFile, Unreadable, TooLarge, NoMemory };

// Why a read failed, in words for a write that needed it.
std::string_view readProblem(ReadStatus status);

// The stamp of a regular file, or nullopt when there is none at the path.
std::optional<Stamp> stampOf(const std::filesystem::path& path);

// Reads a whole regular file of at most kMaxFileBytes; *stamp receives the
// stamp of what was read. A file that another writer is rewriting in place,
// or left half-rewritten when it died, reads as the complete new content
// that writer put beside it first.
ReadStatus readWholeFile(const std::filesystem::path& path, std::string& bytes, Stamp* stamp = nullptr);

// Up to maxBytes of the start of a regular file, for a look at what kind of
// file it is without reading it whole; its type is known before it is opened.
ReadStatus readFileStart(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);

// A journal of an unfinished rewrite in place (see replaceFile) found in a
// folder: whether readers take it in the file's stead, and why or why not.
// Readers trust a journal only when its owner could have written the file
// anyway, it shows no one more than the file does, it names the file's
// identity and it is complete; any other is left where it is, unused.
struct JournalState {
    bool taken = false;
    std::string why;
};
// nullopt for a path that is no journal's (and always on Windows, where
// writes never leave one).
std::optional<JournalState> journalState(const std::filesystem::path& path);

// True when the path is a symbolic link whose target does not lie in the
// link's own folder or below it. Writes never follow such a link.
bool linkLeadsOut(const std::filesystem::path& path);

class WriteLock;

enum class Replaced {
    Done,
    Failed,
    Raced,  // another writer created the missing file meanwhile: read it and write again
};

// Replaces (or creates) the locked file with the given bytes so that a crash
// at any moment leaves either the old or the new content, and the file keeps
// its owner, group, permission bits and extended attributes. Usually a
// temporary file in the same folder is written, flushed and renamed over the
// original (on Windows by the system's replace call). Elsewhere a file with
// other hard links, or one whose owner, group or attributes this user cannot
// give a new file, is instead rewritten in place after a complete, flushed
// copy of the new content is put beside it, which readers and the next
// writer take in its stead should the rewrite stop half-way. On failure
// *failure says why, and the file is as it was unless the rewrite in place
// itself failed, when that copy stands in for it.
Replaced replaceFile(WriteLock& lock, std::string_view bytes, Outcome* failure);

// A writer's hold on one file for a whole read-modify-write: an exclusive
// advisory lock on the file itself, which the system drops when the process
// dies (on Windows a byte-range lock far past the file's end, so that it
// stops no reader, and a mutex that queues the writers of one machine). It waits at most kLockWait for another program
// to release the file, and a file replaced while it waited is locked anew. A symbolic link is followed to its target
// unless linkLeadsOut; a read-only file is refused. A missing file is not locked: its creation cannot overwrite
// another's.
class WriteLock {
public:
    explicit WriteLock(const std::filesystem::path& file);
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    bool held() const { return held_; }
    // Why the lock is not held: its kind (Locked when another program kept
    // the file for the whole wait) and the reason in words.
    Failure failure() const { return failure_; }
    const std::string& reason() const { return reason_; }
    // The file to read and write: the target when the path given is a link.
    const std::filesystem::path& target() const { return target_; }
    bool exists() const { return exists_; }

private:
    friend Replaced replaceFile(WriteLock&, std::string_view, Outcome*);
    void refuse(Failure failure, std::string reason);
    bool held_ = false;
    Failure failure_ = Failure::None;
    bool exists_ = false;
    std::string reason_;
    std::filesystem::path target_;
#ifdef _WIN32
    void* handle_ = nullptr;
    void* turn_ = nullptr;  // the writers' queue on this machine
#else
    int fd_ = -1;
#endif
};

// What a change makes of a locked file: its new bytes (a view of storage
// the change keeps until the next call), or nullopt to leave it as it is.
using Change = std::function<std::optional<std::string_view>(const WriteLock& lock)>;

// The one write procedure of the program: locks the file, lets `change`
// read it (through lock.target(); lock.exists() is false for a file not
// there yet) and make its new bytes, and puts them in place by
// replaceFile. A file that another writer created after this one found it
// missing is read and changed again, twice at most.
Outcome rewrite(const std::filesystem::path& file, const Change& change);

// The whole content of a file, written by rewrite whatever it held.
Outcome writeFile(const std::filesystem::path& file, std::string_view bytes);

// True for a regular file (not a folder, pipe or device).
bool isRegularFile(const std::filesystem::path& path);

// True when the path, once every symbolic link on it is followed, lies in
// the folder (followed the same way) or below it; also for a path that does
// not exist yet but would be created there. False when it leads elsewhere or
// cannot be resolved. A catalogue's reads and a maintainer's outputs keep to
// their folders by it.
bool liesWithin(const std::filesystem::path& folder, const std::filesystem::path& path);

// True when both paths name the same existing file (followed through links).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The wall-clock time in nanoseconds, comparable with Stamp times.
std::int64_t nowNs();

// Path from UTF-8 text, the same on every platform.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// The system's words for an error, in UTF-8 like every reason. On Windows
// std::error_code::message() gives a system error in the ANSI code page
// (GBK on a Chinese system); this asks the system for its UTF-16 words.
std::string errorText(const std::error_code& error);

// What a failed file-system call says, in UTF-8: what() on POSIX; on Windows,
// where what() holds the ANSI code page, the error's words and the paths.
std::string errorText(const std::filesystem::filesystem_error& error);

}  // namespace pumpsel::files
