#pragma once
// The sheet's chart: the pumps' head curve (combined for several pumps) and
// their efficiency on the right axis, the system curve, the duty and the
// working point and the preferred operating region, sampled through the
// hydraulics.
#include "catalogue/hydraulics.h"
#include "catalogue/pump_curve.h"
#include "chart/chart.h"

#include <optional>

namespace ui::sheet {

// How many points a curve is drawn through.
inline constexpr int kCurveSamples = 200;

// The chart of a pump at a duty point; `working` is the working point the
// hydraulics found (none: not drawn). A range record shows its line dashed.
chart::Chart sheetChart(const pumpsel::curves::Pump& pump, const pumpsel::hydraulics::Duty& duty,
                        std::optional<pumpsel::hydraulics::Point> working);

}  // namespace ui::sheet
