#pragma once
// What the benchmarks share: wall-clock times, medians, and the floor of an
// action, one plain read and line split of the files it touches.
#include <chrono>
#include <filesystem>
#include <vector>

namespace pumpsel::bench {

using Clock = std::chrono::steady_clock;

// The time from one moment to another, in ms.
double ms(Clock::time_point from, Clock::time_point to);

// The median of the times (the upper one of an even count).
double median(std::vector<double> times);

// One plain read and line split of the files, median of 7: what no
// implementation can avoid.
double floorMs(const std::vector<std::filesystem::path>& files);

}  // namespace pumpsel::bench
