#pragma once
// A profile file line by line, as the reader takes each line: which section
// a line opens, which key it holds, whether the reader ever reads it, and
// which lines it passes over. Maintenance needs the line numbers and byte
// places that the reader's parse does not keep. The walk takes its rules
// from ini:: (profile_syntax.h), and splits lines and sorts them as
// ini::ProfileText does, which the tests hold it to.
#include "storage/profile_text.h"

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
    bool read() const { return firstLine == line; }
};

// Lines the reader passes over although they hold something.
enum class Ignored { BeforeFirstSection, NoEquals, NoKeyName, TextAfterBracket };
struct IgnoredLine {
    std::size_t line = 0;
    Ignored why = Ignored::NoEquals;
};

class ProfileLines {
public:
    explicit ProfileLines(std::shared_ptr<const ini::ProfileText> parsed);

    const ini::ProfileText& parsed() const { return *parsed_; }
    // The text as the reader holds it: GBK bytes, or UTF-8 for a file with a byte-order mark.
    std::string_view text() const { return parsed_->text(); }
    const std::vector<SectionBlock>& sections() const { return sections_; }
    const std::vector<IgnoredLine>& ignored() const { return ignored_; }
    // Each line's bytes without its line break, by line number - 1.
    const std::vector<std::string_view>& lines() const { return lines_; }

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
    std::vector<IgnoredLine> ignored_;
    std::vector<std::string_view> lines_;
    std::unordered_map<std::string, std::size_t> firstSection_;  // folded name -> index in sections_
};

// The record number a section name stands for: digits without a sign or a
// leading zero, as record sections are named ("7", not "07" or "+7").
std::optional<long long> recordNumber(std::string_view sectionName);

}  // namespace pumpsel::maintenance
