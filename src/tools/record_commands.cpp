// pumpsel-ini export, import and compact: a maker data file's records to
// and from a spreadsheet's CSV, and renumbered after gaps.
#include "catalogue/catalogue.h"
#include "maintenance/record_file.h"
#include "maintenance/record_import.h"
#include "maintenance/record_rules.h"
#include "storage/file_ops.h"
#include "tools/command_line.h"

#include <optional>

namespace pumpsel::tool {
namespace {

std::string records(std::size_t count) { return std::to_string(count) + (count == 1 ? " record" : " records"); }

// "added 3 records: 6-8", or "would add ..." for a dry run.
std::string changeLine(std::string_view done, std::string_view would, bool dryRun,
                       const std::vector<long long>& numbers) {
    if (numbers.empty()) return {};
    return std::string(dryRun ? would : done) + " " + records(numbers.size()) + ": " +
           maintenance::numberRuns(numbers) + "\n";
}

// The first problems, and how many more there are: a spreadsheet gone wrong
// can fault every one of tens of thousands of rows.
void printRowProblems(const std::vector<maintenance::RowProblem>& problems, const std::string& file,
                      const std::string& csvName) {
    constexpr std::size_t kShown = 100;
    for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) {
        const auto& problem = problems[i];
        printError("import: " + (problem.row == 0 ? file : csvName + " row " + std::to_string(problem.row)) + ": " +
                   problem.reason);
    }
    if (problems.size() > kShown)
        printError("import: " + std::to_string(problems.size() - kShown) + " more problems not shown");
}

// The catalogue folder txt/ that holds a maker data file: the nearest folder
// above it with a catalogue index; none for a file outside any catalogue.
std::optional<std::filesystem::path> catalogueTextFolder(const std::filesystem::path& dataFile) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::weakly_canonical(dataFile, ec);
    if (ec) return std::nullopt;
    for (std::filesystem::path folder = real.parent_path(); folder.has_relative_path(); folder = folder.parent_path())
        if (files::isRegularFile(folder / files::pathFromUtf8(catalogue::kIndexFile))) return folder;
    return std::nullopt;
}

// Why the CSV must not go where -o names: over the file exported, or over
// any file of its catalogue's txt/ folder, which the CSV would destroy.
std::string outputProblem(const std::filesystem::path& dataFile, const std::filesystem::path& output) {
    if (files::sameFile(dataFile, output)) return "the output is the file exported";
    if (const auto txt = catalogueTextFolder(dataFile); txt && files::liesWithin(*txt, output))
        return "the output lies in the catalogue's folder " + displayPath(*txt) + ", whose files it could destroy";
    return {};
}

int runExport(const Arguments& args) {
    const std::string& file = args.positional[0];
    const std::string* to = args.option("-o");
    if (to) {
        if (const std::string problem = outputProblem(files::pathFromUtf8(file), files::pathFromUtf8(*to));
            !problem.empty())
            return failWith(kCannotRun, "export: will not write " + *to + ": " + problem);
    }
    const maintenance::CsvExport exported = maintenance::exportCsv(files::pathFromUtf8(file));
    if (!exported) return failWith(kCannotRun, "export: cannot read " + file + ": " + exported.reason);
    if (to) {
        if (const Outcome written = files::writeFile(files::pathFromUtf8(*to), exported.csv); !written)
            return failWith(kCannotRun, "export: cannot write " + *to + ": " + written.reason);
        print(records(static_cast<std::size_t>(exported.records)) + " written to " + *to + "\n");
    } else {
        print(exported.csv);
    }
    return exported.records > 0 ? kDone : failWith(kRefused, "export: " + file + " lists no records");
}

int runImport(const Arguments& args) {
    const std::string& file = args.positional[0];
    const std::string& csvName = args.positional[1];
    if (args.has("--append") && args.has("--replace"))
        return failWith(kCannotRun, "import: --append and --replace exclude each other");
    std::string csvBytes;
    if (const auto status = files::readWholeFile(files::pathFromUtf8(csvName), csvBytes);
        status != files::ReadStatus::Ok)
        return failWith(kCannotRun, "import: cannot read " + csvName + ": " + std::string(files::readProblem(status)));
    const auto mode = args.has("--append")    ? maintenance::ImportMode::Append
                      : args.has("--replace") ? maintenance::ImportMode::Replace
                                              : maintenance::ImportMode::AddNew;
    const bool dryRun = args.has("--dry-run");
    const auto empty =
        args.has("--allow-empty") ? maintenance::EmptyReplacement::Allowed : maintenance::EmptyReplacement::Refused;
    const maintenance::ImportReport report =
        maintenance::importCsv(files::pathFromUtf8(file), csvBytes, mode, dryRun, empty);
    if (!report && !report.refused) return failWith(kCannotRun, "import: " + file + ": " + report.reason);
    if (report.refused) {
        printRowProblems(report.problems, file, csvName);
        if (!report.reason.empty()) printError("import: " + file + ": " + report.reason);
        return failWith(kRefused, "import: nothing was written");
    }
    std::string text = changeLine("added", "would add", dryRun, report.added) +
                       changeLine("changed", "would change", dryRun, report.changed) +
                       changeLine("removed", "would remove", dryRun, report.removed);
    if (report.unchanged > 0) text += records(static_cast<std::size_t>(report.unchanged)) + " as they were\n";
    if (report.repeatedDropped > 0)
        text += std::string(dryRun ? "would drop " : "dropped ") + std::to_string(report.repeatedDropped) +
                " repeated sections that were never read\n";
    if (text.empty()) text = "nothing to change\n";
    print(text + (dryRun ? "dry run: nothing was written\n" : ""));
    return kDone;
}

