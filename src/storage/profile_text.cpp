#include "storage/profile_text.h"

#include "storage/gbk.h"
#include "storage/line_scan.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace pumpsel::ini {

std::shared_ptr<const ProfileText> ProfileText::parse(std::string fileBytes) {
    static std::atomic<std::uint64_t> parsed{0};
    std::shared_ptr<ProfileText> text(new ProfileText);
    text->id_ = ++parsed;
    text->decode(std::move(fileBytes));
    text->index();
    return text;
}

void ProfileText::decode(std::string bytes) {
    auto startsWith = [&](std::string_view bom) { return std::string_view(bytes).starts_with(bom); };
    if (startsWith("\xEF\xBB\xBF")) {
        encoding_ = Encoding::Utf8;
        text_ = bytes.substr(3);
    } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        encoding_ = startsWith("\xFF\xFE") ? Encoding::Utf16LE : Encoding::Utf16BE;
        const bool bigEndian = encoding_ == Encoding::Utf16BE;
        text_ = gbk::utf16ToUtf8(std::string_view(bytes).substr(2), bigEndian);
        faithful_ = gbk::utf8ToUtf16(text_, bigEndian) == std::string_view(bytes).substr(2);
    } else {
        encoding_ = Encoding::Gbk;
        text_ = std::move(bytes);
    }
}

std::uint32_t ProfileText::offsetOf(std::string_view piece) const {
    return static_cast<std::uint32_t>(piece.data() - text_.data());
}

ProfileText::NameRef ProfileText::foldedName(std::string_view raw, std::string& arena) const {
    const bool foldingChangesNothing =
        std::none_of(raw.begin(), raw.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (foldingChangesNothing) return {offsetOf(raw), static_cast<std::uint32_t>(raw.size())};
    const auto offset = static_cast<std::uint32_t>(arena.size());
    appendFolded(arena, raw, encoding_);
    return {offset | kInArena, static_cast<std::uint32_t>(arena.size()) - offset};
}

std::string_view ProfileText::nameOf(NameRef ref, const std::string& arena) const {
    return (ref.offset & kInArena) ? std::string_view(arena).substr(ref.offset & ~kInArena, ref.length)
                                   : std::string_view(text_).substr(ref.offset, ref.length);
}

void ProfileText::addSection(std::string_view name, std::size_t lineEnd, std::size_t lineNext) {
    Section s{};
    s.name = foldedName(name, sectionNames_);
    s.headerEnd = static_cast<std::uint32_t>(lineEnd);
    s.headerNext = static_cast<std::uint32_t>(lineNext);
    s.bodyEnd = static_cast<std::uint32_t>(text_.size());
    sections_.push_back(s);
}

// Finds the section headers; the key lines wait for keysOf.
void ProfileText::index() {
    const std::string_view text(text_);
    scanLines(text, 0, text.size(), [&](const Line& line) {
        const std::string_view bytes = text.substr(line.begin, line.end - line.begin);
        // Only headers matter here: a quick look spares the full parts of the other lines.
        if (bytes.find('[') == std::string_view::npos) return;
        const LineParts parts = lineParts(bytes, encoding_);
        if (parts.kind != LineKind::Section) return;
        if (!sections_.empty()) sections_.back().bodyEnd = static_cast<std::uint32_t>(line.begin);
        addSection(parts.name, line.end, line.next);
    });
    sectionIndex_.reserve(sections_.size());
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        Section& s = sections_[i];
        s.firstOfName = sectionIndex_.emplace(nameOf(s.name, sectionNames_), i).second;
        if (i == 0 || s.headerNext - sections_[pageStarts_.back()].headerNext >= kPageBytes) pageStarts_.push_back(i);
        s.page = static_cast<std::uint32_t>(pageStarts_.size() - 1);
    }
    pageStarts_.push_back(static_cast<std::uint32_t>(sections_.size()));
    pages_ = std::make_unique<std::atomic<const Page*>[]>(pageStarts_.size() - 1);
}

