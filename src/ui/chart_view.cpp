#include "ui/chart_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace ui {

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the chart paints every pixel
}

void ChartView::setChart(chart::Chart chart) {
    chart_ = std::move(chart);
    pointed_ = -1;
    update();
}

chart::ChartLayout ChartView::chartLayout() const { return chart_.layout(*this, rect()); }

int ChartView::seriesAt(QPointF point) const { return chart_.hitTest(*this, rect(), point, kPointingTolerance); }

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    chart_.render(painter, rect());
}

// The name shows as soon as the pointer reaches a line, and goes when it leaves it.
void ChartView::mouseMoveEvent(QMouseEvent* event) {
    const int series = seriesAt(event->position());
    if (series == pointed_) return;
    pointed_ = series;
    const QString name = series >= 0 ? chart_.series[static_cast<std::size_t>(series)].name : QString();
    if (name.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), name, this);
    setCursor(series >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

// Qt hides the name when the pointer leaves; coming back onto the same line shows it again.
void ChartView::leaveEvent(QEvent*) { pointed_ = -1; }

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int series = seriesAt(event->position());
    if (series >= 0) emit seriesClicked(series);
}

}  // namespace ui
