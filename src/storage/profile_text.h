#pragma once
// The content of one profile file (INI-style: "[section]" lines and
// "key=value" lines), parsed the way the Windows profile services parse it,
// and edited so that every byte but the written value stays as it was.
#include "storage/line_scan.h"
#include "storage/profile_syntax.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pumpsel::ini {

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// What a run of lookups remembers from one to the next: the names it has
// encoded, and the section it found last (reading a record's keys one by one
// finds its section once). A ReadBatch owns one for its user action.
class LookupMemo {
    friend class ProfileText;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::optional<std::string>, NameHash, std::equal_to<>> encodedNames_;
    std::uint64_t text_ = 0;  // the parsed text the section was found in
    std::string sectionName_;
    const void* section_ = nullptr;
};

class ProfileText {
public:
    // Parses raw file bytes. Never fails: whatever a file holds is read.
    static std::shared_ptr<const ProfileText> parse(std::string fileBytes);

    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    Encoding encoding() const { return encoding_; }
    std::size_t byteSize() const { return text_.size(); }
    // The text as parsed: GBK bytes, or UTF-8 for a file with a byte-order mark.
    std::string_view text() const { return text_; }
    // A whole file's bytes in this file's encoding, from text in the form of text() (taken, not copied: files run to
    // megabytes).
    std::string encodeFile(std::string working) const;

    // The stored value, as UTF-8, of the first matching key in the first
    // matching section, cut to at most maxGbkBytes bytes of GBK; nullopt when
    // the section or key does not exist. Names are UTF-8. A memo, when
    // given, spares work the lookups before this one did.
    std::optional<std::string> find(std::string_view section, std::string_view key, std::size_t maxGbkBytes,
                                    LookupMemo* memo = nullptr) const;

    // Several keys looked up in one section, in the order given: names
    // prepared once (prepareNames) for a file serve every section read. Each
    // value is written into values[i], reusing its storage; a missing key, or
    // every key of a missing section, reads as `absent`. `near` carries the
    // place of the last section found from one call to the next, because
    // record scans read sections in the order the file holds them.
    std::vector<std::optional<std::string>> prepareNames(std::span<const std::string_view> names) const;
    void findPrepared(std::string_view section, const std::vector<std::optional<std::string>>& keys,
                      std::size_t maxGbkBytes, std::string_view absent, std::vector<std::string>& values,
                      std::uint32_t& near) const;

    // The whole file with the values written into the section, or nullopt
    // (with *reason, and *failed the index of the value at fault) when the
    // names or a value cannot be stored in this file's encoding.
    std::optional<std::string> withValues(std::string_view section, std::span<const KeyValue> values,
                                          std::string* reason, std::size_t* failed) const;

private:
    // A folded name: a piece of the text when folding changes nothing
    // (digits, Chinese names), else a piece of an arena of folded names.
    struct NameRef {
        std::uint32_t offset, length;
    };
    static constexpr std::uint32_t kInArena = 0x80000000u;

    struct Section {
        NameRef name;
        std::uint32_t headerEnd, headerNext;  // the header line's end and the next line's start
        std::uint32_t bodyEnd;                // where the next section's header line starts
        std::uint32_t page;                   // the page that holds its key lines
        bool firstOfName;                     // no earlier section has this name
    };
    struct Entry {
        NameRef key;
        std::uint32_t keyEnd;                // end of the key as written
        std::uint32_t valueBegin, valueEnd;  // the value region after "=", before trimming
        std::uint32_t lineNext;              // start of the next line
    };
    using KeyIndex = std::unordered_map<std::string_view, std::uint32_t>;  // a key's first entry in its section
    // The key lines of a run of neighbouring sections, about kPageBytes of
    // text, parsed together at the first lookup in one of them rather than
    // with the file: opening the program looks into two of the hundreds of
    // sections of a catalogue index. Scans go on to the neighbours.
    struct Page {
        std::uint32_t firstSection = 0;
        std::vector<Entry> entries;
        std::vector<std::uint32_t> starts;               // each section's first entry, then the end
        std::vector<std::unique_ptr<KeyIndex>> indexes;  // for each long section, read key by key
        std::string names;                               // the key names that folding changes, folded
    };
    struct Keys {
        std::span<const Entry> entries;
        const std::string& names;
        const KeyIndex* index;  // null for a short section
    };
    static constexpr std::size_t kPageBytes = 64 * 1024;
    static constexpr std::size_t kLongSection = 32;

    ProfileText() = default;
    void decode(std::string fileBytes);
    void index();
    void addSection(std::string_view name, std::size_t lineEnd, std::size_t lineNext);
    Keys keysOf(const Section& section) const;
    const Page& pageOf(const Section& section) const;
    void parsePage(Page& page, std::uint32_t endSection) const;
    void addKeyLine(Page& page, const Line& line) const;
    std::uint32_t offsetOf(std::string_view piece) const;  // of a piece of the text
    NameRef foldedName(std::string_view raw, std::string& arena) const;
    std::string_view nameOf(NameRef ref, const std::string& arena) const;
    std::optional<std::string> toWorking(std::string_view utf8, std::string* reason) const;
    std::optional<std::string> lookupName(std::string_view utf8, LookupMemo* memo = nullptr) const;
    const Section* findSection(std::string_view foldedName) const;
    const Section* findSectionRemembered(std::string_view foldedName, LookupMemo* memo) const;
    const Section* findSectionNear(std::string_view foldedName, std::uint32_t& near) const;
    const Entry* findEntry(const Section& section, std::string_view foldedKey) const;
    const Entry* findEntry(const Keys& keys, std::string_view foldedKey) const;
    std::string_view valueText(const Entry& entry, std::string& decoded) const;
    void valueCut(const Entry& entry, std::size_t maxGbkBytes, std::string& out) const;

    Encoding encoding_ = Encoding::Gbk;
    bool faithful_ = true;      // false when a UTF-16 file would not survive a rewrite
    std::string text_;          // GBK bytes, or UTF-8 for files with a byte-order mark
    std::string sectionNames_;  // the section names that folding changes, folded
    std::uint64_t id_ = 0;      // tells parsed texts apart, also one at a freed one's address
    std::vector<Section> sections_;
    std::unordered_map<std::string_view, std::uint32_t> sectionIndex_;  // first section of each name

    // Pages as they are parsed; texts are shared between threads.
    std::vector<std::uint32_t> pageStarts_;  // each page's first section, then the end
    mutable std::unique_ptr<std::atomic<const Page*>[]> pages_;
    mutable std::mutex pagesMutex_;
    mutable std::deque<Page> parsedPages_;  // owns what pages_ points to; never moves them
};

}  // namespace pumpsel::ini
