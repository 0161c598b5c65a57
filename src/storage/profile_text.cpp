#include "storage/profile_text.h"

#include "storage/gbk.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace pumpsel::ini {
namespace {

// The blanks that the profile services strip around names and values.
bool isBlank(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x09 && b <= 0x0D) || b == 0x20 || b == 0x1A;
}

std::string_view trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Character length in the working text: GBK characters may be two bytes
// whose second byte looks like "]", "\" or a letter; UTF-8 needs no care
// because none of its multi-byte units is ASCII.
std::size_t charLength(std::string_view text, std::size_t pos, Encoding enc) {
    return enc == Encoding::Gbk ? gbk::charLength(text, pos) : 1;
}

// Names match without regard to ASCII letter case only: full-width letters
// and GBK trail bytes are never folded.
void appendFolded(std::string& out, std::string_view name, Encoding enc) {
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = charLength(name, i, enc);
        char c = name[i];
        if (len == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        out.push_back(c);
        if (len == 2) out.push_back(name[i + 1]);
        i += len;
    }
}

std::size_t findChar(std::string_view text, char wanted, Encoding enc) {
    for (std::size_t i = 0; i < text.size(); i += charLength(text, i, enc))
        if (text[i] == wanted) return i;
    return std::string_view::npos;
}

// A value that would not read back as written is stored in double quotes,
// and with "\r", "\n" and "\\" escapes when it holds a line break or the
// characters "\n" or "\r". A quoted value is read in the escaped form
// exactly when it holds those characters; any other quoted value is read as
// the profile services read it.
bool looksEscaped(std::string_view body, Encoding enc) {
    for (std::size_t i = 0; i + 1 < body.size(); i += charLength(body, i, enc))
        if (body[i] == '\\' && (body[i + 1] == 'n' || body[i + 1] == 'r')) return true;
    return false;
}

std::string decodeLineBreaks(std::string_view body, Encoding enc) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        std::size_t len = charLength(body, i, enc);
        if (len == 1 && body[i] == '\\' && i + 1 < body.size()) {
            char next = body[i + 1];
            if (next == 'n' || next == 'r' || next == '\\') {
                out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
                i += 2;
                continue;
            }
        }
        out.append(body.substr(i, len));
        i += len;
    }
    return out;
}

// Calls line(begin, end, next) for each line of text[from, to): a line ends
// at CR LF, LF or CR alone; end is where its break starts and next where the
// following line starts.
template <class OnLine>
void forEachLine(std::string_view text, std::size_t from, std::size_t to, OnLine&& line) {
    const char* data = text.data();
    for (std::size_t pos = from; pos < to;) {
        const void* lf = std::memchr(data + pos, '\n', to - pos);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : to;
        if (const void* cr = std::memchr(data + pos, '\r', end - pos))
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
        std::size_t next = end;
        if (next < to) next += (text[next] == '\r' && next + 1 < to && text[next + 1] == '\n') ? 2 : 1;
        line(pos, end, next);
        pos = next;
    }
}

// Thread-local memo of encoded names: record scans ask for the same few keys
// hundreds of thousands of times.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

const std::optional<std::string>& encodedName(std::string_view utf8) {
    thread_local std::unordered_map<std::string, std::optional<std::string>, NameHash, std::equal_to<>> memo;
    auto it = memo.find(utf8);
    if (it != memo.end()) return it->second;
    if (memo.size() > 4096) memo.clear();
    return memo.emplace(std::string(utf8), gbk::fromUtf8(utf8)).first->second;
}

}  // namespace

