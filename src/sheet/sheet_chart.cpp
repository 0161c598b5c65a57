#include "sheet/sheet_chart.h"

#include <algorithm>

namespace ui::sheet {

namespace {

using namespace pumpsel;

const chart::LineLook kCurveLook{QColor(30, 80, 170), 2, chart::LineStyle::Solid};
const chart::LineLook kRangeLook{QColor(30, 80, 170), 2, chart::LineStyle::Dashed};
const chart::LineLook kEfficiencyLook{QColor(210, 120, 0), 1.5, chart::LineStyle::Solid};
const chart::LineLook kSystemLook{QColor(0, 130, 60), 1.5, chart::LineStyle::Solid};
const chart::MarkerLook kDutyLook{chart::MarkerShape::Diamond, 10, QColor(0, 130, 60)};
const chart::MarkerLook kWorkingLook{chart::MarkerShape::Circle, 8, QColor(200, 0, 0)};
const chart::BandLook kPreferredLook{QColor(60, 170, 60, 45)};
const chart::Ticks kPercentTicks{0, 100, 20};

// The value's known points at kCurveSamples + 1 flows from `from` to `to`.
template <typename ValueAt>
QList<QPointF> sampled(double from, double to, ValueAt valueAt) {
    QList<QPointF> points;
    for (int i = 0; i <= kCurveSamples; ++i) {
        const double flow = i == kCurveSamples ? to : from + (to - from) * i / kCurveSamples;
        if (const std::optional<double> value = valueAt(flow)) points.append(QPointF(flow, *value));
    }
    return points;
}

QString curveName(const curves::Pump& pump, hydraulics::Group group) {
    if (pump.data == curves::Data::Range) return QStringLiteral("水泵范围 (无曲线数据)");
    if (group.pumps == 1) return QStringLiteral("水泵 H-Q 曲线");
    return QStringLiteral("%1 台%2 H-Q 曲线")
        .arg(group.pumps)
        .arg(group.series ? QStringLiteral("串联") : QStringLiteral("并联"));
}

double largestHead(const QList<QPointF>& points, double atLeast) {
    for (const QPointF& point : points) atLeast = std::max(atLeast, point.y());
    return atLeast;
}

}  // namespace

chart::Chart sheetChart(const curves::Pump& pump, const hydraulics::Duty& duty,
                        std::optional<hydraulics::Point> working) {
    chart::Chart drawing;
    const hydraulics::Group group = duty.group;
    const std::optional<hydraulics::FlowRange> range = hydraulics::flowRange(pump, group);
    const double lastFlow = std::max(range ? range->last : 0.0, duty.flow * 1.1);

    QList<QPointF> head;
    if (range) head = sampled(range->first, range->last, [&](double q) { return hydraulics::headAt(pump, group, q); });
    const double topHead = largestHead(head, duty.head) * 1.1;
    if (pump.bestEfficiencyFlow)
        drawing.bands.push_back({group.groupFlow(*pump.bestEfficiencyFlow * hydraulics::kPreferredLow),
                                 group.groupFlow(*pump.bestEfficiencyFlow * hydraulics::kPreferredHigh), kPreferredLook,
                                 QStringLiteral("高效区 70%～120% Qbep")});
    if (duty.staticHead) {
        const hydraulics::SystemCurve system{*duty.staticHead, duty.flow, duty.head};
        drawing.series.push_back({.points = sampled(0, lastFlow,
                                                    [&](double q) {
                                                        const double h = system.headAt(q);
                                                        return h <= topHead ? std::optional(h) : std::nullopt;
                                                    }),
                                  .look = kSystemLook,
                                  .name = QStringLiteral("管路特性曲线"),
                                  .smooth = true});
    }
    if (!head.isEmpty())
        drawing.series.push_back({.points = head,
                                  .look = pump.data == curves::Data::Range ? kRangeLook : kCurveLook,
                                  .name = curveName(pump, group),
                                  .smooth = true});
    if (range && !pump.efficiency.empty()) {
        drawing.series.push_back({.points = sampled(range->first, range->last,
                                                    [&](double q) { return hydraulics::efficiencyAt(pump, group, q); }),
                                  .look = kEfficiencyLook,
                                  .axis = chart::AxisSide::Right,
                                  .name = QStringLiteral("效率 η"),
                                  .smooth = true});
        drawing.right = chart::Axis{QStringLiteral("效率 η (%)"), kPercentTicks};
    }
    drawing.markers.push_back(
        {.at = QPointF(duty.flow, duty.head), .look = kDutyLook, .name = QStringLiteral("设计工况点")});
    if (working)
        drawing.markers.push_back(
            {.at = QPointF(working->flow, working->head), .look = kWorkingLook, .name = QStringLiteral("工作点")});
    drawing.bottom = {QStringLiteral("流量 Q (m³/h)"), chart::niceTicks(0, lastFlow)};
    drawing.left = {QStringLiteral("扬程 H (m)"), chart::niceTicks(0, topHead)};
    drawing.legendPlace = chart::LegendPlace::Below;  // clear of the curves
    return drawing;
}

}  // namespace ui::sheet
