// pumpsel-sheet: the selection sheet (水泵选型计算书) of one pump at a duty
// point, as a PDF file.
#include "catalogue/catalogue.h"
#include "catalogue/kind_search.h"
#include "sheet/sheet.h"
#include "storage/file_ops.h"
#include "tools/command_line.h"
#include "tools/selection_arguments.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace pumpsel::tool {

std::string_view programName() { return "pumpsel-sheet"; }

namespace {

// A year has at most this many hours (a leap year's).
constexpr double kMostHoursPerYear = 366 * 24;

// The sheet's request beyond the duty point, or the reason the options give none.
struct SheetOptions {
    ui::sheet::Request request;
    std::filesystem::path output;
    std::string error;
};

QString optionText(const Arguments& args, std::string_view name, const QString& otherwise = {}) {
    const std::string* text = args.option(name);
    return text ? QString::fromStdString(*text) : otherwise;
}

SheetOptions sheetOptionsOf(const Arguments& args, const DutyRequest& duty) {
    SheetOptions o;
    ui::sheet::Request& r = o.request;
    r.heading = {optionText(args, "--project"),
                 optionText(args, "--project-number"),
                 optionText(args, "--system"),
                 optionText(args, "--designer"),
                 optionText(args, "--checker"),
                 QDate::currentDate(),
                 optionText(args, "--basis", QString::fromUtf8(ui::sheet::kDefaultBasis))};
    r.flow = duty.duty.flow;
    r.head = duty.duty.head;
    r.selection = duty.selection;
    const std::string* standby = args.option("--standby");
    const std::string* date = args.option("--date");
    const std::string* hours = args.option("--hours");
    const std::string* price = args.option("--price");
    const std::string* output = args.option("-o");
    const auto standbyCount = standby ? wholeNumber(*standby, 0, hydraulics::kMaxPumps) : r.standby;
    const auto hoursValue = hours ? finiteNumber(*hours) : r.hoursPerYear;
    const auto priceValue = price ? finiteNumber(*price) : r.pricePerKwh;
    if (date) r.heading.date = QDate::fromString(QString::fromStdString(*date), Qt::ISODate);
    if (!standbyCount)
        o.error = "the number of standby pumps \"" + *standby + "\" is not a whole number from 0 to " +
                  std::to_string(hydraulics::kMaxPumps);
    else if (!r.heading.date.isValid())
        o.error = "the date \"" + *date + "\" is not a date YYYY-MM-DD";
    else if (!hoursValue || !(*hoursValue > 0 && *hoursValue <= kMostHoursPerYear))
        o.error = "the hours per year \"" + *hours + "\" are not a number above 0 and at most 8784";
    else if (!priceValue || !(*priceValue >= 0))
        o.error = "the price \"" + *price + "\" is not a number of 0 or more";
    else if (!output || output->empty())
        o.error = "no output file: -o FILE.pdf";
    if (!o.error.empty()) return o;
    r.standby = *standbyCount;
    r.hoursPerYear = *hoursValue;
    r.pricePerKwh = *priceValue;
    o.output = files::pathFromUtf8(*output);
    return o;
}

std::string buildProblemText(ui::sheet::BuildProblem problem, const std::string& maker, int record) {
    switch (problem) {
        case ui::sheet::BuildProblem::NoMaker:
            return "the kind has no maker \"" + maker + "\"";
        case ui::sheet::BuildProblem::NoRecord:
            return "the data file of " + maker + " has no record " + std::to_string(record);
        case ui::sheet::BuildProblem::FileUnreadable:
            return "the data file of " + maker + " cannot be read";
        case ui::sheet::BuildProblem::None:
            break;
    }
    return {};
}

int runSheet(const Arguments& args) {
    const auto& a = args.positional;
    const DutyRequest duty = dutyRequestOf(args, 3);
    if (!duty.error.empty()) return failWith(kCannotRun, duty.error);
    const SheetOptions options = sheetOptionsOf(args, duty);
    if (!options.error.empty()) return failWith(kCannotRun, options.error);

    const catalogue::Catalogue catalogue(files::pathFromUtf8(a[0]));
    if (!files::isRegularFile(catalogue.indexPath()))
        return failWith(kCannotRun, "no catalogue index at " + displayPath(catalogue.indexPath()));
    if (!kindExists(catalogue, a[1])) return failWith(kCannotRun, "the catalogue has no kind \"" + a[1] + "\"");
    const std::optional<int> maker = makerPlace(catalogue, a[1], a[2]);
    if (!maker) return failWith(kCannotRun, "the kind " + a[1] + " has no maker \"" + a[2] + "\"");

    const std::optional<duty::DutyPoint> point = duty::DutyPoint::holdable(a[4], a[5]);
    const ranking::KindListing listing =
        ranking::searchKind(catalogue, a[1], *point, ranking::kDefaultTolerance, duty.selection);
    const ui::sheet::Built built =
        ui::sheet::buildSheet(catalogue, {a[1], *maker, duty.record}, options.request, listing.pumps);
    if (!built.content)
        return failWith(kCannotRun, buildProblemText(built.problem, catalogue.makerValue(a[1], *maker), duty.record));
    const Outcome written = ui::sheet::writeSheetPdf(*built.content, options.output);
    if (!written) return failWith(kRefused, "cannot write " + displayPath(options.output) + ": " + written.reason);
    return kDone;
}

const Command& sheetCommand() {
    static const Command command{
        "",
        "CATALOGUE_DIR KIND MAKER RECORD Q H [--static-head HS] [--pumps N] [--series] [--speed] [--standby M]\n"
        "       [--project TEXT] [--project-number TEXT] [--system TEXT] [--designer TEXT] [--checker TEXT]\n"
        "       [--date YYYY-MM-DD] [--basis TEXT] [--hours H] [--price P] -o FILE.pdf",
        "Writes the selection sheet (水泵选型计算书) of record RECORD of MAKER, a maker of the pump kind KIND\n"
        "as the catalogue index in CATALOGUE_DIR names them (MAKER by name, or by its place in the kind's\n"
        "list), at the duty point Q (m3/h) and H (m), to FILE.pdf: A4, with the basis, the duty point, the pump\n"
        "and its figures at the working point, the checks, the annual energy, the curve and the next five\n"
        "pumps of the ranking across the kind's makers.\n"
        "  --static-head HS   the system curve HS + (H - HS)(q/Q)^2, 0 <= HS < H; the pumps run where it\n"
        "                     meets their curve\n"
        "  --pumps N          N working pumps (1 to 6) in parallel, --series in series\n"
        "  --speed            variable speed: the speed that meets the duty point\n"
        "  --standby M        standby pumps (0 to 6, default 1)\n"
        "  --project, --project-number, --system, --designer, --checker   the sheet's heading\n"
        "  --date YYYY-MM-DD  the sheet's date (default today)\n"
        "  --basis TEXT       the design basis (default GB 50015-2019 建筑给水排水设计标准)\n"
        "  --hours H          operating hours per year (default 4000)\n"
        "  --price P          electricity price, 元/kWh (default 0.8)\n"
        "The file is written whole or not at all. Exit 0 when written, 1 when it could not be written, 2 on\n"
        "bad arguments, an unknown kind or maker, a missing record or an unreadable catalogue.\n",
        {"--series", "--speed"},
        {"--static-head", "--pumps", "--standby", "--project", "--project-number", "--system", "--designer",
         "--checker", "--date", "--basis", "--hours", "--price", "-o"},
        6,
        6,
        runSheet};
    return command;
}

int usage(std::FILE* to) {
    writeText(to, "Usage: pumpsel-sheet " + std::string(sheetCommand().usage) + "\n");
    return to == stdout ? kDone : kCannotRun;
}

// argv as UTF-8, the program's name first.
int runTool(const std::vector<std::string>& argv) {
    const std::span<const std::string> rest = std::span(argv).subspan(1);
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        usage(stdout);
        print("\n" + std::string(sheetCommand().help));
        return afterOutput(kDone);
    }
    if (rest.size() == 1 && rest[0] == "--version") {
        print("pumpsel-sheet " PUMPSEL_VERSION "\n");
        return afterOutput(kDone);
    }
    std::string error;
    const Arguments args = parseArguments(sheetCommand(), rest, &error);
    if (!error.empty()) {
        printError(error);
        return usage(stderr);
    }
    try {
        return afterOutput(runSheet(args));
    } catch (const std::filesystem::filesystem_error& failure) {
        return failWith(kCannotRun, files::errorText(failure));
    }
}

}  // namespace
}  // namespace pumpsel::tool

// Qt draws the sheet without a screen: the offscreen platform unless one is
// given. Windows always has its own, whose fonts are the system's; Qt's
// offscreen platform there finds fonts only in a folder of its own.
int main(int argc, char** argv) {
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QGuiApplication application(argc, argv);
    std::vector<std::string> arguments;  // as UTF-8 on every system
    for (const QString& argument : QCoreApplication::arguments()) arguments.push_back(argument.toStdString());
    return pumpsel::tool::runTool(arguments);
}
