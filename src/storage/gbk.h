#pragma once
// Text in code page 936 (GBK) as Windows defines it, and its conversion to
// and from the UTF-8 strings used everywhere inside the program. Windows'
// own code page 936 services convert on Windows, ICU's copy of that table
// elsewhere.
#include <optional>
#include <string>
#include <string_view>

namespace pumpsel::gbk {

// Length in bytes of the character that starts at p: 2 for a lead byte
// followed by a valid trail byte, else 1. Windows splits a lead byte that is
// followed by an invalid trail byte (a line break, say) the same way.
inline std::size_t charLength(std::string_view text, std::size_t pos) {
    auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x81 || b == 0xFF || pos + 1 >= text.size()) return 1;
    auto t = static_cast<unsigned char>(text[pos + 1]);
    return (t >= 0x40 && t != 0x7F && t != 0xFF) ? 2 : 1;
}

// Decodes GBK bytes; never fails (invalid bytes become U+FFFD).
std::string toUtf8(std::string_view gbkBytes);

// The same decoding straight to UTF-16, table-driven for large texts.
std::u16string toUtf16(std::string_view gbkBytes);

// What line breaks (CR LF, LF or CR alone) become in a decoding that
// rewrites them: every paragraphEvery-th one `paragraph`, the others `line`.
struct LineBreaks {
    char16_t line;
    char16_t paragraph;
    std::size_t paragraphEvery;
    std::size_t written = 0;
    char16_t next() { return ++written % paragraphEvery == 0 ? paragraph : line; }
};

// Decodes into out, which has room for gbkBytes.size() units; returns the
// units written. Line breaks are kept as they are unless `breaks` is given.
std::size_t decodeInto(std::string_view gbkBytes, char16_t* out, LineBreaks* breaks = nullptr);

// Encodes UTF-8 text as GBK. Fails (nullopt) when the text is not valid UTF-8
// or holds a character that code page 936 cannot represent; *unrepresentable
// then receives that character (as UTF-8) when given.
std::optional<std::string> fromUtf8(std::string_view utf8, std::string* unrepresentable = nullptr);

// Longest prefix of a UTF-8 text whose GBK form fits in maxBytes.
std::string_view prefixFitting(std::string_view utf8, std::size_t maxBytes);

// True when the text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// The text with every malformed UTF-8 sequence replaced by U+FFFD.
std::string sanitizedUtf8(std::string_view text);

// UTF-16 <-> UTF-8 for profile files that carry a UTF-16 byte-order mark.
// toUtf8 never fails; fromUtf8 of valid UTF-8 never fails.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);
std::string utf8ToUtf16(std::string_view utf8, bool bigEndian);

inline bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace pumpsel::gbk
