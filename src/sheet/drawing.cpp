// The sheet laid out on paged devices: a title, the heading's fields, then
// numbered sections of ruled tables, the chart among them. A section that
// does not fit on what is left of a page begins the next one.
#include "chart/fonts.h"
#include "sheet/figures.h"
#include "sheet/sheet.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <functional>
#include <utility>

namespace ui::sheet {

namespace {

using pumpsel::curves::Data;

constexpr double kTitlePoints = 16;
constexpr double kSectionPoints = 10.5;
constexpr double kTextPoints = 9;
constexpr double kRowMm = 5.0;         // a table row of one line
constexpr double kPaddingMm = 1.2;     // inside a cell, left and right
constexpr double kLeadingMm = 0.6;     // inside a cell, above and below its text
constexpr double kSectionGapMm = 1.6;  // above a section's heading
constexpr double kChartMm = 62;

const QColor kRuleColour(120, 120, 120);
const QColor kLabelFill(238, 238, 238);
const QColor kPassColour(0, 110, 40);
const QColor kFailColour(190, 0, 0);
const QColor kGreyText(110, 110, 110);

// One cell of a table row; `span` columns wide.
struct Cell {
    QString text{};
    int span = 1;
    bool label = false;  // shaded, as a field's name or a column header
    Qt::Alignment align = Qt::AlignLeft;
    QColor colour = Qt::black;
};
using Row = std::vector<Cell>;

Cell label(QString text, int span = 1) { return {std::move(text), span, true}; }
Cell value(QString text, int span = 1) { return {std::move(text), span}; }
Cell figure(QString text) { return {std::move(text), 1, false, Qt::AlignRight}; }
Cell centred(QString text) { return {std::move(text), 1, false, Qt::AlignHCenter}; }
Cell header(QString text) { return {std::move(text), 1, true, Qt::AlignHCenter}; }

Cell verdictCell(Verdict verdict) {
    Cell cell = centred(verdictText(verdict));
    if (verdict == Verdict::Pass) cell.colour = kPassColour;
    if (verdict == Verdict::Fail) cell.colour = kFailColour;
    return cell;
}

// A part of a section with its height on the page and how it is drawn.
struct Block {
    double height = 0;
    std::function<void(QPainter&, const QRectF&)> draw;
};

// Lengths and fonts on one device.
class Measures {
public:
    explicit Measures(const QPaintDevice& device)
        : device_(device), text_(chart::programFont(kTextPoints)), bold_(chart::programFont(kTextPoints, true)) {}

    double mm(double millimetres) const { return millimetres * device_.logicalDpiY() / 25.4; }
    const QFont& text() const { return text_; }
    const QFont& bold() const { return bold_; }
    QFont font(double points, bool bold) const { return chart::programFont(points, bold); }
    // The height of the text wrapped to `width`.
    double wrappedHeight(const QFont& font, const QString& text, double width) const {
        const QFontMetricsF metrics(font, &device_);
        return metrics.boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
    }

private:
    const QPaintDevice& device_;
    QFont text_, bold_;
};

// A ruled table: rows of cells over columns of the given relative widths.
// A row is one line high, or as high as its longest text needs.
class Table {
public:
    Table(const Measures& m, double width, std::vector<double> columns, std::vector<Row> rows)
        : m_(&m), columns_(std::move(columns)), rows_(std::move(rows)) {
        double total = 0;
        for (double c : columns_) total += c;
        for (double& c : columns_) c = c / total * width;
        for (const Row& row : rows_) heights_.push_back(rowHeight(row));
    }

    Block block() const {
        double height = 0;
        for (double h : heights_) height += h;
        return {height, [table = *this](QPainter& painter, const QRectF& area) { table.draw(painter, area); }};
    }

private:
    std::vector<double> cellWidths(const Row& row) const {
        std::vector<double> widths;
        std::size_t column = 0;
        for (const Cell& cell : row) {
            double width = 0;
            for (int i = 0; i < cell.span && column < columns_.size(); ++i) width += columns_[column++];
            widths.push_back(width);
        }
        return widths;
    }

    const QFont& fontOf(const Cell& cell) const { return cell.label ? m_->bold() : m_->text(); }

