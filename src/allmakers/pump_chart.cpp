#include "allmakers/pump_chart.h"

#include "catalogue/hydraulics.h"
#include "chart/ticks.h"

#include <algorithm>

namespace ui {

namespace hydraulics = pumpsel::hydraulics;
namespace duty = pumpsel::duty;

namespace {

const QColor kFitColour(40, 90, 170), kNearColour(150, 150, 150);
const chart::LineLook kFitLook{kFitColour, 1.5, chart::LineStyle::Solid};
const chart::LineLook kNearLook{kNearColour, 1.5, chart::LineStyle::Solid};
const chart::LineLook kRangeLook{QColor(90, 90, 90), 1.5, chart::LineStyle::Dashed};
const chart::LineLook kHighlightLook{QColor(200, 0, 0), 3, chart::LineStyle::Solid};
const chart::LineLook kSystemLook{QColor(110, 50, 160), 2, chart::LineStyle::Solid};
const chart::LineLook kEfficiencyLook{QColor(230, 120, 0), 2, chart::LineStyle::Dotted};
const chart::MarkerLook kDutyLook{chart::MarkerShape::Diamond, 11, QColor(0, 120, 60)};
const chart::MarkerLook kWorkingLook{chart::MarkerShape::Circle, 11, QColor(255, 190, 0)};
const chart::BandLook kPreferredLook{QColor(60, 170, 90, 45)};

// Enough points that a curve's samples do not show as corners.
constexpr int kCurveSamples = 60;

// An axis from 0 to a little above the largest value, so that no line runs along the plot's edge.
chart::Axis axis(const QString& title, double largest) {
    return {title, chart::niceTicks(0, largest > 0 ? largest * 1.1 : 1)};
}

// `count` evenly spaced flows from `first` to `last` (m³/h) where `value`
// is known, as (flow in `unit`, value).
template <class Value>
QList<QPointF> sampled(double first, double last, int count, duty::FlowUnit unit, Value value) {
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        const double flow = first + (last - first) * i / (count - 1);
        if (const std::optional<double> y = value(flow)) points << QPointF(duty::inUnit(flow, unit), *y);
    }
    return points;
}

// The duty point is typed in m³/h whatever unit the chart shows flows in.
hydraulics::Duty hydraulicDuty(const PumpChart::Duty& duty) {
    duty::Selection typed = duty.selection;
    typed.unit = duty::FlowUnit::CubicMetresPerHour;
    return duty::hydraulicDuty(duty.flow, duty.head, typed);
}

}  // namespace

PumpChart::PumpChart(QWidget* parent) : ChartView(parent) {
    connect(this, &ChartView::seriesClicked, this, [this](int series) {
        const int pump = pumpOfSeries_.at(static_cast<std::size_t>(series));
        if (pump >= 0) emit pumpClicked(pump);
    });
}

void PumpChart::setPumps(std::vector<Pump> pumps, int shown, const Duty& duty) {
    pumps_ = std::move(pumps);
    shown_ = shown;
    duty_ = duty;
    highlighted_ = -1;
    lines_.clear();
    for (const Pump& pump : pumps_) lines_.push_back(lineOf(pump));
    redraw();
}

void PumpChart::highlight(int index) {
    highlighted_ = index >= 0 && index < lineCount() ? index : -1;
    redraw();
}

chart::Chart PumpChart::printed(const QString& title) const {
    chart::Chart printed = chart();
    printed.title = title;
    return printed;
}

QImage PumpChart::picture(const QString& title) const { return printed(title).image(kPictureSize, kPicturePixelRatio); }

double PumpChart::shownFlow(double cubicMetresPerHour) const {
    return duty::inUnit(cubicMetresPerHour, duty_.selection.unit);
}

// A curve record's group curve sampled densely; a range record's line by its two ends.
PumpChart::Line PumpChart::lineOf(const Pump& pump) const {
    const hydraulics::Group group = duty_.selection.group;
    const bool isCurve = pump.curve.data == pumpsel::curves::Data::Curve;
    Line line{{}, isCurve ? kFitLook : kRangeLook, isCurve};
    line.look.color = pump.fits ? kFitColour : kNearColour;
    if (const auto flows = hydraulics::flowRange(pump.curve, group))
        line.points = sampled(flows->first, flows->last, isCurve ? kCurveSamples : 2, duty_.selection.unit,
                              [&](double flow) { return hydraulics::headAt(pump.curve, group, flow); });
    return line;
}

// The pump's line in red (solid, whatever its kind), where it works (on the system curve, or at the
// duty flow), its preferred operating region and its efficiency.
PumpChart::Highlight PumpChart::highlightOf(const Pump& pump, const Line& line) const {
    const hydraulics::Group group = duty_.selection.group;
    Highlight highlight{
        .line = {.points = line.points, .look = kHighlightLook, .name = pump.name, .smooth = line.curve}};
    const hydraulics::DutyFigures figures = hydraulics::dutyFigures(pump.curve, hydraulicDuty(duty_));
    if (figures.working)
        highlight.working = chart::Marker{.at = {shownFlow(figures.working->flow), figures.working->head},
                                          .look = kWorkingLook,
                                          .name = QStringLiteral("运行点")};
    if (const std::optional<double> best = pump.curve.bestEfficiencyFlow)
        highlight.preferred = chart::Band{.from = shownFlow(group.groupFlow(hydraulics::kPreferredLow * *best)),
                                          .to = shownFlow(group.groupFlow(hydraulics::kPreferredHigh * *best)),
                                          .look = kPreferredLook};
    if (const auto flows = hydraulics::flowRange(pump.curve, group)) {
        QList<QPointF> efficiency =
            sampled(flows->first, flows->last, kCurveSamples, duty_.selection.unit,
                    [&](double flow) { return hydraulics::efficiencyAt(pump.curve, group, flow); });
        if (!efficiency.isEmpty())
            highlight.efficiency = chart::Series{.points = std::move(efficiency),
                                                 .look = kEfficiencyLook,
                                                 .axis = chart::AxisSide::Right,
                                                 .name = QStringLiteral("效率 η"),
                                                 .smooth = true};
    }
    return highlight;
}

