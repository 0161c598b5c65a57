#include "storage/record_scan.h"

#include "storage/numbers.h"
#include "storage/profile.h"

namespace pumpsel::records {

catalogue::Enumeration scan(const std::filesystem::path& dataFile, const std::function<void(int)>& onTry,
                            const std::function<void(const ScannedRecord&)>& onRecord) {
    static constexpr std::string_view kKeys[] = {catalogue::kModelKey, catalogue::kFlow1Key, catalogue::kFlow2Key,
                                                 catalogue::kHead1Key, catalogue::kHead2Key, catalogue::kPowerKey};
    ini::Snapshot snapshot(dataFile, kKeys);
    ScannedRecord record;
    return catalogue::enumerate(
        [&](int n) {
            if (onTry) onTry(n);
            const auto& values = snapshot.read(catalogue::numberedKey(n));
            record.number = n;
            record.model = values[0];
            record.flow1 = values[1];
            record.flow2 = values[2];
            record.head1 = values[3];
            record.head2 = values[4];
            record.power = values[5];
            return std::string(record.model);
        },
        [&](int, const std::string&) { onRecord(record); });
}

catalogue::Enumeration countRecords(const std::filesystem::path& dataFile) {
    static constexpr std::string_view kModel[] = {catalogue::kModelKey};
    ini::Snapshot snapshot(dataFile, kModel);
    return catalogue::enumerate([&](int n) { return snapshot.read(catalogue::numberedKey(n))[0]; });
}

float singleValue(std::string_view text) { return static_cast<float>(numbers::leadingNumber(text)); }

bool fits(const ScannedRecord& record, DutyPoint point) {
    return singleValue(record.flow1) <= point.flow && point.flow <= singleValue(record.flow2) &&
           point.head <= singleValue(record.head1) && singleValue(record.head2) <= point.head;
}

std::string joinedRange(std::string_view from, std::string_view to) {
    static constexpr std::string_view kSeparator = " ～ ";
    std::string joined;
    joined.reserve(from.size() + kSeparator.size() + to.size());
    return joined.append(from).append(kSeparator).append(to);
}

std::string formattedRange(std::string_view from, std::string_view to) {
    return joinedRange(numbers::formatOneDecimal(singleValue(from)), numbers::formatOneDecimal(singleValue(to)));
}

std::vector<PumpRow> listPumps(const std::filesystem::path& dataFile, std::optional<DutyPoint> point, RangeForm form,
                               const std::function<void(int)>& onTry) {
    const auto range = form == RangeForm::OneDecimal ? formattedRange : joinedRange;
    std::vector<PumpRow> rows;
    scan(dataFile, onTry, [&](const ScannedRecord& r) {
        if (point && !fits(r, *point)) return;
        rows.push_back({r.number, std::string(r.model), range(r.flow1, r.flow2), range(r.head1, r.head2),
                        std::string(r.power)});
    });
    return rows;
}

}  // namespace pumpsel::records
