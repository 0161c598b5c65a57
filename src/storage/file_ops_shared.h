#pragma once
// What the file services of both systems share inside the library: the
// wording of their refusals, the read-to-the-end loop, the names of
// temporary files and where links lead. Not for use outside src/storage.
#include "storage/file_ops.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

namespace pumpsel::files::detail {

namespace fs = std::filesystem;

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

// The folder a file lies in ("." for a bare name).
fs::path folderOf(const fs::path& file);

// A new name beside the file for its next content: ".<name>.<random>.tmp",
// with a hash for a name too long to carry the dot and the ending.
fs::path temporaryBeside(const fs::path& file);

// A writer killed between naming its temporary file and renaming it leaves
// that file behind; the next writer, holding the lock, clears it away. A
// folder this user may not list keeps such files.
void removeStaleTemporaries(const fs::path& file);

// Where a path leads: the file itself, or the end of its chain of symbolic
// links. Only the last component counts as a link; the folders on the way
// are wherever they lead.
struct Resolved {
    fs::path target;
    bool leadsOut = false;
    std::string problem;
};
Resolved resolveLinks(const fs::path& path);

}  // namespace pumpsel::files::detail
