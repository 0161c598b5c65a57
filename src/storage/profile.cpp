#include "storage/profile.h"

#include "storage/file_ops.h"
#include "storage/gbk.h"
#include "storage/profile_text.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace pumpsel::ini {
namespace {

std::atomic<std::uint64_t> batchCounter{0};
thread_local ReadBatch* openBatch = nullptr;

// The number of the batch open on this thread; 0 for none.
std::uint64_t currentBatch() { return openBatch ? openBatch->number() : 0; }

// Parsed files, each kept with the stamp of what was parsed. A read compares
// the stamp with the file on disk first (once per batch inside a ReadBatch),
// so it sees every earlier write, this program's or another's.
class Cache {
public:
    // The parsed file as it stands on disk; inside a ReadBatch, as it stood
    // at its first read in the batch unless `fresh` asks for a check.
    // Null when the file cannot be read; *status (when given) says why.
    std::shared_ptr<const ProfileText> get(const std::filesystem::path& file, bool fresh = false,
                                           files::ReadStatus* status = nullptr) {
        files::ReadStatus ignored;
        if (!status) status = &ignored;
        *status = files::ReadStatus::Ok;
        const std::uint64_t batch = currentBatch();
        if (batch != 0 && !fresh) {
            std::lock_guard lock(mutex_);
            auto it = slots_.find(file.native());
            if (it != slots_.end() && it->second.checkedInBatch == batch) return it->second.text;
        }
        auto stamp = files::stampOf(file);
        if (!stamp) {
            forget(file);
            // Why there is no file to read: missing, or something else in its place.
            std::string none;
            *status = files::readFileStart(file, 0, none);
            if (*status == files::ReadStatus::Ok) *status = files::ReadStatus::Missing;  // gone meanwhile
            return nullptr;
        }
        {
            std::lock_guard lock(mutex_);
            auto it = slots_.find(file.native());
            if (it != slots_.end() && it->second.stamp == *stamp && it->second.settled) {
                it->second.checkedInBatch = batch;
                return it->second.text;
            }
        }
        return load(file, *status);
    }

    void forget(const std::filesystem::path& file) {
        std::lock_guard lock(mutex_);
        auto it = slots_.find(file.native());
        if (it == slots_.end()) return;
        bytes_ -= it->second.text->byteSize();
        slots_.erase(it);
    }

    void clear() {
        std::lock_guard lock(mutex_);
        slots_.clear();
        bytes_ = 0;
    }

private:
    static constexpr std::size_t kBudgetBytes = 64u << 20;

    struct Slot {
        files::Stamp stamp;
        std::shared_ptr<const ProfileText> text;
        bool settled;  // read after its time stamp's clock tick had passed
        std::uint64_t checkedInBatch;
    };

    // File systems stamp times in ticks (a few milliseconds, or whole seconds
    // on coarse ones): a file read within the tick of its last change could
    // change again without a new stamp, so such a read is not trusted and the
    // next read loads the file again.
    static bool settledAt(const files::Stamp& stamp, std::int64_t readNs) {
        const bool coarse = stamp.modifiedNs % 1000000000 == 0;
        const std::int64_t margin = coarse ? 2'000'000'000 : 20'000'000;
        return readNs - stamp.modifiedNs >= margin;
    }

    // Nullptr for a file that cannot be read, also for want of memory: a huge
    // file is the file's problem and must not end the program.
    std::shared_ptr<const ProfileText> load(const std::filesystem::path& file, files::ReadStatus& status) try {
        std::string bytes;
        files::Stamp stamp;
        const std::int64_t readNs = files::nowNs();
        // A file rewritten in place while it was read is read again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            status = files::readWholeFile(file, bytes, &stamp);
            if (status != files::ReadStatus::Ok) return nullptr;
            if (files::stampOf(file) == stamp) break;
        }
        auto text = ProfileText::parse(std::move(bytes));
        std::lock_guard lock(mutex_);
        auto old = slots_.find(file.native());
        if (old != slots_.end()) {
            bytes_ -= old->second.text->byteSize();
            slots_.erase(old);
        }
        if (bytes_ + text->byteSize() > kBudgetBytes) {
            slots_.clear();
            bytes_ = 0;
        }
        slots_.emplace(file.native(), Slot{stamp, text, settledAt(stamp, readNs), currentBatch()});
        bytes_ += text->byteSize();
        return text;
    } catch (const std::bad_alloc&) {
        status = files::ReadStatus::NoMemory;
        return nullptr;
    }

    std::mutex mutex_;
    std::unordered_map<std::filesystem::path::string_type, Slot> slots_;
    std::size_t bytes_ = 0;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

// The leading-blank quirk of the program's buffer handling: the buffer is
// trimmed as a whole, so each leading blank of a value costs it a character
// at its end.
void cutLikeTheBuffer(std::string& value) {
    std::size_t blanks = value.find_first_not_of(' ');
    if (blanks == 0) return;
    if (blanks == std::string::npos) return value.clear();
    std::size_t end = value.size();
    for (std::size_t dropped = 0; dropped < blanks && end > 0; ++dropped) {
        do --end;
        while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80);
    }
    value.resize(end);
}

