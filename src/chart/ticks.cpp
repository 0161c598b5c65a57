#include "chart/ticks.h"

#include <algorithm>
#include <cmath>

namespace ui::chart {

namespace {

// Tick indices are computed from ratios such as 0.6 / 0.2, which doubles
// give as 2.9999999999999996; this slack keeps them whole.
constexpr double kSlack = 1e-9;
constexpr int kMostTicks = 8;

}  // namespace

int Ticks::count() const { return static_cast<int>(std::lround((last - first) / step)) + 1; }

double Ticks::at(int i) const {
    const double value = first + i * step;
    return std::abs(value) < step * kSlack ? 0.0 : value;  // no "-0.0" between -0.2 and 0.2
}

int Ticks::decimals() const {
    for (int decimals = 0; decimals < 9; ++decimals) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::abs(scaled - std::round(scaled)) < scaled * 1e-6) return decimals;
    }
    return 9;
}

QString Ticks::label(int i) const { return QString::number(at(i), 'f', decimals()); }

Ticks niceTicks(double low, double high) {
    if (low > high) std::swap(low, high);
    if (low == high) {
        if (low == 0) return Ticks{0, 1, 0.2};
        const double twice = 2 * low;
        low = std::min(0.0, twice);
        high = std::max(0.0, twice);
    }
    if (low > 0 && low <= high / 3) low = 0;
    // The smallest round step that needs no more than kMostTicks ticks.
    double decade = std::pow(10.0, std::floor(std::log10(high - low)) - 2);
    for (;;) {
        for (double mantissa : {1.0, 2.0, 2.5, 5.0}) {
            const double step = mantissa * decade;
            const double first = std::floor(low / step + kSlack), last = std::ceil(high / step - kSlack);
            if (last - first + 1 <= kMostTicks) return Ticks{first * step, last * step, step};
        }
        decade *= 10;
    }
}

}  // namespace ui::chart
