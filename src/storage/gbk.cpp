#include "storage/gbk.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace pumpsel::gbk {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// ICU's "windows-936-2000" table is the one that matches Windows' code page
// 936 byte for byte (the euro sign at 0x80 and the private-use cells included).
// One converter per thread: ICU converters keep state and are not shareable.
// Decoding substitutes U+FFFD for invalid bytes; encoding stops at a
// character without a mapping.
UConverter* converter() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> conv = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-936-2000", &status);
        if (U_FAILURE(status)) throw std::runtime_error("ICU has no windows-936-2000 converter");
        ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &status);
        ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        return std::unique_ptr<UConverter, ConverterCloser>(c);
    }();
    return conv.get();
}

std::string utf16ToUtf8Units(const UChar* units, int32_t count) {
    std::string out(static_cast<std::size_t>(count) * 3, '\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, units, count, 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::vector<UChar> utf8ToUtf16Units(std::string_view utf8) {
    std::vector<UChar> units(utf8.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    units.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return units;
}

}  // namespace

std::string toUtf8(std::string_view gbkBytes) {
    if (isAscii(gbkBytes)) return std::string(gbkBytes);
    UConverter* conv = converter();
    ucnv_reset(conv);
    std::vector<UChar> units(gbkBytes.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    int32_t count = ucnv_toUChars(conv, units.data(), static_cast<int32_t>(units.size()), gbkBytes.data(),
                                  static_cast<int32_t>(gbkBytes.size()), &status);
    if (U_FAILURE(status)) return std::string();
    return utf16ToUtf8Units(units.data(), count);
}

namespace {

// Every one- and two-byte sequence decoded once by ICU: 0 marks a sequence
// that ICU substitutes.
struct DecodeTable {
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pairs = std::vector<char16_t>(65536, 0);

    DecodeTable() {
        UConverter* conv = converter();
        auto decode = [&](const char* bytes, int32_t length) -> char16_t {
            UChar out[4];
            UErrorCode status = U_ZERO_ERROR;
            ucnv_reset(conv);
            int32_t n = ucnv_toUChars(conv, out, 4, bytes, length, &status);
            return U_SUCCESS(status) && n == 1 && out[0] != 0xFFFD && out[0] != 0x1A ? out[0] : 0;
        };
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            single[b] = b < 0x80 ? static_cast<char16_t>(b) : decode(&byte, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pairs[lead << 8 | trail] = decode(bytes, 2);
            }
    }
};

}  // namespace

std::u16string toUtf16(std::string_view gbkBytes) {
    std::u16string out(gbkBytes.size(), u'\0');
    out.resize(decodeInto(gbkBytes, out.data()));
    return out;
}

namespace {

// How many of the eight bytes, in file order, are printable ASCII before the
// first that is not (a control byte such as a line break, or one above
// 0x7F). Subtracting 0x20 from every byte borrows, and so sets a top bit,
// only at a byte under 0x20 and above it: the lowest top bit set is exact.
int printableAsciiPrefix(std::uint64_t eight) {
    static_assert(std::endian::native == std::endian::little, "the first byte must be the lowest");
    const std::uint64_t special = (eight | (eight - 0x2020202020202020ULL)) & 0x8080808080808080ULL;
    return special == 0 ? 8 : std::countr_zero(special) / 8;
}

}  // namespace

std::size_t decodeInto(std::string_view gbkBytes, char16_t* out, LineBreaks* breaks) {
    static const DecodeTable table;
    std::size_t n = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(gbkBytes.data());
    const std::size_t size = gbkBytes.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char b = s[i];
        // Printable ASCII up to eight bytes at a time: all eight are widened,
        // as many as are printable count (out has room: n never passes i).
        if (b >= 0x20 && b < 0x80 && i + 8 <= size) {
            std::uint64_t eight;
            std::memcpy(&eight, s + i, 8);
            const int plain = printableAsciiPrefix(eight);
            for (int k = 0; k < 8; ++k) out[n + k] = s[i + k];
            n += plain;
            i += plain;
            continue;
        }
        // A valid double-byte character has a non-zero table entry.
        if (b >= 0x80 && i + 1 < size) {
            if (const char16_t c = table.pairs[b << 8 | s[i + 1]]) {
                out[n++] = c;
                i += 2;
                continue;
            }
        }
        if (breaks && (b == '\r' || b == '\n')) {
            out[n++] = breaks->next();
            i += (b == '\r' && i + 1 < size && s[i + 1] == '\n') ? 2 : 1;
        } else if (b < 0x80) {
            out[n++] = b;
            ++i;
        } else if (charLength(gbkBytes, i) == 2) {
            const char16_t c = table.pairs[b << 8 | s[i + 1]];
            out[n++] = c ? c : u'\uFFFD';
            i += 2;
        } else {
            const char16_t c = table.single[b];
            out[n++] = c ? c : u'\uFFFD';
            ++i;
        }
    }
    return n;
}

bool isValidUtf8(std::string_view text) {
    int32_t i = 0;
    const auto n = static_cast<int32_t>(text.size());
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        if (c < 0) return false;
    }
    return true;
}

