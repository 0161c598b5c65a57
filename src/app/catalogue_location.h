#pragma once
// Where the program finds its catalogue folder (the folder holding txt/ and
// images/, where the report is written too), in this order:
//   1. the folder given with --catalogue DIR;
//   2. the program's own folder when it holds txt/bump.dat (a portable folder);
//   3. the user's own catalogue folder in the user's data location, made on
//      first start as a copy of the catalogue installed with the program
//      (share/pumpsel beside the program's bin/ folder), so that the record
//      editor and the report have a writable home.
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace app {

struct CatalogueLocation {
    std::filesystem::path folder;               // the folder to open; the one to name when nothing was found
    bool found = false;                         // the folder holds txt/bump.dat
    std::vector<std::filesystem::path> looked;  // every folder looked at, in order
    QString problem;                            // why the first-start copy could not be made
};

// The catalogue folder installed with a program in programFolder (bin/).
std::filesystem::path installedCatalogue(const std::filesystem::path& programFolder);

// The user's own catalogue folder (it may not exist yet).
std::filesystem::path userCatalogue();

// Finds the catalogue as described above, making the user's copy when it is missing.
CatalogueLocation locateCatalogue(const std::optional<std::filesystem::path>& given,
                                  const std::filesystem::path& programFolder);

}  // namespace app
