// Search and browse over the largest maker data file, end to end through the
// real windows without a screen: from the click until the results window is
// filled and shown, next to one full parse of the same file.
#include "results/results_window.h"
#include "scale_catalogue.h"
#include "selection/selection_window.h"
#include "storage/gbk.h"
#include "storage/profile.h"
#include "ui/list_view.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times one click: until the results window shows, which it does filled.
class ClickTimer : public QObject {
public:
    double time(QPushButton* button, int* rows) {
        shown_ = false;
        qApp->installEventFilter(this);
        const auto start = Clock::now();
        button->click();
        qApp->removeEventFilter(this);
        *rows = rows_;
        return ms(start, shownAt_);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* results = qobject_cast<ResultsWindow*>(watched);
        if (results && event->type() == QEvent::Show && !shown_) {
            shown_ = true;
            shownAt_ = Clock::now();
            rows_ = results->ListView1->rowCount();
            QTimer::singleShot(0, results, &QWidget::close);
        }
        return false;
    }

private:
    bool shown_ = false;
    Clock::time_point shownAt_;
    int rows_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto root = std::filesystem::temp_directory_path() / "pumpsel-bench-search";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "txt");
    std::ofstream(root / "txt" / "bump.dat", std::ios::binary)
        << *pumpsel::gbk::fromUtf8("[种类]\r\n1=离心泵\r\n[离心泵]\r\n1=规模厂\r\n1file=scale.dat\r\n1pic=scale.png\r\n");
    const auto dataFile = root / "txt" / "scale.dat";
    pumpsel::bench::writeMakerFile(dataFile, 32766);

    std::vector<double> parses;
    for (int i = 0; i < 7; ++i) {
        pumpsel::ini::forgetCachedFiles();
        const auto start = Clock::now();
        pumpsel::ini::ReadProfileValue(dataFile, "1", "型号");
        parses.push_back(ms(start, Clock::now()));
    }
    const double parse = median(parses);

    SelectionWindow window(root);
    window.show();
    window.Text1[0]->setText("120");
    window.Text1[1]->setText("40");
    ClickTimer timer;
    std::printf("maker data file: 32766 records, %.1f MB; one full parse %.1f ms\n",
                std::filesystem::file_size(dataFile) / 1048576.0, parse);
    std::printf("%-28s %10s %10s %8s %8s\n", "action", "cold ms", "warm ms", "parses", "rows");
    for (auto [name, button] : {std::pair{"search (搜索)", window.Command1}, {"browse (浏览)", window.Command6}}) {
        std::vector<double> cold, warm;
        int rows = 0;
        for (int i = 0; i < 5; ++i) {
            pumpsel::ini::forgetCachedFiles();
            cold.push_back(timer.time(button, &rows));
            warm.push_back(timer.time(button, &rows));
        }
        std::printf("%-28s %10.1f %10.1f %8.1f %8d\n", name, median(cold), median(warm), median(cold) / parse, rows);
    }
    std::filesystem::remove_all(root);
    return 0;
}
