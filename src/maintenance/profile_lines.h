#pragma once
// A profile file line by line, as the reader takes each line: which section
// a line opens, which key it holds, whether the reader ever reads it, and
// which lines it passes over. Maintenance needs the line numbers and byte
// places that the reader's parse does not keep. Lines are split and judged
// by the reader's own line scanner (storage/line_scan.h).
#include "storage/profile_text.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pumpsel::maintenance {

struct KeyLine {
    std::size_t line = 0;       // from 1
    std::string_view key;       // as written, blanks around it removed
    std::string_view value;     // everything after "=", blanks around it removed
    std::size_t firstLine = 0;  // the line of the key the reader reads under this name
    bool read() const { return firstLine == line; }
};

struct SectionBlock {
    std::size_t line = 0;       // of the header
    std::string_view name;      // as written, blanks around it removed
    std::size_t begin = 0;      // where the header line starts
    std::size_t end = 0;        // where the next header line starts, or the end of the text
    std::size_t firstLine = 0;  // the header line of the section the reader reads under this name
    std::vector<KeyLine> keys;  // key lines, in file order
    // For a long section (a kind's makers run to thousands): folded key name
    // -> place in keys of the key line read under it, so that lookups do not
    // walk the section.
    std::unordered_map<std::string, std::size_t> readKeys;
    bool read() const { return firstLine == line; }
};

// Lines the reader passes over although they hold something.
enum class Ignored { BeforeFirstSection, NoEquals, NoKeyName, TextAfterBracket };

// One line of the file as the reader takes it.
struct LineView {
    std::size_t number = 0;          // from 1
    std::string_view bytes;          // without its line break
    std::optional<Ignored> ignored;  // why the reader passes over it, for such a line
};

class ProfileLines {
public:
    explicit ProfileLines(std::shared_ptr<const ini::ProfileText> parsed);

    const ini::ProfileText& parsed() const { return *parsed_; }
    // The text as the reader holds it: GBK bytes, or UTF-8 for a file with a byte-order mark.
    std::string_view text() const { return parsed_->text(); }
    const std::vector<SectionBlock>& sections() const { return sections_; }

    // Calls onLine for each line of the text, in order. Nothing is kept of
    // lines that hold no key or section, so a file of a billion comment
    // lines costs no memory beyond its text.
    void forEachLine(const std::function<void(const LineView&)>& onLine) const;

    // The section and the key line the reader reads for UTF-8 names; null
    // when it reads none.
    const SectionBlock* section(std::string_view name) const;
    const KeyLine* key(const SectionBlock& section, std::string_view name) const;

    // A name or value of the text as UTF-8, for messages and lookups.
    std::string utf8(std::string_view piece) const;

private:
    void walk();
    std::optional<std::string> foldedUtf8(std::string_view name) const;
    std::string folded(std::string_view name) const;

    std::shared_ptr<const ini::ProfileText> parsed_;
    std::vector<SectionBlock> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_;  // folded name -> index in sections_
};

// The record number a section name stands for: digits without a sign or a
// leading zero, as record sections are named ("7", not "07" or "+7").
std::optional<long long> recordNumber(std::string_view sectionName);

}  // namespace pumpsel::maintenance
