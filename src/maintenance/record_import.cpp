#include "maintenance/record_import.h"

#include "catalogue/catalogue.h"
#include "maintenance/record_file.h"
#include "maintenance/record_rules.h"
#include "storage/csv.h"
#include "storage/gbk.h"
#include "storage/profile.h"

#include <algorithm>
#include <array>
#include <map>

namespace pumpsel::maintenance {
namespace {

// The record number column, the seven values in their order, then the
// curve keys in theirs; the curve columns may be left out together.
constexpr std::size_t kCurveColumn = 1 + catalogue::kRecordKeys.size();
constexpr std::size_t kColumns = kCurveColumn + curves::kCurveKeys.size();

std::string_view columnName(std::size_t column) {
    if (column == 0) return kNumberColumn;
    return column < kCurveColumn ? catalogue::kRecordKeys[column - 1] : curves::kCurveKeys[column - kCurveColumn];
}

struct Row {
    std::size_t row = 0;
    long long number = -1;  // -1: none given; 0: given but no record number
    StoredRecord record;
};

// The rows of a CSV file, and whether it has the curve columns. Without
// them a record kept under its number keeps its curve keys, and a new one
// has none.
struct Rows {
    std::vector<Row> rows;
    bool curveColumns = false;
};

// What keeps a value from being written so that the program reads it back
// as given, or empty: the refusals of ini::writeValues.
std::string storageProblem(std::string_view value) {
    std::string bad;
    if (auto problem = ini::valueProblem(value); !problem.empty()) return problem;
    if (!gbk::fromUtf8(value, &bad))
        return bad.empty() ? "is not valid text" : "holds \"" + bad + "\", which GBK cannot hold";
    return {};
}

// Where each column stands in the rows, by the header (header.size() for
// one left out); nullopt (with the problems) when a column is missing,
// unknown or repeated. The record number column may be left out, and the
// curve columns all together.
std::optional<std::array<std::size_t, kColumns>> readHeader(const csv::Row& header, std::vector<RowProblem>& problems) {
    std::array<std::size_t, kColumns> at;
    at.fill(header.size());
    for (std::size_t field = 0; field < header.size(); ++field) {
        const std::string_view name = ini::trimmed(header[field]);
        std::size_t column = 0;
        while (column < kColumns && columnName(column) != name) ++column;
        if (column == kColumns)
            problems.push_back({1, std::string(name), "unknown column " + quotedValue(name)});
        else if (at[column] != header.size())
            problems.push_back({1, std::string(name), "column " + std::string(name) + " appears twice"});
        else
            at[column] = field;
    }
    const bool curveColumns =
        std::any_of(at.begin() + kCurveColumn, at.end(), [&](std::size_t field) { return field != header.size(); });
    for (std::size_t column = 1; column < (curveColumns ? kColumns : kCurveColumn); ++column)
        if (at[column] == header.size())
            problems.push_back({1, std::string(columnName(column)), "no column " + std::string(columnName(column))});
    if (!problems.empty()) return std::nullopt;
    return at;
}

long long rowNumber(std::string_view text, std::size_t row, std::vector<RowProblem>& problems) {
    text = ini::trimmed(text);
    if (text.empty()) return -1;
    const auto number = recordNumber(text);
    const std::string column(kNumberColumn);
    if (!number) {
        problems.push_back({row, column, column + " " + quotedValue(text) + " is not a record number (1, 2, 3, ...)"});
        return 0;
    }
    if (*number > catalogue::kMaxCounter)
        problems.push_back({row, column,
                            column + " " + quotedValue(text) + " lies above " + std::string(kLimitText) +
                                ": the program never lists it"});
    return *number;
}

// The row's values by the rules of the check, and whether each can be stored.
void checkValues(const Row& row, std::vector<RowProblem>& problems) {
    const auto refuse = [&](std::string_view key, std::string reason) {
        problems.push_back({row.row, std::string(key), std::move(reason)});
    };
    const auto& [v, curve] = row.record;
    for (std::size_t key = 0; key < v.size(); ++key)
        if (const std::string why = storageProblem(v[key]); !why.empty())
            refuse(catalogue::kRecordKeys[key], std::string(catalogue::kRecordKeys[key]) + " " + why);
    for (std::size_t key = 0; key < curve.size(); ++key)
        if (const std::string why = curve[key] ? storageProblem(*curve[key]) : ""; !why.empty())
            refuse(curves::kCurveKeys[key], std::string(curves::kCurveKeys[key]) + " " + why);
    for (const ValueProblem& problem : valueProblems({0, v[0], v[1], v[2], v[3], v[4], v[5]}))
        refuse(problem.key, problem.message);
    const auto c = [&](std::size_t key) { return curve[key] ? std::string_view(*curve[key]) : std::string_view(); };
    for (const ValueProblem& problem :
         curveProblems({v[0], v[1], v[2], v[3], v[4], v[5], c(0), c(1), c(2), c(3), c(4), c(5)}))
        if (!problem.onlyUnusual) refuse(problem.key, problem.message);
}

// The rows of the CSV file, their values checked; record numbers are read
// unless readNumbers is false.
Rows readRows(std::string_view csvBytes, bool readNumbers, std::vector<RowProblem>& problems) {
    // A file of more records than a maker file lists, or of more columns than
    // a record has many times over, is refused before it is read whole.
    constexpr csv::Limits kLimits{1 + catalogue::kMaxCounter, 8 * kColumns};
    const csv::Parsed parsed = csv::parse(csv::textOf(csvBytes), kLimits);
    if (!parsed) {
        const bool tooManyRows = parsed.badRow > kLimits.rows;
        problems.push_back({parsed.badRow,
                            {},
                            tooManyRows ? "more than " + std::string(kLimitText) +
                                              " records: a maker data file lists at most " + std::string(kLimitText)
                                        : parsed.reason});
        return {};
    }
    if (parsed.rows.empty()) {
        problems.push_back({1, {}, "the file has no header row"});
        return {};
    }
    const auto at = readHeader(parsed.rows[0], problems);
    if (!at) return {};
    Rows rows;
    rows.curveColumns = (*at)[kCurveColumn] != parsed.rows[0].size();
    for (std::size_t i = 1; i < parsed.rows.size(); ++i) {
        const csv::Row& fields = parsed.rows[i];
        if (std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return f.empty(); })) continue;
        if (fields.size() != parsed.rows[0].size()) {
            problems.push_back({i + 1,
                                {},
                                std::to_string(fields.size()) + " fields where the header has " +
                                    std::to_string(parsed.rows[0].size())});
            continue;
        }
        Row& row = rows.rows.emplace_back();
        row.row = i + 1;
        if (readNumbers && (*at)[0] != fields.size()) row.number = rowNumber(fields[(*at)[0]], row.row, problems);
        for (std::size_t key = 0; key < row.record.values.size(); ++key)
            row.record.values[key] = csv::withoutNeutraliser(fields[(*at)[key + 1]]);
        for (std::size_t key = 0; rows.curveColumns && key < row.record.curve.size(); ++key)
            if (const auto cell = csv::withoutNeutraliser(fields[(*at)[kCurveColumn + key]]); !cell.empty())
                row.record.curve[key] = std::string(cell);
        checkValues(row, problems);
    }
    return rows;
}

