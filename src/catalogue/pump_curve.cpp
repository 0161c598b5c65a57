#include "catalogue/pump_curve.h"

#include "catalogue/catalogue.h"
#include "storage/numbers.h"
#include "storage/profile.h"

#include <algorithm>
#include <cmath>

namespace pumpsel::curves {
namespace {

constexpr std::string_view kFullWidthComma = "，";  // U+FF0C

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A key that reads "unknown" or holds only blanks gives no list.
bool absent(std::string_view stored) { return catalogue::isUnknown(stored) || trimmed(stored).empty(); }

// The length of the separator that starts at text[i], 0 for none.
std::size_t separatorAt(std::string_view text, std::size_t i) {
    if (text[i] == ',') return 1;
    return text[i] == kFullWidthComma[0] && text.substr(i).starts_with(kFullWidthComma) ? kFullWidthComma.size() : 0;
}

// Calls onEntry with each entry of a list as stored, blanks trimmed.
template <class F>
void forEachEntry(std::string_view text, const F& onEntry) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t separator = separatorAt(text, i);
        if (separator == 0) continue;
        onEntry(trimmed(text.substr(start, i - start)));
        start = i + separator;
        i = start - 1;
    }
    onEntry(trimmed(text.substr(start)));
}

std::size_t entryCount(std::string_view text) {
    std::size_t count = 1;
    for (std::size_t i = 0; i < text.size(); ++i) count += separatorAt(text, i) > 0 ? 1 : 0;
    return count;
}

// An entry's value; unknown when empty or too large for a double.
Entry entryValue(std::string_view entry) {
    if (entry.empty()) return std::nullopt;
    const double value = numbers::leadingNumber(entry);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// What is wrong with an entry that is not empty, if anything.
std::optional<CurveFault> entryFault(std::string_view entry) {
    if (!std::isfinite(numbers::leadingNumber(entry))) return CurveFault::TooLarge;
    if (!numbers::isNumeric(entry)) return CurveFault::NotANumber;
    return std::nullopt;
}

// One list of a record as read.
struct StoredList {
    std::string_view key, stored;
    std::vector<Entry> values;
};

StoredList listOf(std::string_view key, std::string_view stored) { return {key, stored, parseList(stored)}; }

class Reader {
public:
    explicit Reader(std::vector<CurveProblem>* problems) : problems_(problems) {}

    void note(CurveProblem problem) {
        if (problem.dropsCurve()) curveDropped_ = true;
        if (problems_) problems_->push_back(std::move(problem));
    }
    bool curveDropped() const { return curveDropped_; }

    // Notes the entries of a list in use that are no numbers or too large.
    // Only a reader that reports looks: a ranking is spared the second pass.
    void noteBadEntries(const StoredList& list) {
        if (!problems_) return;
        std::size_t entry = 0;
        forEachEntry(list.stored, [&](std::string_view text) {
            ++entry;
            if (const auto fault = text.empty() ? std::nullopt : entryFault(text))
                note({*fault, list.key, entry, list.values.size(), 0, std::string(text)});
        });
    }

private:
    std::vector<CurveProblem>* problems_;
    bool curveDropped_ = false;
};

// The faults of 曲线流量 and 曲线扬程 that leave no curve.
void checkCurveLists(Reader& reader, const StoredList& flows, const StoredList& heads) {
    const std::size_t n = flows.values.size();
    if (n < kMinPoints) reader.note({CurveFault::TooFewPoints, flows.key, 0, n, n, {}});
    if (heads.values.size() != n) reader.note({CurveFault::LengthsDiffer, heads.key, 0, heads.values.size(), n, {}});
    for (const StoredList* list : {&flows, &heads})
        for (std::size_t i = 0; i < list->values.size(); ++i)
            if (!list->values[i]) reader.note({CurveFault::EntryMissing, list->key, i + 1, list->values.size(), n, {}});
    for (std::size_t i = 1; i < n; ++i)
        if (flows.values[i - 1] && flows.values[i] && !(*flows.values[i] > *flows.values[i - 1]))
            reader.note({CurveFault::FlowsNotAscending, flows.key, i + 1, n, n, {}});
}

// An optional list over the flows: the curve through its known entries.
// A list of another length is ignored.
std::optional<StoredList> optionalList(Reader& reader, std::string_view key, std::string_view stored,
                                       std::size_t flows) {
    if (absent(stored)) return std::nullopt;
    StoredList list = listOf(key, stored);
    if (list.values.size() == flows) {
        reader.noteBadEntries(list);
        return list;
    }
    reader.note({CurveFault::LengthsDiffer, key, 0, list.values.size(), flows, {}});
    return std::nullopt;
}

std::optional<double> bestEfficiencyFlow(const std::vector<Entry>& flows, const std::vector<Entry>& efficiency) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < efficiency.size(); ++i)
        if (efficiency[i] && (!best || *efficiency[i] > *efficiency[*best])) best = i;
    if (!best) return std::nullopt;
    return flows[*best];
}

