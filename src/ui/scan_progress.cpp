#include "ui/scan_progress.h"

#include <QLabel>

namespace ui {

ScanProgress::ScanProgress(QLabel* label, QWidget* banner) : label_(label), banner_(banner) {
    banner_->hide();
    // Sized once for the longest row of stars: measuring the text at every
    // record would cost more than reading the record.
    label_->resize(label_->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('*'))) + 2, label_->height());
    show();
    label_->show();
}

ScanProgress::~ScanProgress() {
    show();
    banner_->show();
    label_->hide();
}

void ScanProgress::advance() {
    stars_ = stars_ < 30 ? stars_ + 1 : 1;
    // Reading the clock costs more than a record: look at it every 64 records.
    if (++advances_ % 64 != 0) return;
    if (std::chrono::steady_clock::now() - shownAt_ < std::chrono::milliseconds(50)) return;
    show();
    label_->repaint();
}

void ScanProgress::show() {
    label_->setText(QString(stars_, QLatin1Char('*')));
    shownAt_ = std::chrono::steady_clock::now();
}

}  // namespace ui
