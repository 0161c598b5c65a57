#pragma once
// The chart's fonts and lengths on one device, shared by its layout and its
// drawing. Lengths are pixels of a 96 dpi screen times `unit`.
#include <QFont>
#include <QFontMetricsF>

class QPaintDevice;

namespace ui::chart {

struct Metrics {
    explicit Metrics(const QPaintDevice& device);

    double unit;  // device pixels per pixel of a 96 dpi screen
    QFont text;   // ticks, axis titles, legend, note
    QFont title;
    QFontMetricsF textMetrics;
    QFontMetricsF titleMetrics;

    double padding() const { return 6 * unit; }     // around the whole chart
    double tickLength() const { return 3 * unit; }  // tick marks, outside the plot
    double labelGap() const { return 6 * unit; }    // from the plot's edge to a tick label
    double titleGap() const { return 4 * unit; }    // between labels and an axis title
    double lineHeight() const { return textMetrics.height(); }
    // The legend: its box's distance from the plot's edges, its inner margin,
    // the width of a sample, the gap before the text, the gap between the
    // entries of a row below the plot.
    double legendInset() const { return 6 * unit; }
    double legendMargin() const { return 5 * unit; }
    double sampleWidth() const { return 26 * unit; }
    double sampleGap() const { return 5 * unit; }
    double entryGap() const { return 16 * unit; }
};

}  // namespace ui::chart
