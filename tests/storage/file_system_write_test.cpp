// Writes that respect the file system around the file: owner, group and
// attributes of shared files, read-only files, links, a lock held elsewhere,
// a system without /proc, the longest names, size and process limits, and
// folders that may be written but not listed. Cases that act as other users
// need root; they skip elsewhere.
#include "storage/file_ops.h"
#include "storage/profile.h"
#include "support/pumpsel_ini.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <csignal>
#include <functional>

using namespace pumpsel;
using testing_support::dyingMidWrite;
using testing_support::fileNames;
using testing_support::Limit;
using testing_support::ProgramRun;
using testing_support::readBytes;
using testing_support::runTool;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

namespace fs = std::filesystem;

const std::string kRecord = "[1]\r\nmodel=IS50\r\nflow=12.5\r\n";

// Ids without accounts (the kernel needs none), far from those of real users.
constexpr uid_t kOwner = 61001, kColleague = 61002, kOtherColleague = 61003;
constexpr gid_t kShared = 61010;

using StatBuffer = struct stat;
struct Stat : StatBuffer {
    explicit Stat(const fs::path& path) : StatBuffer{} { ::lstat(path.c_str(), this); }
};

// The exit code of `action` run in a child process, with `prepare` applied first.
int inChild(const std::function<bool()>& prepare, const std::function<bool()>& action) {
    const pid_t child = ::fork();
    if (child == 0) _exit(!prepare() ? 3 : action() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The child acts as user uid with its own group and `groups` besides.
std::function<bool()> asUser(uid_t uid, std::vector<gid_t> groups = {}) {
    return [uid, groups] {
        return ::setgroups(groups.size(), groups.data()) == 0 && ::setresgid(uid, uid, uid) == 0 &&
               ::setresuid(uid, uid, uid) == 0;
    };
}

bool writes(const fs::path& file, std::string_view value) { return ini::writeValue(file, "1", "k", value).ok; }

std::string failureLine(const fs::path& file, const std::string& reason) {
    return "pumpsel-ini: cannot write 1/k to " + file.string() + ": " + reason + "\n";
}

class FileSystemWrite : public ::testing::Test {
protected:
    void SetUp() override { writeBytes(file, kRecord); }
    static bool root() { return ::geteuid() == 0; }
    TempDir dir;
    fs::path file = dir / "a.dat";
};

}  // namespace

// A colleague's write in a group-shared folder, and root's write of a user's
// file, leave the file to its owner and group with its mode and attributes.
TEST_F(FileSystemWrite, OwnerGroupModeAndAttributesStayWithTheFile) {
    if (!root()) GTEST_SKIP() << "acting as other users needs root";
    const fs::path shared = dir / "shared";
    const fs::path data = shared / "a.dat";
    writeBytes(data, kRecord);
    ASSERT_EQ(::chown(shared.c_str(), kOwner, kShared), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0770), 0);
    ASSERT_EQ(::chown(data.c_str(), kOwner, kShared), 0);
    ASSERT_EQ(::chmod(data.c_str(), 0660), 0);

    EXPECT_EQ(inChild(asUser(kColleague, {kShared}), [&] { return writes(data, "by colleague"); }), 0);
    EXPECT_EQ(
        inChild(asUser(kOtherColleague, {kShared}),
                [&] { return ini::ReadProfileValue(data, "1", "k") == "by colleague" && writes(data, "by another"); }),
        0);
    EXPECT_EQ(inChild(asUser(kOwner, {kShared}), [&] { return writes(data, "by the owner"); }), 0);
    Stat after(data);
    EXPECT_EQ(after.st_uid, kOwner);
    EXPECT_EQ(after.st_gid, kShared);
    EXPECT_EQ(after.st_mode & 07777, 0660u);
    EXPECT_EQ(ini::ReadProfileValue(data, "1", "k"), "by the owner");
    EXPECT_EQ(ini::ReadProfileValue(data, "1", "model"), "IS50");
    EXPECT_EQ(fileNames(shared), std::vector<std::string>{"a.dat"});

    // Root edits a user's private file carrying an extended attribute.
    ASSERT_EQ(::chown(file.c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    ASSERT_EQ(::setxattr(file.c_str(), "trusted.pumpsel", "kept", 4, 0), 0);
    ASSERT_TRUE(writes(file, "by root"));
    Stat edited(file);
    EXPECT_EQ(edited.st_uid, kOwner);
    EXPECT_EQ(edited.st_gid, kOwner);
    EXPECT_EQ(edited.st_mode & 07777, 0600u);
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "trusted.pumpsel", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
}

TEST_F(FileSystemWrite, ReadOnlyFilesAreRefused) {
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const ProgramRun run = runTool({"set", file.string(), "1", "k", "v"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, failureLine(file, "the file is read-only"));
    EXPECT_EQ(readBytes(file), kRecord);
    EXPECT_EQ(Stat(file).st_mode & 07777, 0444u);
}

// A link is written through to its target inside the link's folder; a link
// out of the folder, to a file or to nothing, is refused. A hard-linked file
// stays one file under all its names.
TEST_F(FileSystemWrite, LinksAreFollowedInsideTheirFolderOnly) {
    writeBytes(dir / "versions/b.dat", kRecord);
    ASSERT_EQ(::symlink("versions/b.dat", (dir / "b.dat").c_str()), 0);
    ASSERT_TRUE(writes(dir / "b.dat", "through the link"));
    EXPECT_TRUE(fs::is_symlink(dir / "b.dat"));
    EXPECT_EQ(ini::ReadProfileValue(dir / "versions/b.dat", "1", "k"), "through the link");

    TempDir outside;
    writeBytes(outside / "c.dat", kRecord);
    ASSERT_EQ(::symlink((outside / "c.dat").c_str(), (dir / "c.dat").c_str()), 0);
    ASSERT_EQ(::symlink("../../elsewhere.dat", (dir / "versions/d.dat").c_str()), 0);
    for (const fs::path& link : {dir / "c.dat", dir / "versions/d.dat"}) {
        const auto outcome = ini::writeValue(link, "1", "k", "v");
        EXPECT_FALSE(outcome.ok) << link;
        EXPECT_EQ(outcome.reason, "the file is a link to a place outside its folder");
        EXPECT_TRUE(fs::is_symlink(link));
    }
    EXPECT_EQ(readBytes(outside / "c.dat"), kRecord);
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "elsewhere.dat"));

    ASSERT_EQ(::link(file.c_str(), (dir / "versions/hard.dat").c_str()), 0);
    ASSERT_TRUE(writes(dir / "versions/hard.dat", "one file"));
    ASSERT_TRUE(writes(file, "still one file"));
    EXPECT_EQ(Stat(file).st_nlink, 2u);
    EXPECT_EQ(ini::ReadProfileValue(dir / "versions/hard.dat", "1", "k"), "still one file");
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"a.dat", "b.dat", "c.dat", "versions"}));
    EXPECT_EQ(fileNames(dir / "versions"), (std::vector<std::string>{"b.dat", "d.dat", "hard.dat"}));
}

