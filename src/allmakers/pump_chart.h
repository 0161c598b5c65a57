#pragma once
// The pumps of a kind-wide search on a Q–H chart: each pump's range as its
// line from (流量1, 扬程1) to (流量2, 扬程2), the duty point marked, one pump
// highlighted. A pointer resting on a line names maker and model; a click
// on a line reports which pump it is.
#include "storage/kind_search.h"

#include <QChartView>
#include <QPointer>

class QLineSeries;

namespace ui {

class PumpChart : public QChartView {
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
    QLineSeries* line(int index) const { return lines_.at(static_cast<std::size_t>(index)); }
    // What the pointer resting on line `index` is told.
    QString lineName(int index) const;

signals:
    void pumpClicked(int index);

private:
    void style(int index);

    std::vector<QLineSeries*> lines_;
    std::vector<bool> fits_;
    QLineSeries* highlight_ = nullptr;
    int highlighted_ = -1;
};

}  // namespace ui
