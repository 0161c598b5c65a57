// The file services on POSIX systems: descriptors, rename, flock, and the
// journal of a rewrite in place.
#include "storage/file_ops.h"

#include "storage/file_ops_shared.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace pumpsel::files {

namespace fs = std::filesystem;
using namespace detail;

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

Replaced fail(Outcome* failure, std::string why, Failure kind = Failure::System) {
    if (failure) *failure = Outcome::failed(std::move(why), kind);
    return Replaced::Failed;
}

// Where a file being rewritten in place has the complete new content: beside
// it, named after its inode, so that every name of a hard-linked file in the
// folder finds it.
fs::path journalOf(const fs::path& file, ino_t inode) {
    return file.parent_path() / (".pumpsel-" + std::to_string(inode) + ".journal");
}

bool writeAll(int fd, std::string_view bytes, std::size_t at = 0) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at + done));
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

ReadStatus readAll(int fd, std::uint64_t size, std::string& bytes) {
    if (::lseek(fd, 0, SEEK_SET) != 0) return ReadStatus::Unreadable;
    return readToEnd(size, bytes, [fd](char* buffer, std::size_t capacity) -> std::int64_t {
        for (;;) {
            const ssize_t n = ::read(fd, buffer, capacity);
            if (n >= 0 || errno != EINTR) return n;
        }
    });
}

// A journal is trusted only when it names the file it stands in for and its
// owner could have written that file anyway: the file's owner (or root), a
// member of the file's group where the group may write it, or anyone where
// everyone may. In a shared folder anyone may create a file beside another
// user's, and a journal planted there must not replace that user's content.
// It must also show no one more than the file shows, and be complete.
struct JournalHeader {
    std::uint64_t device = 0, inode = 0, sizeBefore = 0, length = 0;
    std::int64_t modifiedBefore = 0;
};

constexpr std::string_view kJournalMagic = "pumpsel journal 1";

std::string journalHeader(const struct stat& file, std::size_t length) {
    return std::string(kJournalMagic) + " " + std::to_string(file.st_dev) + " " + std::to_string(file.st_ino) + " " +
           std::to_string(file.st_size) + " " + std::to_string(stampFrom(file).modifiedNs) + " " +
           std::to_string(length) + "\n";
}

// The header and its length in bytes, from the journal's first bytes.
std::optional<std::pair<JournalHeader, std::size_t>> parseJournalHeader(std::string_view start) {
    const std::size_t end = start.find('\n');
    if (!start.starts_with(kJournalMagic) || end == std::string_view::npos) return std::nullopt;
    JournalHeader h;
    unsigned long long device, inode, size, length;
    long long modified;
    const std::string line(start.substr(kJournalMagic.size(), end - kJournalMagic.size()));
    int consumed = 0;
    if (std::sscanf(line.c_str(), " %llu %llu %llu %lld %llu%n", &device, &inode, &size, &modified, &length,
                    &consumed) != 5 ||
        static_cast<std::size_t>(consumed) != line.size())
        return std::nullopt;
    h = {device, inode, size, length, modified};
    return std::pair(h, end + 1);
}

bool inGroup(uid_t user, gid_t group) {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
    if (found->pw_gid == group) return true;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) return false;
    }
    return std::find(groups.begin(), groups.begin() + count, group) != groups.begin() + count;
}

// Why a journal, as it stands beside the file, is not to be trusted; empty when it is.
std::string journalDistrust(const struct stat& journal, const struct stat& file) {
    if (!S_ISREG(journal.st_mode)) return "it is not a regular file";
    const bool ownerMayWrite = journal.st_uid == file.st_uid || journal.st_uid == 0 || (file.st_mode & S_IWOTH) ||
                               ((file.st_mode & S_IWGRP) && inGroup(journal.st_uid, file.st_gid));
    if (!ownerMayWrite) return "its owner may not write the file";
    if ((journal.st_mode & 0777 & ~file.st_mode) != 0) return "it shows more than the file shows";
    return {};
}

enum class JournalUse { None, Taken };

// The complete new content of a file being rewritten in place: taken into
// bytes when a trusted journal for this very file is there, else None (no
// journal, or one that is ignored).
JournalUse readJournal(const fs::path& journal, const struct stat& file, std::string& bytes) {
    Fd fd(::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return JournalUse::None;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !journalDistrust(st, file).empty()) return JournalUse::None;
    if (readAll(fd.get(), static_cast<std::uint64_t>(st.st_size), bytes) != ReadStatus::Ok) return JournalUse::None;
    const auto header = parseJournalHeader(std::string_view(bytes).substr(0, 200));
    if (!header || header->first.device != static_cast<std::uint64_t>(file.st_dev) ||
        header->first.inode != static_cast<std::uint64_t>(file.st_ino) ||
        bytes.size() - header->second != header->first.length)
        return JournalUse::None;
    bytes.erase(0, header->second);
    return JournalUse::Taken;
}