void readCurve(Reader& reader, const StoredPump& stored, Pump& pump) {
    if (absent(stored.flows) && absent(stored.heads)) return;
    if (absent(stored.flows) || absent(stored.heads)) {
        reader.note({CurveFault::ListMissing, absent(stored.flows) ? kFlowsKey : kHeadsKey, 0, 0, 0, {}});
        return;
    }
    const StoredList flows = listOf(kFlowsKey, stored.flows), heads = listOf(kHeadsKey, stored.heads);
    reader.noteBadEntries(flows);
    reader.noteBadEntries(heads);
    checkCurveLists(reader, flows, heads);
    if (reader.curveDropped()) return;

    const std::size_t n = flows.values.size();
    pump.data = Data::Curve;
    pump.head = Pchip::throughKnown(flows.values, heads.values);
    if (const auto efficiency = optionalList(reader, kEfficiencyKey, stored.efficiency, n)) {
        pump.efficiency = Pchip::throughKnown(flows.values, efficiency->values);
        pump.bestEfficiencyFlow = bestEfficiencyFlow(flows.values, efficiency->values);
    }
    if (const auto power = optionalList(reader, kShaftPowerKey, stored.shaftPower, n))
        pump.shaftPower = Pchip::throughKnown(flows.values, power->values);
    if (const auto npsh = optionalList(reader, kNpshKey, stored.npsh, n))
        pump.npsh = Pchip::throughKnown(flows.values, npsh->values);
}

void readSpeed(Reader& reader, std::string_view stored, Pump& pump) {
    if (absent(stored)) return;
    const std::string_view text = trimmed(stored);
    const Entry speed = entryValue(text);
    if (const auto fault = entryFault(text))
        reader.note({*fault, kSpeedKey, 0, 0, 0, std::string(text)});
    else if (!(*speed > 0))
        reader.note({CurveFault::SpeedNotPositive, kSpeedKey, 0, 0, 0, std::string(text)});
    if (speed > 0) pump.ratedSpeed = speed;
}

std::string entries(std::size_t count) { return std::to_string(count) + (count == 1 ? " entry" : " entries"); }

}  // namespace

std::vector<Entry> parseList(std::string_view text) {
    std::vector<Entry> values;
    values.reserve(entryCount(text));
    forEachEntry(text, [&](std::string_view entry) { values.push_back(entryValue(entry)); });
    return values;
}

StoredPump storedPumpOf(std::span<const std::string> v) {
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]};
}

bool CurveProblem::dropsCurve() const {
    switch (fault) {
        case CurveFault::ListMissing:
        case CurveFault::TooFewPoints:
        case CurveFault::EntryMissing:
        case CurveFault::FlowsNotAscending:
            return true;
        case CurveFault::LengthsDiffer:
            return key == kHeadsKey;
        case CurveFault::NotANumber:
        case CurveFault::TooLarge:
        case CurveFault::SpeedNotPositive:
            return false;
    }
    return false;
}

std::string problemText(const CurveProblem& p) {
    const std::string key(p.key);
    const std::string entry = key + " entry " + std::to_string(p.entry);
    std::string what;
    switch (p.fault) {
        case CurveFault::ListMissing:
            what = key + " is missing while " + std::string(p.key == kFlowsKey ? kHeadsKey : kFlowsKey) + " is given";
            break;
        case CurveFault::TooFewPoints:
            what = key + " has " + entries(p.entries) + ", a curve needs at least " + std::to_string(kMinPoints);
            break;
        case CurveFault::LengthsDiffer:
            what = key + " has " + entries(p.entries) + ", " + std::string(kFlowsKey) + " " + std::to_string(p.flows);
            break;
        case CurveFault::EntryMissing:
            what = entry + " has no value";
            break;
        case CurveFault::FlowsNotAscending:
            what = entry + " is not above entry " + std::to_string(p.entry - 1);
            break;
        case CurveFault::NotANumber: {
            const double value = numbers::leadingNumber(p.value);
            const std::string read = (p.entry == 0 ? key : entry) + " \"" + p.value +
                                     "\" is not a number: the program computes with " + numbers::roundTripText(value);
            return p.key == kSpeedKey && !(value > 0) ? read + ", so no rated speed is known" : read;
        }
        case CurveFault::TooLarge:
            return (p.entry == 0 ? key : entry) + " \"" + p.value +
                   "\" is too large for a number: it counts as unknown";
        case CurveFault::SpeedNotPositive:
            return key + " " + p.value + " is not above 0: no rated speed is known";
    }
    return what + (p.dropsCurve() ? ": the record is read as a range record" : ": the list is ignored");
}

Pump readPump(const StoredPump& stored, std::vector<CurveProblem>* problems) {
    Pump pump;
    pump.flow1 = numbers::leadingNumber(stored.flow1);
    pump.flow2 = numbers::leadingNumber(stored.flow2);
    if (numbers::isNumeric(stored.power)) pump.motorPower = numbers::leadingNumber(stored.power);
    Reader reader(problems);
    readCurve(reader, stored, pump);
    readSpeed(reader, stored.speed, pump);
    const double heads[] = {numbers::leadingNumber(stored.head1), numbers::leadingNumber(stored.head2)};
    const double flows[] = {pump.flow1, pump.flow2};
    const auto finite = [](double v) { return std::isfinite(v); };
    if (pump.data == Data::Range && pump.flow1 < pump.flow2 && std::all_of(flows, flows + 2, finite) &&
        std::all_of(heads, heads + 2, finite))
        pump.head = Pchip(flows, heads);
    return pump;
}

std::optional<Pump> readRecordPump(const std::filesystem::path& dataFile, int number,
                                   std::vector<CurveProblem>* problems) {
    ini::Snapshot snapshot(dataFile, kStoredKeys);
    const std::vector<std::string>& values = snapshot.read(catalogue::numberedKey(number));
    if (catalogue::isUnknown(values[0])) return std::nullopt;
    return readPump(storedPumpOf(values), problems);
}

}  // namespace pumpsel::curves
