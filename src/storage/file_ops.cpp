#include "storage/file_ops.h"

#include "storage/file_ops_shared.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

namespace pumpsel::files {

namespace fs = std::filesystem;
using namespace detail;

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

namespace detail {

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

Resolved resolveLinks(const fs::path& path) {
    Resolved r{path, false, {}};
    std::error_code ec;
    for (int hops = 0; fs::is_symlink(fs::symlink_status(r.target, ec)); ++hops) {
        if (hops == 40) return {path, false, "too many levels of symbolic links"};
        const fs::path to = fs::read_symlink(r.target, ec);
        if (ec) return {path, false, "cannot read the link: " + errorText(ec)};
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

}  // namespace detail

bool linkLeadsOut(const fs::path& path) { return resolveLinks(path).leadsOut; }

Outcome rewrite(const fs::path& file, const Change& change) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        WriteLock lock(file);
        if (!lock.held()) return Outcome::failed(lock.reason(), lock.failure());
        const std::optional<std::string_view> bytes = change(lock);
        if (!bytes) return {};
        Outcome failure;
        const Replaced result = replaceFile(lock, *bytes, &failure);
        if (result == Replaced::Done) return {};
        if (result == Replaced::Failed) return failure;
    }
    return Outcome::failed("other programs kept creating the file anew");
}

void WriteLock::refuse(Failure failure, std::string reason) {
    failure_ = failure;
    reason_ = std::move(reason);
}

Outcome writeFile(const fs::path& file, std::string_view bytes) {
    return rewrite(file, [bytes](const WriteLock&) { return std::optional(bytes); });
}

}  // namespace pumpsel::files