// True when a trusted journal for the file stands beside it: a rewrite in
// place is under way, or was left unfinished.
bool journalInEffect(const fs::path& journal, const struct stat& file) {
    struct stat st {};
    return ::lstat(journal.c_str(), &st) == 0 && journalDistrust(st, file).empty();
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
            const int error = errno;
            failure_ = error == ENOENT                                       ? Failure::Missing
                       : error == EACCES || error == EPERM || error == EROFS ? Failure::ReadOnly
                                                                             : Failure::System;
            reason_ = error == ENOENT ? "the folder does not exist"
                                      : systemReason("cannot create a file in the folder", error);
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
    Failure failure() const { return failure_; }

    // Writes and flushes the whole content: a head, then the bytes.
    bool fill(std::string_view bytes, Outcome* failure, std::string_view head = {}) {
        if (writeAll(fd_, head) && writeAll(fd_, bytes, head.size()) && ::fsync(fd_) == 0) return true;
        if (failure) *failure = Outcome::failed(systemReason("cannot write"));
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
    Failure failure_ = Failure::None;
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
                      Outcome* failure) {
    const fs::path journal = journalOf(target, original.st_ino);
    {
        Temporary copy(target);
        if (copy.fd() < 0) return fail(failure, copy.reason(), copy.failure());
        // Readable by those who may read the file, and by no one else; owned
        // by the file's owner where this user may give it (root), else in the
        // file's group, so that readers can trust it (see journalDistrust).
        mode_t mode = original.st_mode & 0666;
        if (::fchown(copy.fd(), original.st_uid, original.st_gid) != 0 &&
            ::fchown(copy.fd(), static_cast<uid_t>(-1), original.st_gid) != 0)
            mode &= 0606;
        if (::fchmod(copy.fd(), mode) != 0) return fail(failure, systemReason("cannot set permissions"));
        if (!copy.fill(bytes, failure, journalHeader(original, bytes.size()))) return Replaced::Failed;
        if (int error = copy.moveTo(journal, true))
            return fail(failure, systemReason("cannot name the new content", error));
    }
    syncFolder(target);
    // Room for a longer content is taken before the rewrite, which then cannot run out of space half-way.
    const auto oldSize = static_cast<off_t>(original.st_size);
    const auto newSize = static_cast<off_t>(bytes.size());
    if (newSize > oldSize) {
        if (int error = ::posix_fallocate(fd, oldSize, newSize - oldSize)) {
            if (::ftruncate(fd, oldSize) == 0) ::unlink(journal.c_str());
            return fail(failure, systemReason("cannot enlarge the file", error));
        }
    }
    if (!writeAll(fd, bytes) || ::ftruncate(fd, newSize) != 0 || ::fsync(fd) != 0)
        return fail(failure, systemReason("cannot rewrite the file"));
    ::unlink(journal.c_str());
    return Replaced::Done;
}

Replaced createFile(const fs::path& target, std::string_view bytes, Outcome* failure) {
    Temporary fresh(target);
    if (fresh.fd() < 0) return fail(failure, fresh.reason(), fresh.failure());
    if (!fresh.fill(bytes, failure)) return Replaced::Failed;
    if (int error = fresh.moveTo(target, false)) {
        std::error_code ec;
        if (error == EEXIST || fs::exists(fs::symlink_status(target, ec))) {
            if (failure) *failure = Outcome::failed("another program created the file meanwhile");
            return Replaced::Raced;
        }
        return fail(failure, systemReason("cannot name the new file", error));
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
    // Opening a device can act on it (a tape rewinds): the type is known first.
    struct stat looked {};
    if (::stat(path.c_str(), &looked) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    if (!S_ISREG(looked.st_mode)) return ReadStatus::NotAFile;
    // Non-blocking, so that a pipe put in the file's place meanwhile cannot hang the read.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat before {};
    if (::fstat(fd.get(), &before) != 0) return ReadStatus::Unreadable;
    if (!S_ISREG(before.st_mode)) return ReadStatus::NotAFile;
    if (static_cast<std::uint64_t>(before.st_size) > kMaxFileBytes) return ReadStatus::TooLarge;
    const fs::path journal = journalOf(resolveLinks(path).target, before.st_ino);
    for (int attempt = 0;; ++attempt) {
        const bool fromJournal = readJournal(journal, before, bytes) == JournalUse::Taken;
        if (!fromJournal) {
            const ReadStatus status = readAll(fd.get(), static_cast<std::uint64_t>(before.st_size), bytes);
            if (status != ReadStatus::Ok) return status;
        }
        struct stat after {};
        if (::fstat(fd.get(), &after) != 0) return ReadStatus::Unreadable;
        // A file that changed while it was read, or whose rewrite in place
        // began meanwhile, is read again.
        const bool whole = fromJournal || (stampFrom(before) == stampFrom(after) && !journalInEffect(journal, after));
        if (whole || attempt == 2) {
            if (stamp) *stamp = stampFrom(after);
            return ReadStatus::Ok;
        }
        before = after;
    }
}

ReadStatus readFileStart(const fs::path& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    struct stat looked {};
    if (::stat(path.c_str(), &looked) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    if (!S_ISREG(looked.st_mode)) return ReadStatus::NotAFile;
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat opened {};
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return ReadStatus::NotAFile;
    bytes.resize(maxBytes);
    ssize_t n;
    while ((n = ::pread(fd.get(), bytes.data(), maxBytes, 0)) < 0 && errno == EINTR) {}
    if (n < 0) return ReadStatus::Unreadable;
    bytes.resize(static_cast<std::size_t>(n));
    return ReadStatus::Ok;
}

std::optional<JournalState> journalState(const fs::path& path) {
    const std::string name = path.filename().string();
    constexpr std::string_view kPrefix = ".pumpsel-", kSuffix = ".journal";
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
    const std::string number = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    struct stat journal {};
    if (::lstat(path.c_str(), &journal) != 0) return std::nullopt;
    // The file it stands in for is the one of its folder with the inode it is named after.
    std::error_code ec;
    for (fs::directory_iterator it(folderOf(path), ec), end; !ec && it != end; it.increment(ec)) {
        struct stat file {};
        if (it->path() == path || ::stat(it->path().c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
            std::to_string(file.st_ino) != number)
            continue;
        const std::string fileName = it->path().filename().string();
        if (std::string distrust = journalDistrust(journal, file); !distrust.empty())
            return JournalState{false, "a journal for " + fileName + " that readers ignore: " + distrust};
        std::string content;
        if (readJournal(path, file, content) != JournalUse::Taken)
            return JournalState{false, "a journal for " + fileName +
                                           " that readers ignore: it is unreadable, incomplete or made for "
                                           "another file"};
        return JournalState{true, "an unfinished rewrite of " + fileName +
                                      ": readers take this complete copy in its stead until the next write"};
    }
    return JournalState{false, "a journal of a file no longer in the folder: readers ignore it"};
}

Replaced replaceFile(WriteLock& lock, std::string_view bytes, Outcome* failure) {
    if (!lock.held()) return fail(failure, lock.reason(), lock.failure());
    ignoreFileSizeSignal();
    const fs::path& target = lock.target();
    if (!lock.exists()) return createFile(target, bytes, failure);
    removeStaleTemporaries(target);
    struct stat original {};
    if (::fstat(lock.fd_, &original) != 0) return fail(failure, systemReason("cannot read the file's attributes"));
    // A rename would split a hard-linked file in two.
    if (original.st_nlink > 1) return writeInPlace(lock.fd_, original, target, bytes, failure);
    {
        Temporary fresh(target);
        if (fresh.fd() < 0) return fail(failure, fresh.reason(), fresh.failure());
        if (takeIdentity(fresh.fd(), lock.fd_, original)) {
            if (!fresh.fill(bytes, failure)) return Replaced::Failed;
            if (int error = fresh.moveTo(target, true))
                return fail(failure, systemReason("cannot replace the file", error));
            syncFolder(target);
            // A copy left by a rewrite in place that died belonged to the file
            // just replaced; a journal this program does not trust is left
            // alone (pumpsel-ini check names it).
            if (const fs::path stale = journalOf(target, original.st_ino); journalInEffect(stale, original))
                ::unlink(stale.c_str());
            return Replaced::Done;
        }
    }
    // The replacement would belong to this user, or lack the original's attributes.
    return writeInPlace(lock.fd_, original, target, bytes, failure);
}

WriteLock::WriteLock(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        const Resolved link = resolveLinks(file);
        if (!link.problem.empty() || link.leadsOut) {
            link.leadsOut ? refuse(Failure::LinkLeadsOut, std::string(kLeadsOut))
                          : refuse(Failure::System, link.problem);
            return;
        }
        target_ = link.target;
        struct stat st {};
        if (::lstat(target_.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                errno == ENOTDIR ? refuse(Failure::Missing, "the folder does not exist")
                                 : refuse(Failure::System, systemReason("cannot find the file"));
                return;
            }
            held_ = true;  // created by replaceFile, which cannot overwrite another writer's file
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            refuse(Failure::NotAFile, std::string(kNotAFile));
            return;
        }
        // Root may write any file: the permission bits still say whether its owner wants it changed.
        if ((st.st_mode & 0222) == 0) {
            refuse(Failure::ReadOnly, std::string(kReadOnly));
            return;
        }
        fd_ = ::open(target_.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            const int error = errno;
            // Removed, or swapped for a link, since it was looked at.
            const bool replaced = error == ENOENT || error == ELOOP;
            if (replaced && std::chrono::steady_clock::now() < deadline) continue;
            error == EACCES || error == EPERM
                ? refuse(Failure::ReadOnly, std::string(kReadOnly))
                : refuse(Failure::System, systemReason("cannot open the file for writing", error));
            return;
        }
        switch (lockWithin(fd_, deadline - std::chrono::steady_clock::now(), &reason_)) {
            case LockWait::Locked:
                break;
            case LockWait::Busy:
                failure_ = Failure::Locked;
                return;
            case LockWait::Failed:
                failure_ = Failure::System;
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

std::string errorText(const std::error_code& error) { return error.message(); }

std::string errorText(const fs::filesystem_error& error) { return error.what(); }

}  // namespace pumpsel::files
