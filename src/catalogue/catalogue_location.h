#pragma once
// Where the program and pumpsel-ini find the catalogue folder (the folder
// holding txt/ and images/, where the report is written too), in this order:
//   1. the folder given on the command line;
//   2. the program's own folder when it holds txt/bump.dat (a portable folder);
//   3. the user's catalogue folder, "pumpsel" in the user's data folder, when
//      it holds txt/bump.dat;
//   4. the catalogue installed with the program, share/pumpsel beside the
//      program's bin/ folder. The program first copies it into the user's
//      folder, so that the record editor and the report have a writable home,
//      and opens the copy; a reader that never writes reads it where it is.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::catalogue {

struct Location {
    std::filesystem::path folder;               // the folder to open; the one to name when nothing was found
    bool found = false;                         // the folder holds txt/bump.dat
    std::vector<std::filesystem::path> looked;  // every folder looked at, in order
    std::string problem;                        // why the user's copy could not be made (UTF-8)
};

// Copies the installed catalogue into the user's folder, adding the files the
// user's folder lacks; false with *problem when it cannot.
using CopyInstalled = std::function<bool(const std::filesystem::path& installed, const std::filesystem::path& user,
                                         std::string* problem)>;

// True when the folder holds a catalogue index, txt/bump.dat.
bool holdsCatalogue(const std::filesystem::path& folder);

// The user's data folder as Qt's QStandardPaths names its generic data
// location: $XDG_DATA_HOME when set, else $HOME/.local/share ("/" standing
// for an unset HOME); the local application data folder on Windows.
std::filesystem::path userDataFolder();

// The user's catalogue folder, "pumpsel" in the user's data folder (it may not exist yet).
std::filesystem::path userCatalogue();

// How help texts name the user's catalogue folder on this platform.
std::string_view userCatalogueInWords();

// The catalogue folder installed with a program in programFolder (bin/).
std::filesystem::path installedCatalogue(const std::filesystem::path& programFolder);

// Finds the catalogue in the order above. With copyInstalled, an installed
// catalogue is copied into the user's folder and the copy is the answer;
// without it, the installed catalogue itself. When nothing holds an index the
// answer is the program's own folder, where a catalogue is put by hand.
Location locateCatalogue(const std::optional<std::filesystem::path>& given, const std::filesystem::path& programFolder,
                         const CopyInstalled& copyInstalled = {});

}  // namespace pumpsel::catalogue
