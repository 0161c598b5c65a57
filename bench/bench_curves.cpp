// The pump curves at the scale of a ranking across every maker of a kind:
// 100,000 records of seven-point curves with efficiency, NPSH and, in two of
// three, shaft power, read from their stored texts and asked for their figures at one duty point, as a
// ranking would; then the figures alone, of curves read before.
#include "catalogue/hydraulics.h"
#include "storage/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using namespace pumpsel;

namespace {

constexpr int kRecords = 100000;

// The processor time of the program, in ms: on a machine shared with other
// work the wall clock would count their turns too.
double cpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

template <class F>
double medianMs(int runs, F&& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuMs();
        body();
        times.push_back(cpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One list of seven entries, a base shape scaled by `factor`, to 0.1 as makers write them.
std::string scaledList(const double (&base)[7], double factor) {
    std::string text;
    for (double v : base) text += (text.empty() ? "" : ",") + numbers::roundTripText(std::round(v * factor * 10) / 10);
    return text;
}

// The stored texts of record n: curves of a few sizes, 流量1 to 流量2 from
// 1/6 to 5/6 of the curve; every third without 曲线功率, so that its power
// comes from head and efficiency.
std::vector<std::string> storedTexts(int n) {
    static constexpr double flows[7] = {0, 10, 20, 30, 40, 50, 60}, heads[7] = {42, 41, 39, 35, 29, 21, 11},
                            efficiency[7] = {0, 40, 62, 74, 78, 72, 58}, power[7] = {4.1, 4.8, 5.6, 6.4, 7.1, 7.6, 7.9},
                            npsh[7] = {1.5, 1.6, 1.9, 2.4, 3.1, 4.2, 5.8};
    const double size = 0.5 + (n % 97) / 48.0;
    return {"P" + std::to_string(n),
            std::to_string(10 * size),
            std::to_string(50 * size),
            "40",
            "20",
            std::to_string(8 * size),
            scaledList(flows, size),
            scaledList(heads, 1),
            scaledList(efficiency, 1),
            n % 3 == 0 ? "" : scaledList(power, size),
            scaledList(npsh, 1),
            "2900"};
}

}  // namespace

int main() {
    std::vector<std::vector<std::string>> texts;
    for (int n = 0; n < kRecords; ++n) texts.push_back(storedTexts(n));
    std::vector<curves::Pump> pumps(kRecords);

    int working = 0, met = 0, overloaded = 0;
    const hydraulics::Duty onCurve{40, 30, std::nullopt, {}}, onSystem{40, 30, 12, {}},
        parallel{80, 30, 12, {2, false}};
    // As a ranking goes: each record read and asked, then dropped.
    const double readMs = medianMs(5, [&] {
        working = 0;
        for (const auto& stored : texts) {
            const curves::Pump pump = curves::readPump(curves::storedPumpOf(stored));
            working += hydraulics::dutyFigures(pump, onSystem).working ? 1 : 0;
        }
    });
    for (int n = 0; n < kRecords; ++n) pumps[n] = curves::readPump(curves::storedPumpOf(texts[n]));
    const auto figures = [&](const hydraulics::Duty& duty) {
        return medianMs(5, [&] {
            working = 0;
            for (const auto& pump : pumps) working += hydraulics::dutyFigures(pump, duty).working ? 1 : 0;
        });
    };
    const double onCurveMs = figures(onCurve);
    const double onSystemMs = figures(onSystem);
    const double parallelMs = figures(parallel);
    const double speedMs = medianMs(5, [&] {
        met = 0;
        for (const auto& pump : pumps)
            met += hydraulics::speedForDuty(pump, {}, 40, 30).fit == hydraulics::SpeedFit::Met ? 1 : 0;
    });
    const double motorMs = medianMs(5, [&] {
        overloaded = 0;
        for (const auto& pump : pumps) overloaded += hydraulics::motorOverloaded(pump).value_or(false) ? 1 : 0;
    });

    std::printf("%d curve records of 7 points, two in three with 曲线功率\n", kRecords);
    const auto row = [](const char* what, double ms) {
        std::printf("%-52s %8.1f ms  %6.0f ns per record\n", what, ms, ms * 1e6 / kRecords);
    };
    row("read from the stored texts and asked on a system curve", readMs);
    row("figures at the duty flow", onCurveMs);
    row("figures on a system curve (operating point)", onSystemMs);
    row("figures of two pumps in parallel on a system curve", parallelMs);
    row("speed for the duty point", speedMs);
    row("motor check", motorMs);
    std::printf("(%d working points, %d met by speed, %d motors overloaded)\n", working, met, overloaded);
    return 0;
}
