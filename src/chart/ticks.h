#pragma once
// The ticks of a chart axis: round steps of 1, 2, 2.5 or 5 × 10ⁿ, from the
// first tick to the last, both whole steps.
#include <QString>

namespace ui::chart {

struct Ticks {
    double first = 0;
    double last = 1;
    double step = 0.2;

    // The number of ticks, both ends included.
    int count() const;
    // Tick i, 0 being the first.
    double at(int i) const;
    // The decimals a label needs to tell the ticks apart: 0 for a step of 5,
    // 1 for 2.5 or 0.5, 2 for 0.25.
    int decimals() const;
    // Tick i as its label.
    QString label(int i) const;
};

// Ticks for data running from `low` to `high`: about 5 to 8 ticks whose
// range holds the data, starting at 0 when the data are positive and start
// within the lower third of their span from 0. A single value v > 0 gets an
// axis from 0 to about 2v (v < 0: from about 2v to 0; v = 0: from 0 to 1).
Ticks niceTicks(double low, double high);

}  // namespace ui::chart
