// pumpsel-ini search: the list of the window 全部厂家选型, from the command line.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/kind_search.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "storage/terminal_text.h"
#include "tools/command_line.h"
#include "tools/selection_arguments.h"

#include <charconv>
#include <optional>

namespace pumpsel::tool {
namespace {

using ranking::kDefaultTolerance;
using ranking::kMaxTolerance;

std::optional<int> toleranceOf(const Arguments& args) {
    const std::string* text = args.option("--tolerance");
    if (!text) return kDefaultTolerance;
    int value = -1;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || end != text->data() + text->size() || value < 0 || value > kMaxTolerance)
        return std::nullopt;
    return value;
}

std::string_view problemWords(ranking::FileProblem problem) {
    switch (problem) {
        case ranking::FileProblem::Missing:
            return "the data file is missing";
        case ranking::FileProblem::Empty:
            return "the data file holds no records";
        case ranking::FileProblem::Unreadable:
            return "the data file cannot be read";
    }
    return {};
}

// One line of cells between tabs; a tab or line break inside a cell, like
// any control character of catalogue text, is written escaped.
std::string tabbed(const std::vector<std::string>& texts) {
    std::string line;
    for (const std::string& text : texts) line.append(line.empty() ? "" : "\t").append(terminal::escapedControls(text));
    return line + "\n";
}

int runSearch(const Arguments& args) {
    const auto& a = args.positional;
    const std::optional<int> tolerance = toleranceOf(args);
    if (!tolerance)
        return failWith(kCannotRun,
                        "search: the tolerance is a whole number from 0 to " + std::to_string(kMaxTolerance));
    for (const std::string& value : {a[2], a[3]})
        if (!duty::isHoldable(value))
            return failWith(kCannotRun, "search: \"" + value + "\" is not a number single precision can hold");
    const catalogue::Catalogue catalogue(files::pathFromUtf8(a[0]));
    if (!files::isRegularFile(catalogue.indexPath()))
        return failWith(kCannotRun, "search: no catalogue index at " + displayPath(catalogue.indexPath()));
    if (!kindExists(catalogue, a[1])) return failWith(kCannotRun, "search: the catalogue has no kind \"" + a[1] + "\"");

    const ranking::Terms terms{a[1], *duty::DutyPoint::holdable(a[2], a[3]), static_cast<double>(*tolerance)};
    const ranking::KindListing listing =
        ranking::searchKind(catalogue, terms.kind, terms.duty.values(), terms.tolerance);
    for (const auto& maker : listing.unread)
        printError("maker " + std::to_string(maker.position) + " " + terminal::escapedControls(maker.maker) + " (" +
                   terminal::escapedControls(maker.fileName) + "): " + std::string(problemWords(maker.problem)));
    if (args.has("--csv")) {
        std::vector<const ranking::RankedPump*> pumps;
        for (const auto& pump : listing.pumps) pumps.push_back(&pump);
        print(ranking::csvText(terms, pumps));
    } else {
        std::string text = tabbed(std::vector<std::string>(ranking::kColumns.begin(), ranking::kColumns.end()));
        for (const auto& pump : listing.pumps) text += tabbed(ranking::rowTexts(pump));
        print(text);
    }
    if (!listing.pumps.empty()) return kDone;
    return failWith(kRefused, "search: no pump of the kind fits the duty point or misses it by at most the tolerance");
}

}  // namespace

const Command& searchCommand() {
    static const Command command{
        "search",
        "search CATALOGUE_DIR KIND Q H [--tolerance P] [--csv]",
        "Lists every maker's pumps of the kind that fit the duty point (flow Q in m3/h, head H in m), then\n"
        "those that miss it by at most P percent (a whole number from 0 to 50, default 10), ranked as the\n"
        "window 全部厂家选型 ranks them, with its texts: a header line of the column names, then one\n"
        "tab-separated line per pump. --csv prints the window's CSV export instead. Makers whose data files\n"
        "give nothing are named on stderr, one line each. Exit 0 with pumps, 1 with none, 2 on bad\n"
        "arguments, a missing catalogue or an unknown kind.\n",
        {"--csv"},
        {"--tolerance"},
        4,
        4,
        runSearch};
    return command;
}

}  // namespace pumpsel::tool
