#include "maintenance/profile_lines.h"

#include "storage/gbk.h"
#include "storage/profile_syntax.h"

namespace pumpsel::maintenance {

ProfileLines::ProfileLines(std::shared_ptr<const ini::ProfileText> parsed) : parsed_(std::move(parsed)) { walk(); }

std::string ProfileLines::folded(std::string_view name) const {
    std::string out;
    ini::appendFolded(out, name, parsed_->encoding());
    return out;
}

std::optional<std::string> ProfileLines::foldedUtf8(std::string_view name) const {
    name = ini::trimmed(name);
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
        const std::string_view line = ini::trimmed(text.substr(pos, end - pos));
        lines_.push_back(text.substr(pos, end - pos));
        const std::size_t number = lines_.size();
        const std::size_t lineStart = pos;
        pos = next;

        const std::size_t close =
            line.starts_with('[') ? ini::findChar(line.substr(1), ']', parsed_->encoding()) : std::string_view::npos;
        if (close != std::string_view::npos) {
            if (!sections_.empty()) sections_.back().end = lineStart;
            SectionBlock& block = sections_.emplace_back();
            block.line = number;
            block.name = ini::trimmed(line.substr(1, close));
            block.begin = lineStart;
            block.end = text.size();
            const auto [first, fresh] = firstSection_.emplace(folded(block.name), sections_.size() - 1);
            block.firstLine = sections_[first->second].line;
            if (!ini::trimmed(line.substr(close + 2)).empty()) ignored_.push_back({number, Ignored::TextAfterBracket});
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
        key.key = ini::trimmed(line.substr(0, eq));
        key.value = ini::trimmed(line.substr(eq + 1));
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
