#pragma once
// A chart of the program's own, drawn with QPainter: a plot with a bottom
// axis, a left axis and an optional right one, lines, point markers, shaded
// vertical bands, a legend, a title and a note. It draws on a screen, into
// an image or onto a PDF page alike: every length is given in pixels of a
// 96 dpi screen and scaled to the device's resolution, fonts in points.
#include "chart/layout.h"
#include "chart/ticks.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QString>
#include <optional>
#include <variant>
#include <vector>

class QPainter;
class QPaintDevice;

namespace ui::chart {

struct Axis {
    QString title{};  // with its unit: "流量 Q (m³/h)"
    // Set explicitly; otherwise chosen from the data on the axis (niceTicks).
    std::optional<Ticks> ticks{};
};

enum class LineStyle { Solid, Dashed, Dotted };
enum class MarkerShape { Circle, Square, Diamond, Triangle, Cross };
enum class LegendPlace { Hidden, InsideFreeCorner, Below };

struct LineLook {
    QColor color = Qt::black;
    double width = 1.5;
    LineStyle style = LineStyle::Solid;
};

struct MarkerLook {
    MarkerShape shape = MarkerShape::Circle;
    double size = 9;  // the width of the shape
    QColor color = Qt::black;
};

struct BandLook {
    QColor color{};  // with alpha: the grid and the lines show through
};

// A polyline through points given in data coordinates. The chart joins the
// points as they are: a curve is sampled as densely as it needs by the caller.
struct Series {
    QList<QPointF> points{};
    LineLook look{};
    AxisSide axis = AxisSide::Left;
    QString name{};  // for the pointer resting on it, and for the default legend
    // A densely sampled curve: round joins and ends, so that the samples'
    // corners do not show. Otherwise the line ends square at its last point.
    bool smooth = false;
};

struct Marker {
    QPointF at{};
    MarkerLook look{};
    AxisSide axis = AxisSide::Left;
    QString name{};
};

// The plot's full height between two flows, such as a preferred operating region.
struct Band {
    double from = 0;
    double to = 0;
    BandLook look{};
    QString name{};
};

struct LegendEntry {
    QString text{};
    std::variant<LineLook, MarkerLook, BandLook> sample{};
};

struct Chart {
    Axis bottom;
    Axis left;
    std::optional<Axis> right;
    std::vector<Band> bands;      // drawn first, under the lines
    std::vector<Series> series;   // in drawing order: the last on top
    std::vector<Marker> markers;  // drawn last
    // Empty: one entry for each named series, marker and band.
    std::vector<LegendEntry> legend;
    LegendPlace legendPlace = LegendPlace::InsideFreeCorner;
    QString title;  // a line above the plot
    QString note;   // a line under the title, in grey: "显示前 100 台"

    // The legend as drawn: `legend`, or the entries of the named items.
    std::vector<LegendEntry> legendEntries() const;
    // Each axis's ticks: as set, or chosen from the data drawn on it.
    Ticks bottomTicks() const;
    Ticks leftTicks() const;
    std::optional<Ticks> rightTicks() const;

    // Where everything goes in `area` of `device`, whose resolution sizes
    // the fonts and lengths.
    ChartLayout layout(const QPaintDevice& device, const QRectF& area) const;
    // Draws the chart inside `area` of the painter's device, on white.
    void render(QPainter& painter, const QRectF& area) const;
    // The chart drawn into an image of `size` pixels of a 96 dpi screen,
    // each made of `pixelRatio` × `pixelRatio` image pixels.
    QImage image(QSize size, double pixelRatio) const;
    // The index of the series nearest to `pixel` (by its distance to the
    // series' segments, on the plot as `layout` places it) when it lies
    // within `tolerance` pixels; -1 when none does or `pixel` is off the
    // plot. Of series equally near, the one drawn on top.
    int hitTest(const QPaintDevice& device, const QRectF& area, QPointF pixel, double tolerance) const;
};

}  // namespace ui::chart