    double rowHeight(const Row& row) const {
        const std::vector<double> widths = cellWidths(row);
        double height = m_->mm(kRowMm);
        for (std::size_t i = 0; i < row.size(); ++i)
            height =
                std::max(height, m_->wrappedHeight(fontOf(row[i]), row[i].text, widths[i] - 2 * m_->mm(kPaddingMm)) +
                                     2 * m_->mm(kLeadingMm));
        return height;
    }

    void draw(QPainter& painter, const QRectF& area) const {
        double y = area.top();
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            const std::vector<double> widths = cellWidths(rows_[r]);
            double x = area.left();
            for (std::size_t i = 0; i < rows_[r].size(); ++i) {
                drawCell(painter, rows_[r][i], QRectF(x, y, widths[i], heights_[r]));
                x += widths[i];
            }
            y += heights_[r];
        }
    }

    void drawCell(QPainter& painter, const Cell& cell, const QRectF& box) const {
        painter.fillRect(box, cell.label ? kLabelFill : Qt::white);
        painter.setPen(QPen(kRuleColour, m_->mm(0.15)));
        painter.drawRect(box);
        painter.setFont(fontOf(cell));
        painter.setPen(cell.colour);
        const double padding = m_->mm(kPaddingMm);
        painter.drawText(box.adjusted(padding, 0, -padding, 0), int(cell.align | Qt::AlignVCenter) | Qt::TextWordWrap,
                         cell.text);
    }

    const Measures* m_;
    std::vector<double> columns_;  // widths on the device
    std::vector<Row> rows_;
    std::vector<double> heights_;
};

Block table(const Measures& m, double width, std::vector<double> columns, std::vector<Row> rows) {
    return Table(m, width, std::move(columns), std::move(rows)).block();
}

// A line in grey where a section has nothing to show.
Block note(const Measures& m, double width, QString text) {
    const double height = m.wrappedHeight(m.text(), text, width) + m.mm(1.5);
    return {height, [&m, text](QPainter& painter, const QRectF& area) {
                painter.setFont(m.text());
                painter.setPen(kGreyText);
                painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
            }};
}

Block heading(const Measures& m, QString text) {
    const QFont font = m.font(kSectionPoints, true);
    return {m.mm(kSectionGapMm) + m.wrappedHeight(font, text, 1e6) + m.mm(0.8),
            [font, text](QPainter& painter, const QRectF& area) {
                painter.setFont(font);
                painter.setPen(Qt::black);
                painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom, text);
            }};
}

// ---- The sections -------------------------------------------------------

QString groupText(const SheetContent& c) {
    const auto& group = c.duty.group;
    QString text = QStringLiteral("%1 用 %2 备").arg(group.pumps).arg(c.standby);
    if (group.pumps > 1) text += group.series ? QStringLiteral("，串联") : QStringLiteral("，并联");
    return text;
}

QString dateText(const QDate& date) { return date.isValid() ? date.toString(Qt::ISODate) : QString(); }

std::vector<Block> titleBlock(const Measures& m, double width, const SheetContent& c) {
    const QFont font = m.font(kTitlePoints, true);
    const QString title = QStringLiteral("水泵选型计算书");
    const Heading& h = c.heading;
    return {{m.wrappedHeight(font, title, width) + m.mm(3),
             [font, title](QPainter& painter, const QRectF& area) {
                 painter.setFont(font);
                 painter.setPen(Qt::black);
                 painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, title);
             }},
            table(m, width, {1, 1.9, 1, 1.9, 1, 1.9},
                  {{label(QStringLiteral("工程名称")), value(h.project, 3), label(QStringLiteral("工程编号")),
                    value(h.projectNumber)},
                   {label(QStringLiteral("系统/机房")), value(h.system), label(QStringLiteral("设计")),
                    value(h.designer), label(QStringLiteral("校对")), value(h.checker)},
                   {label(QStringLiteral("日期")), value(dateText(h.date)), label(QStringLiteral("设计依据")),
                    value(h.basis, 3)}})};
}