TEST_F(FileSystemWrite, ALockHeldElsewhereEndsTheWaitWithAReason) {
    {
        files::WriteLock other(file);
        ASSERT_TRUE(other.held());
        const ProgramRun run = runTool({"set", file.string(), "1", "k", "v"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, failureLine(file, "another program has kept the file locked for 3 seconds"));
        EXPECT_EQ(readBytes(file), kRecord);
    }
    EXPECT_EQ(runTool({"set", file.string(), "1", "k", "v"}).exitCode, 0);
    EXPECT_EQ(ini::ReadProfileValue(file, "1", "k"), "v");
}

// Names too long to carry a temporary file's dot and ending still take
// writes; so does a system without /proc, where the new content cannot be
// named from its descriptor.
TEST_F(FileSystemWrite, TheLongestNamesAndNoProcFallBackToANamedTemporaryFile) {
    for (std::size_t length : {240u, 255u}) {
        const fs::path longName = dir / (std::string(length - 4, 'x') + ".dat");
        ASSERT_TRUE(writes(longName, "created")) << length;
        ASSERT_TRUE(writes(longName, "replaced")) << length;
        EXPECT_EQ(ini::ReadProfileValue(longName, "1", "k"), "replaced");
        fs::remove(longName);
    }
    EXPECT_EQ(fileNames(dir.path()), std::vector<std::string>{"a.dat"});

    const auto hideProc = [] {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("none", "/proc", "tmpfs", 0, nullptr) == 0 && ::access("/proc/self", F_OK) != 0;
    };
    const int withoutProc =
        inChild(hideProc, [&] { return writes(file, "without proc") && writes(dir / "new.dat", "v"); });
    if (withoutProc == 3) GTEST_SKIP() << "cannot hide /proc here (needs root or a mount namespace)";
    EXPECT_EQ(withoutProc, 0);
    EXPECT_EQ(ini::ReadProfileValue(file, "1", "k"), "without proc");
    EXPECT_EQ(ini::ReadProfileValue(dir / "new.dat", "1", "k"), "v");
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"a.dat", "new.dat"}));
}

