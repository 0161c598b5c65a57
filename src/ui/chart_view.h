#pragma once
// A chart in a window: drawn by the chart module at the widget's size. The
// pointer resting on a named line shows the line's name; a click on a line
// says which line it was.
#include "chart/chart.h"

#include <QWidget>

namespace ui {

class ChartView : public QWidget {
    Q_OBJECT
public:
    // How near the pointer must come to a line to point at it, in pixels.
    static constexpr double kPointingTolerance = 4;

    explicit ChartView(QWidget* parent);

    // Shows `chart` in place of the one shown.
    void setChart(chart::Chart chart);
    const chart::Chart& chart() const { return chart_; }
    // Where the chart's parts lie in the widget.
    chart::ChartLayout chartLayout() const;
    // The index of the series under `point` (widget pixels); -1 for none.
    int seriesAt(QPointF point) const;

signals:
    void seriesClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    chart::Chart chart_;
    int pointed_ = -1;  // the series under the pointer
};

}  // namespace ui
