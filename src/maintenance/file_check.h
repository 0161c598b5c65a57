#pragma once
// The check of one profile file as text, whatever it holds: lines the reader
// passes over, duplicates it never reads, bytes it cannot decode, values it
// cuts, and UTF-8 text that it would take for GBK.
#include "maintenance/check.h"
#include "maintenance/profile_lines.h"

#include <functional>

namespace pumpsel::maintenance {

// Hands each of the file's problems, named `file`, to `add`, in the order
// of the checks (not by line).
void checkProfileFile(const ProfileLines& lines, const std::string& file, const std::function<void(Problem)>& add);

}  // namespace pumpsel::maintenance
