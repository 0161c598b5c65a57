#pragma once
// Makes a folder (or file) unwritable for the rest of a scope, also for root,
// who ignores permission bits: the immutable attribute stops root as well.
#include <filesystem>

#ifdef _WIN32
namespace testing_support {

// A folder's read-only attribute does not stop writes into it on Windows, and
// taking the write right away needs an access list: never effective there.
class ReadOnly {
public:
    explicit ReadOnly(const std::filesystem::path&) {}
    bool effective() const { return false; }
};

}  // namespace testing_support
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace testing_support {

class ReadOnly {
public:
    explicit ReadOnly(std::filesystem::path path) : path_(std::move(path)) {
        std::filesystem::permissions(path_,
                                     std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
        if (::access(path_.c_str(), W_OK) != 0) {
            effective_ = true;
            return;
        }
        immutable_ = setImmutable(true);
        effective_ = immutable_;
    }
    ~ReadOnly() {
        if (immutable_) setImmutable(false);
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                     ec);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    // False when neither way works here (the test should then be skipped).
    bool effective() const { return effective_; }

private:
    bool setImmutable(bool on) {
        int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return ok;
    }

    std::filesystem::path path_;
    bool immutable_ = false;
    bool effective_ = false;
};

}  // namespace testing_support
#endif
