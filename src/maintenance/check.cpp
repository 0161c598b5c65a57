#include "maintenance/check.h"

#include "catalogue/catalogue.h"
#include "catalogue/pump_curve.h"
#include "catalogue/record_scan.h"
#include "maintenance/file_check.h"
#include "maintenance/profile_lines.h"
#include "maintenance/record_rules.h"
#include "storage/file_ops.h"
#include "storage/gbk.h"
#include "storage/profile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <unordered_map>

namespace pumpsel::maintenance {
namespace {

namespace fs = std::filesystem;

// An item of a numbered list (kinds, makers, records) and its line.
struct Numbered {
    long long number = 0;
    std::size_t line = 0;
};

// How a numbered list names its items and what the program does with them.
struct ListWords {
    std::string one, many;
    std::string shown;  // "shown", "listed"
};

std::string runsOf(const std::vector<Numbered>& items) {
    std::vector<long long> numbers;
    for (const Numbered& item : items) numbers.push_back(item.number);
    return numberRuns(numbers);
}

std::vector<Numbered> numberedSections(const ProfileLines& lines) {
    std::vector<Numbered> items;
    for (const SectionBlock& section : lines.sections())
        if (auto number = recordNumber(section.name); number && section.read())
            items.push_back({*number, section.line});
    return items;
}

std::vector<Numbered> numberedKeys(const SectionBlock& section) {
    std::vector<Numbered> items;
    for (const KeyLine& key : section.keys)
        if (auto number = recordNumber(key.key); number && key.read()) items.push_back({*number, key.line});
    return items;
}

std::string inQuotes(std::string_view text) { return quotedValue(text); }

// A path under the catalogue folder as the report names it; a file name
// stored in GBK on disk is shown decoded.
std::string displayed(const fs::path& path) {
    const std::u8string u8 = path.generic_u8string();
    std::string text(u8.begin(), u8.end());
    return gbk::isValidUtf8(text) ? text : gbk::toUtf8(text);
}

// Why a stored name reads as a missing file.
std::string outsideWords(catalogue::Placement placement, std::string_view folder) {
    return placement == catalogue::Placement::LeadsOutByLink
               ? " leads out of " + std::string(folder) + " through a link"
               : " lies outside " + std::string(folder);
}

class Checker {
public:
    explicit Checker(const fs::path& folder) : folder_(folder), catalogue_(folder) {}
    CheckReport run();

private:
    struct DataFile {
        files::ReadStatus status = files::ReadStatus::Ok;
        int records = 0;
    };

    static constexpr std::size_t kListedPerKind = 100;
    void add(Problem problem);
    void addUnlistedCounts();
    std::string relative(const fs::path& path) const { return displayed(path.lexically_relative(folder_)); }
    std::optional<ProfileLines> read(const fs::path& path, files::ReadStatus& status);
    void unreached(const std::string& file, const ListWords& words, const catalogue::Enumeration& listed,
                   std::vector<Numbered> items, std::size_t endLine, const std::string& endWhy);
    void checkKinds(const ProfileLines& index);
    void checkMakers(const ProfileLines& index, const std::string& kind, std::size_t kindLine);
    void checkMaker(const ProfileLines& index, const SectionBlock& section, const std::string& kind, int m);
    const DataFile& checkDataFile(const fs::path& path);
    void checkRecords(const fs::path& path, const ProfileLines& lines, DataFile& file);
    void checkPicture(const catalogue::Placed& placed, std::size_t line, const std::string& who,
                      const std::string& what, const std::string& stored);
    void checkUnnamedFiles(const ProfileLines& index);

