#include "storage/file_ops.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>

#ifdef _WIN32
#include <windows.h>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#endif

namespace pumpsel::files {

namespace fs = std::filesystem;

fs::path pathFromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::int64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

namespace {

constexpr std::string_view kNotAFile = "a folder or device stands where the file should be";
constexpr std::string_view kReadOnly = "the file is read-only";
constexpr std::string_view kLeadsOut = "the file is a link to a place outside its folder";

}  // namespace

std::string_view readProblem(ReadStatus status) {
    switch (status) {
        case ReadStatus::Ok:
            return {};
        case ReadStatus::Missing:
            return "the file does not exist";
        case ReadStatus::NotAFile:
            return kNotAFile;
        case ReadStatus::Unreadable:
            return "the file cannot be read";
        case ReadStatus::TooLarge:
            return "the file is larger than 1 GiB";
        case ReadStatus::NoMemory:
            return "not enough memory to read the file";
    }
    return "the file cannot be read";
}

namespace {

fs::path folderOf(const fs::path& file) { return file.parent_path().empty() ? fs::path(".") : file.parent_path(); }

std::u8string u8(std::string_view text) { return std::u8string(text.begin(), text.end()); }

std::string randomSuffix() {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int i = 0; i < 10; ++i) s.push_back(digits[rng() % 36]);
    return s;
}

// Temporary files start with a dot and end in ".tmp" so that a folder listing
// shows at once what they are; they never outlive a write. They carry the
// file's name, or a hash of a name too long for the longest name a file
// system takes (255 bytes) once the dot and ending are added.
std::u8string temporaryStem(const fs::path& file) {
    const std::u8string name = file.filename().u8string();
    if (name.size() + 16 <= 255) return name;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char8_t c : name) hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return u8"~" + u8(hex);
}

fs::path temporaryBeside(const fs::path& file) {
    return file.parent_path() / (u8"." + temporaryStem(file) + u8"." + u8(randomSuffix()) + u8".tmp");
}

bool isTemporaryOf(const fs::path& entry, const fs::path& file) {
    const std::u8string name = entry.filename().u8string();
    const std::u8string prefix = u8"." + temporaryStem(file) + u8".";
    return name.size() == prefix.size() + 14 && name.starts_with(prefix) && name.ends_with(u8".tmp");
}

// A writer killed between naming its temporary file and renaming it leaves
// that file behind; the next writer, holding the lock, clears it away. A
// folder this user may not list keeps such files.
void removeStaleTemporaries(const fs::path& file) {
    std::error_code ec;
    for (fs::directory_iterator it(folderOf(file), ec), end; !ec && it != end; it.increment(ec))
        if (isTemporaryOf(it->path(), file)) fs::remove(it->path(), ec);
}

// Where a path leads: the file itself, or the end of its chain of symbolic
// links. Only the last component counts as a link; the folders on the way
// are wherever they lead.
struct Resolved {
    fs::path target;
    bool leadsOut = false;
    std::string problem;
};

Resolved resolveLinks(const fs::path& path) {
    Resolved r{path, false, {}};
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(r.target, ec)); ++hops) {
        if (hops == 40) return {path, false, "too many levels of symbolic links"};
        const fs::path to = fs::read_symlink(r.target, ec);
        if (ec) return {path, false, "cannot read the link: " + ec.message()};
        r.target = to.is_absolute() ? to : r.target.parent_path() / to;
    }
    if (r.target == path) return r;
    std::error_code folderError, targetError;
    const fs::path folder = fs::canonical(folderOf(path), folderError);
    r.target = fs::weakly_canonical(r.target, targetError);
    const fs::path inside = r.target.lexically_relative(folder);
    r.leadsOut = folderError || targetError || inside.empty() || *inside.begin() == "..";
    return r;
}

}  // namespace

bool linkLeadsOut(const fs::path& path) { return resolveLinks(path).leadsOut; }

