#include "chart/layout.h"

#include "chart/chart.h"
#include "chart/metrics.h"

#include <QLineF>
#include <algorithm>
#include <array>

namespace ui::chart {

Mapping::Mapping(const QRectF& plot, const Ticks& bottom, const Ticks& left, const std::optional<Ticks>& right)
    : plot_(plot), bottom_(bottom), left_(left), right_(right.value_or(left)) {}

QPointF Mapping::toPixel(QPointF data, AxisSide side) const {
    const Ticks& y = this->side(side);
    return {plot_.left() + (data.x() - bottom_.first) / (bottom_.last - bottom_.first) * plot_.width(),
            plot_.bottom() - (data.y() - y.first) / (y.last - y.first) * plot_.height()};
}

QPointF Mapping::toData(QPointF pixel, AxisSide side) const {
    const Ticks& y = this->side(side);
    return {bottom_.first + (pixel.x() - plot_.left()) / plot_.width() * (bottom_.last - bottom_.first),
            y.first + (plot_.bottom() - pixel.y()) / plot_.height() * (y.last - y.first)};
}

namespace {

double widestLabel(const Ticks& ticks, const QFontMetricsF& metrics) {
    double widest = 0;
    for (int i = 0; i < ticks.count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(ticks.label(i)));
    return widest;
}

double entryWidth(const LegendEntry& entry, const Metrics& metrics) {
    return metrics.sampleWidth() + metrics.sampleGap() + metrics.textMetrics.horizontalAdvance(entry.text);
}

// Below the plot: the entries in rows no wider than `room`, each row
// centred, the last one at the bottom of `room`.
void placeBelow(const std::vector<LegendEntry>& entries, const Metrics& metrics, const QRectF& room,
                ChartLayout& layout) {
    std::vector<std::vector<double>> rows{{}};  // the entries' widths
    double used = 0;
    for (const LegendEntry& entry : entries) {
        const double width = entryWidth(entry, metrics);
        const double gap = rows.back().empty() ? 0 : metrics.entryGap();
        if (gap > 0 && used + gap + width > room.width()) {
            rows.emplace_back();
            used = width;
        } else {
            used += gap + width;
        }
        rows.back().push_back(width);
    }
    double top = room.bottom() - rows.size() * metrics.lineHeight();
    layout.legend = QRectF(room.left(), top, room.width(), room.bottom() - top);
    for (const auto& widths : rows) {
        double total = (widths.size() - 1) * metrics.entryGap();
        for (double width : widths) total += width;
        double left = room.left() + (room.width() - total) / 2;
        for (double width : widths) {
            layout.legendEntries.emplace_back(left, top, width, metrics.lineHeight());
            left += width + metrics.entryGap();
        }
        top += metrics.lineHeight();
    }
}

// The length of a segment inside a rectangle (Liang–Barsky clipping).
double lengthInside(const QLineF& line, const QRectF& rect) {
    double enter = 0, leave = 1;
    const std::array<std::pair<double, double>, 4> edges{{{-line.dx(), line.x1() - rect.left()},
                                                          {line.dx(), rect.right() - line.x1()},
                                                          {-line.dy(), line.y1() - rect.top()},
                                                          {line.dy(), rect.bottom() - line.y1()}}};
    for (auto [direction, room] : edges) {
        if (direction == 0) {
            if (room < 0) return 0;  // parallel to this edge and outside it
        } else if (direction < 0) {
            enter = std::max(enter, room / direction);
        } else {
            leave = std::min(leave, room / direction);
        }
    }
    return leave > enter ? (leave - enter) * line.length() : 0;
}

// How much of the drawing a legend box at `box` would cover: the length of
// line inside it and the markers' widths.
double inkUnder(const Chart& chart, const Mapping& mapping, const Metrics& metrics, const QRectF& box) {
    double ink = 0;
    for (const Series& series : chart.series)
        for (qsizetype i = 1; i < series.points.size(); ++i)
            ink += lengthInside(QLineF(mapping.toPixel(series.points[i - 1], series.axis),
                                       mapping.toPixel(series.points[i], series.axis)),
                                box);
    for (const Marker& marker : chart.markers)
        if (box.contains(mapping.toPixel(marker.at, marker.axis))) ink += marker.look.size * metrics.unit;
    return ink;
}

// Inside the plot: a box in the corner with the least drawing under it,
// top right first (where Q–H lines, falling with the flow, rarely are),
// then top left, bottom right, bottom left.
void placeInside(const Chart& chart, const std::vector<LegendEntry>& entries, const Metrics& metrics,
                 ChartLayout& layout) {
    double widest = 0;
    for (const LegendEntry& entry : entries) widest = std::max(widest, entryWidth(entry, metrics));
    const double margin = metrics.legendMargin();
    const QSizeF size(widest + 2 * margin, entries.size() * metrics.lineHeight() + 2 * margin);
    const double inset = metrics.legendInset();
    const QRectF room = layout.mapping.plot().adjusted(inset, inset, -inset, -inset);
    const double right = room.right() - size.width(), bottom = room.bottom() - size.height();
    const std::array<QRectF, 4> corners{QRectF(QPointF(right, room.top()), size), QRectF(room.topLeft(), size),
                                        QRectF(QPointF(right, bottom), size),
                                        QRectF(QPointF(room.left(), bottom), size)};
    std::array<double, 4> ink{};
    for (std::size_t i = 0; i < corners.size(); ++i) ink[i] = inkUnder(chart, layout.mapping, metrics, corners[i]);
    layout.legend = corners[std::min_element(ink.begin(), ink.end()) - ink.begin()];
    for (std::size_t i = 0; i < entries.size(); ++i)
        layout.legendEntries.emplace_back(layout.legend.left() + margin,
                                          layout.legend.top() + margin + i * metrics.lineHeight(), widest,
                                          metrics.lineHeight());
}

}  // namespace

// From the outside in: title and note at the top; the legend (below the
// plot), the bottom axis title and its tick labels at the bottom; the side
// axes' titles and labels; the plot takes what is left.
ChartLayout Chart::layout(const QPaintDevice& device, const QRectF& area) const {
    const Metrics metrics(device);
    const Ticks xTicks = bottomTicks(), leftAxisTicks = leftTicks();
    const std::optional<Ticks> rightAxisTicks = rightTicks();
    const QRectF inner = area.adjusted(metrics.padding(), metrics.padding(), -metrics.padding(), -metrics.padding());
    const double line = metrics.lineHeight();
    ChartLayout layout{.mapping = Mapping(QRectF(), xTicks, leftAxisTicks, rightAxisTicks)};

    double top = inner.top();
    auto takeTopLine = [&](const QString& text, double height) {
        if (text.isEmpty()) return QRectF();
        const QRectF taken(inner.left(), top, inner.width(), height);
        top += height + metrics.titleGap();
        return taken;
    };
    layout.title = takeTopLine(title, metrics.titleMetrics.height());
    layout.note = takeTopLine(note, line);
    top += line / 2;  // the top tick label reaches above the plot by half its height

    const std::vector<LegendEntry> entries = legendEntries();
    const bool legendShown = legendPlace != LegendPlace::Hidden && !entries.empty();
    double bottomEdge = inner.bottom();
    if (legendShown && legendPlace == LegendPlace::Below) {
        placeBelow(entries, metrics, inner, layout);
        bottomEdge = layout.legend.top() - metrics.titleGap();
    }
    const double bottomTitleTop = bottomEdge - line;
    if (!bottom.title.isEmpty()) bottomEdge = bottomTitleTop - metrics.titleGap();
    bottomEdge -= line + metrics.labelGap();

    double leftEdge = inner.left();
    if (!left.title.isEmpty()) leftEdge += line + metrics.titleGap();
    leftEdge += widestLabel(leftAxisTicks, metrics.textMetrics) + metrics.labelGap();
    leftEdge = std::max(leftEdge, inner.left() + metrics.textMetrics.horizontalAdvance(xTicks.label(0)) / 2);

    double rightEdge = inner.right();
    if (right) {
        if (!right->title.isEmpty()) rightEdge -= line + metrics.titleGap();
        rightEdge -= widestLabel(*rightAxisTicks, metrics.textMetrics) + metrics.labelGap();
    } else {
        rightEdge -= metrics.textMetrics.horizontalAdvance(xTicks.label(xTicks.count() - 1)) / 2;
    }

    const QRectF plot(leftEdge, top, std::max(1.0, rightEdge - leftEdge), std::max(1.0, bottomEdge - top));
    layout.mapping = Mapping(plot, xTicks, leftAxisTicks, rightAxisTicks);
    if (!bottom.title.isEmpty()) layout.bottomTitle = QRectF(plot.left(), bottomTitleTop, plot.width(), line);
    if (!left.title.isEmpty()) layout.leftTitle = QRectF(inner.left(), plot.top(), line, plot.height());
    if (right && !right->title.isEmpty())
        layout.rightTitle = QRectF(inner.right() - line, plot.top(), line, plot.height());
    if (legendShown && legendPlace == LegendPlace::InsideFreeCorner) placeInside(*this, entries, metrics, layout);
    return layout;
}

}  // namespace ui::chart