// Gives every row its record number: on after the last listed record in
// row order where none is given (always with Append), and checks that the
// numbers and the records kept make one run 1, 2, ... within the limit.
void numberRows(std::vector<Row>& rows, ImportMode mode, const RecordFile& file, std::vector<RowProblem>& problems) {
    const auto listed = static_cast<long long>(file.listed().size());
    if (mode != ImportMode::Replace) {
        std::vector<long long> unlisted;
        for (const RecordSection& section : file.recordSections())
            if (section.number > listed) unlisted.push_back(section.number);
        if (!unlisted.empty()) {
            const bool one = unlisted.size() == 1;
            problems.push_back({0,
                                {},
                                (one ? "section " : "sections ") + numberRuns(unlisted) +
                                    (one ? " holds a record" : " hold records") +
                                    " the program never lists, after record " + std::to_string(listed) +
                                    ": compact the file first, or import with --replace"});
            return;
        }
    }
    const std::string column(kNumberColumn);
    const long long kept = mode == ImportMode::Replace ? 0 : listed;
    long long last = kept;
    std::map<long long, std::size_t> rowOf;
    for (Row& row : rows) {
        const bool numberedOn = row.number < 0;
        if (numberedOn)
            row.number = ++last;
        else
            last = std::max(last, row.number);
        if (row.number == 0 || (!numberedOn && row.number > catalogue::kMaxCounter)) continue;  // said already
        if (row.number <= kept) {
            problems.push_back({row.row, column,
                                "record " + std::to_string(row.number) +
                                    " exists: --append adds after the last record, --replace "
                                    "replaces them all"});
        } else if (const auto [first, fresh] = rowOf.emplace(row.number, row.row); !fresh) {
            problems.push_back({row.row, column,
                                "record " + std::to_string(row.number) + " is given in row " +
                                    std::to_string(first->second) + " already"});
        } else if (numberedOn && row.number > catalogue::kMaxCounter) {
            problems.push_back({row.row, column,
                                "this row would be record " + std::to_string(row.number) + ", above " +
                                    std::string(kLimitText) + ": the program never lists it"});
        }
    }
    long long expected = kept + 1;
    for (const auto& [number, row] : rowOf) {
        if (number > expected)
            problems.push_back({row, column,
                                "no row gives record " + std::to_string(expected) + ": record " +
                                    std::to_string(number) + " and those after it would never be listed"});
        expected = number + 1;
    }
}

