#include "maintenance/record_rules.h"

#include "catalogue/catalogue.h"
#include "storage/numbers.h"

#include <array>

namespace pumpsel::maintenance {
namespace {

// Places in catalogue::kRecordKeys.
enum Key : std::size_t { kModel, kFlow1, kFlow2, kHead1, kHead2, kPower };

std::string keyName(std::size_t key) { return std::string(catalogue::kRecordKeys[key]); }

// The value the search compares, as the search shows it.
std::string computedAs(std::string_view value) { return numbers::formatOneDecimal(records::singleValue(value)); }

// Why a value that should be a number is not one, or empty when it is.
std::string notANumber(std::string_view value, bool missing) {
    if (missing) return " is missing";
    if (value.empty()) return " is empty";
    if (catalogue::isUnknown(value)) return " is \"unknown\"";
    if (!numbers::isNumeric(value)) return " " + quotedValue(value) + " is not a number";
    return {};
}

// How the lists and the report show a power that is no number.
std::string shownAs(std::string_view power) {
    if (catalogue::isUnknown(power)) return "as \"unknown\"";
    return power.empty() ? "as nothing" : "as it stands";
}

}  // namespace

std::vector<ValueProblem> valueProblems(const records::ScannedRecord& record,
                                        const std::function<bool(std::size_t key)>& missing) {
    std::vector<ValueProblem> problems;
    const auto isMissing = [&](std::size_t key) { return missing && missing(key); };
    if (record.model.empty())
        problems.push_back({kModel, "no-model", keyName(kModel) + " is empty: the pump is listed without a name"});
    if (catalogue::isUnknown(record.model))
        problems.push_back({kModel, "no-model",
                            keyName(kModel) + (isMissing(kModel) ? " is missing" : " is \"unknown\"") +
                                ": the listing ends before this record"});

    const std::array<std::string_view, 4> measured = {record.flow1, record.flow2, record.head1, record.head2};
    bool allNumbers = true;
    for (std::size_t key = kFlow1; key <= kHead2; ++key) {
        const std::string_view value = measured[key - kFlow1];
        const std::string why = notANumber(value, isMissing(key));
        if (why.empty()) continue;
        allNumbers = false;
        problems.push_back(
            {key, "not-a-number", keyName(key) + why + ": the program computes with " + computedAs(value)});
    }
    if (const std::string why = notANumber(record.power, isMissing(kPower)); !why.empty())
        problems.push_back(
            {kPower, "not-a-number", keyName(kPower) + why + ": the program only shows it, " + shownAs(record.power)});
    if (!allNumbers) return problems;

    const auto value = [](std::string_view text) { return records::singleValue(text); };
    if (value(record.flow1) > value(record.flow2))
        problems.push_back({kFlow1, "reversed-flow",
                            keyName(kFlow1) + " " + computedAs(record.flow1) + " lies above " + keyName(kFlow2) + " " +
                                computedAs(record.flow2) + ": no duty point ever fits this pump"});
    if (value(record.head2) > value(record.head1))
        problems.push_back({kHead2, "rising-head",
                            keyName(kHead2) + " " + computedAs(record.head2) + " lies above " + keyName(kHead1) + " " +
                                computedAs(record.head1) +
                                ": the head rises with the flow, and no duty point ever fits this pump"});
    return problems;
}

std::string quotedValue(std::string_view value) {
    constexpr std::size_t kShownCharacters = 40;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < value.size() && characters < kShownCharacters; ++characters) do
            ++end;  // past one UTF-8 character: its lead byte and continuation bytes
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80);
    return "\"" + std::string(value.substr(0, end)) + (end < value.size() ? "…\"" : "\"");
}

std::string numberRuns(const std::vector<long long>& ascending) {
    constexpr int kRuns = 10;
    std::string text;
    int runs = 0;
    for (std::size_t i = 0; i < ascending.size(); ++i) {
        std::size_t last = i;
        while (last + 1 < ascending.size() && ascending[last + 1] == ascending[last] + 1) ++last;
        if (++runs > kRuns) return text + ", ... (" + std::to_string(ascending.size()) + " in all)";
        text += (text.empty() ? "" : ", ") + std::to_string(ascending[i]);
        if (last > i) text += "-" + std::to_string(ascending[last]);
        i = last;
    }
    return text;
}

}  // namespace pumpsel::maintenance
