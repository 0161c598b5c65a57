#include "chart/chart.h"
#include "chart/metrics.h"

#include <QPainter>
#include <QPainterPath>

namespace ui::chart {

namespace {

const QColor kFrameColour(150, 150, 150);
const QColor kGridColour(225, 225, 225);
const QColor kNoteColour(100, 100, 100);

Qt::PenStyle penStyle(LineStyle style) {
    switch (style) {
        case LineStyle::Dashed:
            return Qt::DashLine;
        case LineStyle::Dotted:
            return Qt::DotLine;
        case LineStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

QPen linePen(const LineLook& look, double unit, bool smooth) {
    return QPen(look.color, look.width * unit, penStyle(look.style), smooth ? Qt::RoundCap : Qt::FlatCap,
                smooth ? Qt::RoundJoin : Qt::MiterJoin);
}

// The shape's outline around (0, 0), `size` wide.
QPainterPath markerPath(MarkerShape shape, double size) {
    const double half = size / 2;
    QPainterPath path;
    switch (shape) {
        case MarkerShape::Circle:
            path.addEllipse(QPointF(0, 0), half, half);
            break;
        case MarkerShape::Square:
            path.addRect(-half, -half, size, size);
            break;
        case MarkerShape::Diamond:
            path.addPolygon(QPolygonF{{0, -half}, {half, 0}, {0, half}, {-half, 0}});
            path.closeSubpath();
            break;
        case MarkerShape::Triangle:
            path.addPolygon(QPolygonF{{0, -half}, {half, half}, {-half, half}});
            path.closeSubpath();
            break;
        case MarkerShape::Cross:  // two strokes, not an outline
            path.moveTo(-half, -half);
            path.lineTo(half, half);
            path.moveTo(-half, half);
            path.lineTo(half, -half);
            break;
    }
    return path;
}

void drawMarker(QPainter& painter, const MarkerLook& look, QPointF at, double unit) {
    const QPainterPath path = markerPath(look.shape, look.size * unit).translated(at);
    if (look.shape == MarkerShape::Cross) {
        painter.strokePath(path, QPen(look.color, 2 * unit));
    } else {
        painter.setPen(QPen(look.color.darker(150), unit));
        painter.setBrush(look.color);
        painter.drawPath(path);
    }
}

void drawGridAndTicks(QPainter& painter, const Mapping& mapping, const Metrics& metrics, bool rightAxis) {
    const QRectF& plot = mapping.plot();
    const double tick = metrics.tickLength();
    const Ticks& x = mapping.bottom();
    for (int i = 0; i < x.count(); ++i) {
        const double at = mapping.toPixel({x.at(i), 0}).x();
        painter.setPen(QPen(kGridColour, metrics.unit));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        painter.setPen(QPen(kFrameColour, metrics.unit));
        painter.drawLine(QPointF(at, plot.bottom()), QPointF(at, plot.bottom() + tick));
    }
    for (AxisSide side : {AxisSide::Left, AxisSide::Right}) {
        if (side == AxisSide::Right && !rightAxis) break;
        const Ticks& y = mapping.side(side);
        for (int i = 0; i < y.count(); ++i) {
            const double at = mapping.toPixel({0, y.at(i)}, side).y();
            if (side == AxisSide::Left) {
                painter.setPen(QPen(kGridColour, metrics.unit));
                painter.drawLine(QPointF(plot.left(), at), QPointF(plot.right(), at));
            }
            const double edge = side == AxisSide::Left ? plot.left() : plot.right();
            painter.setPen(QPen(kFrameColour, metrics.unit));
            painter.drawLine(QPointF(edge, at), QPointF(edge + (side == AxisSide::Left ? -tick : tick), at));
        }
    }
}

void drawTickLabels(QPainter& painter, const Mapping& mapping, const Metrics& metrics, bool rightAxis) {
    const QRectF& plot = mapping.plot();
    const double line = metrics.lineHeight(), gap = metrics.labelGap();
    const double wide = plot.width();  // room enough for any label, centred or aligned
    painter.setPen(Qt::black);
    const Ticks& x = mapping.bottom();
    for (int i = 0; i < x.count(); ++i) {
        const double at = mapping.toPixel({x.at(i), 0}).x();
        painter.drawText(QRectF(at - wide / 2, plot.bottom() + gap, wide, line), Qt::AlignCenter, x.label(i));
    }
    for (AxisSide side : {AxisSide::Left, AxisSide::Right}) {
        if (side == AxisSide::Right && !rightAxis) break;
        const Ticks& y = mapping.side(side);
        for (int i = 0; i < y.count(); ++i) {
            const double at = mapping.toPixel({0, y.at(i)}, side).y();
            const QRectF box = side == AxisSide::Left ? QRectF(plot.left() - gap - wide, at - line / 2, wide, line)
                                                      : QRectF(plot.right() + gap, at - line / 2, wide, line);
            painter.drawText(box, (side == AxisSide::Left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             y.label(i));
        }
    }
}

// Text turned a quarter left, reading upwards, centred in an upright box.
void drawUpwards(QPainter& painter, const QRectF& box, const QString& text) {
    painter.save();
    painter.translate(box.center());
    painter.rotate(-90);
    painter.drawText(QRectF(-box.height() / 2, -box.width() / 2, box.height(), box.width()), Qt::AlignCenter, text);
    painter.restore();
}

void drawBands(QPainter& painter, const Chart& chart, const Mapping& mapping) {
    const QRectF& plot = mapping.plot();
    for (const Band& band : chart.bands) {
        const double from = mapping.toPixel({band.from, 0}).x(), to = mapping.toPixel({band.to, 0}).x();
        painter.fillRect(QRectF(QPointF(from, plot.top()), QPointF(to, plot.bottom())).normalized(), band.look.color);
    }
}

void drawSeries(QPainter& painter, const Chart& chart, const Mapping& mapping, double unit) {
    painter.setBrush(Qt::NoBrush);
    for (const Series& series : chart.series) {
        QPolygonF pixels;
        for (const QPointF& point : series.points) pixels << mapping.toPixel(point, series.axis);
        painter.setPen(linePen(series.look, unit, series.smooth));
        painter.drawPolyline(pixels);
    }
}

void drawSample(QPainter& painter, const LegendEntry& entry, const QRectF& box, const Metrics& metrics) {
    const QPointF middle(box.left() + metrics.sampleWidth() / 2, box.center().y());
    if (const auto* line = std::get_if<LineLook>(&entry.sample)) {
        painter.setPen(linePen(*line, metrics.unit, false));
        painter.drawLine(QPointF(box.left(), middle.y()), QPointF(box.left() + metrics.sampleWidth(), middle.y()));
    } else if (const auto* marker = std::get_if<MarkerLook>(&entry.sample)) {
        drawMarker(painter, *marker, middle, metrics.unit);
    } else if (const auto* band = std::get_if<BandLook>(&entry.sample)) {
        const QSizeF size(metrics.sampleWidth() * 0.6, box.height() * 0.6);
        painter.fillRect(QRectF(middle - QPointF(size.width(), size.height()) / 2, size), band->color);
    }
}

void drawLegend(QPainter& painter, const Chart& chart, const ChartLayout& layout, const Metrics& metrics) {
    if (layout.legendEntries.empty()) return;
    if (chart.legendPlace == LegendPlace::InsideFreeCorner) {
        painter.setPen(QPen(kFrameColour, metrics.unit));
        painter.setBrush(QColor(255, 255, 255, 230));
        painter.drawRect(layout.legend);
    }
    const std::vector<LegendEntry> entries = chart.legendEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QRectF& box = layout.legendEntries[i];
        drawSample(painter, entries[i], box, metrics);
        const double textLeft = metrics.sampleWidth() + metrics.sampleGap();
        painter.setPen(Qt::black);
        painter.drawText(box.adjusted(textLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, entries[i].text);
    }
}

}  // namespace

// Bands, lines and markers are clipped to the plot; everything else goes
// around it.
void Chart::render(QPainter& painter, const QRectF& area) const {
    const ChartLayout layout = this->layout(*painter.device(), area);
    const Mapping& mapping = layout.mapping;
    const Metrics metrics(*painter.device());
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.fillRect(area, Qt::white);
    painter.setFont(metrics.text);
    drawGridAndTicks(painter, mapping, metrics, right.has_value());

    painter.save();
    painter.setClipRect(mapping.plot(), Qt::IntersectClip);
    drawBands(painter, *this, mapping);
    drawSeries(painter, *this, mapping, metrics.unit);
    for (const Marker& marker : markers)
        drawMarker(painter, marker.look, mapping.toPixel(marker.at, marker.axis), metrics.unit);
    painter.restore();

    painter.setPen(QPen(kFrameColour, metrics.unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mapping.plot());
    drawTickLabels(painter, mapping, metrics, right.has_value());
    painter.drawText(layout.bottomTitle, Qt::AlignCenter, bottom.title);
    drawUpwards(painter, layout.leftTitle, left.title);
    if (right) drawUpwards(painter, layout.rightTitle, right->title);
    painter.setPen(kNoteColour);
    painter.drawText(layout.note, Qt::AlignRight | Qt::AlignVCenter, note);
    painter.setPen(Qt::black);
    painter.setFont(metrics.title);
    painter.drawText(layout.title, Qt::AlignCenter, title);
    painter.setFont(metrics.text);
    drawLegend(painter, *this, layout, metrics);
    painter.restore();
}

QImage Chart::image(QSize size, double pixelRatio) const {
    QImage image(size * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    QPainter painter(&image);
    render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

}  // namespace ui::chart