std::string storedForm(std::string_view value) {
    const bool readsBackAsIs =
        trimmed(value) == value && value.find_first_of("\r\n") == std::string_view::npos &&
        !(value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''));
    if (readsBackAsIs) return std::string(value);
    // Line breaks and "\n" or "\r" need the escapes; UTF-8 puts no backslash
    // inside a character, so escaping bytes here is escaping characters.
    const bool escaped = value.find_first_of("\r\n") != std::string_view::npos ||
                         value.find("\\n") != std::string_view::npos || value.find("\\r") != std::string_view::npos;
    std::string out = "\"";
    for (char c : value) {
        if (escaped && c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string sectionNameProblem(std::string_view section) {
    std::string_view name = trimmed(section);
    if (name.empty()) return "empty section name";
    if (name.find_first_of("[]") != std::string_view::npos) return "section name holds \"[\" or \"]\"";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "section name holds a line break";
    return {};
}

std::string keyNameProblem(std::string_view key) {
    std::string_view name = trimmed(key);
    if (name.empty()) return "empty key name";
    if (name.find('=') != std::string_view::npos) return "key name holds \"=\"";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "key name holds a line break";
    if (name.front() == ';' || name.front() == '[') return "key name starts with \";\" or \"[\"";
    return {};
}

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
    forEachLine(text, 0, text.size(), [&](std::size_t pos, std::size_t end, std::size_t next) {
        const std::string_view line = trimmed(text.substr(pos, end - pos));
        if (!line.starts_with('[')) return;
        const std::size_t close = findChar(line.substr(1), ']', encoding_);
        if (close == std::string_view::npos) return;
        if (!sections_.empty()) sections_.back().bodyEnd = static_cast<std::uint32_t>(pos);
        addSection(trimmed(line.substr(1, close)), end, next);
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
void ProfileText::addKeyLine(Page& page, std::size_t pos, std::size_t end, std::size_t next) const {
    const std::string_view line = trimmed(std::string_view(text_).substr(pos, end - pos));
    if (line.empty() || line.front() == ';') return;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = trimmed(line.substr(0, eq));
    page.entries.push_back({foldedName(key, page.names), offsetOf(key) + static_cast<std::uint32_t>(key.size()),
                            offsetOf(line) + static_cast<std::uint32_t>(eq + 1), static_cast<std::uint32_t>(end),
                            static_cast<std::uint32_t>(next)});
}

void ProfileText::parsePage(Page& page, std::uint32_t endSection) const {
    for (std::uint32_t s = page.firstSection; s < endSection; ++s) {
        page.starts.push_back(static_cast<std::uint32_t>(page.entries.size()));
        forEachLine(text_, sections_[s].headerNext, sections_[s].bodyEnd,
                    [&](std::size_t pos, std::size_t end, std::size_t next) { addKeyLine(page, pos, end, next); });
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

std::optional<std::string> ProfileText::lookupName(std::string_view utf8) const {
    std::string_view name = trimmed(utf8);
    std::string folded;
    if (encoding_ == Encoding::Gbk && !gbk::isAscii(name)) {
        const auto& encoded = encodedName(name);
        if (!encoded) return std::nullopt;
        appendFolded(folded, *encoded, encoding_);
    } else {
        appendFolded(folded, name, encoding_);
    }
    return folded;
}

const ProfileText::Section* ProfileText::findSection(std::string_view foldedName) const {
    auto it = sectionIndex_.find(foldedName);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

// Record scans read several keys of one section in a row.
const ProfileText::Section* ProfileText::findSectionRemembered(std::string_view foldedName) const {
    thread_local std::uint64_t lastText = 0;
    thread_local std::string lastName;
    thread_local const Section* lastSection = nullptr;
    if (lastText != id_ || lastName != foldedName) {
        lastSection = findSection(foldedName);
        lastText = id_;
        lastName.assign(foldedName);
    }
    return lastSection;
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

std::optional<std::string> ProfileText::find(std::string_view section, std::string_view key,
                                             std::size_t maxGbkBytes) const {
    auto sectionName = lookupName(section);
    if (!sectionName) return std::nullopt;
    const Section* s = findSectionRemembered(*sectionName);
    if (!s) return std::nullopt;
    auto keyName = lookupName(key);
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

std::optional<std::string> ProfileText::toWorking(std::string_view utf8, std::string* reason) const {
    if (encoding_ != Encoding::Gbk) {
        if (gbk::isValidUtf8(utf8)) return std::string(utf8);
        if (reason) *reason = "text is not valid UTF-8";
        return std::nullopt;
    }
    std::string bad;
    auto bytes = gbk::fromUtf8(utf8, &bad);
    if (!bytes && reason)
        *reason = bad.empty() ? "text is not valid UTF-8" : "\"" + bad + "\" cannot be stored in GBK text";
    return bytes;
}

std::string ProfileText::encodeFile(const std::string& working) const {
    switch (encoding_) {
        case Encoding::Gbk:
            return working;
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + working;
        case Encoding::Utf16LE:
            return "\xFF\xFE" + gbk::utf8ToUtf16(working, false);
        case Encoding::Utf16BE:
            return "\xFE\xFF" + gbk::utf8ToUtf16(working, true);
    }
    return working;
}

std::optional<std::string> ProfileText::withValues(std::string_view section, std::span<const KeyValue> values,
                                                   std::string* reason, std::size_t* failed) const {
    auto fail = [&](std::size_t index) {
        if (failed) *failed = index;
        return std::nullopt;
    };
    if (!faithful_) {
        if (reason) *reason = "the file's UTF-16 text is damaged and would not be written back as it was";
        return fail(0);
    }
    auto sectionW = toWorking(trimmed(section), reason);
    if (!sectionW) return fail(0);
    std::string folded;
    appendFolded(folded, *sectionW, encoding_);
    const Section* s = findSection(folded);

    // Replacements of existing lines, by position; new key lines, in order.
    struct Edit {
        std::size_t begin, end;
        std::string text;
    };
    std::vector<Edit> edits;
    std::vector<std::pair<std::string, std::string>> newLines;  // folded key, line
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto keyW = toWorking(trimmed(values[i].key), reason);
        auto valueW = toWorking(storedForm(values[i].value), reason);
        if (!keyW || !valueW) return fail(i);
        folded.clear();
        appendFolded(folded, *keyW, encoding_);
        if (const Entry* e = s ? findEntry(*s, folded) : nullptr) {
            // The key keeps its spelling and indentation; the rest of the line is replaced.
            std::erase_if(edits, [&](const Edit& edit) { return edit.begin == e->keyEnd; });
            edits.push_back({e->keyEnd, e->valueEnd, "=" + *valueW});
        } else {
            std::erase_if(newLines, [&](const auto& line) { return line.first == folded; });
            newLines.emplace_back(folded, *keyW + "=" + *valueW + "\r\n");
        }
    }
    std::string added;
    for (const auto& line : newLines) added += line.second;
    if (!added.empty() && s) {
        // After the section's last key line, or after its header when it has none.
        std::size_t lineEnd = s->headerEnd, lineNext = s->headerNext;
        if (const auto& entries = keysOf(*s).entries; !entries.empty()) {
            lineEnd = entries.back().valueEnd;
            lineNext = entries.back().lineNext;
        }
        if (lineNext == lineEnd) added.insert(0, "\r\n");  // that line ended the file without a break
        edits.push_back({lineNext, lineNext, added});
    } else if (!added.empty()) {
        // A new section goes at the end of the file, without a blank line before it.
        const bool needsBreak = !text_.empty() && text_.back() != '\n' && text_.back() != '\r';
        edits.push_back({text_.size(), text_.size(), (needsBreak ? "\r\n[" : "[") + *sectionW + "]\r\n" + added});
    }
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    std::string out;
    out.reserve(text_.size() + added.size() + 64);
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        out.append(text_, copied, edit.begin - copied).append(edit.text);
        copied = edit.end;
    }
    out.append(text_, copied);
    return encodeFile(out);
}

}  // namespace pumpsel::ini
