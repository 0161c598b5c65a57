#include "storage/record_scan.h"

#include "storage/numbers.h"
#include "storage/profile.h"

namespace pumpsel::records {

catalogue::Enumeration scan(const std::filesystem::path& dataFile, const std::function<void(int)>& onTry,
                            const std::function<void(const ScannedRecord&)>& onRecord) {
    ini::ReadBatch batch;
    ScannedRecord record;
    return catalogue::enumerate(
        [&](int n) {
            if (onTry) onTry(n);
            const std::string section = catalogue::numberedKey(n);
            record.number = n;
            record.model = ini::ReadProfileValue(dataFile, section, catalogue::kModelKey);
            record.flow1 = ini::ReadProfileValue(dataFile, section, catalogue::kFlow1Key);
            record.flow2 = ini::ReadProfileValue(dataFile, section, catalogue::kFlow2Key);
            record.head1 = ini::ReadProfileValue(dataFile, section, catalogue::kHead1Key);
            record.head2 = ini::ReadProfileValue(dataFile, section, catalogue::kHead2Key);
            return record.model;
        },
        [&](int, const std::string&) { onRecord(record); });
}

catalogue::Enumeration countRecords(const std::filesystem::path& dataFile) {
    ini::ReadBatch batch;
    return catalogue::enumerate(
        [&](int n) { return ini::ReadProfileValue(dataFile, catalogue::numberedKey(n), catalogue::kModelKey); });
}

float singleValue(const std::string& text) { return static_cast<float>(numbers::leadingNumber(text)); }

bool fits(const ScannedRecord& record, DutyPoint point) {
    return singleValue(record.flow1) <= point.flow && point.flow <= singleValue(record.flow2) &&
           point.head <= singleValue(record.head1) && singleValue(record.head2) <= point.head;
}

std::string joinedRange(const std::string& from, const std::string& to) { return from + " ～ " + to; }

std::string formattedRange(const std::string& from, const std::string& to) {
    return joinedRange(numbers::formatOneDecimal(singleValue(from)), numbers::formatOneDecimal(singleValue(to)));
}

}  // namespace pumpsel::records
