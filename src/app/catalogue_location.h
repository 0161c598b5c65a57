#pragma once
// The program's catalogue folder: the order of catalogue/catalogue_location.h,
// with the user's copy of the installed catalogue made on first start.
#include "catalogue/catalogue_location.h"

#include <filesystem>
#include <optional>

class QWidget;

namespace app {

// Finds the catalogue, making the user's copy of the installed one when the
// user has none; files missing from an earlier copy are copied again.
pumpsel::catalogue::Location locateCatalogue(const std::optional<std::filesystem::path>& given,
                                             const std::filesystem::path& programFolder);

// Tells the user that no catalogue was found: every folder looked in, and
// why the user's copy could not be made, on the terminal; on Windows, where
// a windowed program has none, in a message box over the window as well.
void reportMissingCatalogue(const pumpsel::catalogue::Location& location, QWidget* window);

}  // namespace app
