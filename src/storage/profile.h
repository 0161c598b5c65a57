#pragma once
// Named values in profile files: the only way the program reads and writes
// the catalogue. Names and values are UTF-8; files are GBK text.
//
// Reads go through a cache of parsed files that checks a file's stamp on
// disk before use, so that every read sees every earlier write. What each
// way of reading promises:
//   ReadProfileValue, lookupValue   the file as it is on disk now, or, inside
//                                   a ReadBatch, as it was at the batch's
//                                   first read of it.
//   ReadBatch                       one user action: each file it reads is
//                                   checked once, and the names and section
//                                   its reads looked up are remembered.
//   Snapshot                        one file read record after record by a
//                                   scan: checked once when made (through
//                                   the batch, if one is open), its keys
//                                   prepared once, its sections walked in
//                                   order.
#include "storage/file_ops.h"
#include "storage/outcome.h"
#include "storage/profile_text.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::ini {

// What a read returns for a missing file, section or key. A stored value that
// is literally "unknown" cannot be told from a missing one.
inline constexpr std::string_view kUnknown = "unknown";

// The value as the profile service returns it, or nullopt when the file, the
// section or the key does not exist, or the file cannot be read: *status,
// when given, then tells a missing file (Missing, also for a missing section
// or key of a file that is there: Ok) from one that could not be read for
// lack of memory, its size or its type. Never creates anything.
std::optional<std::string> lookupValue(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key, files::ReadStatus* status = nullptr);

// The file's parse, as every read sees it (checked on disk; inside a
// ReadBatch once), or null with *status saying why there is none. The check
// of a catalogue reads its files through this, so that the files it checks
// line by line and the reads it checks them with share one copy.
std::shared_ptr<const ProfileText> parsedFile(const std::filesystem::path& file, files::ReadStatus* status);

// The program's read: the stored value, or "unknown" for every kind of
// absence. The value passes through a 1000-byte buffer that is trimmed as a
// whole, so a value that begins with blanks keeps them and loses as many
// characters at its end.
std::string ReadProfileValue(const std::filesystem::path& file, std::string_view section, std::string_view key);

// One file as a user action reads it many times over (a record scan): it is
// checked on disk once, when the snapshot is made, and every read returns
// exactly what ReadProfileValue would.
class Snapshot {
public:
    Snapshot(const std::filesystem::path& file, std::span<const std::string_view> keys);
    // The values of the keys given at construction, in their order, from one section.
    const std::vector<std::string>& read(std::string_view section);

private:
    std::shared_ptr<const ProfileText> text_;
    std::vector<std::optional<std::string>> keys_;
    std::vector<std::string> values_;
    std::uint32_t near_ = 0;  // where the last section was found
};

struct WriteOutcome : Outcome {
    std::size_t failed = 0;  // of several values written together: the one at fault
};

// Stores the value under the key in the section of the file, creating the
// file or section when missing. The file is replaced in one step (never left
// half-written) keeping its owner, group, permissions and links, other
// writers are locked out meanwhile, and every byte but the written line stays
// as it was. Fails, writing nothing, for a missing or read-only folder or
// file, a link that leads out of its folder, a file above the size limit, an
// empty file name, names that would break the file's structure, text that
// the file's encoding cannot hold, or a lock held elsewhere past the wait.
WriteOutcome writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value);

// While a ReadBatch lives on a thread, each file read on that thread is
// checked on disk once, at its first read in the batch, instead of at every
// read. One user action (a record scan of tens of thousands of values) thus
// sees the catalogue as it stood when the action began, together with the
// action's own writes, at the cost of one check per file. A batch opened
// inside another is part of it.
class ReadBatch {
public:
    ReadBatch();
    ~ReadBatch();
    ReadBatch(const ReadBatch&) = delete;
    ReadBatch& operator=(const ReadBatch&) = delete;

    // The batch open on this thread, or null.
    static ReadBatch* current();
    // Batches of one action share their number.
    std::uint64_t number() const { return number_; }
    LookupMemo& memo() { return memo_; }

private:
    ReadBatch* outer_;
    std::uint64_t number_;
    LookupMemo memo_;
};

// Writes several values into one section in a single replacement of the
// file: either all of them are stored or, on failure, none.
WriteOutcome writeValues(const std::filesystem::path& file, std::string_view section, std::span<const KeyValue> values);

// Drops every cached file (benchmarks measure cold reads with it).
void forgetCachedFiles();

}  // namespace pumpsel::ini
