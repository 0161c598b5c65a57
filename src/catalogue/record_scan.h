#pragma once
// The record scan: the walk over a maker data file's pump records that the
// search and both browse commands share, the duty-point match rule, and the
// listing of pumps that the search and the browse commands show.
#include "catalogue/catalogue.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::records {

// The values of one pump record that a scan reads, as stored. They are
// valid during the onRecord call that hands them out.
struct ScannedRecord {
    int number = 0;
    std::string_view model, flow1, flow2, head1, head2, power;
    std::span<const std::string> further{};  // the values of the scan's further keys, in their order
};

// Reads records 1, 2, ... and stops at the first whose model reads
// "unknown" (a missing section or key, or the stored text), or after record
// 32767. The model, flows, heads and power are read for every number tried,
// in one pass over the file. onTry(n) is called for every record number
// tried, the final missing one included; onRecord(record) for every record
// found.
catalogue::Enumeration scan(const std::filesystem::path& dataFile, const std::function<void(int)>& onTry,
                            const std::function<void(const ScannedRecord&)>& onRecord);

// Reads the records of the given numbers again, in their order, with the
// further keys given: a second look at the few records a scan picked out,
// which costs far less than reading long values for every record.
void reread(const std::filesystem::path& dataFile, std::span<const int> numbers,
            std::span<const std::string_view> furtherKeys, const std::function<void(const ScannedRecord&)>& onRecord);

// The unbroken run of records 1, 2, ..., n of a maker data file: n is the
// number of the last record before the first missing model (0 when record 1
// is missing); n + 1 is the first free number unless the limit was reached.
catalogue::Enumeration countRecords(const std::filesystem::path& dataFile);

// A flow (m³/h) and a head (m) in single precision, as the search holds them.
struct DutyPoint {
    float flow = 0;
    float head = 0;
};

// A pump fits when its flow range holds the flow and its head range the
// head, all four bounds inclusive; the values compared are single precision.
bool fits(const ScannedRecord& record, DutyPoint point);

// A range as the search and browse show it: both ends "0.0", joined by " ～ ".
std::string formattedRange(std::string_view from, std::string_view to);

// Two texts joined by the range separator " ～ " (blank, U+FF5E, blank).
std::string joinedRange(std::string_view from, std::string_view to);

// The leading-number value of a stored text in single precision.
float singleValue(std::string_view text);

// How a listing shows a range: the search and the selection window's browse
// write each end "0.0"; the results window's own browse writes them as stored.
enum class RangeForm { OneDecimal, AsStored };

// How a pump's ranges lie against a duty point. A pump that does not fit
// misses by how far the duty point lies outside a range, as a percentage of
// the duty flow or head (0 on the sides it does not miss).
struct Match {
    float flow1 = 0, flow2 = 0, head1 = 0, head2 = 0;  // single precision, as compared
    bool fits = false;
    double flowBelowLow = 0, flowAboveHigh = 0;  // Q below 流量1, Q above 流量2
    double headAboveHigh = 0, headBelowLow = 0;  // H above 扬程1, H below 扬程2
    double largestMiss() const;
};
Match matchOf(const ScannedRecord& record, DutyPoint point);

// One listed pump. The record number is the row's key: the remark and the
// re-selection after a browse find the record through it.
struct PumpRow {
    int number = 0;
    std::string model;
    std::string flowRange, headRange;  // in the listing's range form
    std::string power;                 // as stored
    std::optional<Match> match;        // with a duty point only
};

// The pumps of a maker data file in record order: every record of the scan,
// or with a duty point those that fit it. onTry(n) is called for every
// record number tried, as scan() calls it.
std::vector<PumpRow> listPumps(const std::filesystem::path& dataFile, std::optional<DutyPoint> point, RangeForm form,
                               const std::function<void(int)>& onTry = {});

}  // namespace pumpsel::records