// The file's new bytes with the rows written in, and what that changes.
std::optional<std::string> importedBytes(const RecordFile& file, std::vector<Row> rows, bool curveColumns,
                                         ImportMode mode, ImportReport& report) {
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.number < b.number; });
    std::map<long long, const SectionBlock*> existing;
    if (mode == ImportMode::Replace)
        for (const RecordSection& section : file.recordSections()) existing.emplace(section.number, section.block);
    std::vector<RecordFile::RecordText> texts;
    for (const Row& row : rows) {
        const auto it = existing.find(row.number);
        const SectionBlock* block = it == existing.end() ? nullptr : it->second;
        StoredRecord record = row.record;
        if (block && !curveColumns) record.curve = file.recordOf(*block).curve;
        auto text = file.recordText(row.number, block, record, &report.reason);
        if (!text) return std::nullopt;
        if (!block)
            report.added.push_back(row.number);
        else if (file.recordOf(*block) == record)
            ++report.unchanged;
        else
            report.changed.push_back(row.number);
        texts.push_back(std::move(*text));
        if (block) existing.erase(it);
    }
    if (mode != ImportMode::Replace) return file.fileBytes(file.withRecordsAdded(texts));
    for (const auto& [number, block] : existing) report.removed.push_back(number);
    report.repeatedDropped = static_cast<int>(file.repeatedSections().size());
    return file.fileBytes(file.withRecordsReplaced(texts));
}

std::string unfaithful() { return "the file's text would not be written back as it was read (damaged UTF-16 text)"; }

// The lines of sections that renumbering would bring to light (a repeated
// record section) or leave in the way (a record section without a model).
std::vector<std::pair<std::size_t, std::string>> compactRefusals(const RecordFile& file) {
    std::vector<std::pair<std::size_t, std::string>> refusals;
    const auto named = [&](const SectionBlock& block) { return "section [" + file.lines().utf8(block.name) + "]"; };
    for (const RecordSection& section : file.repeatedSections())
        refusals.push_back({section.block->line, named(*section.block) + " repeats the one at line " +
                                                     std::to_string(section.block->firstLine) +
                                                     " and is never read; renumbering could bring it to light: "
                                                     "delete or rename it"});
    for (const RecordSection& section : file.recordSections())
        if (catalogue::isUnknown(file.recordOf(*section.block).values[0]))
            refusals.push_back({section.block->line, named(*section.block) + " has no " +
                                                         std::string(catalogue::kModelKey) +
                                                         " and would end the list again: give it one or delete it"});
    if (!file.faithful()) refusals.push_back({0, unfaithful()});
    std::sort(refusals.begin(), refusals.end());
    return refusals;
}

