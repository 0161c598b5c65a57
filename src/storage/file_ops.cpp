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
#include <cwchar>
#include <utility>
#else
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
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

namespace {

bool realPathWithin(const fs::path& folder, const fs::path& path) {
    std::error_code folderError, pathError;
    const fs::path realFolder = fs::weakly_canonical(folder, folderError);
    const fs::path realPath = fs::weakly_canonical(path, pathError);
    if (folderError || pathError) return false;
    const fs::path inside = realPath.lexically_relative(realFolder);
    return !inside.empty() && *inside.begin() != "..";
}

}  // namespace

// A catalogue check asks this for tens of thousands of files: the common
// case, a path below the folder without links on the way, costs one look
// at each name below the folder; only a link sends it to the real paths.
bool liesWithin(const fs::path& folder, const fs::path& path) {
    // A path made as folder / name (as catalogue paths are) is split without comparing both paths whole.
    const auto& whole = path.native();
    const auto& start = folder.native();
    const bool madeBelow = whole.size() > start.size() && whole.compare(0, start.size(), start) == 0 &&
                           fs::path::preferred_separator == whole[start.size()];
    const fs::path below = madeBelow ? fs::path(whole.substr(start.size() + 1)) : path.lexically_relative(folder);
    if (below.empty() || *below.begin() == "..") return realPathWithin(folder, path);
    fs::path walked = folder;
    for (const fs::path& name : below) {
        if (name == ".") continue;
        if (name == "..") return realPathWithin(folder, path);
        walked /= name;
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(walked, ec);
        // A name that cannot be looked at (missing, too long) cannot be opened either.
        if (ec || status.type() == fs::file_type::not_found) return true;
        if (status.type() == fs::file_type::symlink) return realPathWithin(folder, path);
    }
    return true;
}

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

std::int64_t nowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
}

