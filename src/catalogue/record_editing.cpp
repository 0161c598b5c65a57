#include "catalogue/record_editing.h"

#include "catalogue/record_scan.h"
#include "storage/numbers.h"
#include "storage/profile.h"

namespace pumpsel::editing {

std::string trimmedSpaces(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    return std::string(text.substr(begin, text.find_last_not_of(' ') - begin + 1));
}

RecordValues readRecord(const std::filesystem::path& dataFile, std::string_view section) {
    RecordValues values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = ini::ReadProfileValue(dataFile, section, catalogue::kRecordKeys[i]);
    return values;
}

Opening openingFor(const std::filesystem::path& dataFile) {
    const auto records = records::countRecords(dataFile);
    Opening opening;
    opening.full = records.limitReached;
    opening.number = records.count + 1;
    opening.templateRecord = readRecord(dataFile, catalogue::numberedKey(records.count));
    return opening;
}

NumberChange numberChange(const std::filesystem::path& dataFile, std::string_view numberText) {
    const std::string number = trimmedSpaces(numberText);
    if (numbers::leadingNumber(number) > records::countRecords(dataFile).count + 1)
        return NumberChange::BeyondFirstFree;
    // The section named by the text itself: "04" and "4.0" name no record.
    return catalogue::isUnknown(ini::ReadProfileValue(dataFile, number, catalogue::kModelKey)) ? NumberChange::Nothing
                                                                                               : NumberChange::Load;
}

SaveSections saveSections(std::string_view numberText) {
    const double value = numbers::leadingNumber(numberText);
    return {trimmedSpaces(numberText), numbers::formatWhole(value), numbers::formatWhole(value - 1)};
}

SaveCheck checkSave(const std::filesystem::path& dataFile, std::string_view numberText, const RecordValues& values) {
    if (numbers::leadingNumber(numberText) > catalogue::kMaxCounter) return SaveCheck::BeyondLimit;
    const SaveSections sections = saveSections(numberText);
    if (readRecord(dataFile, sections.previous) == values) return SaveCheck::SameAsPrevious;
    if (!catalogue::isUnknown(ini::ReadProfileValue(dataFile, sections.existing, catalogue::kModelKey)))
        return SaveCheck::Overwrites;
    return SaveCheck::Adds;
}

std::string nextNumberText(std::string_view numberText) {
    return numbers::numberToText(numbers::leadingNumber(numberText) + 1);
}

}  // namespace pumpsel::editing
