#pragma once
// The progress label of a long catalogue read: while the read runs it stands
// in the banner's place and grows by one "*" per record tried, up to 30, then
// starts again at one. It is redrawn a few times a second, not per record:
// drawing it tens of thousands of times would cost more than the reading.
#include <QString>
#include <chrono>

class QLabel;
class QWidget;

namespace ui {

class ScanProgress {
public:
    ScanProgress(QLabel* label, QWidget* banner);  // hides the banner, shows "*"
    ~ScanProgress();                               // shows the banner again, hides the label
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    void advance();

private:
    void show();

    QLabel* label_;
    QWidget* banner_;
    int stars_ = 1;
    unsigned advances_ = 0;
    std::chrono::steady_clock::time_point shownAt_;
};

}  // namespace ui