Outcome writeFile(const fs::path& file, std::string_view bytes) {
    // A file created by another writer after this one found it missing is
    // written again, now over that one's content.
    std::string reason;
    for (int attempt = 0; attempt < 3; ++attempt) {
        WriteLock lock(file);
        if (!lock.held()) return Outcome::failed(lock.reason());
        const Replaced result = replaceFile(lock, bytes, &reason);
        if (result == Replaced::Done) return Outcome::done();
        if (result == Replaced::Failed) return Outcome::failed(reason);
    }
    return Outcome::failed("other programs kept creating the file anew");
}

#ifndef _WIN32

namespace {

// A descriptor closed with its scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

Stamp stampFrom(const struct stat& st) {
    Stamp s;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

std::string systemReason(std::string_view what, int error = errno) {
    return std::string(what) + ": " + std::strerror(error);
}

Replaced fail(std::string* reason, std::string why) {
    if (reason) *reason = std::move(why);
    return Replaced::Failed;
}

// Where a file being rewritten in place has the complete new content: beside
// it, named after its inode, so that every name of a hard-linked file in the
// folder finds it.
fs::path journalOf(const fs::path& file, ino_t inode) {
    return file.parent_path() / (".pumpsel-" + std::to_string(inode) + ".journal");
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Without read permission on the folder this cannot be done; the rename is
// then as durable as the file system makes it by itself.
void syncFolder(const fs::path& file) {
    int fd = ::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Reads fd from its start to its end: past the size it had when opened only
// if it grew meanwhile, so the buffer is not enlarged just to find the end.
ReadStatus readAll(int fd, std::uint64_t size, std::string& bytes) {
    if (size > kMaxFileBytes) return ReadStatus::TooLarge;
    if (::lseek(fd, 0, SEEK_SET) != 0) return ReadStatus::Unreadable;
    try {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        for (;;) {
            char more[4096];
            const bool full = done == bytes.size();
            ssize_t n = full ? ::read(fd, more, sizeof more) : ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return ReadStatus::Unreadable;
            if (n == 0) break;
            if (full) bytes.append(more, static_cast<std::size_t>(n));
            done += static_cast<std::size_t>(n);
            if (done > kMaxFileBytes) return ReadStatus::TooLarge;
        }
        bytes.resize(done);
        return ReadStatus::Ok;
    } catch (const std::bad_alloc&) {
        std::string().swap(bytes);
        return ReadStatus::NoMemory;
    }
}

// The complete new content of a file being rewritten in place, or Missing
// when no rewrite is under way. Unreadable when the copy is there but this
// user may not read it: the file itself may be half-written.
ReadStatus readJournal(const fs::path& journal, std::string& bytes) {
    Fd fd(::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadStatus::Unreadable;
    return readAll(fd.get(), static_cast<std::uint64_t>(st.st_size), bytes);
}

// A write past the file-size limit would otherwise end the process; with the
// signal ignored it fails with EFBIG and says so. A handler the host program
// installed is left alone.
void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    });
}

// The new content's file while it is written: unnamed where the system can
// name it later through /proc (it then vanishes with a writer that dies),
// else named beside the target. It is removed unless moved into place.
class Temporary {
public:
    explicit Temporary(const fs::path& target) : name_(temporaryBeside(target)) {
#ifdef O_TMPFILE
        fd_ = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0 && ::access(procLink().c_str(), F_OK) == 0) {
            unnamed_ = true;
        } else if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
#endif
        if (fd_ < 0) {
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            named_ = fd_ >= 0;
        }
        if (fd_ < 0) {
            reason_ =
                errno == ENOENT ? "the folder does not exist" : systemReason("cannot create a file in the folder");
            return;
        }
        // A copy left by a rewrite in place that died belongs to a file gone
        // since; the inode number may be handed out again, to this file.
        struct stat st {};
        if (::fstat(fd_, &st) == 0) ::unlink(journalOf(target, st.st_ino).c_str());
    }
    ~Temporary() {
        if (fd_ >= 0) ::close(fd_);
        if (named_) ::unlink(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int fd() const { return fd_; }
    const std::string& reason() const { return reason_; }

    // Writes and flushes the whole content.
    bool fill(std::string_view bytes, std::string* reason) {
        if (writeAll(fd_, bytes) && ::fsync(fd_) == 0) return true;
        if (reason) *reason = systemReason("cannot write");
        return false;
    }

    // Puts the complete file at `to`: over what is there, or (replace false)
    // only where nothing is. 0, or the errno of the failure.
    int moveTo(const fs::path& to, bool replace) {
        if (unnamed_) {
            // The content gets a name only now, complete and flushed.
            const fs::path& name = replace ? name_ : to;
            if (::linkat(AT_FDCWD, procLink().c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) return errno;
            if (!replace) return 0;
            named_ = true;
        }
        if ((replace ? ::rename(name_.c_str(), to.c_str()) : renameNoReplace(name_, to)) != 0) return errno;
        named_ = false;
        return 0;
    }

private:
    std::string procLink() const { return "/proc/self/fd/" + std::to_string(fd_); }

    // File systems without the no-replace rename (network ones) take a hard link instead.
    static int renameNoReplace(const fs::path& from, const fs::path& to) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS) return -1;
        if (::link(from.c_str(), to.c_str()) != 0) return -1;
        ::unlink(from.c_str());
        return 0;
    }

    fs::path name_;
    std::string reason_;
    int fd_ = -1;
    bool unnamed_ = false;
    bool named_ = false;
};

// The names of a file's extended attributes; none where the file system has
// none, nullopt when they cannot be listed.
std::optional<std::vector<std::string>> attributeNames(int fd) {
    ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? std::optional(std::vector<std::string>()) : std::nullopt;
    std::string list(static_cast<std::size_t>(size), '\0');
    size = ::flistxattr(fd, list.data(), list.size());
    if (size < 0) return std::nullopt;
    std::vector<std::string> names;
    for (std::size_t at = 0; at < static_cast<std::size_t>(size); at = list.find('\0', at) + 1)
        names.emplace_back(list.c_str() + at);
    return names;
}

// Makes the new file's extended attributes (its access list among them) the
// original's: those it inherited from the folder go, the original's come.
bool copyAttributes(int from, int to) {
    const auto wanted = attributeNames(from);
    const auto present = attributeNames(to);
    if (!wanted || !present) return false;
    for (const std::string& name : *present)
        if (std::find(wanted->begin(), wanted->end(), name) == wanted->end() && ::fremovexattr(to, name.c_str()) != 0)
            return false;
    for (const std::string& name : *wanted) {
        const ssize_t size = ::fgetxattr(from, name.c_str(), nullptr, 0);
        if (size < 0) return false;
        std::string value(static_cast<std::size_t>(size), '\0');
        if (::fgetxattr(from, name.c_str(), value.data(), value.size()) != size ||
            ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

// Gives the new file the original's owner and group, attributes and
// permission bits, in this order since a change of owner clears the set-id
// bits. False when the system does not permit it, as for another user's file.
bool takeIdentity(int fd, int originalFd, const struct stat& original) {
    return ::fchown(fd, original.st_uid, original.st_gid) == 0 && copyAttributes(originalFd, fd) &&
           ::fchmod(fd, original.st_mode & 07777) == 0;
}

// Rewrites the file through its own inode, which keeps every name, the owner
// and all attributes. The complete new content is flushed beside it first,
// under the journal name, and goes once the file is whole again.
Replaced writeInPlace(int fd, const struct stat& original, const fs::path& target, std::string_view bytes,
                      std::string* reason) {
    const fs::path journal = journalOf(target, original.st_ino);
    {
        Temporary copy(target);
        if (copy.fd() < 0) return fail(reason, copy.reason());
        // Readable by those who may read the file, and by no one else.
        mode_t mode = original.st_mode & 0666;
        if (::fchown(copy.fd(), static_cast<uid_t>(-1), original.st_gid) != 0) mode &= 0606;
        if (::fchmod(copy.fd(), mode) != 0) return fail(reason, systemReason("cannot set permissions"));
        if (!copy.fill(bytes, reason)) return Replaced::Failed;
        if (int error = copy.moveTo(journal, true))
            return fail(reason, systemReason("cannot name the new content", error));
    }
    syncFolder(target);
    // Room for a longer content is taken before the rewrite, which then cannot run out of space half-way.
    const auto oldSize = static_cast<off_t>(original.st_size);
    const auto newSize = static_cast<off_t>(bytes.size());
    if (newSize > oldSize) {
        if (int error = ::posix_fallocate(fd, oldSize, newSize - oldSize)) {
            if (::ftruncate(fd, oldSize) == 0) ::unlink(journal.c_str());
            return fail(reason, systemReason("cannot enlarge the file", error));
        }
    }
    if (!writeAll(fd, bytes) || ::ftruncate(fd, newSize) != 0 || ::fsync(fd) != 0)
        return fail(reason, systemReason("cannot rewrite the file"));
    ::unlink(journal.c_str());
    return Replaced::Done;
}

Replaced createFile(const fs::path& target, std::string_view bytes, std::string* reason) {
    Temporary fresh(target);
    if (fresh.fd() < 0) return fail(reason, fresh.reason());
    if (!fresh.fill(bytes, reason)) return Replaced::Failed;
    if (int error = fresh.moveTo(target, false)) {
        std::error_code ec;
        if (error == EEXIST || fs::exists(fs::symlink_status(target, ec))) {
            if (reason) *reason = "another program created the file meanwhile";
            return Replaced::Raced;
        }
        return fail(reason, systemReason("cannot name the new file", error));
    }
    syncFolder(target);
    return Replaced::Done;
}

enum class LockWait { Locked, Busy, Failed };

// flock cannot time out, and polling it loses the race against a writer that
// keeps locking again. So a helper thread waits in flock on a duplicate of
// the descriptor (the lock belongs to the open file both share) while the
// caller waits for the helper, at most `limit`. A helper given up on lets go
// of the lock the moment it gets it, by closing the last descriptor.
LockWait lockWithin(int fd, std::chrono::steady_clock::duration limit, std::string* reason) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockWait::Locked;
    if (errno != EWOULDBLOCK) {
        *reason = systemReason("cannot lock the file");
        return LockWait::Failed;
    }
    struct Wait {
        std::mutex mutex;
        std::condition_variable ended;
        enum { Waiting, Locked, Failed, GivenUp } state = Waiting;
        int error = 0;
    };
    const auto wait = std::make_shared<Wait>();
    const int helperFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (helperFd < 0) {
        *reason = systemReason("cannot wait for the lock");
        return LockWait::Failed;
    }
    try {
        std::thread([wait, helperFd] {
            int rc;
            while ((rc = ::flock(helperFd, LOCK_EX)) != 0 && errno == EINTR) {}
            const int error = rc == 0 ? 0 : errno;
            std::lock_guard guard(wait->mutex);
            if (wait->state == Wait::Waiting) {
                wait->state = rc == 0 ? Wait::Locked : Wait::Failed;
                wait->error = error;
            }
            ::close(helperFd);
            wait->ended.notify_one();
        }).detach();
    } catch (const std::system_error& e) {
        ::close(helperFd);
        *reason = std::string("cannot wait for the lock: ") + e.what();
        return LockWait::Failed;
    }
    std::unique_lock guard(wait->mutex);
    if (!wait->ended.wait_for(guard, limit, [&] { return wait->state != Wait::Waiting; })) {
        wait->state = Wait::GivenUp;
        *reason = "another program has kept the file locked for " + std::to_string(kLockWait.count()) + " seconds";
        return LockWait::Busy;
    }
    if (wait->state == Wait::Locked) return LockWait::Locked;
    *reason = systemReason("cannot lock the file", wait->error);
    return LockWait::Failed;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::optional<Stamp> stampOf(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampFrom(st);
}

ReadStatus readWholeFile(const fs::path& path, std::string& bytes, Stamp* stamp) {
    bytes.clear();
    // Non-blocking, so that a pipe standing where a file should be cannot hang the read.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat before {};
    if (::fstat(fd.get(), &before) != 0) return ReadStatus::Unreadable;
    if (!S_ISREG(before.st_mode)) return ReadStatus::NotAFile;
    if (static_cast<std::uint64_t>(before.st_size) > kMaxFileBytes) return ReadStatus::TooLarge;
    const fs::path journal = journalOf(resolveLinks(path).target, before.st_ino);
    for (int attempt = 0;; ++attempt) {
        ReadStatus status = readJournal(journal, bytes);
        const bool fromJournal = status != ReadStatus::Missing;
        if (!fromJournal) status = readAll(fd.get(), static_cast<std::uint64_t>(before.st_size), bytes);
        if (status != ReadStatus::Ok) return status;
        struct stat after {};
        if (::fstat(fd.get(), &after) != 0) return ReadStatus::Unreadable;
        // A file that changed while it was read, or whose rewrite in place
        // began meanwhile, is read again.
        const bool whole =
            fromJournal || (stampFrom(before) == stampFrom(after) && ::access(journal.c_str(), F_OK) != 0);
        if (whole || attempt == 2) {
            if (stamp) *stamp = stampFrom(after);
            return ReadStatus::Ok;
        }
        before = after;
    }
}

Replaced replaceFile(WriteLock& lock, std::string_view bytes, std::string* reason) {
    if (!lock.held()) return fail(reason, lock.reason());
    ignoreFileSizeSignal();
    const fs::path& target = lock.target();
    if (!lock.exists()) return createFile(target, bytes, reason);
    removeStaleTemporaries(target);
    struct stat original {};
    if (::fstat(lock.fd_, &original) != 0) return fail(reason, systemReason("cannot read the file's attributes"));
    // A rename would split a hard-linked file in two.
    if (original.st_nlink > 1) return writeInPlace(lock.fd_, original, target, bytes, reason);
    {
        Temporary fresh(target);
        if (fresh.fd() < 0) return fail(reason, fresh.reason());
        if (takeIdentity(fresh.fd(), lock.fd_, original)) {
            if (!fresh.fill(bytes, reason)) return Replaced::Failed;
            if (int error = fresh.moveTo(target, true))
                return fail(reason, systemReason("cannot replace the file", error));
            syncFolder(target);
            // A copy left by a rewrite in place that died belonged to the file just replaced.
            ::unlink(journalOf(target, original.st_ino).c_str());
            return Replaced::Done;
        }
    }
    // The replacement would belong to this user, or lack the original's attributes.
    return writeInPlace(lock.fd_, original, target, bytes, reason);
}

WriteLock::WriteLock(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        const Resolved link = resolveLinks(file);
        if (!link.problem.empty() || link.leadsOut) {
            reason_ = link.leadsOut ? std::string(kLeadsOut) : link.problem;
            return;
        }
        target_ = link.target;
        struct stat st {};
        if (::lstat(target_.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                reason_ = errno == ENOTDIR ? "the folder does not exist" : systemReason("cannot find the file");
                return;
            }
            held_ = true;  // created by replaceFile, which cannot overwrite another writer's file
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            reason_ = kNotAFile;
            return;
        }
        // Root may write any file: the permission bits still say whether its owner wants it changed.
        if ((st.st_mode & 0222) == 0) {
            reason_ = kReadOnly;
            return;
        }
        fd_ = ::open(target_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            const int error = errno;
            // Removed, or swapped for a link, since it was looked at.
            const bool replaced = error == ENOENT || error == ELOOP;
            if (replaced && std::chrono::steady_clock::now() < deadline) continue;
            reason_ = error == EACCES || error == EPERM ? std::string(kReadOnly)
                                                        : systemReason("cannot open the file for writing", error);
            return;
        }
        switch (lockWithin(fd_, deadline - std::chrono::steady_clock::now(), &reason_)) {
            case LockWait::Locked:
                break;
            case LockWait::Busy:
                busy_ = true;
                return;
            case LockWait::Failed:
                return;
        }
        struct stat locked {
        }, now{};
        if (::fstat(fd_, &locked) == 0 && ::stat(target_.c_str(), &now) == 0 && sameFile(locked, now)) {
            held_ = exists_ = true;
            return;
        }
        // Replaced while this writer waited: the new file is the one to lock.
        ::close(fd_);
        fd_ = -1;
    }
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

std::optional<Stamp> stampOf(const fs::path& path) {
    HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = ::GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
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

ReadStatus readWholeFile(const fs::path& path, std::string& bytes, Stamp* stamp) {
    bytes.clear();
    std::error_code ec;
    auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return ReadStatus::Missing;
    if (!fs::is_regular_file(status)) return ReadStatus::NotAFile;
    if (const auto size = fs::file_size(path, ec); !ec && size > kMaxFileBytes) return ReadStatus::TooLarge;
    std::ifstream in(path, std::ios::binary);
    if (!in) return ReadStatus::Unreadable;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        std::string().swap(bytes);
        return ReadStatus::NoMemory;
    }
    if (in.bad()) return ReadStatus::Unreadable;
    if (stamp) {
        auto s = stampOf(path);
        if (s) *stamp = *s;
    }
    return ReadStatus::Ok;
}

Replaced replaceFile(WriteLock& lock, std::string_view bytes, std::string* reason) {
    if (!lock.held()) {
        if (reason) *reason = lock.reason();
        return Replaced::Failed;
    }
    const fs::path& target = lock.target();
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec))
        if (isTemporaryOf(it->path(), target)) fs::remove(it->path(), ec);
    const auto temp = temporaryBeside(target);
    HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (reason) *reason = lastErrorReason("cannot create a file in the folder");
        return Replaced::Failed;
    }
    DWORD written = 0;
    bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && ::FlushFileBuffers(h);
    ::CloseHandle(h);
    // A new file never replaces one that another writer created meanwhile.
    const DWORD how = lock.exists() ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH : MOVEFILE_WRITE_THROUGH;
    ok = ok && ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL) &&
         ::MoveFileExW(temp.c_str(), target.c_str(), how);
    if (ok) return Replaced::Done;
    const bool raced = !lock.exists() && ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (reason)
        *reason = raced ? "another program created the file meanwhile" : lastErrorReason("cannot replace the file");
    ::DeleteFileW(temp.c_str());
    return raced ? Replaced::Raced : Replaced::Failed;
}

// Windows cannot lock a folder, and a file it may replace cannot carry the
// lock either, so writers share a lock file in the folder; the lock (not the
// file) goes away with the process. The wait is an overlapped lock request
// given up after kLockWait.
WriteLock::WriteLock(const fs::path& file) {
    const Resolved link = resolveLinks(file);
    if (!link.problem.empty() || link.leadsOut) {
        reason_ = link.leadsOut ? std::string(kLeadsOut) : link.problem;
        return;
    }
    target_ = link.target;
    std::error_code ec;
    if (!fs::is_directory(folderOf(target_), ec)) {
        reason_ = "the folder does not exist";
        return;
    }
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    exists_ = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists_ && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason_ = kNotAFile;
        return;
    }
    if (exists_ && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason_ = kReadOnly;
        return;
    }
    auto lockPath = folderOf(target_) / L".pumpsel.lock";
    HANDLE h = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        reason_ = lastErrorReason("cannot open the lock file");
        return;
    }
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool locked = ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov);
    if (!locked && ::GetLastError() == ERROR_IO_PENDING) {
        const DWORD waitMs = static_cast<DWORD>(std::chrono::milliseconds(kLockWait).count());
        if (::WaitForSingleObject(ov.hEvent, waitMs) != WAIT_OBJECT_0) ::CancelIoEx(h, &ov);
        DWORD unused = 0;
        locked = ::GetOverlappedResult(h, &ov, &unused, TRUE);  // true also when granted as it was cancelled
        busy_ = !locked && ::GetLastError() == ERROR_OPERATION_ABORTED;
    }
    if (ov.hEvent) ::CloseHandle(ov.hEvent);
    if (!locked) {
        reason_ =
            busy_ ? "another program has kept the folder locked for " + std::to_string(kLockWait.count()) + " seconds"
                  : lastErrorReason("cannot lock");
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