int runCompact(const Arguments& args) {
    const std::string& file = args.positional[0];
    const bool dryRun = args.has("--dry-run");
    const maintenance::CompactReport report = maintenance::compactRecords(files::pathFromUtf8(file), dryRun);
    if (!report && !report.refused) return failWith(kCannotRun, "compact: " + file + ": " + report.reason);
    if (report.refused) {
        for (const auto& [line, why] : report.refusals)
            printError("compact: " + file + (line > 0 ? ":" + std::to_string(line) : "") + ": " + why);
        return failWith(kRefused, "compact: nothing was written");
    }
    std::string text;
    for (const auto& [from, to] : report.moves) text += std::to_string(from) + " → " + std::to_string(to) + "\n";
    text += report.moves.empty()
                ? "no gaps: nothing to renumber\n"
                : std::string(dryRun ? "would renumber " : "renumbered ") + records(report.moves.size()) +
                      (dryRun ? "; dry run: nothing was written\n" : "\n");
    if (report.beyondLimit > 0)
        text += records(report.beyondLimit) + " still lie above " + std::string(maintenance::kLimitText) +
                ": the program never lists them\n";
    print(text);
    return kDone;
}

}  // namespace

const Command& exportCommand() {
    static const Command command{
        "export",
        "export MAKER_FILE [-o FILE.csv]",
        "Writes every record the program lists, in number order, as CSV: UTF-8 with a byte-order mark, the\n"
        "header 序号,型号,流量1,流量2,扬程1,扬程2,功率,备注,曲线流量,曲线扬程,曲线效率,曲线功率,曲线汽蚀余量,转速,\n"
        "values exactly as they read back (a missing one of the first seven as \"unknown\", a missing or empty\n"
        "curve key as an empty cell), fields with commas, quotes or line breaks in double quotes. To stdout, or\n"
        "to FILE.csv with -o. Exit 0, 1 when the file lists no records, 2 when it cannot be read or the CSV not\n"
        "written.\n",
        {},
        {"-o"},
        1,
        1,
        runExport};
    return command;
}

const Command& importCommand() {
    static const Command command{
        "import",
        "import MAKER_FILE FILE.csv [--append | --replace [--allow-empty]] [--dry-run]",
        "Reads records from CSV as export writes it, also without byte-order mark or in GBK (as a spreadsheet\n"
        "on a Chinese Windows saves it), with the columns in any order by their header (序号 may be left out,\n"
        "and the six curve columns together: the records kept then keep their curve keys).\n"
        "Every row is checked before anything is written: its number of fields, flows, heads and power by the\n"
        "program's number rules, its curve keys as check judges them, text that GBK can hold within the 999\n"
        "bytes the program reads, and record numbers: given ones unique and, with the file's records, without\n"
        "gaps; empty ones numbered on after the last. Each bad row is named with its row (the header is row 1)\n"
        "and column, and nothing is written. An empty curve cell is no list: a new record gets no key for it,\n"
        "a kept one keeps a missing or empty key and has a key that held a value written empty.\n"
        "  (neither)  the rows add records; a row whose record exists is refused\n"
        "  --append   the rows add records after the last listed one, numbered in row order (序号 ignored)\n"
        "  --replace  the rows replace all the file's records; a record that stays keeps its section's other\n"
        "             lines, and only its changed values are rewritten\n"
        "  --dry-run  says what would change, and writes nothing\n"
        "  --allow-empty  lets --replace with a CSV file of no records remove every record\n"
        "Lines and sections that are not records stay as they are; a missing MAKER_FILE is created. The\n"
        "file is replaced in one atomic step under the catalogue lock. Exit 0 when imported, 1 when refused,\n"
        "2 when it cannot run.\n",
        {"--append", "--replace", "--dry-run", "--allow-empty"},
        {},
        2,
        2,
        runImport};
    return command;
}

const Command& compactCommand() {
    static const Command command{
        "compact",
        "compact MAKER_FILE [--dry-run]",
        "Renumbers the records after gaps in the numbering, in their order, so that the program lists them\n"
        "all, and prints each old and new number; only the section headers change, in one atomic replacement\n"
        "of the file under the catalogue lock. Refused (exit 1) while the file has record sections that\n"
        "repeat an earlier one or have no 型号. --dry-run says what would change, and writes nothing.\n",
        {"--dry-run"},
        {},
        1,
        1,
        runCompact};
    return command;
}

}  // namespace pumpsel::tool
