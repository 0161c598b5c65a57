// The window 全部厂家选型 re-ranking after an input of its selection
// changes, on 100 makers of 1,000 curve records each: the static head
// typed, the speed, the flow unit, the number of pumps and their
// arrangement, each timed from the change until the table, its columns and
// the chart show the new ranking, through the real window without a screen.
#include "allmakers/all_makers_window.h"
#include "app/memory.h"
#include "scale_catalogue.h"
#include "selection/selection_window.h"
#include "timing.h"
#include "ui/list_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using pumpsel::bench::Clock;

namespace {

constexpr int kMakers = 100, kRecords = 1000, kRuns = 9;

double loadAverage() {
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

struct Row {
    const char* input;
    std::vector<double> times;
    int listed = 0;
};

// The time of each change, run after run, until the window has drawn it.
Row timeChanges(const char* input, ui::AllMakersWindow* window, const std::function<void(int run)>& change) {
    Row row{input, {}, 0};
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        change(run);
        QApplication::processEvents();
        row.times.push_back(pumpsel::bench::ms(start, Clock::now()));
        row.listed = window->shownRows();
    }
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app::keepLargeBuffersInHeap();  // as the program does
    QApplication app(argc, argv);
    const fs::path root = fs::temp_directory_path() / "pumpsel-bench-rerank";
    fs::remove_all(root);
    // The window remembers the unit: in a folder of the bench's own, not the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((root / "settings").string()));
    const std::vector<fs::path> files = pumpsel::bench::writeCurveCatalogue(root, kMakers, kRecords);
    SelectionWindow w(root);
    w.show();
    w.ListView2->selectRow(1);
    w.ListView2_ItemClick();
    w.Text1[0]->setText(QStringLiteral("200"));
    w.Text1[1]->setText(QStringLiteral("60"));

    std::vector<Row> rows;
    const double loadBefore = loadAverage();
    // Once the window runs its own loop, after the scan that opens it.
    QTimer opened;
    opened.setInterval(10);
    QObject::connect(&opened, &QTimer::timeout, [&] {
        auto* a = qobject_cast<ui::AllMakersWindow*>(QApplication::activeModalWidget());
        if (!a || !a->isVisible()) return;
        opened.stop();
        rows.push_back(timeChanges("static head typed (20 to 28 m)", a,
                                   [&](int run) { a->staticHeadBox->setText(QString::number(20 + run)); }));
        rows.push_back(timeChanges("speed (变频) on and off", a, [&](int) { a->speedBox->toggle(); }));
        rows.push_back(
            timeChanges("flow unit, m³/h and L/s", a, [&](int run) { a->unitBox->setCurrentIndex(1 - run % 2); }));
        rows.push_back(timeChanges("pumps, 1 and 2", a, [&](int run) { a->pumpsBox->setValue(2 - run % 2); }));
        rows.push_back(timeChanges("arrangement, 并联 and 串联", a,
                                   [&](int run) { a->arrangementBox->setCurrentIndex(1 - run % 2); }));
        a->close();
    });
    opened.start();
    w.searchAllMakers();

    std::printf("%d makers x %d curve records, Q 200 m³/h, H 60 m; load average %.1f before, %.1f after\n\n", kMakers,
                kRecords, loadBefore, loadAverage());
    std::printf("| input changed | pumps listed | first (ms) | median of %d (ms) | floor (ms) |\n", kRuns);
    std::printf("|---|---|---|---|---|\n");
    const double floor = pumpsel::bench::floorMs(files);
    for (const Row& row : rows)
        std::printf("| %s | %d | %.1f | %.1f | %.1f |\n", row.input, row.listed, row.times.front(),
                    pumpsel::bench::median(row.times), floor);
    fs::remove_all(root);
    return 0;
}
