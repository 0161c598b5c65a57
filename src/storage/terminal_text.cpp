#include "storage/terminal_text.h"

#include <cstdio>

namespace pumpsel::terminal {

std::string escapedControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool c1 = c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F &&
                        static_cast<unsigned char>(utf8[i + 1]) >= 0x80;
        char escaped[8];
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else if (c1) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(utf8[++i]));
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace pumpsel::terminal
