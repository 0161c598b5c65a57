#pragma once
// Where a chart's parts go in the area it is drawn in, and the mapping
// between data and pixels that drawing and pointing share.
#include "chart/ticks.h"

#include <QPointF>
#include <QRectF>
#include <optional>
#include <vector>

namespace ui::chart {

enum class AxisSide { Left, Right };

// Data coordinates ↔ device pixels on one plot rectangle. The bottom axis
// runs left to right, the side axes bottom to top, each from its first tick
// to its last (which must differ).
class Mapping {
public:
    // Without a right axis, data on the right side use the left axis.
    Mapping(const QRectF& plot, const Ticks& bottom, const Ticks& left, const std::optional<Ticks>& right);

    // The pixel of a data point on the side's axis.
    QPointF toPixel(QPointF data, AxisSide side = AxisSide::Left) const;
    // The data point at a pixel, on the side's axis.
    QPointF toData(QPointF pixel, AxisSide side = AxisSide::Left) const;

    const QRectF& plot() const { return plot_; }
    const Ticks& bottom() const { return bottom_; }
    const Ticks& side(AxisSide side) const { return side == AxisSide::Right ? right_ : left_; }

private:
    QRectF plot_;
    Ticks bottom_, left_, right_;
};

struct ChartLayout {
    Mapping mapping;
    QRectF title{};  // empty when the chart has none; so the note and the axis titles
    QRectF note{};
    QRectF bottomTitle{};
    QRectF leftTitle{};                   // the upright box the turned text fills
    QRectF rightTitle{};                  // empty without a right axis
    QRectF legend{};                      // the legend's box; empty when it is hidden or has no entries
    std::vector<QRectF> legendEntries{};  // each entry's sample and text, in order
};

}  // namespace ui::chart
