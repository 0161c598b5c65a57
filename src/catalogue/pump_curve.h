#pragma once
// A pump record as the hydraulics see it: its H–Q curve with efficiency,
// shaft power and NPSH, read from optional keys of the record's section,
// or, without a usable curve, the straight line of its flow and head range.
//
//   曲线流量       flows in m³/h, ascending, at least 3
//   曲线扬程       head in m at each flow
//   曲线效率       efficiency in % at each flow (empty entries where unknown)
//   曲线功率       shaft power in kW at each flow (empty entries allowed)
//   曲线汽蚀余量   NPSH required in m at each flow (empty entries allowed)
//   转速           rated speed in r/min
//
// Entries are separated by "," or "，" and read by the catalogue's number rule.
#include "catalogue/catalogue.h"
#include "catalogue/pchip.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pumpsel::curves {

inline constexpr std::string_view kFlowsKey = "曲线流量";
inline constexpr std::string_view kHeadsKey = "曲线扬程";
inline constexpr std::string_view kEfficiencyKey = "曲线效率";
inline constexpr std::string_view kShaftPowerKey = "曲线功率";
inline constexpr std::string_view kNpshKey = "曲线汽蚀余量";
inline constexpr std::string_view kSpeedKey = "转速";

// The curve's keys in the order a record stores them, after its own seven.
inline constexpr std::array<std::string_view, 6> kCurveKeys = {kFlowsKey,      kHeadsKey, kEfficiencyKey,
                                                               kShaftPowerKey, kNpshKey,  kSpeedKey};

// A curve needs at least this many points.
inline constexpr std::size_t kMinPoints = 3;

// One entry of a stored list: its value by the number rule; unknown where
// empty or too large for a double.
using Entry = std::optional<double>;

// The entries of a stored list, split at "," and "，", blanks (spaces and
// tabs) trimmed from each. "10, ,30" gives 10, unknown, 30.
std::vector<Entry> parseList(std::string_view text);

// The values of one pump record that the hydraulics read, as stored
// ("unknown" where missing), in the order of kStoredKeys. Views into the
// strings they were read from.
struct StoredPump {
    std::string_view model{}, flow1{}, flow2{}, head1{}, head2{}, power{};           // the record's own keys
    std::string_view flows{}, heads{}, efficiency{}, shaftPower{}, npsh{}, speed{};  // the curve's keys
};
inline constexpr std::array<std::string_view, 12> kStoredKeys = {catalogue::kModelKey,
                                                                 catalogue::kFlow1Key,
                                                                 catalogue::kFlow2Key,
                                                                 catalogue::kHead1Key,
                                                                 catalogue::kHead2Key,
                                                                 catalogue::kPowerKey,
                                                                 kFlowsKey,
                                                                 kHeadsKey,
                                                                 kEfficiencyKey,
                                                                 kShaftPowerKey,
                                                                 kNpshKey,
                                                                 kSpeedKey};

// The stored pump over values read for kStoredKeys, in their order.
StoredPump storedPumpOf(std::span<const std::string> values);

// Whether a pump's figures come from its curve or from its range.
enum class Data { Curve, Range };

// What a pump record gives the hydraulics; every curve is one pump's.
struct Pump {
    Data data = Data::Range;
    // The H–Q curve; for a range record the line from (流量1, 扬程1) to
    // (流量2, 扬程2), none when 流量1 is not below 流量2.
    Pchip head;
    // Over their known entries; none for a range record.
    Pchip efficiency, shaftPower, npsh;
    // The flow of the highest known entry of 曲线效率, the first on a tie.
    std::optional<double> bestEfficiencyFlow;
    std::optional<double> ratedSpeed;  // 转速, r/min, when above 0
    std::optional<double> motorPower;  // 功率, kW, when a number
    double flow1 = 0, flow2 = 0;       // 流量1 and 流量2 by the number rule
};

// What is wrong with a record's curve keys. A fault of 曲线流量 or 曲线扬程
// makes the record a range record; a list of another length than the
// flows is ignored; an entry that is not a number counts as the number rule
// reads it.
enum class CurveFault {
    ListMissing,        // 曲线流量 without 曲线扬程, or the reverse
    TooFewPoints,       // fewer than kMinPoints
    LengthsDiffer,      // the list has another number of entries than 曲线流量
    EntryMissing,       // an entry of 曲线流量 or 曲线扬程 with no value
    FlowsNotAscending,  // an entry of 曲线流量 not above the one before
    NotANumber,         // an entry (or 转速) that is not a number
    TooLarge,           // an entry (or 转速) too large for a double: unknown
    SpeedNotPositive,   // 转速 at or below 0: no speed is known
};

struct CurveProblem {
    CurveFault fault = CurveFault::ListMissing;
    std::string_view key;     // the key at fault
    std::size_t entry = 0;    // from 1; 0 for the whole list
    std::size_t entries = 0;  // how many the list has
    std::size_t flows = 0;    // how many 曲线流量 has
    std::string value;        // the entry as stored, for NotANumber, TooLarge and SpeedNotPositive
    // True when the fault makes the record a range record.
    bool dropsCurve() const;
};

// What the problem means, in words for a maintainer: "曲线扬程 has 4
// entries, 曲线流量 5: the record is read as a range record".
std::string problemText(const CurveProblem& problem);

// The pump a stored record describes. With problems given, every fault
// found is appended to it.
Pump readPump(const StoredPump& stored, std::vector<CurveProblem>* problems = nullptr);

// Reads record `number` of a maker data file through the program's reads;
// unknown when its model reads "unknown" (the record does not exist).
std::optional<Pump> readRecordPump(const std::filesystem::path& dataFile, int number,
                                   std::vector<CurveProblem>* problems = nullptr);

}  // namespace pumpsel::curves