// Files above 1 GiB (sparse here) are neither read nor written; the one at
// 4 GiB holds a section beyond where 32-bit offsets reach.
TEST_F(FileSystemWrite, FilesAboveOneGibibyteAreRefused) {
    for (std::uint64_t size : {files::kMaxFileBytes + 1, (std::uint64_t(4) << 30) + 16}) {
        const std::string tail = "[1]\r\nk=far\r\n";
        int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(size - tail.size())),
                  static_cast<ssize_t>(tail.size()));
        ::close(fd);
        const ProgramRun get = runTool({"get", file.string(), "1", "k"});
        EXPECT_EQ(get.exitCode, 2) << size;
        EXPECT_EQ(get.err, "pumpsel-ini: get: cannot read " + file.string() + ": the file is larger than 1 GiB\n");
        const ProgramRun set = runTool({"set", file.string(), "1", "k", "v"});
        EXPECT_EQ(set.exitCode, 1);
        EXPECT_EQ(set.err, failureLine(file, "the file is larger than 1 GiB"));
        EXPECT_EQ(fs::file_size(file), size);
    }
}

// A write past the file-size limit fails with its reason instead of ending
// the program by SIGXFSZ.
TEST_F(FileSystemWrite, TheFileSizeLimitMakesAWriteFailNotTheProgramEnd) {
    const ProgramRun run = runTool({"set", file.string(), "1", "k", std::string(900, 'v')},
                                   {.limit = Limit{RLIMIT_FSIZE, static_cast<rlim_t>(kRecord.size() + 64)}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, failureLine(file, "cannot write: File too large"));
    EXPECT_EQ(readBytes(file), kRecord);
    EXPECT_EQ(fileNames(dir.path()), std::vector<std::string>{"a.dat"});
}

#if defined(__SANITIZE_ADDRESS__)
#define PUMPSEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PUMPSEL_ASAN 1
#endif
#endif

// A file that fits under the size limit but not in the memory the process
// may have is not written, and the program goes on; get says it could not
// read it rather than answer "unknown".
TEST_F(FileSystemWrite, AFileLargerThanTheMemoryLeftFailsWithAReason) {
#ifdef PUMPSEL_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    ASSERT_EQ(::truncate(file.c_str(), 400 << 20), 0);
    const testing_support::RunOptions limit{.limit = Limit{RLIMIT_AS, 200 << 20}};
    const ProgramRun get = runTool({"get", file.string(), "1", "model"}, limit);
    EXPECT_EQ(get.exitCode, 2);
    EXPECT_EQ(get.out, "");
    EXPECT_EQ(get.err, "pumpsel-ini: get: cannot read " + file.string() + ": not enough memory to read the file\n");
    const ProgramRun set = runTool({"set", file.string(), "1", "k", "v"}, limit);
    EXPECT_EQ(set.exitCode, 1);
    EXPECT_EQ(set.err, failureLine(file, "not enough memory to read the file"));
    EXPECT_EQ(fs::file_size(file), 400u << 20);
}

// Writing a file needs search and write permission on its folder, not read permission.
TEST_F(FileSystemWrite, AFolderThatCannotBeListedStillTakesWrites) {
    if (!root()) GTEST_SKIP() << "acting as another user needs root";
    const fs::path folder = dir / "drop";
    writeBytes(folder / "a.dat", kRecord);
    ASSERT_EQ(::chown((folder / "a.dat").c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chown(folder.c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0333), 0);
    EXPECT_EQ(inChild(asUser(kOwner),
                      [&] { return writes(folder / "a.dat", "replaced") && writes(folder / "new.dat", "created"); }),
              0);
    EXPECT_EQ(ini::ReadProfileValue(folder / "a.dat", "1", "k"), "replaced");
    EXPECT_EQ(ini::ReadProfileValue(folder / "new.dat", "1", "k"), "created");
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"a.dat", "new.dat"}));
}