ProfileText::Keys ProfileText::keysOf(const Section& section) const {
    const Page& page = pageOf(section);
    const auto i = static_cast<std::size_t>(&section - sections_.data()) - page.firstSection;
    const std::span<const Entry> all(page.entries);
    return {all.subspan(page.starts[i], page.starts[i + 1] - page.starts[i]), page.names, page.indexes[i].get()};
}

const ProfileText::Page& ProfileText::pageOf(const Section& section) const {
    std::atomic<const Page*>& slot = pages_[section.page];
    if (const Page* page = slot.load(std::memory_order_acquire)) return *page;
    std::lock_guard lock(pagesMutex_);
    if (const Page* page = slot.load(std::memory_order_relaxed)) return *page;
    Page& page = parsedPages_.emplace_back();
    page.firstSection = pageStarts_[section.page];
    parsePage(page, pageStarts_[section.page + 1]);
    slot.store(&page, std::memory_order_release);
    return page;
}

// A "key=value" line; other lines of a section's body hold nothing.
void ProfileText::addKeyLine(Page& page, const Line& line) const {
    const LineParts parts = lineParts(std::string_view(text_).substr(line.begin, line.end - line.begin), encoding_);
    if (parts.kind != LineKind::Key) return;
    page.entries.push_back({foldedName(parts.name, page.names),
                            offsetOf(parts.name) + static_cast<std::uint32_t>(parts.name.size()), offsetOf(parts.value),
                            static_cast<std::uint32_t>(line.end), static_cast<std::uint32_t>(line.next)});
}

void ProfileText::parsePage(Page& page, std::uint32_t endSection) const {
    for (std::uint32_t s = page.firstSection; s < endSection; ++s) {
        page.starts.push_back(static_cast<std::uint32_t>(page.entries.size()));
        scanLines(text_, sections_[s].headerNext, sections_[s].bodyEnd,
                  [&](const Line& line) { addKeyLine(page, line); });
    }
    page.starts.push_back(static_cast<std::uint32_t>(page.entries.size()));
    // Names are taken from the arena only now that it no longer grows.
    page.indexes.resize(endSection - page.firstSection);
    for (std::size_t i = 0; i < page.indexes.size(); ++i) {
        if (page.starts[i + 1] - page.starts[i] <= kLongSection) continue;
        page.indexes[i] = std::make_unique<KeyIndex>(page.starts[i + 1] - page.starts[i]);
        for (std::uint32_t e = page.starts[i]; e < page.starts[i + 1]; ++e)
            page.indexes[i]->emplace(nameOf(page.entries[e].key, page.names), e - page.starts[i]);  // the first stays
    }
}

std::optional<std::string> ProfileText::lookupName(std::string_view utf8, LookupMemo* memo) const {
    std::string_view name = trimmed(utf8);
    std::string folded;
    if (encoding_ != Encoding::Gbk || gbk::isAscii(name)) {
        appendFolded(folded, name, encoding_);
        return folded;
    }
    // Record scans and catalogue reads ask for the same few Chinese names over and over.
    std::optional<std::string> fresh;
    const std::optional<std::string>* encoded = &fresh;
    if (memo) {
        auto it = memo->encodedNames_.find(name);
        if (it == memo->encodedNames_.end())
            it = memo->encodedNames_.emplace(std::string(name), gbk::fromUtf8(name)).first;
        encoded = &it->second;
    } else {
        fresh = gbk::fromUtf8(name);
    }
    if (!*encoded) return std::nullopt;
    appendFolded(folded, **encoded, encoding_);
    return folded;
}