    fs::path folder_;
    catalogue::Catalogue catalogue_;
    std::string indexName_;
    std::vector<std::vector<Problem>> byFile_;  // in the order the files were met
    std::unordered_map<std::string, std::size_t> fileOrder_;
    std::map<fs::path, DataFile> dataFiles_;
    std::set<files::FileId> filesRead_;               // a file named twice is checked once
    std::map<fs::path, files::ReadStatus> pictures_;  // each probed by a look at its first bytes
    std::map<std::pair<std::size_t, std::string>, std::size_t> seenPerKind_;  // (file, kind) -> problems
    CheckReport report_;
};

// A hostile or broken file can hold a fault on each of millions of lines:
// each kind of problem is listed kListedPerKind times a file, then counted.
void Checker::add(Problem problem) {
    const auto [it, fresh] = fileOrder_.emplace(problem.file, byFile_.size());
    if (fresh) byFile_.emplace_back();
    std::size_t& seen = seenPerKind_[{it->second, problem.kind}];
    if (++seen <= kListedPerKind) byFile_[it->second].push_back(std::move(problem));
}

// One line for each kind of problem listed only in part, after the file's
// listed problems.
void Checker::addUnlistedCounts() {
    for (const auto& [where, seen] : seenPerKind_) {
        if (seen <= kListedPerKind) continue;
        const auto& [file, kind] = where;
        byFile_[file].push_back(
            {byFile_[file].front().file, 0, kind,
             std::to_string(seen - kListedPerKind) + " more problems of this kind (" + kind + ") are not listed"});
    }
}

// The file's lines, its problems as a text file added; nullopt when it cannot be read.
std::optional<ProfileLines> Checker::read(const fs::path& path, files::ReadStatus& status) {
    auto parsed = ini::parsedFile(path, &status);
    const auto stamp = files::stampOf(path);
    if (!parsed || !stamp) return std::nullopt;
    ProfileLines lines(std::move(parsed));
    // The index named as a maker's data file, or one file under two names,
    // has its lines checked once.
    if (!filesRead_.insert(files::FileId{stamp->device, stamp->inode}).second) return lines;
    ++report_.filesChecked;
    checkProfileFile(lines, relative(path), [this](Problem problem) { add(std::move(problem)); });
    return lines;
}

// The items of a numbered list that the program never reaches: those after
// the first number missing from it, and those above the counters' limit.
// endLine is the line of the item that ends the list when there is one,
// endWhy what makes it end the list.
void Checker::unreached(const std::string& file, const ListWords& words, const catalogue::Enumeration& listed,
                        std::vector<Numbered> items, std::size_t endLine, const std::string& endWhy) {
    std::sort(items.begin(), items.end(), [](const Numbered& a, const Numbered& b) { return a.number < b.number; });
    std::vector<Numbered> hidden, above;
    for (const Numbered& item : items) {
        if (item.number > catalogue::kMaxCounter)
            above.push_back(item);
        else if (item.number > listed.count + 1)
            hidden.push_back(item);
    }
    const auto named = [&](const std::vector<Numbered>& some) {
        return (some.size() == 1 ? words.one : words.many) + " " + runsOf(some);
    };
    const auto never = [&](const std::vector<Numbered>& some) {
        return (some.size() == 1 ? " is never " : " are never ") + words.shown;
    };
    if (endLine != 0) {
        add({file, endLine, "ends-list",
             endWhy + (hidden.empty()
                           ? ": it is never " + words.shown
                           : ": the list ends before it, and " + named(hidden) + " after it" + never(hidden))});
    } else if (!hidden.empty()) {
        add({file, hidden.front().line, "gap",
             "there is no " + words.one + " " + std::to_string(listed.count + 1) + ": " + named(hidden) +
                 " after the gap" + never(hidden)});
    }
    if (!above.empty())
        add({file, above.front().line, "above-limit",
             named(above) + (above.size() == 1 ? " lies" : " lie") + " above " + std::string(kLimitText) + ": never " +
                 words.shown});
}

void Checker::checkKinds(const ProfileLines& index) {
    const SectionBlock* kinds = index.section(catalogue::kKindsSection);
    if (!kinds) {
        add({indexName_, 0, "no-kinds",
             "there is no section [" + std::string(catalogue::kKindsSection) + "]: the program shows no kinds"});
        return;
    }
    std::vector<std::string> names;
    const auto listed = catalogue::enumerate([&](int k) { return catalogue_.kindName(k); },
                                             [&](int, const std::string& name) { names.push_back(name); });
    const KeyLine* end = listed.limitReached ? nullptr : index.key(*kinds, catalogue::numberedKey(listed.count + 1));
    unreached(indexName_, {"kind", "kinds", "shown"}, listed, numberedKeys(*kinds), end ? end->line : 0,
              "kind " + std::to_string(listed.count + 1) + " reads \"unknown\"");
    for (int k = 1; k <= listed.count; ++k)
        checkMakers(index, names[k - 1], index.key(*kinds, catalogue::numberedKey(k))->line);
}

void Checker::checkMakers(const ProfileLines& index, const std::string& kind, std::size_t kindLine) {
    const SectionBlock* section = index.section(kind);
    if (!section) {
        add({indexName_, kindLine, "no-makers",
             "kind " + kind + " has no section [" + kind + "]: the program shows no makers for it"});
        return;
    }
    const auto listed = catalogue::enumerate([&](int m) { return catalogue_.makerValue(kind, m); });
    std::vector<Numbered> items = numberedKeys(*section);
    if (listed.count == 0 && items.empty())
        add({indexName_, section->line, "no-makers", "section [" + kind + "] names no makers: the kind shows none"});
    const KeyLine* end = listed.limitReached ? nullptr : index.key(*section, catalogue::numberedKey(listed.count + 1));
    unreached(indexName_, {"maker", "makers", "shown"}, listed, std::move(items), end ? end->line : 0,
              "maker " + std::to_string(listed.count + 1) + " reads \"unknown\"");
    for (int m = 1; m <= listed.count; ++m) checkMaker(index, *section, kind, m);
}

void Checker::checkMaker(const ProfileLines& index, const SectionBlock& section, const std::string& kind, int m) {
    const std::string who = "maker " + std::to_string(m) + " (" + catalogue_.makerValue(kind, m) + ")";
    const std::size_t nameLine = index.key(section, catalogue::numberedKey(m))->line;
    const KeyLine* fileKey = index.key(section, catalogue::numberedKey(m, catalogue::kDataFileWord));
    const std::string file = catalogue_.makerValue(kind, m, catalogue::kDataFileWord);
    const catalogue::Placed placed = catalogue_.placeMakerFile(kind, m, catalogue::Catalogue::MakerFile::Data);
    const fs::path& path = placed.path;
    if (!fileKey) {
        add({indexName_, nameLine, "missing-file",
             who + " names no data file (no " + catalogue::numberedKey(m, catalogue::kDataFileWord) +
                 "): it lists no pumps"});
    } else if (path.empty()) {
        add({indexName_, fileKey->line, "outside-catalogue",
             who + ": the data file " + inQuotes(file) + outsideWords(placed.placement, "txt/") +
                 ": the program takes it as missing"});
    } else if (const DataFile& data = checkDataFile(path); data.status != files::ReadStatus::Ok) {
        add({indexName_, fileKey->line, data.status == files::ReadStatus::Missing ? "missing-file" : "unreadable-file",
             who + ": the data file " + inQuotes(file) +
                 (data.status == files::ReadStatus::Missing
                      ? " is missing"
                      : " cannot be read (" + std::string(files::readProblem(data.status)) + ")") +
                 ": the maker lists no pumps"});
    } else if (data.records == 0) {
        add({indexName_, fileKey->line, "empty-file",
             who + ": the data file " + inQuotes(file) + " lists no records: the maker lists no pumps"});
    }

    const KeyLine* pictureKey = index.key(section, catalogue::numberedKey(m, catalogue::kPictureWord));
    if (!pictureKey) {
        add({indexName_, nameLine, "missing-picture",
             who + " names no picture (no " + catalogue::numberedKey(m, catalogue::kPictureWord) +
                 "): no picture and no thumbnail are shown"});
        return;
    }
    const std::string picture = catalogue_.makerValue(kind, m, catalogue::kPictureWord);
    using MakerFile = catalogue::Catalogue::MakerFile;
    checkPicture(catalogue_.placeMakerFile(kind, m, MakerFile::Picture), pictureKey->line, who, "picture", picture);
    checkPicture(catalogue_.placeMakerFile(kind, m, MakerFile::Thumbnail), pictureKey->line, who, "thumbnail",
                 "sm_" + picture);
}

const Checker::DataFile& Checker::checkDataFile(const fs::path& path) {
    if (auto known = dataFiles_.find(path); known != dataFiles_.end()) return known->second;
    DataFile& file = dataFiles_[path];
    if (auto lines = read(path, file.status)) checkRecords(path, *lines, file);
    return file;
}

void Checker::checkRecords(const fs::path& path, const ProfileLines& lines, DataFile& file) {
    const std::string name = relative(path);
    // The curve keys are read beside the scan, which reads a record's own seven.
    const auto curveKeys = lines.parsed().prepareNames(curves::kCurveKeys);
    std::vector<std::string> curve;
    std::uint32_t near = 0;
    const auto listed = records::scan(path, {}, [&](const records::ScannedRecord& record) {
        const std::string sectionName = catalogue::numberedKey(record.number);
        const SectionBlock& section = *lines.section(sectionName);
        const auto addAll = [&](const std::vector<ValueProblem>& problems) {
            for (const ValueProblem& problem : problems) {
                const KeyLine* at = lines.key(section, problem.key);  // none for a missing key
                add({name, at ? at->line : section.line, problem.kind,
                     "record " + std::to_string(record.number) + ": " + problem.message});
            }
        };
        addAll(
            valueProblems(record, [&](std::size_t key) { return !lines.key(section, catalogue::kRecordKeys[key]); }));
        lines.parsed().findPrepared(sectionName, curveKeys, ini::kMaxValueBytes, ini::kUnknown, curve, near);
        addAll(curveProblems({record.model, record.flow1, record.flow2, record.head1, record.head2, record.power,
                              curve[0], curve[1], curve[2], curve[3], curve[4], curve[5]}));
    });
    file.records = listed.count;
    report_.recordsListed += listed.count;

    const std::string next = catalogue::numberedKey(listed.count + 1);
    const SectionBlock* end = listed.limitReached ? nullptr : lines.section(next);
    const KeyLine* model = end ? lines.key(*end, catalogue::kModelKey) : nullptr;
    const std::string modelKey(catalogue::kModelKey);
    unreached(name, {"record", "records", "listed"}, listed, numberedSections(lines),
              model ? model->line
              : end ? end->line
                    : 0,
              "record " + next + (model ? " has " + modelKey + "=unknown" : " has no " + modelKey));
}

void Checker::checkPicture(const catalogue::Placed& placed, std::size_t line, const std::string& who,
                           const std::string& what, const std::string& stored) {
    const std::string shows = ": no " + what + " is shown";
    if (placed.path.empty()) {
        add({indexName_, line, "outside-catalogue",
             who + ": the " + what + " " + inQuotes(stored) + outsideWords(placed.placement, "images/") + shows});
        return;
    }
    // Many makers may name one picture: it is probed once, and never read whole.
    const auto [known, fresh] = pictures_.try_emplace(placed.path);
    if (fresh) {
        std::string head;
        known->second = files::readFileStart(placed.path, 16, head);
    }
    const files::ReadStatus status = known->second;
    if (status == files::ReadStatus::Missing)
        add({indexName_, line, "missing-picture",
             who + ": the " + what + " " + inQuotes(stored) + " is missing" + shows});
    else if (status != files::ReadStatus::Ok)
        add({indexName_, line, "unreadable-picture",
             who + ": the " + what + " " + inQuotes(stored) + " cannot be read (" +
                 std::string(files::readProblem(status)) + ")" + shows});
}

// Data files that the index names nowhere, not even for a maker that is
// never shown, are never read.
void Checker::checkUnnamedFiles(const ProfileLines& index) {
    const fs::path txt = catalogue_.indexPath().parent_path();
    std::set<fs::path> named;
    for (const SectionBlock& section : index.sections()) {
        if (!section.read()) continue;
        for (const KeyLine& key : section.keys) {
            const std::string name = index.utf8(key.key);
            const std::string_view word = catalogue::kDataFileWord;
            if (!key.read() || !name.ends_with(word) || !recordNumber(name.substr(0, name.size() - word.size())))
                continue;
            const auto value = index.parsed().find(index.utf8(section.name), name, ini::kMaxValueBytes);
            if (value) named.insert(catalogue::insideFolder(txt, *value).lexically_normal());
        }
    }
    std::error_code ec;
    for (fs::recursive_directory_iterator it(txt, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const fs::path path = it->path().lexically_normal();
        if (const auto journal = files::journalState(path)) {
            add({relative(path), 0, journal->taken ? "unfinished-write" : "ignored-journal", journal->why});
            continue;
        }
        std::string extension = path.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension != ".dat" || !files::isRegularFile(path) || path == catalogue_.indexPath().lexically_normal() ||
            named.contains(path))
            continue;
        add({relative(path), 0, "unnamed-file", "no maker names this data file: the program never reads it"});
    }
}

CheckReport Checker::run() {
    indexName_ = relative(catalogue_.indexPath());
    fileOrder_.emplace(indexName_, 0);  // the index comes first in the report
    byFile_.emplace_back();
    files::ReadStatus status = files::ReadStatus::Missing;
    const auto index = catalogue_.indexInside() ? read(catalogue_.indexPath(), status) : std::nullopt;
    if (!index) {
        report_.ok = false;
        report_.reason = "cannot read the catalogue index " + displayed(catalogue_.indexPath()) + ": " +
                         (catalogue_.indexInside() ? std::string(files::readProblem(status))
                                                   : "it is a link that leads out of txt/");
        return report_;
    }
    checkKinds(*index);
    checkUnnamedFiles(*index);
    for (auto& problems : byFile_)
        std::stable_sort(problems.begin(), problems.end(),
                         [](const Problem& a, const Problem& b) { return a.line < b.line; });
    addUnlistedCounts();
    for (auto& problems : byFile_) std::move(problems.begin(), problems.end(), std::back_inserter(report_.problems));
    return report_;
}

}  // namespace

CheckReport checkCatalogue(const std::filesystem::path& programFolder) {
    try {
        ini::ReadBatch batch;  // each file is read from disk once
        return Checker(programFolder).run();
    } catch (const std::bad_alloc&) {
        CheckReport report;
        report.ok = false;
        report.reason = "not enough memory to check the catalogue";
        return report;
    }
}

}  // namespace pumpsel::maintenance
