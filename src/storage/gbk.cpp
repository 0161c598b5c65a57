#include "storage/gbk.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>
#endif

namespace pumpsel::gbk {
namespace {

#ifndef _WIN32

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// ICU's "windows-936-2000" table is the one that matches Windows' code page
// 936 byte for byte (the euro sign at 0x80 and the private-use cells included).
// One converter per thread: ICU converters keep state and are not shareable.
// Decoding substitutes U+FFFD for invalid bytes; encoding stops at a
// character without a mapping. Null when this ICU lacks the table: every
// byte above ASCII then decodes as U+FFFD and no such character encodes.
UConverter* converter() {
    thread_local std::unique_ptr<UConverter, ConverterCloser> conv = [] {
        UErrorCode status = U_ZERO_ERROR;
        UConverter* c = ucnv_open("windows-936-2000", &status);
        if (U_FAILURE(status)) return std::unique_ptr<UConverter, ConverterCloser>();
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

// The next code point of UTF-8 text from i on, or a negative value for a
// malformed sequence, of which the longest valid start is passed over.
int32_t nextCodePoint(const uint8_t* s, int32_t& i, int32_t n) {
    UChar32 c;
    U8_NEXT(s, i, n, c);
    return c;
}

// One character of code page 936 (one or two bytes): its UTF-16 unit, or 0
// when it is no character (ICU substitutes or maps to the control SUB).
char16_t decodeOne(const char* bytes, int32_t length) {
    UConverter* conv = converter();
    if (!conv) return 0;
    UChar out[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv);
    int32_t n = ucnv_toUChars(conv, out, 4, bytes, length, &status);
    return U_SUCCESS(status) && n == 1 && out[0] != 0xFFFD && out[0] != 0x1A ? out[0] : 0;
}

// The GBK bytes of one character above ASCII, or nothing when code page 936
// cannot hold it. A character is accepted only if it maps to GBK and back to
// itself: Windows would write a best-fit look-alike or "?" and lose it.
std::optional<std::string> encodeOne(const UChar* units, int32_t unitCount) {
    UConverter* conv = converter();
    if (!conv) return std::nullopt;
    char bytes[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv);
    int32_t len = ucnv_fromUChars(conv, bytes, sizeof bytes, units, unitCount, &status);
    if (U_FAILURE(status) || len <= 0) return std::nullopt;
    UChar back[4];
    status = U_ZERO_ERROR;
    int32_t backCount = ucnv_toUChars(conv, back, 4, bytes, len, &status);
    if (U_FAILURE(status) || backCount != unitCount || !std::equal(back, back + backCount, units)) return std::nullopt;
    return std::string(bytes, static_cast<std::size_t>(len));
}

#else  // Windows: the system's own code page 936 services

using UChar = char16_t;
constexpr UINT kGbk = 936;

// As ICU's U8_NEXT: the longest valid start of a malformed sequence counts
// as one malformed sequence, so both platforms substitute alike.
int32_t nextCodePoint(const uint8_t* s, int32_t& i, int32_t n) {
    const uint8_t lead = s[i++];
    if (lead < 0x80) return lead;
    if (lead < 0xC2 || lead > 0xF4) return -1;
    int more = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    int32_t c = lead & (0x3F >> more);
    uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (; more > 0; --more) {
        if (i >= n || s[i] < low || s[i] > high) return -1;
        c = c << 6 | (s[i++] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return c;
}

std::string utf16ToUtf8Units(const UChar* units, int32_t count) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::vector<UChar> utf8ToUtf16Units(std::string_view utf8) {
    std::vector<UChar> units;
    units.reserve(utf8.size());
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto n = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < n;) {
        const int32_t c = nextCodePoint(s, i, n);
        if (c < 0) {
            units.push_back(0xFFFD);
        } else if (c < 0x10000) {
            units.push_back(static_cast<UChar>(c));
        } else {
            units.push_back(static_cast<UChar>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<UChar>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

// One character of code page 936: its UTF-16 unit, or 0 when the bytes are
// no character of it (the system refuses them rather than substituting).
// Windows' table maps the single byte 0xFF to U+F8F5, which Wine's lacks.
constexpr char kLastByte = '\xFF';
constexpr char16_t kLastByteCharacter = 0xF8F5;

char16_t decodeOne(const char* bytes, int32_t length) {
    if (length == 1 && bytes[0] == kLastByte) return kLastByteCharacter;
    wchar_t out[4];
    const int n = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, length, out, 4);
    return n == 1 ? static_cast<char16_t>(out[0]) : 0;
}

// The GBK bytes of one character above ASCII, or nothing when code page 936
// cannot hold it: best-fit look-alikes are refused, and so is anything that
// does not decode back to the same character.
std::optional<std::string> encodeOne(const UChar* units, int32_t unitCount) {
    if (unitCount == 1 && units[0] == kLastByteCharacter) return std::string(1, kLastByte);
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int len = ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(units),
                                          unitCount, bytes, sizeof bytes, nullptr, &usedDefault);
    if (len <= 0 || usedDefault) return std::nullopt;
    wchar_t back[4];
    const int backCount = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, len, back, 4);
    if (backCount != unitCount || !std::equal(units, units + unitCount, reinterpret_cast<const UChar*>(back)))
        return std::nullopt;
    return std::string(bytes, static_cast<std::size_t>(len));
}

#endif

}  // namespace

std::string toUtf8(std::string_view gbkBytes) {
    if (isAscii(gbkBytes)) return std::string(gbkBytes);
#ifndef _WIN32
    if (UConverter* conv = converter()) {
        ucnv_reset(conv);
        std::vector<UChar> units(gbkBytes.size() + 1);
        UErrorCode status = U_ZERO_ERROR;
        int32_t count = ucnv_toUChars(conv, units.data(), static_cast<int32_t>(units.size()), gbkBytes.data(),
                                      static_cast<int32_t>(gbkBytes.size()), &status);
        if (U_FAILURE(status)) return std::string();
        return utf16ToUtf8Units(units.data(), count);
    }
#endif
    const std::u16string units = toUtf16(gbkBytes);
    return utf16ToUtf8Units(units.data(), static_cast<int32_t>(units.size()));
}

namespace {

// Every one- and two-byte sequence decoded once: 0 marks a sequence that is
// no character.
struct DecodeTable {
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pairs = std::vector<char16_t>(65536, 0);

    DecodeTable() {
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            single[b] = b < 0x80 ? static_cast<char16_t>(b) : decodeOne(&byte, 1);
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pairs[lead << 8 | trail] = decodeOne(bytes, 2);
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
    while (i < n)
        if (nextCodePoint(s, i, n) < 0) return false;
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
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto n = static_cast<int32_t>(utf8.size());
    std::string out;
    out.reserve(utf8.size());
    int32_t i = 0;
    while (i < n) {
        const int32_t start = i;
        const int32_t c = nextCodePoint(s, i, n);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        UChar units[2];
        int32_t unitCount = 1;
        if (c < 0x10000) {
            units[0] = static_cast<UChar>(c);
        } else {
            units[0] = static_cast<UChar>(0xD800 + ((c - 0x10000) >> 10));
            units[1] = static_cast<UChar>(0xDC00 + ((c - 0x10000) & 0x3FF));
            unitCount = 2;
        }
        const std::optional<std::string> bytes = encodeOne(units, unitCount);
        if (!bytes) {
            if (unrepresentable) *unrepresentable = std::string(utf8.substr(start, i - start));
            return std::nullopt;
        }
        out += *bytes;
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