std::vector<Block> dutySection(const Measures& m, double width, const SheetContent& c) {
    const auto& d = c.duty;
    std::vector<Row> rows = {{label(QStringLiteral("设计流量 Q")), value(flowText(d.flow)),
                              label(QStringLiteral("设计扬程 H")), value(withUnit(d.head, Quantity::Head))},
                             {label(QStringLiteral("水泵台数")), value(groupText(c)), label(QStringLiteral("调速方式")),
                              value(c.variableSpeed ? QStringLiteral("变频调速") : QStringLiteral("工频（定速）"))}};
    if (d.staticHead) {
        // The system curve through the duty point: Hs + (H − Hs)·(Q/Qd)².
        const QString curve =
            QStringLiteral("H = %1 + %2 × (Q / %3)²")
                .arg(figureText(*d.staticHead, Quantity::Head), figureText(d.head - *d.staticHead, Quantity::Head),
                     figureText(d.flow, Quantity::Flow));
        rows.push_back({label(QStringLiteral("静扬程 Hs")), value(withUnit(*d.staticHead, Quantity::Head)),
                        label(QStringLiteral("管路特性")), value(curve)});
    }
    return {heading(m, QStringLiteral("一、设计工况")), table(m, width, {1, 2.2, 1, 2.2}, std::move(rows))};
}

QString rangeText(double from, double to, Quantity quantity) {
    return figureText(from, quantity) + QStringLiteral("～") + withUnit(to, quantity);
}

// The pumps at one speed in a row: each pump's figures, or the group's
// where they add up.
Row runningRow(QString name, const Running& r, bool group) {
    const auto litres = [](std::optional<double> flow) {
        return flow ? std::optional(pumpsel::duty::inUnit(*flow, pumpsel::duty::FlowUnit::LitresPerSecond))
                    : std::nullopt;
    };
    const auto pumpOnly = [group](std::optional<double> value, Quantity q) {
        return figure(group ? QString() : figureText(value, q));
    };
    const std::optional<double> flow = group ? r.flow : r.pumpFlow;
    return {label(std::move(name)),
            figure(figureText(flow, Quantity::Flow)),
            figure(figureText(litres(flow), Quantity::LitreFlow)),
            figure(figureText(group ? r.head : r.pumpHead, Quantity::Head)),
            pumpOnly(r.efficiencyPct, Quantity::Percent),
            figure(figureText(group ? r.totalPowerKw : r.shaftPowerKw, Quantity::Power)),
            pumpOnly(r.motorLoadPct, Quantity::Percent),
            pumpOnly(r.npshRequired, Quantity::Head),
            pumpOnly(r.rpm, Quantity::Speed)};
}

std::vector<Block> pumpSection(const Measures& m, double width, const SheetContent& c) {
    const ChosenPump& p = c.pump;
    const QString data = dataText(p.data) + (p.data == Data::Range ? QStringLiteral("（无曲线数据）") : QString());
    const Block identity =
        table(m, width, {1, 1.9, 1, 1.9, 1, 1.9},
              {{label(QStringLiteral("水泵类型")), value(p.kind), label(QStringLiteral("生产厂家")), value(p.maker),
                label(QStringLiteral("型号")), value(p.model)},
               {label(QStringLiteral("性能数据")), value(data), label(QStringLiteral("额定转速")),
                value(withUnit(p.ratedSpeed, Quantity::Speed)), label(QStringLiteral("电机功率")),
                value(withUnit(p.motorPower, Quantity::Power))},
               {label(QStringLiteral("流量范围")), value(rangeText(p.flow1, p.flow2, Quantity::Flow)),
                label(QStringLiteral("扬程范围")), value(rangeText(p.head1, p.head2, Quantity::Head), 3)}});

    const int pumps = c.duty.group.pumps;
    std::vector<Row> rows = {{label(QStringLiteral("工作点")), header(QStringLiteral("流量 Q\n(m³/h)")),
                              header(QStringLiteral("流量 Q\n(L/s)")), header(QStringLiteral("扬程 H\n(m)")),
                              header(QStringLiteral("效率 η\n(%)")), header(QStringLiteral("轴功率 P\n(kW)")),
                              header(QStringLiteral("电机负载率\n(%)")),
                              header(QStringLiteral("必需汽蚀余量\nNPSHr (m)")),
                              header(QStringLiteral("转速 n\n(r/min)"))}};
    const auto addRows = [&](const Running& running, const QString& speed) {
        rows.push_back(runningRow(speed + QStringLiteral("单台"), running, false));
        if (pumps > 1) rows.push_back(runningRow(speed + QStringLiteral("合计（%1 台）").arg(pumps), running, true));
    };
    addRows(c.rated, c.variable ? QStringLiteral("工频 ") : QString());
    if (c.variable) addRows(*c.variable, QStringLiteral("变频 "));
    return {heading(m, QStringLiteral("二、选型结果")),
            identity,
            {m.mm(1.5), {}},
            table(m, width, {1.9, 1, 1, 1, 1, 1, 1.1, 1.3, 1}, std::move(rows))};
}