// In a folder where everyone may create files (mode 1777), a user who may
// not write another user's file can still put a journal beside it, well
// formed and named for it. Readers, root among them, and the owner's next
// write ignore it and leave it; made unreadable, it stops no one.
TEST_F(FileSystemWrite, AJournalPlantedBesideAnotherUsersFileIsIgnored) {
    if (!root()) GTEST_SKIP() << "acting as other users needs root";
    const fs::path shared = dir / "shared";
    fs::create_directories(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const fs::path data = shared / "a.dat";
    writeBytes(data, kRecord);
    ASSERT_EQ(::chown(data.c_str(), kOwner, kOwner), 0);
    ASSERT_EQ(::chmod(data.c_str(), 0644), 0);
    const Stat before(data);
    const std::string planted = "[1]\r\nmodel=PLANTED\r\n";
    const fs::path journal = shared / (".pumpsel-" + std::to_string(before.st_ino) + ".journal");
    const std::string header = "pumpsel journal 1 " + std::to_string(before.st_dev) + " " +
                               std::to_string(before.st_ino) + " " + std::to_string(before.st_size) + " " +
                               std::to_string(before.st_mtim.tv_sec * 1000000000LL + before.st_mtim.tv_nsec) + " " +
                               std::to_string(planted.size()) + "\n";
    ASSERT_EQ(inChild(asUser(kColleague),
                      [&] {
                          writeBytes(journal, header + planted);
                          return ::chmod(journal.c_str(), 0644) == 0;
                      }),
              0);

    EXPECT_EQ(ini::ReadProfileValue(data, "1", "model"), "IS50");
    const auto state = files::journalState(journal);
    ASSERT_TRUE(state);
    EXPECT_FALSE(state->taken);
    EXPECT_EQ(state->why, "a journal for a.dat that readers ignore: its owner may not write the file");

    ASSERT_EQ(::chmod(journal.c_str(), 0), 0);
    EXPECT_EQ(inChild(asUser(kOwner), [&] { return writes(data, "by the owner"); }), 0);
    EXPECT_EQ(readBytes(data), kRecord + "k=by the owner\r\n");
    EXPECT_EQ(Stat(data).st_uid, kOwner);
    EXPECT_TRUE(fs::exists(journal));
}

// A hard-linked file is rewritten in place. A writer that dies half-way
// through the rewrite leaves the file torn, but both its names read the
// whole new content, which the next write completes, leaving nothing beside.
TEST_F(FileSystemWrite, AWriterDyingHalfWayThroughARewriteInPlaceLosesNothing) {
    std::string records = "[1]\r\nk=old\r\n";
    for (int n = 2; n <= 2000; ++n) records += "[" + std::to_string(n) + "]\r\nmodel=P" + std::to_string(n) + "\r\n";
    writeBytes(file, records);
    writeBytes(dir / "reference/a.dat", records);
    const std::string value = "a longer value, which moves every record after it";
    ASSERT_TRUE(writes(dir / "reference/a.dat", value));
    const std::string expected = readBytes(dir / "reference/a.dat");
    const fs::path other = dir / "b.dat";
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);

    const ProgramRun dying =
        runTool({"set", file.string(), "1", "k", value}, dyingMidWrite(fs::canonical(file).string()));
    ASSERT_EQ(dying.exitCode, 128 + SIGKILL) << dying.err;
    ASSERT_NE(readBytes(file), expected);  // torn indeed

    for (const fs::path& name : {file, other}) {
        std::string bytes;
        ASSERT_EQ(files::readWholeFile(name, bytes), files::ReadStatus::Ok);
        EXPECT_EQ(bytes, expected) << name;
        EXPECT_EQ(runTool({"get", name.string(), "1", "k"}).out, value + "\n");
    }
    ASSERT_TRUE(writes(other, "next"));
    ASSERT_TRUE(writes(dir / "reference/a.dat", "next"));
    EXPECT_EQ(readBytes(file), readBytes(dir / "reference/a.dat"));
    EXPECT_EQ(Stat(file).st_nlink, 2u);
    EXPECT_EQ(fileNames(dir.path()), (std::vector<std::string>{"a.dat", "b.dat", "reference"}));
}
