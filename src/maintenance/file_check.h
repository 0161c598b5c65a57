#pragma once
// The check of one profile file as text, whatever it holds: lines the reader
// passes over, duplicates it never reads, bytes it cannot decode, values it
// cuts, and UTF-8 text that it would take for GBK.
#include "maintenance/check.h"
#include "maintenance/profile_lines.h"

#include <vector>

namespace pumpsel::maintenance {

// Adds the file's problems, named `file`, to `problems`.
void checkProfileFile(const ProfileLines& lines, const std::string& file, std::vector<Problem>& problems);

}  // namespace pumpsel::maintenance