QString speedFigure(const pumpsel::hydraulics::SpeedFigures& s) {
    using pumpsel::hydraulics::SpeedFit;
    if (s.fit == SpeedFit::NoMeeting) return QStringLiteral("过设计工况点的相似抛物线与水泵曲线不相交");
    QString text = QStringLiteral("转速比 %1").arg(QString::number(s.ratio.value_or(0), 'f', 3));
    if (s.rpm) text += QStringLiteral("，n = ") + withUnit(s.rpm, Quantity::Speed);
    return text;
}

std::vector<Block> checkSection(const Measures& m, double width, const SheetContent& c) {
    using pumpsel::hydraulics::kHighestSpeedRatio;
    using pumpsel::hydraulics::kLowestSpeedRatio;
    using pumpsel::hydraulics::kPreferredHigh;
    using pumpsel::hydraulics::kPreferredLow;
    const auto& f = c.figures;
    const Checks& k = c.checks;
    const bool range = c.pump.data == Data::Range;
    const auto noData = [&](QString text) { return range ? QStringLiteral("—") : text; };

    const QString margin = f.headAtDutyFlow ? QStringLiteral("H泵(Q) = %1，余量 %2")
                                                  .arg(withUnit(f.headAtDutyFlow, Quantity::Head),
                                                       withUnit(f.headDeviationPct, Quantity::SignedPercent))
                                            : QStringLiteral("设计流量超出水泵的流量范围");
    const QString ratio = f.bestEfficiencyRatio ? QStringLiteral("Q/Qbep = %1（Qbep = %2）")
                                                      .arg(withUnit(*f.bestEfficiencyRatio * 100, Quantity::Percent),
                                                           withUnit(f.bestEfficiencyFlow, Quantity::Flow))
                                                : QStringLiteral("—");
    const QString power = QStringLiteral("最大轴功率 %1").arg(withUnit(c.largestShaftPowerKw, Quantity::Power));
    std::vector<Row> rows = {
        {label(QStringLiteral("校核项目")), label(QStringLiteral("计算值")), label(QStringLiteral("要求")),
         header(QStringLiteral("结论"))},
        {label(QStringLiteral("扬程余量")), value(margin),
         value(QStringLiteral("H泵(Q) ≥ H = %1").arg(withUnit(c.duty.head, Quantity::Head))),
         verdictCell(k.headMargin)},
        {label(QStringLiteral("高效区")), value(noData(ratio)),
         value(QStringLiteral("%1%～%2% Qbep").arg(kPreferredLow * 100).arg(kPreferredHigh * 100)),
         verdictCell(k.preferredRegion)},
        {label(QStringLiteral("电机过载")), value(noData(power)),
         value(QStringLiteral("流量1～流量2 内 ≤ 电机功率 %1").arg(withUnit(c.pump.motorPower, Quantity::Power))),
         verdictCell(k.motor)}};
    if (k.speed)
        rows.push_back(
            {label(QStringLiteral("变频调速")), value(noData(speedFigure(*c.speed))),
             value(QStringLiteral("转速比 %1～%2")
                       .arg(QString::number(kLowestSpeedRatio, 'f', 2), QString::number(kHighestSpeedRatio, 'f', 2))),
             verdictCell(*k.speed)});
    return {heading(m, QStringLiteral("三、校核")), table(m, width, {1, 2.6, 2.2, 0.9}, std::move(rows))};
}

