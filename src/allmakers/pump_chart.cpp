#include "allmakers/pump_chart.h"

#include "chart/ticks.h"

namespace ui {

namespace {

const chart::LineLook kFitLook{QColor(40, 90, 170), 1.5, chart::LineStyle::Solid};
const chart::LineLook kNearLook{QColor(150, 150, 150), 1.5, chart::LineStyle::Dashed};
const chart::LineLook kHighlightLook{QColor(200, 0, 0), 3, chart::LineStyle::Solid};
const chart::MarkerLook kDutyLook{chart::MarkerShape::Diamond, 11, QColor(0, 120, 60)};
const QSize kPictureSize(900, 560);  // at twice the pixels, for print

// An axis from 0 to a little above the largest value, so that no line runs along the plot's edge.
chart::Axis axis(const QString& title, double largest) {
    return {title, chart::niceTicks(0, largest > 0 ? largest * 1.1 : 1)};
}

}  // namespace

// The highlight, drawn after the lines, stands for the highlighted pump.
PumpChart::PumpChart(QWidget* parent) : ChartView(parent) {
    connect(this, &ChartView::seriesClicked, this,
            [this](int series) { emit pumpClicked(series < lineCount() ? series : highlighted_); });
}

void PumpChart::setPumps(const std::vector<const pumpsel::ranking::RankedPump*>& pumps,
                         pumpsel::records::DutyPoint point) {
    lines_.clear();
    pumpCount_ = pumps.size();
    dutyPoint_ = QPointF(point.flow, point.head);
    highlighted_ = -1;
    for (std::size_t i = 0; i < std::min<std::size_t>(pumps.size(), kMaxLines); ++i) {
        const auto& m = *pumps[i]->row.match;
        lines_.push_back({{QPointF(m.flow1, m.head1), QPointF(m.flow2, m.head2)},
                          QString::fromStdString(pumps[i]->maker + " " + pumps[i]->row.model),
                          m.fits});
    }
    setChart(drawing());
}

void PumpChart::highlight(int index) {
    highlighted_ = index >= 0 && index < lineCount() ? index : -1;
    setChart(drawing());
}

QImage PumpChart::picture() const { return chart().image(kPictureSize, 2); }

// The lines in the order shown, then the highlighted one again on top of
// them, so that the selected pump is never hidden under its neighbours.
chart::Chart PumpChart::drawing() const {
    chart::Chart drawing;
    double maxFlow = dutyPoint_.x(), maxHead = dutyPoint_.y();
    bool anyFits = false, anyNear = false;
    for (const Line& line : lines_) {
        drawing.series.push_back({.points = line.ends, .look = line.fits ? kFitLook : kNearLook, .name = line.name});
        for (const QPointF& end : line.ends) {
            maxFlow = std::max(maxFlow, end.x());
            maxHead = std::max(maxHead, end.y());
        }
        anyFits = anyFits || line.fits;
        anyNear = anyNear || !line.fits;
    }
    if (highlighted_ >= 0)
        drawing.series.push_back(
            {.points = line(highlighted_).ends, .look = kHighlightLook, .name = line(highlighted_).name});
    drawing.markers.push_back({.at = dutyPoint_, .look = kDutyLook, .name = QStringLiteral("工况点")});
    drawing.bottom = axis(QStringLiteral("流量 Q (m³/h)"), maxFlow);
    drawing.left = axis(QStringLiteral("扬程 H (m)"), maxHead);
    if (anyFits) drawing.legend.push_back({QStringLiteral("满足工况的水泵"), kFitLook});
    if (anyNear) drawing.legend.push_back({QStringLiteral("近似水泵 (虚线)"), kNearLook});
    if (highlighted_ >= 0) drawing.legend.push_back({QStringLiteral("选中的水泵"), kHighlightLook});
    drawing.legend.push_back({QStringLiteral("工况点"), kDutyLook});
    if (pumpCount_ > kMaxLines) drawing.note = QStringLiteral("共 %1 台，显示前 %2 台").arg(pumpCount_).arg(kMaxLines);
    return drawing;
}

}  // namespace ui
