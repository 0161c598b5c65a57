#include "timing.h"

#include "storage/file_ops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace pumpsel::bench {

double ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double floorMs(const std::vector<std::filesystem::path>& files) {
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        const auto start = Clock::now();
        std::size_t lines = 0;
        for (const auto& file : files) {
            std::string bytes;
            files::readWholeFile(file, bytes);
            std::vector<std::string_view> split;
            const char* at = bytes.data();
            const char* end = at + bytes.size();
            while (const void* lf = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
                split.emplace_back(at, static_cast<const char*>(lf) - at);
                at = static_cast<const char*>(lf) + 1;
            }
            lines += split.size();
        }
        times.push_back(ms(start, Clock::now()));
        if (lines == 0) std::puts("(no lines?)");
    }
    return median(times);
}

}  // namespace pumpsel::bench
