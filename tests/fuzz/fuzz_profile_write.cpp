// Any file, section, key and value: a write either fails or produces a file
// from which the value reads back (for values the services keep as they are)
// and whose bytes before the edited line are unchanged.
#include "storage/gbk.h"
#include "storage/profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The next piece of the input, up to a 0xFF byte.
std::string_view take(std::string_view& input) {
    std::size_t cut = input.find('\xFF');
    std::string_view piece = input.substr(0, cut);
    input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
    return piece;
}

bool isBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

// Values that a read returns exactly as written: no surrounding blanks, no
// surrounding quote pair, not the sentinel.
bool readsBackAsWritten(std::string_view value) {
    if (value.empty()) return true;
    if (isBlank(value.front()) || isBlank(value.back())) return false;
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) return false;
    return value.find('\0') == std::string_view::npos && pumpsel::gbk::encodedLength(value) <= 999;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string file(take(input));
    const std::string section = pumpsel::gbk::sanitizedUtf8(take(input));
    const std::string key = pumpsel::gbk::sanitizedUtf8(take(input));
    const std::string value = pumpsel::gbk::sanitizedUtf8(input);
    if (!pumpsel::ini::sectionNameProblem(section).empty() || !pumpsel::ini::keyNameProblem(key).empty()) return 0;

    auto before = pumpsel::ini::ProfileText::parse(file);
    const pumpsel::ini::KeyValue kv{key, value};
    std::string reason;
    std::size_t failed = 0;
    auto written = before->withValues(section, std::span(&kv, 1), &reason, &failed);
    if (!written) return 0;
    auto after = pumpsel::ini::ProfileText::parse(*written);
    auto back = after->find(section, key, 100000);
    if (!back) std::abort();
    if (readsBackAsWritten(value) && value.find_first_of("\r\n") == std::string::npos && *back != value) std::abort();
    const bool multiLine = value.find_first_of("\r\n") != std::string::npos;
    if (multiLine && value.find('\0') == std::string::npos && *back != value) std::abort();
    // Everything before the first byte that differs is the old file.
    std::size_t same = 0;
    while (same < file.size() && same < written->size() && file[same] == (*written)[same]) ++same;
    if (written->size() < file.size() && same == written->size()) std::abort();  // only ever grows or edits
    return 0;
}