std::vector<Block> energySection(const Measures& m, double width, const SheetContent& c) {
    const Block title = heading(m, QStringLiteral("四、能耗"));
    if (!c.energy) return {title, note(m, width, QStringLiteral("无轴功率数据，不计算能耗。"))};
    const Energy& e = *c.energy;
    const QString basis = c.variable ? QStringLiteral("变频工作点") : QStringLiteral("工频工作点");
    return {title, table(m, width, {1, 1.9, 1, 1.9, 1, 1.9},
                         {{label(QStringLiteral("运行轴功率")), value(withUnit(e.powerKw, Quantity::Power)),
                           label(QStringLiteral("年运行时间")), value(withUnit(e.hoursPerYear, Quantity::Hours)),
                           label(QStringLiteral("电价")), value(withUnit(e.pricePerKwh, Quantity::Price))},
                          {label(QStringLiteral("年耗电量")), value(withUnit(e.kwhPerYear, Quantity::Energy)),
                           label(QStringLiteral("年电费")), value(withUnit(e.costPerYear, Quantity::Money)),
                           label(QStringLiteral("说明")),
                           value(QStringLiteral("%1 台工作泵，%2").arg(c.duty.group.pumps).arg(basis))}})};
}

std::vector<Block> chartSection(const Measures& m, const SheetContent& c) {
    return {heading(m, QStringLiteral("五、性能曲线")),
            {m.mm(kChartMm), [&c](QPainter& painter, const QRectF& area) { c.chart.render(painter, area); }}};
}

std::vector<Block> alternativesSection(const Measures& m, double width, const SheetContent& c) {
    const Block title = heading(m, QStringLiteral("六、备选方案"));
    if (c.alternatives.empty())
        return {title, note(m, width, QStringLiteral("同类水泵中无其他满足或接近工况的水泵。"))};
    std::vector<Row> rows = {{header(QStringLiteral("序号")), label(QStringLiteral("生产厂家")),
                              label(QStringLiteral("型号")), header(QStringLiteral("数据")),
                              header(QStringLiteral("扬程偏差 (%)")), header(QStringLiteral("效率 (%)")),
                              header(QStringLiteral("轴功率 (kW)"))}};
    int number = 0;
    for (const Alternative& a : c.alternatives)
        rows.push_back({centred(QString::number(++number)), value(a.maker), value(a.model),
                        centred(a.data ? dataText(*a.data) : QStringLiteral("—")),
                        figure(figureText(a.headDeviationPct, Quantity::SignedPercent)),
                        figure(figureText(a.efficiencyPct, Quantity::Percent)),
                        figure(figureText(a.shaftPowerKw, Quantity::Power))});
    return {title, table(m, width, {0.6, 2.6, 1.6, 0.7, 1.1, 0.9, 1}, std::move(rows))};
}

std::vector<Block> makerSection(const Measures& m, double width, const SheetContent& c) {
    const ChosenPump& p = c.pump;
    return {
        heading(m, QStringLiteral("七、厂家信息")),
        table(m, width, {1, 1.9, 1, 1.9, 1, 1.9},
              {{label(QStringLiteral("地址")), value(p.address, 3), label(QStringLiteral("电话")), value(p.telephone)},
               {label(QStringLiteral("水泵备注")), value(p.remark, 5)}})};
}

std::vector<std::vector<Block>> sections(const Measures& m, double width, const SheetContent& c) {
    return {titleBlock(m, width, c),          dutySection(m, width, c),   pumpSection(m, width, c),
            checkSection(m, width, c),        energySection(m, width, c), chartSection(m, c),
            alternativesSection(m, width, c), makerSection(m, width, c)};
}

}  // namespace

void printSheet(QPagedPaintDevice& device, const SheetContent& content) {
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    const Measures measures(device);
    const QRectF page(QPointF(0, 0), QSizeF(device.width(), device.height()));
    double y = page.top();
    for (const std::vector<Block>& section : sections(measures, page.width(), content)) {
        double height = 0;
        for (const Block& block : section) height += block.height;
        if (y + height > page.bottom() && y > page.top()) {
            device.newPage();
            y = page.top();
        }
        for (const Block& block : section) {
            if (block.draw) block.draw(painter, QRectF(page.left(), y, page.width(), block.height));
            y += block.height;
        }
    }
}

}  // namespace ui::sheet
