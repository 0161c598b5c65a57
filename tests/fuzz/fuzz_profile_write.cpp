// Any file, section, key and value: a write either fails or produces a file
// from which the value reads back exactly (a NUL byte aside, which a read
// takes for the value's end) and in which every other value reads as before.
#include "storage/gbk.h"
#include "storage/profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The next piece of the input, up to a 0xFF byte.
std::string_view take(std::string_view& input) {
    std::size_t cut = input.find('\xFF');
    std::string_view piece = input.substr(0, cut);
    input.remove_prefix(cut == std::string_view::npos ? input.size() : cut + 1);
    return piece;
}

bool isBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x1A; }

std::string_view trimmedBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// How names compare: blanks around them ignored, ASCII letters without case.
std::string folded(std::string_view name) {
    std::string out(trimmedBlanks(name));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<std::string_view> lines(std::string_view file) {
    std::vector<std::string_view> out;
    while (!file.empty() && out.size() < 64) {
        std::size_t end = file.find_first_of("\r\n");
        out.push_back(file.substr(0, end));
        file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    }
    return out;
}

// A few section and key names the file holds, as UTF-8.
std::vector<std::string> sectionNames(std::string_view file) {
    std::vector<std::string> names;
    for (std::string_view line : lines(file)) {
        line = trimmedBlanks(line);
        std::size_t close = line.find(']');
        if (line.starts_with('[') && close != std::string_view::npos && names.size() < 4)
            names.push_back(pumpsel::gbk::toUtf8(line.substr(1, close - 1)));
    }
    return names;
}

std::vector<std::string> keyNames(std::string_view file) {
    std::vector<std::string> names;
    for (std::string_view line : lines(file)) {
        std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && names.size() < 6) names.push_back(pumpsel::gbk::toUtf8(line.substr(0, eq)));
    }
    return names;
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
    if (value.find('\0') == std::string::npos && *back != value) std::abort();
    // Every other value of the file reads as before.
    for (const std::string& otherSection : sectionNames(file))
        for (const std::string& otherKey : keyNames(file)) {
            if (folded(otherSection) == folded(section) && folded(otherKey) == folded(key)) continue;
            if (before->find(otherSection, otherKey, 100000) != after->find(otherSection, otherKey, 100000))
                std::abort();
        }
    return 0;
}
