#pragma once
// The progress label of a long catalogue read: while the read runs it stands
// in the banner's place and grows by one "*" per record tried, up to 30, then
// starts again at one.
#include <QString>

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
};

}  // namespace ui