std::string sanitizedUtf8(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    std::vector<UChar> units = utf8ToUtf16Units(text);
    return utf16ToUtf8Units(units.data(), static_cast<int32_t>(units.size()));
}

std::optional<std::string> fromUtf8(std::string_view utf8, std::string* unrepresentable) {
    if (isAscii(utf8)) return std::string(utf8);
    if (!isValidUtf8(utf8)) return std::nullopt;
    UConverter* conv = converter();
    // A character is accepted only if it maps to GBK and back to itself:
    // Windows would write a best-fit look-alike or "?" and lose it.
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto n = static_cast<int32_t>(utf8.size());
    std::string out;
    out.reserve(utf8.size());
    int32_t i = 0;
    while (i < n) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(s, i, n, c);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        UChar units[2];
        int32_t unitCount = 0;
        U16_APPEND_UNSAFE(units, unitCount, c);
        char bytes[8];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(conv);
        int32_t len = ucnv_fromUChars(conv, bytes, sizeof bytes, units, unitCount, &status);
        bool ok = U_SUCCESS(status) && len > 0;
        if (ok) {
            UChar back[4];
            status = U_ZERO_ERROR;
            int32_t backCount = ucnv_toUChars(conv, back, 4, bytes, len, &status);
            ok = U_SUCCESS(status) && backCount == unitCount && std::equal(back, back + backCount, units);
        }
        if (!ok) {
            if (unrepresentable) *unrepresentable = std::string(utf8.substr(start, i - start));
            return std::nullopt;
        }
        out.append(bytes, static_cast<std::size_t>(len));
    }
    return out;
}

std::string_view prefixFitting(std::string_view utf8, std::size_t maxBytes) {
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        std::size_t cost = b < 0x80 ? 1 : 2;
        if (bytes + cost > maxBytes) break;
        bytes += cost;
        i = std::min(utf8.size(), i + len);
    }
    return utf8.substr(0, i);
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::vector<UChar> units(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        auto a = static_cast<unsigned char>(bytes[2 * i]);
        auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<UChar>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    return utf16ToUtf8Units(units.data(), static_cast<int32_t>(units.size()));
}

std::string utf8ToUtf16(std::string_view utf8, bool bigEndian) {
    std::vector<UChar> units = utf8ToUtf16Units(utf8);
    std::string out(units.size() * 2, '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        auto hi = static_cast<char>(units[i] >> 8), lo = static_cast<char>(units[i] & 0xFF);
        out[2 * i] = bigEndian ? hi : lo;
        out[2 * i + 1] = bigEndian ? lo : hi;
    }
    return out;
}

}  // namespace pumpsel::gbk
