#include "chart/metrics.h"

#include "chart/fonts.h"

#include <QPaintDevice>

namespace ui::chart {

namespace {
constexpr double kTextPoints = 9;
constexpr double kTitlePoints = 10;
}  // namespace

// Point sizes become pixels through the device's resolution, so that 9 pt
// is 12 pixels on a screen and 150 dots on a 1200 dpi PDF page.
Metrics::Metrics(const QPaintDevice& device)
    : unit(device.logicalDpiY() / 96.0),
      text(programFont(kTextPoints), &device),
      title(programFont(kTitlePoints, true), &device),
      textMetrics(text, &device),
      titleMetrics(title, &device) {}

}  // namespace ui::chart