WriteOutcome failure(std::string_view reason, std::size_t failed = 0, Failure kind = Failure::System) {
    return WriteOutcome{Outcome::failed(std::string(reason), kind), failed};
}

// The file as a writer holding its lock starts from: the parse that reads
// already hold when the file has not changed since, empty when it is missing.
std::shared_ptr<const ProfileText> currentText(const std::filesystem::path& file, std::string* reason) {
    if (auto cached = cache().get(file, true)) return cached;
    std::string bytes;
    const files::ReadStatus status = files::readWholeFile(file, bytes);
    if (status != files::ReadStatus::Ok && status != files::ReadStatus::Missing) {
        *reason = files::readProblem(status);
        return nullptr;
    }
    return ProfileText::parse(std::move(bytes));
}

}  // namespace

ReadBatch::ReadBatch() : outer_(openBatch), number_(outer_ ? outer_->number_ : ++batchCounter) { openBatch = this; }

ReadBatch::~ReadBatch() { openBatch = outer_; }

ReadBatch* ReadBatch::current() { return openBatch; }

// A lookup that runs out of memory (key lines are parsed at the first lookup
// among them) finds nothing, and the parse it left unfinished is dropped.
std::optional<std::string> lookupValue(const std::filesystem::path& file, std::string_view section,
                                       std::string_view key, files::ReadStatus* status) {
    files::ReadStatus ignored;
    if (!status) status = &ignored;
    *status = files::ReadStatus::Missing;
    if (file.empty()) return std::nullopt;
    try {
        auto text = cache().get(file, false, status);
        if (!text) return std::nullopt;
        ReadBatch* batch = ReadBatch::current();
        return text->find(section, key, kMaxValueBytes, batch ? &batch->memo() : nullptr);
    } catch (const std::bad_alloc&) {
        cache().forget(file);
        *status = files::ReadStatus::NoMemory;
        return std::nullopt;
    }
}

std::shared_ptr<const ProfileText> parsedFile(const std::filesystem::path& file, files::ReadStatus* status) {
    *status = files::ReadStatus::Missing;
    if (file.empty()) return nullptr;
    return cache().get(file, false, status);
}

std::string ReadProfileValue(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    std::string value = lookupValue(file, section, key).value_or(std::string(kUnknown));
    cutLikeTheBuffer(value);
    return value;
}

Snapshot::Snapshot(const std::filesystem::path& file, std::span<const std::string_view> keys)
    : text_(file.empty() ? nullptr : cache().get(file)), values_(keys.size(), std::string(kUnknown)) {
    if (text_) keys_ = text_->prepareNames(keys);
}

const std::vector<std::string>& Snapshot::read(std::string_view section) {
    if (!text_) return values_;  // all "unknown" since construction
    try {
        text_->findPrepared(section, keys_, kMaxValueBytes, kUnknown, values_, near_);
    } catch (const std::bad_alloc&) {
        // As lookupValue: from here on the file reads as missing.
        text_.reset();
        for (std::string& value : values_) value = kUnknown;
        return values_;
    }
    for (std::string& value : values_) cutLikeTheBuffer(value);
    return values_;
}

WriteOutcome writeValue(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    const KeyValue one{key, value};
    return writeValues(file, section, std::span(&one, 1));
}

WriteOutcome writeValues(const std::filesystem::path& file, std::string_view section,
                         std::span<const KeyValue> values) {
    if (file.empty() || !file.has_filename()) return failure("no file name");
    if (auto problem = sectionNameProblem(section); !problem.empty()) return failure(problem);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto problem = keyNameProblem(values[i].key); !problem.empty()) return failure(problem, i);
        if (auto problem = valueProblem(values[i].value); !problem.empty()) return failure("value " + problem, i);
    }

    try {
        WriteOutcome outcome;
        std::optional<std::string> updated;
        std::filesystem::path target;  // the file itself, or the target of its link
        const Outcome written =
            files::rewrite(file, [&](const files::WriteLock& lock) -> std::optional<std::string_view> {
                target = lock.target();
                std::string reason;
                auto current = currentText(lock.target(), &reason);
                updated = current ? current->withValues(section, values, &reason, &outcome.failed) : std::nullopt;
                if (!updated) outcome = failure(reason, outcome.failed);
                return updated;
            });
        // What a batch checked before the write is old now, under either name.
        cache().forget(file);
        if (!target.empty()) cache().forget(target);
        if (!outcome) return outcome;
        if (!written) return failure(written.reason, 0, written.failure);
        return WriteOutcome{};
    } catch (const std::bad_alloc&) {
        cache().forget(file);
        return failure("not enough memory", 0, Failure::NoMemory);
    }
}

void forgetCachedFiles() { cache().clear(); }

}  // namespace pumpsel::ini
