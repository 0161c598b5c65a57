// pumpsel-ini check: every fault of a catalogue that the program hides.
#include "catalogue/catalogue_location.h"
#include "maintenance/check.h"
#include "storage/file_ops.h"
#include "tools/command_line.h"

#include <optional>
#include <string>

namespace pumpsel::tool {
namespace {

// The folder given, or the catalogue the program would open; checking never
// writes, so an installed catalogue the user has no copy of yet is read in place.
catalogue::Location catalogueToCheck(const Arguments& args) {
    std::optional<std::filesystem::path> given;
    if (!args.positional.empty()) given = files::pathFromUtf8(args.positional[0]);
    return catalogue::locateCatalogue(given, args.programFolder);
}

std::string placesOf(const catalogue::Location& location) {
    std::string places;
    for (const auto& place : location.looked) places.append(places.empty() ? "" : ", ").append(displayPath(place));
    return places;
}

int runCheck(const Arguments& args) {
    const catalogue::Location location = catalogueToCheck(args);
    if (!location.found && location.looked.size() > 1)
        return failWith(kCannotRun, "check: no catalogue (txt/bump.dat) in " + placesOf(location));
    const maintenance::CheckReport report = maintenance::checkCatalogue(location.folder);
    if (!report) return failWith(kCannotRun, "check: " + report.reason);
    print(args.has("--json") ? maintenance::reportJson(report) : maintenance::reportText(report));
    return report.problems.empty() ? kDone : kRefused;
}

std::string checkHelp() {
    return "Reads the catalogue index (txt/bump.dat) and every maker data file, picture and thumbnail it names,\n"
           "as the program reads them, and prints one line per problem, \"file:line: what, and what the program\n"
           "does with it\", then a line with the counts. CATALOGUE_DIR is the folder holding txt/ and images/.\n"
           "Without it, the catalogue the program opens is checked, the first of:\n"
           "  1. the folder of this program, when it holds txt/bump.dat;\n"
           "  2. the user's catalogue folder, " +
           std::string(catalogue::userCatalogueInWords()) +
           ", when it holds txt/bump.dat;\n"
           "  3. the catalogue installed with the program, share/pumpsel beside the program's bin/ folder, which\n"
           "     the program copies into the user's catalogue folder on first start.\n"
           "--json prints the problems as a JSON array of objects with \"file\", \"line\" (null for a whole file),\n"
           "\"kind\" and \"message\" instead.\n"
           "Exit 0 when the catalogue is clean, 1 when problems were found, 2 when it could not be read.\n";
}

}  // namespace

const Command& checkCommand() {
    static const std::string help = checkHelp();
    static const Command command{"check", "check [CATALOGUE_DIR] [--json]", help, {"--json"}, {}, 0, 1, runCheck};
    return command;
}

}  // namespace pumpsel::tool
