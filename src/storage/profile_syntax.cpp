#include "storage/profile_syntax.h"

#include "storage/gbk.h"
#include "storage/line_scan.h"

#include <algorithm>

namespace pumpsel::ini {

bool isBlank(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x09 && b <= 0x0D) || b == 0x20 || b == 0x1A;
}

std::string_view trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// UTF-8 needs no care: none of its multi-byte units is ASCII.
std::size_t charLength(std::string_view text, std::size_t pos, Encoding enc) {
    return enc == Encoding::Gbk ? gbk::charLength(text, pos) : 1;
}

// Full-width letters and GBK trail bytes are never folded.
void appendFolded(std::string& out, std::string_view name, Encoding enc) {
    // Most names (digits, Chinese words, lower-case keys) have nothing to fold.
    if (std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
        out.append(name);
        return;
    }
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = charLength(name, i, enc);
        char c = name[i];
        if (len == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        out.push_back(c);
        if (len == 2) out.push_back(name[i + 1]);
        i += len;
    }
}

std::size_t findChar(std::string_view text, char wanted, Encoding enc) {
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i, enc))
        if (text[i] == wanted) return i;
    return std::string_view::npos;
}

// A value that would not read back as written is stored in double quotes,
// and with "\r", "\n" and "\\" escapes when it holds a line break or the
// characters "\n" or "\r". A quoted value is read in the escaped form
// exactly when it holds those characters; any other quoted value is read as
// the profile services read it.
bool looksEscaped(std::string_view body, Encoding enc) {
    for (std::size_t i = 0; i + 1 < body.size(); i += charLength(body, i, enc))
        if (body[i] == '\\' && (body[i + 1] == 'n' || body[i + 1] == 'r')) return true;
    return false;
}

std::string decodeLineBreaks(std::string_view body, Encoding enc) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        std::size_t len = charLength(body, i, enc);
        if (len == 1 && body[i] == '\\' && i + 1 < body.size()) {
            char next = body[i + 1];
            if (next == 'n' || next == 'r' || next == '\\') {
                out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
                i += 2;
                continue;
            }
        }
        out.append(body.substr(i, len));
        i += len;
    }
    return out;
}

std::string storedForm(std::string_view value) {
    const bool readsBackAsIs =
        trimmed(value) == value && value.find_first_of("\r\n") == std::string_view::npos &&
        !(value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''));
    if (readsBackAsIs) return std::string(value);
    // Line breaks and "\n" or "\r" need the escapes; UTF-8 puts no backslash
    // inside a character, so escaping bytes here is escaping characters.
    const bool escaped = value.find_first_of("\r\n") != std::string_view::npos ||
                         value.find("\\n") != std::string_view::npos || value.find("\\r") != std::string_view::npos;
    std::string out = "\"";
    for (char c : value) {
        if (escaped && c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out.push_back(c);
    }
    out.push_back('"');
    return out;
}

LineParts lineParts(std::string_view raw, Encoding encoding) {
    LineParts parts;
    const std::string_view line = trimmed(raw);
    if (line.empty()) return parts;
    if (line.front() == ';') {
        parts.kind = LineKind::Comment;
        return parts;
    }
    if (line.front() == '[') {
        const std::size_t close = findChar(line.substr(1), ']', encoding);
        if (close != std::string_view::npos) {
            parts.kind = LineKind::Section;
            parts.name = trimmed(line.substr(1, close));
            parts.textAfterBracket = !trimmed(line.substr(close + 2)).empty();
            return parts;
        }
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        parts.kind = LineKind::NoEquals;
        return parts;
    }
    // The value runs to the line's end as written: the reader cuts it at a
    // NUL byte before it strips blanks.
    parts.kind = LineKind::Key;
    parts.name = trimmed(line.substr(0, eq));
    parts.value = raw.substr(static_cast<std::size_t>(line.data() - raw.data()) + eq + 1);
    return parts;
}

std::string sectionNameProblem(std::string_view section) {
    std::string_view name = trimmed(section);
    if (name.empty()) return "empty section name";
    if (name.find_first_of("[]") != std::string_view::npos) return "section name holds \"[\" or \"]\"";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "section name holds a line break";
    return {};
}

std::string valueProblem(std::string_view value) {
    if (value.find('\0') != std::string_view::npos) return "holds a NUL character";
    if (gbk::prefixFitting(value, kMaxValueBytes).size() < value.size())
        return "is longer than the " + std::to_string(kMaxValueBytes) + " bytes of GBK a read hands out";
    return {};
}

std::string keyNameProblem(std::string_view key) {
    std::string_view name = trimmed(key);
    if (name.empty()) return "empty key name";
    if (name.find('=') != std::string_view::npos) return "key name holds \"=\"";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "key name holds a line break";
    if (name.front() == ';' || name.front() == '[') return "key name starts with \";\" or \"[\"";
    return {};
}

}  // namespace pumpsel::ini
