// Every user action at catalogue scale, driven through the real windows
// without a screen: start-up, a kind click, search and browse over a maker of
// 32,766 records, the results window's browse, the record editor's launch,
// a change of its number, a save at the end of the file, the raw file in
// the text viewer, and the search across the 101 makers of a kind. Each action is set against its floor: one plain read
// and line split of the files it touches.
#include "allmakers/all_makers_window.h"
#include "app/memory.h"
#include "editor/record_editor.h"
#include "results/results_window.h"
#include "scale_catalogue.h"
#include "selection/selection_window.h"
#include "storage/profile.h"
#include "timing.h"
#include "ui/list_view.h"
#include "viewers/text_viewer.h"

#include <sys/resource.h>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
using pumpsel::bench::Clock;
using pumpsel::bench::floorMs;
using pumpsel::bench::median;
using pumpsel::bench::ms;

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Notes the moment a window of type W first appears, then runs `inside` on
// it once its modal loop runs, and closes it; later ones are closed at once.
template <class W>
class WhenShown : public QObject {
public:
    explicit WhenShown(std::function<void(W*)> inside = {}) : inside_(std::move(inside)) {
        qApp->installEventFilter(this);
    }
    ~WhenShown() override { qApp->removeEventFilter(this); }
    Clock::time_point at;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<W*>(watched);
        if (window && event->type() == QEvent::Show) {
            const bool first = !seen_;
            if (first) at = Clock::now();
            seen_ = true;
            QTimer::singleShot(0, window, [this, window, first] {
                if (first && inside_) inside_(window);
                window->close();
            });
        }
        return false;
    }

private:
    std::function<void(W*)> inside_;
    bool seen_ = false;
};

struct Row {
    const char* action;
    std::vector<double> times;
    std::vector<fs::path> files;
};

