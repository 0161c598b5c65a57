#pragma once
// The pumps of a kind-wide search on a Q–H chart, each as its group's H–Q
// curve where it has one (range records as the line from (流量1, 扬程1) to
// (流量2, 扬程2), dashed): fits in blue, near misses in grey, one pump
// highlighted in red over them with its working point, its preferred
// operating region and its efficiency on a right-hand axis; the duty point,
// the system curve through it, and a legend that says what each look means.
// Flows are shown in the selection's unit. A pointer resting on a line
// names maker and model; a click on a line reports which pump it is.
#include "catalogue/duty_point.h"
#include "catalogue/pump_curve.h"
#include "ui/chart_view.h"

#include <QSize>

namespace ui {

class PumpChart : public ChartView {
    Q_OBJECT
public:
    // More lines than this make the chart unreadable and slow: the first ones shown are drawn.
    static constexpr int kMaxLines = 100;
    // The exported picture, in pixels of a 96 dpi screen, drawn at twice the pixels for print.
    static constexpr QSize kPictureSize{900, 560};
    static constexpr double kPicturePixelRatio = 2;

    // One pump to draw.
    struct Pump {
        pumpsel::curves::Pump curve;
        QString name;  // "maker model"
        bool fits = false;
    };
    // What the pumps are drawn against: the duty point (m³/h, m) and the selection.
    struct Duty {
        double flow = 0, head = 0;
        pumpsel::duty::Selection selection;
    };

    explicit PumpChart(QWidget* parent);

    // The first pumps shown (at most kMaxLines), in the order shown, of
    // `shown` pumps in all; index i of the list is pump i.
    void setPumps(std::vector<Pump> pumps, int shown, const Duty& duty);
    void highlight(int index);  // -1: none
    int highlighted() const { return highlighted_; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // The points line `index` is drawn through, as (flow in the selection's unit, head).
    QList<QPointF> linePoints(int index) const { return line(index).points; }
    // What the pointer resting on line `index` is told.
    QString lineName(int index) const { return pumps_.at(static_cast<std::size_t>(index)).name; }
    // The chart as the export draws it, under a title line.
    chart::Chart printed(const QString& title) const;
    // That chart as the export saves it: kPictureSize at kPicturePixelRatio.
    QImage picture(const QString& title) const;

signals:
    void pumpClicked(int index);

private:
    struct Line {
        QList<QPointF> points;
        chart::LineLook look;
        bool curve = false;  // sampled densely, not a range's two ends
    };

    // What the highlighted pump adds to the chart.
    struct Highlight {
        chart::Series line;
        std::optional<chart::Marker> working;
        std::optional<chart::Band> preferred;
        std::optional<chart::Series> efficiency;
    };

    const Line& line(int index) const { return lines_.at(static_cast<std::size_t>(index)); }
    double shownFlow(double cubicMetresPerHour) const;
    Line lineOf(const Pump& pump) const;
    Highlight highlightOf(const Pump& pump, const Line& line) const;
    std::optional<chart::Series> systemCurve(const chart::Ticks& flows) const;
    std::vector<chart::LegendEntry> legend(const std::optional<Highlight>& highlight) const;
    void redraw();

    std::vector<Pump> pumps_;
    std::vector<Line> lines_;
    int shown_ = 0;  // lines beyond kMaxLines are not drawn
    Duty duty_;
    int highlighted_ = -1;
    std::vector<int> pumpOfSeries_;  // the pump each drawn series stands for; -1 for none
};

}  // namespace ui
