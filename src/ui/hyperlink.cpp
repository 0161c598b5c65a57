#include "ui/hyperlink.h"

#include "ui/fonts.h"
#include "ui/publisher.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace ui {

QColor bannerColour() { return QColor(128, 64, 0); }

Hyperlink::Hyperlink(QWidget* parent, Caption caption) : QLabel(parent) {
    setObjectName(QStringLiteral("Hyperlink1"));
    setCaption(caption);
    setToolTip(publisher::kBannerHint);
    setFont(simSun9());
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, bannerColour());
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void Hyperlink::setCaption(Caption caption) {
    setText(publisher::kBrand + QLatin1Char(' ') +
            (caption == Caption::WithScheme ? publisher::kWebUrl : publisher::kWebAddress));
}

void Hyperlink::open() const { QDesktopServices::openUrl(QUrl(publisher::kWebUrl)); }

void Hyperlink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) open();
    QLabel::mouseReleaseEvent(event);
}

void Hyperlink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        open();
        return;
    }
    QLabel::keyPressEvent(event);
}

}  // namespace ui
