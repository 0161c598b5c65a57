#include "ui/frame.h"

#include <QPainter>

namespace ui {

namespace {
constexpr int kCaptionLeft = 4;  // pixels from the frame's left edge
}

int Frame::borderTop() const { return title().isEmpty() ? 0 : fontMetrics().height() / 2; }

void Frame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Etched: a grey line with a white one a pixel to the lower right.
    const QRect border = rect().adjusted(0, borderTop(), -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border);
    painter.setPen(Qt::white);
    painter.drawRect(border.translated(1, 1));
    if (title().isEmpty()) return;
    const QRect caption(kCaptionLeft, 0, fontMetrics().horizontalAdvance(title()), fontMetrics().height());
    painter.fillRect(caption, palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

}  // namespace ui
