// pumpsel-ini search: the list of the window 全部厂家选型, from the command line.
#include "catalogue/catalogue.h"
#include "catalogue/duty_point.h"
#include "catalogue/kind_search.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "storage/terminal_text.h"
#include "tools/command_line.h"
#include "tools/selection_arguments.h"

#include <optional>

namespace pumpsel::tool {
namespace {

using ranking::kDefaultTolerance;
using ranking::kMaxTolerance;

std::optional<int> toleranceOf(const Arguments& args) {
    const std::string* text = args.option("--tolerance");
    return text ? wholeNumber(*text, 0, kMaxTolerance) : std::optional<int>(kDefaultTolerance);
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

// What the arguments ask for, or why they cannot be searched (error not empty).
struct SearchRequest {
    std::optional<ranking::Terms> terms;
    std::string error;
};

SearchRequest requestOf(const Arguments& args) {
    const auto& a = args.positional;
    const std::optional<int> tolerance = toleranceOf(args);
    if (!tolerance) return {{}, "the tolerance is a whole number from 0 to " + std::to_string(kMaxTolerance)};
    for (const std::string& value : {a[2], a[3]})
        if (!duty::isHoldable(value)) return {{}, "\"" + value + "\" is not a number single precision can hold"};
    const auto point = *duty::DutyPoint::holdable(a[2], a[3]);
    const SelectionRequest selection = selectionOf(args, point.head());
    if (!selection.error.empty()) return {{}, selection.error};
    const bool needsPositive = selection.selection.staticHead || selection.selection.speed;
    if (needsPositive && !(point.flow() > 0 && point.head() > 0))
        return {{}, "the system curve and the speed need a positive Q and H"};
    return {ranking::Terms{a[1], point, static_cast<double>(*tolerance), selection.selection}, {}};
}

int runSearch(const Arguments& args) {
    const SearchRequest request = requestOf(args);
    if (!request.terms) return failWith(kCannotRun, "search: " + request.error);
    const ranking::Terms& terms = *request.terms;
    const catalogue::Catalogue catalogue(files::pathFromUtf8(args.positional[0]));
    if (!files::isRegularFile(catalogue.indexPath()))
        return failWith(kCannotRun, "search: no catalogue index at " + displayPath(catalogue.indexPath()));
    if (!kindExists(catalogue, terms.kind))
        return failWith(kCannotRun, "search: the catalogue has no kind \"" + terms.kind + "\"");

    const ranking::KindListing listing =
        ranking::searchKind(catalogue, terms.kind, terms.duty, terms.tolerance, terms.selection);
    for (const auto& maker : listing.unread)
        printError("maker " + std::to_string(maker.position) + " " + terminal::escapedControls(maker.maker) + " (" +
                   terminal::escapedControls(maker.fileName) + "): " + std::string(problemWords(maker.problem)));
    if (args.has("--csv")) {
        std::vector<const ranking::RankedPump*> pumps;
        for (const auto& pump : listing.pumps) pumps.push_back(&pump);
        print(ranking::csvText(terms, pumps));
    } else {
        std::string text = tabbed(ranking::headerTexts(terms.selection));
        for (const auto& pump : listing.pumps) text += tabbed(ranking::rowTexts(pump, terms.selection));
        print(text);
    }
    if (!listing.pumps.empty()) return kDone;
    return failWith(kRefused, "search: no pump of the kind fits the duty point or misses it by at most the tolerance");
}

}  // namespace

const Command& searchCommand() {
    static const Command command{
        "search",
        "search CATALOGUE_DIR KIND Q H [--tolerance P] [--static-head HS] [--pumps N] [--series] [--speed] "
        "[--units L/s] [--csv]",
        "Lists every maker's pumps of the kind that fit the duty point (flow Q in m3/h, head H in m), then\n"
        "those that miss it by at most P percent (a whole number from 0 to 50, default 10), ranked as the\n"
        "window 全部厂家选型 ranks them, with its texts: a header line of the column names, then one\n"
        "tab-separated line per pump. A pump's figures (head deviation, working point, efficiency, shaft\n"
        "power, NPSH, preferred region) come from its curve (曲线流量, 曲线扬程, ...) where it has one, else\n"
        "from the line of its range; \"—\" where its data give none.\n"
        "  --static-head HS  the working point is where the pumps meet the system curve\n"
        "                    HS + (H - HS)(q/Q)^2 (0 <= HS < H), not the duty flow on the pump curve\n"
        "  --pumps N         N identical pumps (1 to 6) in parallel, or in series with --series; each pump's\n"
        "                    ranges are matched against its share of the duty point\n"
        "  --speed           adds the column 转速: the speed in r/min that meets the duty point\n"
        "  --units L/s       flows typed and shown in L/s (m3/h unless given)\n"
        "--csv prints the window's CSV export instead. Makers whose data files give nothing are named on\n"
        "stderr, one line each. Exit 0 with pumps, 1 with none, 2 on bad arguments, a missing catalogue or\n"
        "an unknown kind.\n",
        {"--csv", "--series", "--speed"},
        {"--tolerance", "--static-head", "--pumps", "--units"},
        4,
        4,
        runSearch};
    return command;
}

}  // namespace pumpsel::tool