constexpr int kRuns = 7;

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app::keepLargeBuffersInHeap();  // as the program does
    QApplication app(argc, argv);
    const fs::path root = fs::temp_directory_path() / "pumpsel-bench-actions";
    fs::remove_all(root);
    const fs::path large = pumpsel::bench::writeScaleCatalogue(root);
    const fs::path index = root / "txt" / "bump.dat";
    // Maker 1, shown first, and its pictures; the settings file the text viewer writes.
    const fs::path thumbnail = root / "images" / "sm_p1.png", picture = root / "images" / "p1.png";
    const fs::path settings = QSettings(QSettings::UserScope, "水泵", "水泵").fileName().toStdString();
    std::ifstream original(large, std::ios::binary);
    const std::string largeBytes((std::istreambuf_iterator<char>(original)), std::istreambuf_iterator<char>());
    std::vector<Row> rows;
    std::vector<double> peaks;
    auto finish = [&](Row row) {
        rows.push_back(std::move(row));
        peaks.push_back(peakMegabytes());
    };

    // Start-up, from nothing cached to the kinds and the first makers shown.
    std::unique_ptr<SelectionWindow> window;
    Row startup{"start-up", {}, {index, thumbnail}};
    for (int run = 0; run < kRuns; ++run) {
        window.reset();
        pumpsel::ini::forgetCachedFiles();
        const auto start = Clock::now();
        window = std::make_unique<SelectionWindow>(root);
        window->show();
        QApplication::processEvents();
        startup.times.push_back(ms(start, Clock::now()));
    }
    finish(startup);
    SelectionWindow& w = *window;

    Row kindClick{"kind click (100 makers)", {}, {index, thumbnail}};
    for (int run = 0; run < kRuns; ++run) {
        const int row = run % 2 == 0 ? 2 : 1;
        const QRect rect = w.ListView2->rowRect(row);
        const auto start = Clock::now();
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, w.ListView2->viewport()->mapTo(&w, rect.center()));
        kindClick.times.push_back(ms(start, Clock::now()));
    }
    finish(kindClick);
    w.ListView2->selectRow(1);
    w.ListView2_ItemClick();

    auto timeUntilShown = [&](QPushButton* button, int* listed) {
        WhenShown<ResultsWindow> shown([&](ResultsWindow* r) { *listed = r->ListView1->rowCount(); });
        const auto start = Clock::now();
        button->click();
        return ms(start, shown.at);
    };
    int listed = 0;
    w.Text1[0]->setText(QStringLiteral("120"));
    w.Text1[1]->setText(QStringLiteral("40"));
    Row search{"search (搜索)", {}, {index, large, picture}};
    for (int run = 0; run < kRuns; ++run) search.times.push_back(timeUntilShown(w.Command1, &listed));
    finish(search);
    Row browse{"browse (浏览)", {}, {index, large, picture}};
    for (int run = 0; run < kRuns; ++run) browse.times.push_back(timeUntilShown(w.Command6, &listed));
    finish(browse);

    Row resultsBrowse{"results window browse", {}, {index, large, picture}};
    {
        WhenShown<ResultsWindow> shown([&](ResultsWindow* r) {
            for (int run = 0; run < kRuns; ++run) {
                const auto start = Clock::now();
                r->Command7->click();
                resultsBrowse.times.push_back(ms(start, Clock::now()));
            }
        });
        w.Command1->click();
    }
    finish(resultsBrowse);

    Row launch{"record editor launch", {}, {index, large}};
    for (int run = 0; run < kRuns; ++run) {
        WhenShown<RecordEditor> shown;
        const auto start = Clock::now();
        w.Command5_Click();
        launch.times.push_back(ms(start, shown.at));
    }
    finish(launch);

    Row change{"editor: number changed", {}, {index, large}};
    Row save{"editor: save at the end", {}, {index, large}};
    Row view{"editor: Ctrl+A file view", {}, {large, settings}};
    {
        WhenShown<RecordEditor> shown([&](RecordEditor* e) {
            for (int run = 0; run < kRuns; ++run) {
                const auto start = Clock::now();
                e->setText(0, QString::number(32766 - run));
                change.times.push_back(ms(start, Clock::now()));
            }
            for (int run = 0; run < kRuns; ++run) {
                e->setText(0, QStringLiteral("32767"));
                e->setText(3, QStringLiteral("NEW-%1").arg(run));
                WhenShown<QMessageBox> done;
                const auto start = Clock::now();
                e->Command1->click();
                save.times.push_back(ms(start, done.at));
                std::ofstream(large, std::ios::binary | std::ios::trunc) << largeBytes;
                // A file read within moments of its change is read again at its next use; a user's
                // save comes long after the file last changed.
                fs::last_write_time(large, fs::file_time_type::clock::now() - std::chrono::seconds(10));
            }
            for (int run = 0; run < kRuns; ++run) {
                WhenShown<TextViewer> viewer;
                const auto start = Clock::now();
                QTest::keyClick(e->Text1[4], Qt::Key_A, Qt::ControlModifier);
                view.times.push_back(ms(start, viewer.at));
            }
        });
        w.Command5_Click();
    }
    finish(change);
    finish(save);
    finish(view);

    // The search across every maker of the wide kind, until its window shows.
    Row allMakers{"all-makers search (101 makers)", {}, {index}};
    for (int m = 1; m <= pumpsel::bench::kWideMakers; ++m)
        allMakers.files.push_back(root / "txt" / pumpsel::bench::wideFileName(m));
    w.ListView2->selectRow(w.ListView2->rowCount());
    w.ListView2_ItemClick();
    int ranked = 0;
    for (int run = 0; run < kRuns; ++run) {
        WhenShown<ui::AllMakersWindow> shown([&](ui::AllMakersWindow* a) { ranked = a->shownRows(); });
        const auto start = Clock::now();
        w.allMakersAction->trigger();
        allMakers.times.push_back(ms(start, shown.at));
    }
    finish(allMakers);

    pumpsel::ini::forgetCachedFiles();
    std::vector<double> parses;
    for (int run = 0; run < kRuns; ++run) {
        pumpsel::ini::forgetCachedFiles();
        const auto start = Clock::now();
        pumpsel::ini::ReadProfileValue(large, "1", "型号");
        parses.push_back(ms(start, Clock::now()));
    }
    std::printf(
        "catalogue: 200 kinds x 100 makers (index %.1f MB); maker file of 32,766 records (%.1f MB), "
        "first read of one value %.1f ms; the all-makers search lists %d pumps\n\n",
        fs::file_size(index) / 1048576.0, fs::file_size(large) / 1048576.0, median(parses), ranked);
    std::printf("| action | first (ms) | median of %d (ms) | floor (ms) | median / floor | peak memory (MB) |\n",
                kRuns);
    std::printf("|---|---|---|---|---|---|\n");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double floor = floorMs(rows[i].files);
        const double m = median(rows[i].times);
        std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.0f |\n", rows[i].action, rows[i].times.front(), m, floor,
                    m / floor, peaks[i]);
    }
    window.reset();
    fs::remove_all(root);
    return 0;
}
