#include "maintenance/profile_lines.h"

#include "storage/gbk.h"
#include "storage/line_scan.h"
#include "storage/profile_syntax.h"

namespace pumpsel::maintenance {
namespace {
constexpr std::size_t kLongSection = 32;
}  // namespace

ProfileLines::ProfileLines(std::shared_ptr<const ini::ProfileText> parsed) : parsed_(std::move(parsed)) { walk(); }

std::string ProfileLines::folded(std::string_view name) const {
    std::string out;
    ini::appendFolded(out, name, parsed_->encoding());
    return out;
}

std::optional<std::string> ProfileLines::foldedUtf8(std::string_view name) const {
    name = ini::trimmed(name);
    if (parsed_->encoding() != ini::Encoding::Gbk || gbk::isAscii(name)) return folded(name);
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
    ini::scanLines(text, 0, text.size(), [&](const ini::Line& line) {
        const ini::LineParts parts =
            ini::lineParts(text.substr(line.begin, line.end - line.begin), parsed_->encoding());
        if (parts.kind == ini::LineKind::Section) {
            if (!sections_.empty()) sections_.back().end = line.begin;
            SectionBlock& block = sections_.emplace_back();
            block.line = line.number;
            block.name = parts.name;
            block.begin = line.begin;
            block.end = text.size();
            const auto [first, fresh] = firstSection_.emplace(folded(block.name), sections_.size() - 1);
            block.firstLine = sections_[first->second].line;
            firstKeys.clear();
            return;
        }
        if (parts.kind != ini::LineKind::Key || sections_.empty()) return;
        SectionBlock& section = sections_.back();
        KeyLine& key = section.keys.emplace_back();
        key.line = line.number;
        key.key = parts.name;
        key.value = ini::trimmed(parts.value);
        const auto [first, fresh] = firstKeys.emplace(folded(key.key), line.number);
        key.firstLine = first->second;
        if (fresh && section.keys.size() > kLongSection)
            section.readKeys.emplace(first->first, section.keys.size() - 1);
    });
}

void ProfileLines::forEachLine(const std::function<void(const LineView&)>& onLine) const {
    const std::string_view text = this->text();
    bool inSection = false;
    ini::scanLines(text, 0, text.size(), [&](const ini::Line& line) {
        LineView view{line.number, text.substr(line.begin, line.end - line.begin), std::nullopt};
        const ini::LineParts parts = ini::lineParts(view.bytes, parsed_->encoding());
        switch (parts.kind) {
            case ini::LineKind::Empty:
            case ini::LineKind::Comment:
                break;
            case ini::LineKind::Section:
                inSection = true;
                if (parts.textAfterBracket) view.ignored = Ignored::TextAfterBracket;
                break;
            case ini::LineKind::Key:
                if (!inSection)
                    view.ignored = Ignored::BeforeFirstSection;
                else if (parts.name.empty())
                    view.ignored = Ignored::NoKeyName;
                break;
            case ini::LineKind::NoEquals:
                view.ignored = inSection ? Ignored::NoEquals : Ignored::BeforeFirstSection;
                break;
        }
        onLine(view);
    });
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
    // The first kLongSection keys are walked, the rest looked up.
    const std::size_t walked = std::min(section.keys.size(), kLongSection);
    for (std::size_t i = 0; i < walked; ++i)
        if (section.keys[i].read() && folded(section.keys[i].key) == *wanted) return &section.keys[i];
    const auto it = section.readKeys.find(*wanted);
    return it == section.readKeys.end() ? nullptr : &section.keys[it->second];
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