const ProfileText::Section* ProfileText::findSection(std::string_view foldedName) const {
    auto it = sectionIndex_.find(foldedName);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

// A record's keys read one by one find their section once.
const ProfileText::Section* ProfileText::findSectionRemembered(std::string_view foldedName, LookupMemo* memo) const {
    if (!memo) return findSection(foldedName);
    if (memo->text_ != id_ || memo->sectionName_ != foldedName) {
        memo->section_ = findSection(foldedName);
        memo->text_ = id_;
        memo->sectionName_.assign(foldedName);
    }
    return static_cast<const Section*>(memo->section_);
}

// Tries the section after the one found last before the index.
const ProfileText::Section* ProfileText::findSectionNear(std::string_view foldedName, std::uint32_t& near) const {
    const std::uint32_t next = near + 1;
    if (next < sections_.size() && sections_[next].firstOfName &&
        nameOf(sections_[next].name, sectionNames_) == foldedName) {
        near = next;
        return &sections_[next];
    }
    const Section* found = findSection(foldedName);
    if (found) near = static_cast<std::uint32_t>(found - sections_.data());
    return found;
}

const ProfileText::Entry* ProfileText::findEntry(const Section& section, std::string_view foldedKey) const {
    return findEntry(keysOf(section), foldedKey);
}

const ProfileText::Entry* ProfileText::findEntry(const Keys& keys, std::string_view foldedKey) const {
    if (keys.index) {
        auto found = keys.index->find(foldedKey);
        return found == keys.index->end() ? nullptr : &keys.entries[found->second];
    }
    for (const Entry& e : keys.entries)
        if (nameOf(e.key, keys.names) == foldedKey) return &e;
    return nullptr;
}

// The value as the profile services hand it out: up to a NUL byte, blanks
// trimmed, one pair of matching quotes removed. A value stored in the
// line-break form is decoded into `decoded`.
std::string_view ProfileText::valueText(const Entry& entry, std::string& decoded) const {
    std::string_view region = std::string_view(text_).substr(entry.valueBegin, entry.valueEnd - entry.valueBegin);
    region = region.substr(0, region.find('\0'));
    std::string_view value = trimmed(region);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) {
        std::string_view body = value.substr(1, value.size() - 2);
        if (value.front() != '"' || !looksEscaped(body, encoding_)) return body;
        decoded = decodeLineBreaks(body, encoding_);
        return decoded;
    }
    return value;
}

std::optional<std::string> ProfileText::find(std::string_view section, std::string_view key, std::size_t maxGbkBytes,
                                             LookupMemo* memo) const {
    auto sectionName = lookupName(section, memo);
    if (!sectionName) return std::nullopt;
    const Section* s = findSectionRemembered(*sectionName, memo);
    if (!s) return std::nullopt;
    auto keyName = lookupName(key, memo);
    if (!keyName) return std::nullopt;
    const Entry* e = findEntry(*s, *keyName);
    if (!e) return std::nullopt;
    std::string value;
    valueCut(*e, maxGbkBytes, value);
    return value;
}

// The value as UTF-8, cut to at most maxGbkBytes bytes of GBK.
void ProfileText::valueCut(const Entry& entry, std::size_t maxGbkBytes, std::string& out) const {
    std::string decoded;
    const std::string_view value = valueText(entry, decoded);
    if (encoding_ != Encoding::Gbk) {
        out.assign(gbk::prefixFitting(gbk::sanitizedUtf8(value), maxGbkBytes));
        return;
    }
    std::size_t cut = 0;
    while (cut < value.size()) {
        std::size_t len = gbk::charLength(value, cut);
        if (cut + len > maxGbkBytes) break;
        cut += len;
    }
    if (gbk::isAscii(value.substr(0, cut)))
        out.assign(value.substr(0, cut));
    else
        out = gbk::toUtf8(value.substr(0, cut));
}

std::vector<std::optional<std::string>> ProfileText::prepareNames(std::span<const std::string_view> names) const {
    std::vector<std::optional<std::string>> prepared;
    for (std::string_view name : names) prepared.push_back(lookupName(name));
    return prepared;
}

void ProfileText::findPrepared(std::string_view section, const std::vector<std::optional<std::string>>& keys,
                               std::size_t maxGbkBytes, std::string_view absent, std::vector<std::string>& values,
                               std::uint32_t& near) const {
    values.resize(keys.size());
    auto sectionName = lookupName(section);
    const Section* s = sectionName ? findSectionNear(*sectionName, near) : nullptr;
    if (!s) {
        for (std::string& value : values) value.assign(absent);
        return;
    }
    const Keys sectionKeys = keysOf(*s);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Entry* e = keys[i] ? findEntry(sectionKeys, *keys[i]) : nullptr;
        if (e)
            valueCut(*e, maxGbkBytes, values[i]);
        else
            values[i].assign(absent);
    }
}

}  // namespace pumpsel::ini
