#include "storage/gbk.h"
#include "storage/profile_syntax.h"
#include "storage/profile_text.h"

#include <algorithm>

// Writing into a parsed file: the write path of ProfileText, apart from its
// parse and reads.
namespace pumpsel::ini {

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

std::string ProfileText::encodeFile(std::string working) const {
    switch (encoding_) {
        case Encoding::Gbk:
            return working;
        case Encoding::Utf8:
            working.insert(0, "\xEF\xBB\xBF");
            return working;
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
    return encodeFile(std::move(out));
}

}  // namespace pumpsel::ini
