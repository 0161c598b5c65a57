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

// A value with line breaks is stored in double quotes with "\r", "\n" and
// "\\" escapes; a quoted value without any "\r" or "\n" escape is an
// ordinary quoted value.
bool hasLineBreakEscape(std::string_view body, Encoding enc) {
    for (std::size_t i = 0; i < body.size(); i += charLength(body, i, enc)) {
        if (body[i] != '\\' || i + 1 >= body.size()) continue;
        if (body[i + 1] == 'n' || body[i + 1] == 'r') return true;
        ++i;  // an escaped backslash
    }
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

std::string encodeLineBreaks(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out.push_back(c);
        }
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

ProfileText::NameRef ProfileText::foldedName(std::size_t begin, std::size_t end) {
    const std::string_view raw = std::string_view(text_).substr(begin, end - begin);
    const bool foldingChangesNothing =
        std::none_of(raw.begin(), raw.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (foldingChangesNothing) return {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(raw.size())};
    const auto offset = static_cast<std::uint32_t>(names_.size());
    appendFolded(names_, raw, encoding_);
    return {offset | kInArena, static_cast<std::uint32_t>(names_.size()) - offset};
}

std::string_view ProfileText::nameOf(NameRef ref) const {
    return (ref.offset & kInArena) ? std::string_view(names_).substr(ref.offset & ~kInArena, ref.length)
                                   : std::string_view(text_).substr(ref.offset, ref.length);
}

void ProfileText::addSection(std::size_t nameBegin, std::size_t nameEnd, std::size_t lineEnd,
                             std::size_t lineNext) {
    Section s{};
    s.name = foldedName(nameBegin, nameEnd);
    s.headerEnd = static_cast<std::uint32_t>(lineEnd);
    s.headerNext = static_cast<std::uint32_t>(lineNext);
    s.firstEntry = static_cast<std::uint32_t>(entries_.size());
    sections_.push_back(s);
}

void ProfileText::addEntry(std::size_t keyBegin, std::size_t keyEnd, std::size_t valueBegin,
                           std::size_t valueEnd, std::size_t lineNext) {
    Entry e{};
    e.key = foldedName(keyBegin, keyEnd);
    e.keyEnd = static_cast<std::uint32_t>(keyEnd);
    e.valueBegin = static_cast<std::uint32_t>(valueBegin);
    e.valueEnd = static_cast<std::uint32_t>(valueEnd);
    e.lineNext = static_cast<std::uint32_t>(lineNext);
    entries_.push_back(e);
    ++sections_.back().entryCount;
}

void ProfileText::index() {
    const std::string_view text(text_);
    const std::size_t n = text.size();
    // Room for all keys at once, as key lines are seldom shorter than 16
    // bytes: growing by doubling would copy the entries of a large file
    // several times over. Room never used costs address space, not memory.
    entries_.reserve(n / 16 + 16);
    std::size_t pos = 0;
    while (pos < n) {
        // A line ends at CR LF, LF or CR alone.
        const void* lf = std::memchr(text.data() + pos, '\n', n - pos);
        std::size_t end = lf ? static_cast<const char*>(lf) - text.data() : n;
        if (const void* cr = std::memchr(text.data() + pos, '\r', end - pos)) end = static_cast<const char*>(cr) - text.data();
        std::size_t next = end;
        if (next < n) next += (text[next] == '\r' && next + 1 < n && text[next + 1] == '\n') ? 2 : 1;

        std::size_t b = pos, e = end;
        while (b < e && isBlank(text[b])) ++b;
        while (e > b && isBlank(text[e - 1])) --e;
        if (b < e && text[b] == '[') {
            std::size_t close = findChar(text.substr(b + 1, e - b - 1), ']', encoding_);
            if (close != std::string_view::npos) {
                std::size_t nb = b + 1, ne = b + 1 + close;
                while (nb < ne && isBlank(text[nb])) ++nb;
                while (ne > nb && isBlank(text[ne - 1])) --ne;
                addSection(nb, ne, end, next);
                pos = next;
                continue;
            }
        }
        if (b < e && text[b] != ';' && !sections_.empty()) {
            const void* eq = std::memchr(text.data() + b, '=', e - b);
            if (eq) {
                std::size_t eqPos = static_cast<const char*>(eq) - text.data();
                std::size_t ke = eqPos;
                while (ke > b && isBlank(text[ke - 1])) --ke;
                addEntry(b, ke, eqPos + 1, end, next);
            }
        }
        pos = next;
    }
    sectionIndex_.reserve(sections_.size());
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        Section& s = sections_[i];
        s.firstOfName = sectionIndex_.emplace(nameOf(s.name), i).second;
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
    if (next < sections_.size() && sections_[next].firstOfName && nameOf(sections_[next].name) == foldedName) {
        near = next;
        return &sections_[next];
    }
    const Section* found = findSection(foldedName);
    if (found) near = static_cast<std::uint32_t>(found - sections_.data());
    return found;
}

const ProfileText::Entry* ProfileText::findEntry(const Section& section, std::string_view foldedKey) const {
    if (section.entryCount > kLongSection) return findEntryIndexed(section, foldedKey);
    for (std::uint32_t i = 0; i < section.entryCount; ++i) {
        const Entry& e = entries_[section.firstEntry + i];
        if (nameOf(e.key) == foldedKey) return &e;
    }
    return nullptr;
}

// The catalogue index holds sections of hundreds of keys that are read one by
// one; each gets an index of its keys at its first lookup, not at the parse,
// because a lookup touches few of them.
const ProfileText::Entry* ProfileText::findEntryIndexed(const Section& section, std::string_view foldedKey) const {
    std::lock_guard lock(keyIndexesMutex_);
    auto [it, isNew] = keyIndexes_.try_emplace(section.firstEntry);
    KeyIndex& keys = it->second;
    if (isNew) {
        keys.reserve(section.entryCount);
        for (std::uint32_t i = 0; i < section.entryCount; ++i)
            keys.emplace(nameOf(entries_[section.firstEntry + i].key), section.firstEntry + i);  // the first one stays
    }
    auto found = keys.find(foldedKey);
    return found == keys.end() ? nullptr : &entries_[found->second];
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
        if (value.front() != '"' || !hasLineBreakEscape(body, encoding_)) return body;
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
    if (gbk::isAscii(value.substr(0, cut))) out.assign(value.substr(0, cut));
    else out = gbk::toUtf8(value.substr(0, cut));
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
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Entry* e = s && keys[i] ? findEntry(*s, *keys[i]) : nullptr;
        if (e) valueCut(*e, maxGbkBytes, values[i]);
        else values[i].assign(absent);
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
        case Encoding::Gbk: return working;
        case Encoding::Utf8: return "\xEF\xBB\xBF" + working;
        case Encoding::Utf16LE: return "\xFF\xFE" + gbk::utf8ToUtf16(working, false);
        case Encoding::Utf16BE: return "\xFE\xFF" + gbk::utf8ToUtf16(working, true);
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
        const bool multiLine = values[i].value.find_first_of("\r\n") != std::string_view::npos;
        auto keyW = toWorking(trimmed(values[i].key), reason);
        auto valueW = toWorking(multiLine ? encodeLineBreaks(values[i].value) : std::string(values[i].value), reason);
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
        if (s->entryCount > 0) {
            const Entry& last = entries_[s->firstEntry + s->entryCount - 1];
            lineEnd = last.valueEnd;
            lineNext = last.lineNext;
        }
        if (lineNext == lineEnd) added.insert(0, "\r\n");  // that line ended the file without a break
        edits.push_back({lineNext, lineNext, added});
    } else if (!added.empty()) {
        // A new section goes at the end of the file, without a blank line before it.
        const bool needsBreak = !text_.empty() && text_.back() != '\n' && text_.back() != '\r';
        edits.push_back({text_.size(), text_.size(),
                         (needsBreak ? "\r\n[" : "[") + *sectionW + "]\r\n" + added});
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