// Hs + (H − Hs)(q/Q)² across the whole flow axis; the plot cuts it where it
// leaves the head axis.
std::optional<chart::Series> PumpChart::systemCurve(const chart::Ticks& flows) const {
    if (!duty_.selection.staticHead) return std::nullopt;
    const hydraulics::SystemCurve system{*duty_.selection.staticHead, duty_.flow, duty_.head};
    const double last = duty::toCubicMetresPerHour(flows.last, duty_.selection.unit);
    return chart::Series{.points = sampled(0, last, kCurveSamples, duty_.selection.unit,
                                           [&](double flow) { return std::optional(system.headAt(flow)); }),
                         .look = kSystemLook,
                         .name = QStringLiteral("系统曲线"),
                         .smooth = true};
}

// What each look on the chart means, for what is drawn.
std::vector<chart::LegendEntry> PumpChart::legend(const std::optional<Highlight>& highlight) const {
    std::vector<chart::LegendEntry> entries;
    const auto any = [&](auto test) { return std::any_of(pumps_.begin(), pumps_.end(), test); };
    if (any([](const Pump& p) { return p.fits; })) entries.push_back({QStringLiteral("满足工况的水泵"), kFitLook});
    if (any([](const Pump& p) { return !p.fits; })) entries.push_back({QStringLiteral("近似水泵"), kNearLook});
    if (any([](const Pump& p) { return p.curve.data == pumpsel::curves::Data::Range; }))
        entries.push_back({QStringLiteral("范围记录 (虚线)"), kRangeLook});
    if (highlight) entries.push_back({QStringLiteral("选中的水泵"), kHighlightLook});
    if (duty_.selection.staticHead) entries.push_back({QStringLiteral("系统曲线"), kSystemLook});
    entries.push_back({QStringLiteral("工况点"), kDutyLook});
    if (!highlight) return entries;
    if (highlight->working) entries.push_back({QStringLiteral("运行点"), kWorkingLook});
    if (highlight->preferred)
        entries.push_back({QStringLiteral("高效区 (最高效率点流量的 %1%～%2%)")
                               .arg(hydraulics::kPreferredLow * 100)
                               .arg(hydraulics::kPreferredHigh * 100),
                           kPreferredLook});
    if (highlight->efficiency) entries.push_back({QStringLiteral("效率 η (右轴)"), kEfficiencyLook});
    return entries;
}

// The pumps' lines in the order shown, the system curve over them, then the
// highlighted pump again on top, so that the selected pump is never hidden
// under its neighbours; the axes hold every line, marker and band but the
// system curve, which rises without end.
void PumpChart::redraw() {
    chart::Chart drawing;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        drawing.series.push_back(
            {.points = lines_[i].points, .look = lines_[i].look, .name = pumps_[i].name, .smooth = lines_[i].curve});
    std::optional<Highlight> highlight;
    if (highlighted_ >= 0) highlight = highlightOf(pumps_[static_cast<std::size_t>(highlighted_)], line(highlighted_));
    if (highlight && highlight->working) drawing.markers.push_back(*highlight->working);
    if (highlight && highlight->preferred) drawing.bands.push_back(*highlight->preferred);
    // The duty point on top: a pump whose curve runs through it works there.
    drawing.markers.push_back(
        {.at = {shownFlow(duty_.flow), duty_.head}, .look = kDutyLook, .name = QStringLiteral("工况点")});

    double maxFlow = 0, maxHead = 0;
    for (const chart::Series& series : drawing.series)
        for (const QPointF& point : series.points) {
            maxFlow = std::max(maxFlow, point.x());
            maxHead = std::max(maxHead, point.y());
        }
    for (const chart::Marker& marker : drawing.markers) {
        maxFlow = std::max(maxFlow, marker.at.x());
        maxHead = std::max(maxHead, marker.at.y());
    }
    for (const chart::Band& band : drawing.bands) maxFlow = std::max(maxFlow, band.to);
    drawing.bottom =
        axis(QStringLiteral("流量 Q (%1)").arg(QString::fromUtf8(duty::unitText(duty_.selection.unit))), maxFlow);
    drawing.left = axis(QStringLiteral("扬程 H (m)"), maxHead);

    if (auto system = systemCurve(*drawing.bottom.ticks)) drawing.series.push_back(std::move(*system));
    pumpOfSeries_.assign(drawing.series.size(), -1);
    for (int i = 0; i < lineCount(); ++i) pumpOfSeries_[static_cast<std::size_t>(i)] = i;
    if (highlight) {
        drawing.series.push_back(highlight->line);
        pumpOfSeries_.push_back(highlighted_);
        if (highlight->efficiency) {
            drawing.series.push_back(*highlight->efficiency);
            pumpOfSeries_.push_back(-1);
            drawing.right = chart::Axis{QStringLiteral("效率 η (%)"), chart::Ticks{0, 100, 20}};
        }
    }
    drawing.legend = legend(highlight);
    drawing.legendPlace = chart::LegendPlace::Below;
    if (shown_ > kMaxLines) drawing.note = QStringLiteral("共 %1 台，显示前 %2 台").arg(shown_).arg(kMaxLines);
    setChart(std::move(drawing));
}

}  // namespace ui
