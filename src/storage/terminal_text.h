#pragma once
// Catalogue text on its way to a terminal. A catalogue comes from publishers
// and makers; an escape sequence in a model name must not clear the screen,
// move the cursor or fake a clean result when a maintainer prints it.
#include <string>
#include <string_view>

namespace pumpsel::terminal {

// The UTF-8 text with every control character written out: tab, line feed
// and carriage return as "\t", "\n" and "\r", the other C0 controls and DEL
// as "\x1b" and the like, the C1 controls (U+0080 to U+009F, which some
// terminals obey too) as "\u009b" and the like. Everything else, backslashes
// included, stays as it is.
std::string escapedControls(std::string_view utf8);

}  // namespace pumpsel::terminal
