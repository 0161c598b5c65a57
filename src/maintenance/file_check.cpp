#include "maintenance/file_check.h"

#include "storage/gbk.h"
#include "storage/profile.h"

#include <limits>

namespace pumpsel::maintenance {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD, what undecodable bytes read as

std::string ignoredText(Ignored why) {
    switch (why) {
        case Ignored::BeforeFirstSection:
            return "a line before the first section: never read";
        case Ignored::NoEquals:
            return "a line without \"=\": never read";
        case Ignored::NoKeyName:
            return "a key line without a key name: never read";
        case Ignored::TextAfterBracket:
            return "text after the \"]\" of a section header: ignored";
    }
    return {};
}

// The byte (from 1) where the first undecodable character of a GBK line starts, or 0.
std::size_t firstInvalidGbk(std::string_view line) {
    if (gbk::isAscii(line) || gbk::toUtf8(line).find(kReplacement) == std::string::npos) return 0;
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = gbk::charLength(line, i);
        if (gbk::toUtf8(line.substr(i, length)).find(kReplacement) != std::string::npos) return i + 1;
        i += length;
    }
    return 0;
}

// GBK text with Chinese in it that is also well-formed UTF-8 was almost
// certainly saved as UTF-8.
bool looksLikeUtf8(const ProfileLines& lines) {
    return lines.parsed().encoding() == ini::Encoding::Gbk && !gbk::isAscii(lines.text()) &&
           gbk::isValidUtf8(lines.text());
}

void checkLines(const ProfileLines& lines, const std::string& file, const std::function<void(Problem)>& add) {
    const ini::Encoding encoding = lines.parsed().encoding();
    const bool asUtf8 = looksLikeUtf8(lines);
    // UTF-16 is decoded whole at once: its lines have no bytes of their own to judge.
    const bool judgeBytes = encoding != ini::Encoding::Utf16LE && encoding != ini::Encoding::Utf16BE && !asUtf8;
    bool utf8Said = false;
    lines.forEachLine([&](const LineView& line) {
        if (line.ignored) add({file, line.number, "ignored-line", ignoredText(*line.ignored)});
        if (asUtf8 && !utf8Said && !gbk::isAscii(line.bytes)) {
            utf8Said = true;
            add({file, line.number, "utf8-without-bom",
                 "the file looks like UTF-8 without a byte-order mark: the program reads it as GBK, and its Chinese "
                 "names and texts come out garbled"});
        }
        if (!judgeBytes) return;
        if (encoding == ini::Encoding::Utf8) {
            if (!gbk::isValidUtf8(line.bytes))
                add({file, line.number, "invalid-text", "invalid UTF-8 bytes: they read as \"\uFFFD\""});
        } else if (const std::size_t at = firstInvalidGbk(line.bytes)) {
            add({file, line.number, "invalid-text",
                 "invalid GBK bytes at byte " + std::to_string(at) + ": they read as \"\uFFFD\""});
        }
    });
}

bool isCut(const ProfileLines& lines, const SectionBlock& section, const KeyLine& key) {
    if (key.value.size() <= ini::kMaxValueBytes) return false;  // GBK never takes more bytes than the text read
    const std::string name = lines.utf8(section.name), keyName = lines.utf8(key.key);
    return lines.parsed().find(name, keyName, std::numeric_limits<std::size_t>::max()) !=
           lines.parsed().find(name, keyName, ini::kMaxValueBytes);
}

void checkSections(const ProfileLines& lines, const std::string& file, const std::function<void(Problem)>& add) {
    for (const SectionBlock& section : lines.sections()) {
        const std::string name = "[" + lines.utf8(section.name) + "]";
        if (!section.read()) {
            add({file, section.line, "duplicate-section",
                 "section " + name + " repeats the one at line " + std::to_string(section.firstLine) + ": never read"});
            continue;
        }
        for (const KeyLine& key : section.keys) {
            if (key.key.empty()) continue;  // an ignored line
            if (!key.read())
                add({file, key.line, "duplicate-key",
                     "key " + lines.utf8(key.key) + " in " + name + " repeats the one at line " +
                         std::to_string(key.firstLine) + ": never read"});
            else if (isCut(lines, section, key))
                add({file, key.line, "cut-value",
                     "the value of " + lines.utf8(key.key) + " is longer than " + std::to_string(ini::kMaxValueBytes) +
                         " bytes: the program reads only its first " + std::to_string(ini::kMaxValueBytes)});
        }
    }
}

}  // namespace

void checkProfileFile(const ProfileLines& lines, const std::string& file, const std::function<void(Problem)>& add) {
    checkLines(lines, file, add);
    checkSections(lines, file, add);
}

}  // namespace pumpsel::maintenance