// The text with each record section named by its place in number order;
// only the names in the headers change.
std::string renumbered(const RecordFile& file) {
    const auto& sections = file.recordSections();
    std::vector<const RecordSection*> byPlace;
    for (const RecordSection& section : sections) byPlace.push_back(&section);
    // From the last place in the text to the first, so that the places before stay put.
    std::sort(byPlace.begin(), byPlace.end(),
              [](const RecordSection* a, const RecordSection* b) { return a->block->begin > b->block->begin; });
    std::string text(file.lines().text());
    for (const RecordSection* section : byPlace) {
        const auto rank = static_cast<long long>(section - sections.data()) + 1;
        if (section->number == rank) continue;
        const auto at = static_cast<std::size_t>(section->block->name.data() - file.lines().text().data());
        text.replace(at, section->block->name.size(), std::to_string(rank));
    }
    return text;
}

}  // namespace

ImportReport importCsv(const std::filesystem::path& dataFile, std::string_view csvBytes, ImportMode mode, bool dryRun,
                       EmptyReplacement empty) {
    ImportReport report;
    std::vector<RowProblem> rowProblems;
    Rows rows;
    try {
        rows = readRows(csvBytes, mode != ImportMode::Append, rowProblems);
    } catch (const std::bad_alloc&) {
        report.ok = false;
        report.reason = "not enough memory to read the CSV file";
        return report;
    }
    // A spreadsheet saved without its rows must not empty the maker's file by accident.
    if (mode == ImportMode::Replace && rows.rows.empty() && rowProblems.empty() && empty == EmptyReplacement::Refused)
        rowProblems.push_back({0,
                               {},
                               "the CSV file holds no records: --replace would remove every record (give "
                               "--allow-empty to do so)"});
    const Outcome outcome = rewriteLocked(dataFile, [&](const RecordFile& file) -> std::optional<std::string> {
        report = ImportReport{};
        report.problems = rowProblems;
        std::vector<Row> numbered = rows.rows;  // this may run again, on the file another writer created meanwhile
        numberRows(numbered, mode, file, report.problems);
        if (!report.problems.empty()) {
            report.refused = true;
            return std::nullopt;
        }
        if (!file.faithful()) {
            report.refused = true;
            report.reason = unfaithful();
            return std::nullopt;
        }
        auto bytes = importedBytes(file, std::move(numbered), rows.curveColumns, mode, report);
        if (!bytes) report.refused = true;
        return dryRun ? std::nullopt : bytes;
    });
    if (!outcome) report.reason = outcome.reason;
    report.ok = outcome.ok && !report.refused;
    return report;
}

CompactReport compactRecords(const std::filesystem::path& dataFile, bool dryRun) {
    CompactReport report;
    const Outcome outcome = rewriteLocked(dataFile, [&](const RecordFile& file) -> std::optional<std::string> {
        report = CompactReport{};
        report.refusals = compactRefusals(file);
        if (!report.refusals.empty()) {
            report.refused = true;
            return std::nullopt;
        }
        const auto& sections = file.recordSections();
        for (std::size_t i = 0; i < sections.size(); ++i) {
            const auto rank = static_cast<long long>(i + 1);
            if (rank > catalogue::kMaxCounter) ++report.beyondLimit;
            if (sections[i].number != rank) report.moves.push_back({sections[i].number, rank});
        }
        if (report.moves.empty() || dryRun) return std::nullopt;
        return file.fileBytes(renumbered(file));
    });
    if (!outcome) report.reason = outcome.reason;
    report.ok = outcome.ok && !report.refused;
    return report;
}

}  // namespace pumpsel::maintenance
