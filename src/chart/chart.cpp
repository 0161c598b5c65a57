#include "chart/chart.h"

#include <QLineF>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ui::chart {

namespace {

// The smallest and largest of some values; empty while none has been seen.
struct Extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void take(double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    Ticks ticks(const std::optional<Ticks>& fixed) const {
        if (fixed) return *fixed;
        return low <= high ? niceTicks(low, high) : niceTicks(0, 0);
    }
};

Extent sideExtent(const Chart& chart, AxisSide side) {
    Extent extent;
    for (const Series& series : chart.series)
        if (series.axis == side)
            for (const QPointF& point : series.points) extent.take(point.y());
    for (const Marker& marker : chart.markers)
        if (marker.axis == side) extent.take(marker.at.y());
    return extent;
}

double distanceToSegment(QPointF point, const QLineF& segment) {
    const QPointF along = segment.p2() - segment.p1();
    const double squared = QPointF::dotProduct(along, along);
    const double t = squared > 0 ? std::clamp(QPointF::dotProduct(point - segment.p1(), along) / squared, 0.0, 1.0) : 0;
    return QLineF(point, segment.p1() + t * along).length();
}

double distanceToSeries(QPointF pixel, const Series& series, const Mapping& mapping) {
    double nearest = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i < series.points.size(); ++i) {
        const QPointF end = mapping.toPixel(series.points[i], series.axis);
        const QPointF start = i > 0 ? mapping.toPixel(series.points[i - 1], series.axis) : end;
        nearest = std::min(nearest, distanceToSegment(pixel, QLineF(start, end)));
    }
    return nearest;
}

}  // namespace

std::vector<LegendEntry> Chart::legendEntries() const {
    if (!legend.empty()) return legend;
    std::vector<LegendEntry> entries;
    for (const Series& line : series)
        if (!line.name.isEmpty()) entries.push_back({line.name, line.look});
    for (const Marker& marker : markers)
        if (!marker.name.isEmpty()) entries.push_back({marker.name, marker.look});
    for (const Band& band : bands)
        if (!band.name.isEmpty()) entries.push_back({band.name, band.look});
    return entries;
}

Ticks Chart::bottomTicks() const {
    Extent extent;
    for (const Series& line : series)
        for (const QPointF& point : line.points) extent.take(point.x());
    for (const Marker& marker : markers) extent.take(marker.at.x());
    for (const Band& band : bands) {
        extent.take(band.from);
        extent.take(band.to);
    }
    return extent.ticks(bottom.ticks);
}

Ticks Chart::leftTicks() const { return sideExtent(*this, AxisSide::Left).ticks(left.ticks); }

std::optional<Ticks> Chart::rightTicks() const {
    if (!right) return std::nullopt;
    return sideExtent(*this, AxisSide::Right).ticks(right->ticks);
}

int Chart::hitTest(const QPaintDevice& device, const QRectF& area, QPointF pixel, double tolerance) const {
    const Mapping mapping = layout(device, area).mapping;
    if (!mapping.plot().contains(pixel)) return -1;
    int nearest = -1;
    double nearestDistance = tolerance;
    for (std::size_t i = 0; i < series.size(); ++i) {
        const double distance = distanceToSeries(pixel, series[i], mapping);
        if (distance <= nearestDistance) {  // "<=": of equals, the later one, drawn on top
            nearest = static_cast<int>(i);
            nearestDistance = distance;
        }
    }
    return nearest;
}

}  // namespace ui::chart
