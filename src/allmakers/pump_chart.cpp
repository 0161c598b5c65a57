#include "allmakers/pump_chart.h"

#include "ui/fonts.h"

#include <QLineSeries>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

namespace ui {

namespace {

QValueAxis* axis(const QString& title, double low, double high) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setTitleFont(ui::simSun9());
    axis->setLabelsFont(ui::simSun9());
    axis->setRange(low, high);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->applyNiceNumbers();  // readable ticks: 0, 20, 40 rather than 0, 17.3, 34.6
    return axis;
}

// A pointer resting on the line shows its name: maker and model.
void nameOnHover(QLineSeries* series) {
    QObject::connect(series, &QLineSeries::hovered, series, [series](const QPointF&, bool state) {
        if (state)
            QToolTip::showText(QCursor::pos(), series->name());
        else
            QToolTip::hideText();
    });
}

// A range from 0 to a little above the largest value, and room around a point below it.
double upper(double largest) { return largest > 0 ? largest * 1.1 : 1; }

}  // namespace

PumpChart::PumpChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    chart()->setMargins(QMargins(2, 2, 2, 2));
}

QString PumpChart::lineName(int index) const { return line(index)->name(); }

void PumpChart::setPumps(const std::vector<const pumpsel::ranking::RankedPump*>& pumps,
                         pumpsel::records::DutyPoint point) {
    chart()->removeAllSeries();
    for (QAbstractAxis* old : chart()->axes()) chart()->removeAxis(old), delete old;
    lines_.clear();
    fits_.clear();
    highlighted_ = -1;
    highlight_ = nullptr;
    double maxFlow = point.flow, maxHead = point.head;
    const std::size_t drawn = std::min<std::size_t>(pumps.size(), kMaxLines);
    for (std::size_t i = 0; i < drawn; ++i) {
        const auto& m = *pumps[i]->row.match;
        auto* series = new QLineSeries;
        series->setName(QString::fromStdString(pumps[i]->maker + " " + pumps[i]->row.model));
        series->append(m.flow1, m.head1);
        series->append(m.flow2, m.head2);
        chart()->addSeries(series);
        nameOnHover(series);
        const int index = static_cast<int>(i);
        connect(series, &QLineSeries::clicked, this, [this, index] { emit pumpClicked(index); });
        lines_.push_back(series);
        fits_.push_back(m.fits);
        style(index);
        maxFlow = std::max({maxFlow, double(m.flow1), double(m.flow2)});
        maxHead = std::max({maxHead, double(m.head1), double(m.head2)});
    }
    highlight_ = new QLineSeries;
    QPen pen(QColor(200, 0, 0));
    pen.setWidthF(3.0);
    highlight_->setPen(pen);
    chart()->addSeries(highlight_);
    nameOnHover(highlight_);
    auto* duty = new QScatterSeries;
    duty->setName(QStringLiteral("工况点"));
    duty->setMarkerSize(9);
    duty->setColor(Qt::red);
    duty->append(point.flow, point.head);
    chart()->addSeries(duty);

    QValueAxis* flowAxis = axis(QStringLiteral("流量 Q (m³/h)"), 0, upper(maxFlow));
    QValueAxis* headAxis = axis(QStringLiteral("扬程 H (m)"), 0, upper(maxHead));
    chart()->addAxis(flowAxis, Qt::AlignBottom);
    chart()->addAxis(headAxis, Qt::AlignLeft);
    for (QAbstractSeries* series : chart()->series()) {
        series->attachAxis(flowAxis);
        series->attachAxis(headAxis);
    }
}

// The highlight is a line of its own drawn over the others, so that the
// selected pump is never hidden under its neighbours.
void PumpChart::highlight(int index) {
    highlighted_ = index >= 0 && index < lineCount() ? index : -1;
    if (!highlight_) return;
    highlight_->setName(highlighted_ >= 0 ? line(highlighted_)->name() : QString());
    highlight_->replace(highlighted_ >= 0 ? line(highlighted_)->points() : QList<QPointF>());
}

// Fits in blue, near misses in dashed grey.
void PumpChart::style(int index) {
    const bool fits = fits_.at(static_cast<std::size_t>(index));
    QPen pen(fits ? QColor(40, 90, 170) : QColor(150, 150, 150));
    pen.setWidthF(1.5);
    if (!fits) pen.setStyle(Qt::DashLine);
    line(index)->setPen(pen);
}

}  // namespace ui
