#pragma once
// The pumps of a kind-wide search on a Q–H chart: each pump's range as its
// line from (流量1, 扬程1) to (流量2, 扬程2), fits in blue, near misses in
// dashed grey, one pump highlighted in red over them, the duty point marked,
// and a legend that says so. A pointer resting on a line names maker and
// model; a click on a line reports which pump it is.
#include "catalogue/kind_search.h"
#include "ui/chart_view.h"

namespace ui {

class PumpChart : public ChartView {
    Q_OBJECT
public:
    // More lines than this make the chart unreadable and slow: the first ones shown are drawn.
    static constexpr int kMaxLines = 100;

    explicit PumpChart(QWidget* parent);

    // The pumps in the order shown; index i of the list is pump i.
    void setPumps(const std::vector<const pumpsel::ranking::RankedPump*>& pumps, pumpsel::records::DutyPoint point);
    void highlight(int index);  // -1: none
    int highlighted() const { return highlighted_; }
    int lineCount() const { return static_cast<int>(lines_.size()); }
    // The ends of line `index` as (flow, head).
    QList<QPointF> linePoints(int index) const { return line(index).ends; }
    // What the pointer resting on line `index` is told.
    QString lineName(int index) const { return line(index).name; }
    // The chart as the export saves it.
    QImage picture() const;

signals:
    void pumpClicked(int index);

private:
    struct Line {
        QList<QPointF> ends;
        QString name;
        bool fits;
    };

    const Line& line(int index) const { return lines_.at(static_cast<std::size_t>(index)); }
    chart::Chart drawing() const;

    std::vector<Line> lines_;
    std::size_t pumpCount_ = 0;  // lines beyond kMaxLines are not drawn
    QPointF dutyPoint_;
    int highlighted_ = -1;
};

}  // namespace ui
