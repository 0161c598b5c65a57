#include "maintenance/profile_lines.h"

#include "storage/gbk.h"

namespace pumpsel::maintenance {
namespace {

// The reader's rules (src/storage/profile_text.cpp), which the tests hold
// this walk to: the blanks it strips, where a GBK character ends, how names
// are folded.
bool isBlank(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x09 && b <= 0x0D) || b == 0x20 || b == 0x1A;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t charLength(std::string_view text, std::size_t pos, ini::Encoding encoding) {
    return encoding == ini::Encoding::Gbk ? gbk::charLength(text, pos) : 1;
}

}  // namespace

ProfileLines::ProfileLines(std::shared_ptr<const ini::ProfileText> parsed) : parsed_(std::move(parsed)) { walk(); }

std::string ProfileLines::folded(std::string_view name) const {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = charLength(name, i, parsed_->encoding());
        const char c = name[i];
        out.push_back(length == 1 && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        if (length == 2) out.push_back(name[i + 1]);
        i += length;
    }
    return out;
}

std::optional<std::string> ProfileLines::foldedUtf8(std::string_view name) const {
    name = trimmed(name);
    if (parsed_->encoding() != ini::Encoding::Gbk) return folded(name);
    const auto bytes = gbk::fromUtf8(name);
    if (!bytes) return std::nullopt;
    return folded(*bytes);
}

std::string ProfileLines::utf8(std::string_view piece) const {
    return parsed_->encoding() == ini::Encoding::Gbk ? gbk::toUtf8(piece) : gbk::sanitizedUtf8(piece);
}

void ProfileLines::walk() {
    const std::string_view text = this->text();
    std::unordered_map<std::string, std::size_t> firstKeys;  // of the current section: folded key -> line
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::size_t next = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : end < text.size() ? 1 : 0);
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        lines_.push_back(text.substr(pos, end - pos));
        const std::size_t number = lines_.size();
        const std::size_t lineStart = pos;
        pos = next;

        std::size_t close = std::string_view::npos;
        if (line.starts_with('['))
            for (std::size_t i = 1; i < line.size() && close == std::string_view::npos;
                 i += charLength(line, i, parsed_->encoding()))
                if (line[i] == ']') close = i;
        if (close != std::string_view::npos) {
            if (!sections_.empty()) sections_.back().end = lineStart;
            SectionBlock& block = sections_.emplace_back();
            block.line = number;
            block.name = trimmed(line.substr(1, close - 1));
            block.begin = lineStart;
            block.end = text.size();
            const auto [first, fresh] = firstSection_.emplace(folded(block.name), sections_.size() - 1);
            block.firstLine = sections_[first->second].line;
            if (!trimmed(line.substr(close + 1)).empty()) ignored_.push_back({number, Ignored::TextAfterBracket});
            firstKeys.clear();
            continue;
        }
        if (line.empty() || line.front() == ';') continue;
        const std::size_t eq = line.find('=');
        if (sections_.empty() || eq == std::string_view::npos) {
            ignored_.push_back({number, sections_.empty() ? Ignored::BeforeFirstSection : Ignored::NoEquals});
            continue;
        }
        KeyLine& key = sections_.back().keys.emplace_back();
        key.line = number;
        key.key = trimmed(line.substr(0, eq));
        key.value = trimmed(line.substr(eq + 1));
        key.firstLine = firstKeys.emplace(folded(key.key), number).first->second;
        if (key.key.empty()) ignored_.push_back({number, Ignored::NoKeyName});
    }
}

const SectionBlock* ProfileLines::section(std::string_view name) const {
    const auto wanted = foldedUtf8(name);
    if (!wanted) return nullptr;
    const auto it = firstSection_.find(*wanted);
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

const KeyLine* ProfileLines::key(const SectionBlock& section, std::string_view name) const {
    const auto wanted = foldedUtf8(name);
    if (!wanted) return nullptr;
    for (const KeyLine& key : section.keys)
        if (key.read() && folded(key.key) == *wanted) return &key;
    return nullptr;
}

std::optional<long long> recordNumber(std::string_view sectionName) {
    constexpr std::size_t kMaxDigits = 18;  // within a long long
    if (sectionName.empty() || sectionName.size() > kMaxDigits || sectionName.front() == '0') return std::nullopt;
    long long number = 0;
    for (char c : sectionName) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace pumpsel::maintenance
