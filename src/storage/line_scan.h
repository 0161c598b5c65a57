#pragma once
// The one line scanner of profile files: where each line of a text begins
// and ends, and what the reader makes of it. The reader's parse and the
// catalogue check both walk files with it, so that they never disagree
// about a line.
#include "storage/profile_syntax.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace pumpsel::ini {

// One line of a text: its bytes are text[begin, end), its line break starts
// at end, and the following line starts at next (the end of the text after
// the last line). Lines are numbered from 1, as editors number them.
struct Line {
    std::size_t number;
    std::size_t begin, end, next;
};

// Calls onLine(Line) for each line of text[from, to), the first numbered
// firstNumber. A line ends at CR LF, LF or CR alone, as the profile services
// end lines. Each byte is looked at a bounded number of times however the
// lines end, so a file of a billion CR-only breaks takes linear time too.
template <class OnLine>
void scanLines(std::string_view text, std::size_t from, std::size_t to, OnLine&& onLine, std::size_t firstNumber = 1) {
    const char* data = text.data();
    // The next LF and CR at or after the current line's start; searched
    // again only once the scan has passed them.
    std::size_t nextLf = from, nextCr = from;
    bool lfFound = false, crFound = false;
    const auto find = [&](char c, std::size_t pos) {
        const void* at = std::memchr(data + pos, c, to - pos);
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - data) : to;
    };
    std::size_t number = firstNumber;
    for (std::size_t pos = from; pos < to; ++number) {
        if (!lfFound || nextLf < pos) nextLf = find('\n', pos), lfFound = true;
        if (!crFound || nextCr < pos) nextCr = find('\r', pos), crFound = true;
        const std::size_t end = nextLf < nextCr ? nextLf : nextCr;
        std::size_t next = end;
        if (next < to) next += (data[next] == '\r' && next + 1 < to && data[next + 1] == '\n') ? 2 : 1;
        onLine(Line{number, pos, end, next});
        pos = next;
    }
}

// What a line is to the reader, blanks around it stripped first.
enum class LineKind {
    Empty,
    Comment,  // begins with ";"
    Section,  // "[name]": a "[" and, after it, a "]"
    Key,      // "key=value" (the key may be empty, which the reader never finds)
    NoEquals  // anything else: passed over
};

struct LineParts {
    LineKind kind = LineKind::Empty;
    std::string_view name;          // the section's name or the key, blanks around it removed
    std::string_view value;         // a key's value: everything after "=", as it stands
    bool textAfterBracket = false;  // a section header with more after its "]", which is ignored
};

// The parts of one line's bytes (without its line break) in a text of the
// given encoding.
LineParts lineParts(std::string_view line, Encoding encoding);

}  // namespace pumpsel::ini
