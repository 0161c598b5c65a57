#include "catalogue/record_scan.h"

#include "storage/numbers.h"
#include "storage/profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pumpsel::records {

namespace {
constexpr std::string_view kScannedKeys[] = {catalogue::kModelKey, catalogue::kFlow1Key, catalogue::kFlow2Key,
                                             catalogue::kHead1Key, catalogue::kHead2Key, catalogue::kPowerKey};
constexpr std::size_t kScannedCount = std::size(kScannedKeys);

// The record's own keys, then the further ones.
std::vector<std::string_view> keysToRead(std::span<const std::string_view> furtherKeys) {
    std::vector<std::string_view> keys(std::begin(kScannedKeys), std::end(kScannedKeys));
    keys.insert(keys.end(), furtherKeys.begin(), furtherKeys.end());
    return keys;
}
}  // namespace

namespace {
// Record n's values as the snapshot reads them.
const ScannedRecord& recordOf(ini::Snapshot& snapshot, int n, ScannedRecord& record) {
    const auto& values = snapshot.read(catalogue::numberedKey(n));
    record.number = n;
    record.model = values[0];
    record.flow1 = values[1];
    record.flow2 = values[2];
    record.head1 = values[3];
    record.head2 = values[4];
    record.power = values[5];
    record.further = std::span(values).subspan(kScannedCount);
    return record;
}
}  // namespace

catalogue::Enumeration scan(const std::filesystem::path& dataFile, const std::function<void(int)>& onTry,
                            const std::function<void(const ScannedRecord&)>& onRecord) {
    ini::Snapshot snapshot(dataFile, kScannedKeys);
    ScannedRecord record;
    return catalogue::enumerate(
        [&](int n) {
            if (onTry) onTry(n);
            return std::string(recordOf(snapshot, n, record).model);
        },
        [&](int, const std::string&) { onRecord(record); });
}

void reread(const std::filesystem::path& dataFile, std::span<const int> numbers,
            std::span<const std::string_view> furtherKeys, const std::function<void(const ScannedRecord&)>& onRecord) {
    if (numbers.empty()) return;
    ini::Snapshot snapshot(dataFile, keysToRead(furtherKeys));
    ScannedRecord record;
    for (const int n : numbers) onRecord(recordOf(snapshot, n, record));
}

catalogue::Enumeration countRecords(const std::filesystem::path& dataFile) {
    static constexpr std::string_view kModel[] = {catalogue::kModelKey};
    ini::Snapshot snapshot(dataFile, kModel);
    return catalogue::enumerate([&](int n) { return snapshot.read(catalogue::numberedKey(n))[0]; });
}

float singleValue(std::string_view text) { return static_cast<float>(numbers::leadingNumber(text)); }

namespace {
// The match rule: 流量1 ≤ Q ≤ 流量2 and 扬程2 ≤ H ≤ 扬程1, in single precision.
bool holds(float flow1, float flow2, float head1, float head2, DutyPoint point) {
    return flow1 <= point.flow && point.flow <= flow2 && point.head <= head1 && head2 <= point.head;
}
}  // namespace

bool fits(const ScannedRecord& record, DutyPoint point) {
    return holds(singleValue(record.flow1), singleValue(record.flow2), singleValue(record.head1),
                 singleValue(record.head2), point);
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

namespace {
// How far the duty value lies past a bound, as a percentage of the duty value.
double miss(double past, float duty) {
    if (past <= 0) return 0;
    return duty > 0 ? past / duty * 100 : std::numeric_limits<double>::infinity();
}
}  // namespace

double Match::largestMiss() const { return std::max({flowBelowLow, flowAboveHigh, headAboveHigh, headBelowLow}); }

Match matchOf(const ScannedRecord& record, DutyPoint point) {
    Match m{singleValue(record.flow1), singleValue(record.flow2), singleValue(record.head1), singleValue(record.head2)};
    m.fits = holds(m.flow1, m.flow2, m.head1, m.head2, point);
    m.flowBelowLow = miss(double(m.flow1) - point.flow, point.flow);
    m.flowAboveHigh = miss(double(point.flow) - m.flow2, point.flow);
    m.headAboveHigh = miss(double(point.head) - m.head1, point.head);
    m.headBelowLow = miss(double(m.head2) - point.head, point.head);
    return m;
}

std::vector<PumpRow> listPumps(const std::filesystem::path& dataFile, std::optional<DutyPoint> point, RangeForm form,
                               const std::function<void(int)>& onTry) {
    const auto range = form == RangeForm::OneDecimal ? formattedRange : joinedRange;
    std::vector<PumpRow> rows;
    scan(dataFile, onTry, [&](const ScannedRecord& r) {
        if (point && !fits(r, *point)) return;
        rows.push_back({r.number, std::string(r.model), range(r.flow1, r.flow2), range(r.head1, r.head2),
                        std::string(r.power), point ? std::optional(matchOf(r, *point)) : std::nullopt});
    });
    return rows;
}

}  // namespace pumpsel::records
