#pragma once
// The record editor's rules, apart from its window: which number opens the
// editor, what a typed number loads, and what a save checks and writes.
// Numbers are the texts of the editor's number box; values are UTF-8.
#include "catalogue/catalogue.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace pumpsel::editing {

// A record's seven values in the order of catalogue::kRecordKeys.
using RecordValues = std::array<std::string, catalogue::kRecordKeys.size()>;

// Blanks at both ends removed (spaces only, as typed numbers and names have them).
std::string trimmedSpaces(std::string_view text);

// The record values of a section as stored ("unknown" where missing).
RecordValues readRecord(const std::filesystem::path& dataFile, std::string_view section);

// How the editor opens on a maker: the first free number, pre-filled with
// the last record of the unbroken run from 1 (section "0" when there is none).
struct Opening {
    bool full = false;  // records 1 to 32,767 all exist: no number is free
    int number = 1;
    RecordValues templateRecord;
};
Opening openingFor(const std::filesystem::path& dataFile);

// What a changed number does: load the record that its text names, nothing
// (no such record), or refuse a number beyond the first free one.
enum class NumberChange { Load, Nothing, BeyondFirstFree };
NumberChange numberChange(const std::filesystem::path& dataFile, std::string_view numberText);

// The sections a save derives from the number box: the one written (the
// trimmed text as it stands), the one whose model makes the save an
// overwrite (the leading number as a whole number) and the one a new record
// must not repeat (that number minus one). "7" gives 7, 7, 6; "abc" gives
// abc, 0, -1.
struct SaveSections {
    std::string written, existing, previous;
};
SaveSections saveSections(std::string_view numberText);

// What a save finds before it writes.
enum class SaveCheck {
    BeyondLimit,     // the number lies above record 32,767, which no listing reaches
    SameAsPrevious,  // the values repeat the previous record exactly
    Overwrites,      // a record of that number exists: ask first
    Adds,
};
SaveCheck checkSave(const std::filesystem::path& dataFile, std::string_view numberText, const RecordValues& values);

// The number box after a save: the leading number plus one, in the
// number-to-text form (" 8" after "7", "-2" after "-3").
std::string nextNumberText(std::string_view numberText);

}  // namespace pumpsel::editing