namespace {

constexpr std::string_view kNotAFile = "a folder or device stands where the file should be";
constexpr std::string_view kReadOnly = "the file is read-only";
constexpr std::string_view kLeadsOut = "the file is a link to a place outside its folder";

// Reads a file from its start to its end through readSome(buffer, capacity),
// which gives the bytes read, 0 at the end or -1 on failure: past the size it
// had when opened only if it grew meanwhile, so the buffer is not enlarged
// just to find the end.
template <typename ReadSome>
ReadStatus readToEnd(std::uint64_t size, std::string& bytes, ReadSome readSome) {
    if (size > kMaxFileBytes) return ReadStatus::TooLarge;
    try {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        for (;;) {
            char more[4096];
            const bool full = done == bytes.size();
            const std::int64_t n =
                full ? readSome(more, sizeof more) : readSome(bytes.data() + done, bytes.size() - done);
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

Rewritten rewrite(const fs::path& file, const Change& change) {
    const auto failed = [](std::string reason, bool busy = false) {
        return Rewritten{Outcome::failed(std::move(reason)), busy};
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        WriteLock lock(file);
        if (!lock.held()) return failed(lock.reason(), lock.busy());
        const std::optional<std::string_view> bytes = change(lock);
        if (!bytes) return {};
        std::string reason;
        const Replaced result = replaceFile(lock, *bytes, &reason);
        if (result == Replaced::Done) return {};
        if (result == Replaced::Failed) return failed(reason);
    }
    return failed("other programs kept creating the file anew");
}

Outcome writeFile(const fs::path& file, std::string_view bytes) {
    return rewrite(file, [bytes](const WriteLock&) { return std::optional(bytes); });
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

    // Writes and flushes the whole content: a head, then the bytes.
    bool fill(std::string_view bytes, std::string* reason, std::string_view head = {}) {
        if (writeAll(fd_, head) && writeAll(fd_, bytes, head.size()) && ::fsync(fd_) == 0) return true;
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
        // Readable by those who may read the file, and by no one else; owned
        // by the file's owner where this user may give it (root), else in the
        // file's group, so that readers can trust it (see journalDistrust).
        mode_t mode = original.st_mode & 0666;
        if (::fchown(copy.fd(), original.st_uid, original.st_gid) != 0 &&
            ::fchown(copy.fd(), static_cast<uid_t>(-1), original.st_gid) != 0)
            mode &= 0606;
        if (::fchmod(copy.fd(), mode) != 0) return fail(reason, systemReason("cannot set permissions"));
        if (!copy.fill(bytes, reason, journalHeader(original, bytes.size()))) return Replaced::Failed;
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
            // A copy left by a rewrite in place that died belonged to the file
            // just replaced; a journal this program does not trust is left
            // alone (pumpsel-ini check names it).
            if (const fs::path stale = journalOf(target, original.st_ino); journalInEffect(stale, original))
                ::unlink(stale.c_str());
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
std::string systemReason(std::string_view what, DWORD error = ::GetLastError()) {
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
    return std::string(what) + ": " + message;
}

Replaced fail(std::string* reason, std::string why) {
    if (reason) *reason = std::move(why);
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

    // Writes, flushes and closes the whole content.
    bool fill(std::string_view bytes, std::string* reason) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD n = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
            if (!::WriteFile(handle_.get(), bytes.data() + done, chunk, &n, nullptr)) {
                if (reason) *reason = systemReason("cannot write");
                return false;
            }
            done += n;
        }
        if (!::FlushFileBuffers(handle_.get())) {
            if (reason) *reason = systemReason("cannot write");
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
    bool moved_ = false;
};

Replaced writeNew(const fs::path& target, std::string_view bytes, bool replace, std::string* reason) {
    Temporary fresh(target);
    if (!fresh.created()) return fail(reason, fresh.reason());
    if (!fresh.fill(bytes, reason)) return Replaced::Failed;
    if (const DWORD error = fresh.moveTo(target, replace)) {
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
            if (reason) *reason = "another program created the file meanwhile";
            return Replaced::Raced;
        }
        return fail(reason, systemReason(replace ? "cannot replace the file" : "cannot name the new file", error));
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

Replaced replaceFile(WriteLock& lock, std::string_view bytes, std::string* reason) {
    if (!lock.held()) return fail(reason, lock.reason());
    const fs::path& target = lock.target();
    if (!lock.exists()) return writeNew(target, bytes, false, reason);
    removeStaleTemporaries(target);
    return writeNew(target, bytes, true, reason);
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
        reason_ = link.leadsOut ? std::string(kLeadsOut) : link.problem;
        return;
    }
    target_ = link.target;
    const auto busy = [&] {
        busy_ = true;
        reason_ = "another program has kept the file locked for " + std::to_string(kLockWait.count()) + " seconds";
    };
    for (;;) {
        const DWORD attributes = ::GetFileAttributesW(target_.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                held_ = true;  // created by replaceFile, which cannot overwrite another writer's file
                return;
            }
            reason_ = isMissing(error) ? "the folder does not exist" : systemReason("cannot find the file", error);
            return;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            reason_ = kNotAFile;
            return;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            reason_ = kReadOnly;
            return;
        }
        Handle h(::CreateFileW(target_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr));
        if (!h) {
            const DWORD error = ::GetLastError();
            // Removed since it was looked at.
            if (isMissing(error) && std::chrono::steady_clock::now() < deadline) continue;
            reason_ = error == ERROR_ACCESS_DENIED ? std::string(kReadOnly)
                                                   : systemReason("cannot open the file for writing", error);
            return;
        }
        const std::optional<Stamp> locked = stampOfHandle(h.get());
        if (!locked) {
            reason_ = kNotAFile;
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
                    reason_ = systemReason("cannot wait for the lock");
                }
                return;
            }
        }
        switch (lockWithin(h.get(), deadline - std::chrono::steady_clock::now(), &reason_)) {
            case LockWait::Locked:
                break;
            case LockWait::Busy:
                busy_ = true;
                return;
            case LockWait::Failed:
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

#endif

}  // namespace pumpsel::files
