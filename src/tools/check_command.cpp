// pumpsel-ini check: every fault of a catalogue that the program hides.
#include "maintenance/check.h"
#include "storage/file_ops.h"
#include "tools/command_line.h"

namespace pumpsel::tool {
namespace {

int runCheck(const Arguments& args) {
    const auto folder = args.positional.empty() ? args.programFolder : files::pathFromUtf8(args.positional[0]);
    const maintenance::CheckReport report = maintenance::checkCatalogue(folder);
    if (!report) return failWith(kCannotRun, "check: " + report.reason);
    print(args.has("--json") ? maintenance::reportJson(report) : maintenance::reportText(report));
    return report.problems.empty() ? kDone : kRefused;
}

}  // namespace

const Command& checkCommand() {
    static const Command command{
        "check",
        "check [CATALOGUE_DIR] [--json]",
        "Reads the catalogue index (txt/bump.dat) and every maker data file, picture and thumbnail it names,\n"
        "as the program reads them, and prints one line per problem, \"file:line: what, and what the program\n"
        "does with it\", then a line with the counts. CATALOGUE_DIR is the folder holding txt/ and images/,\n"
        "by default the folder of this program. --json prints the problems as a JSON array of objects with\n"
        "\"file\", \"line\" (null for a whole file), \"kind\" and \"message\" instead.\n"
        "Exit 0 when the catalogue is clean, 1 when problems were found, 2 when it could not be read.\n",
        {"--json"},
        {},
        0,
        1,
        runCheck};
    return command;
}

}  // namespace pumpsel::tool
