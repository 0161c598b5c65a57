#include "catalogue/kind_search.h"

#include "storage/csv.h"
#include "storage/file_ops.h"
#include "storage/numbers.h"
#include "storage/profile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <fstream>
#include <limits>
#include <mutex>
#include <thread>

namespace pumpsel::ranking {

namespace {

constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();

double headDeviation(const records::Match& m, records::DutyPoint point) {
    if (point.head == 0) return kNoFigure;
    const double head = m.flow1 == m.flow2 ? std::max(m.head1, m.head2)
                                           : m.head1 + (double(m.head2) - m.head1) * (double(point.flow) - m.flow1) /
                                                           (double(m.flow2) - m.flow1);
    return (head - point.head) / std::fabs(double(point.head)) * 100;
}

double flowPosition(const records::Match& m, records::DutyPoint point) {
    if (m.flow1 == m.flow2) return 50;
    return (double(point.flow) - m.flow1) / (double(m.flow2) - m.flow1) * 100;
}

// A data file that exists and opens; whether it holds records is the scan's to tell.
std::optional<FileProblem> fileProblem(const std::filesystem::path& file) {
    if (file.empty() || !std::filesystem::exists(file)) return FileProblem::Missing;
    if (!files::isRegularFile(file) || !std::ifstream(file, std::ios::binary)) return FileProblem::Unreadable;
    return std::nullopt;
}

// NaN compares as "furthest": pumps without a figure go last.
double distance(double figure, double target) {
    return std::isnan(figure) ? std::numeric_limits<double>::infinity() : std::fabs(figure - target);
}

std::string percentText(double percent, bool sign) {
    if (!std::isfinite(percent)) return "—";
    std::string text = numbers::formatOneDecimal(static_cast<float>(percent));
    if (text == "-0.0") text = "0.0";
    if (sign && text != "0.0" && text.front() != '-') text.insert(0, "+");
    return text + "%";
}

}  // namespace

namespace {

// One maker's part of the listing.
struct MakerScan {
    std::filesystem::path file;
    std::optional<FileProblem> problem;
    std::vector<records::PumpRow> rows;
};

void scanMaker(MakerScan& maker, records::DutyPoint point, double tolerance) {
    if ((maker.problem = fileProblem(maker.file))) return;
    int tried = 0;  // a file whose first try finds nothing holds no records
    maker.rows = records::listPumps(
        maker.file, point, records::RangeForm::OneDecimal, [&](int) { ++tried; }, tolerance);
    if (tried == 1) maker.problem = FileProblem::Empty;
}

// The makers' files are scanned by two threads at once where the machine has
// two cores: each takes the next maker not yet taken. Only the calling
// thread asks goOn, between makers and while it waits for the other.
bool scanAll(std::vector<MakerScan>& makers, records::DutyPoint point, double tolerance,
             const std::function<bool(int, int)>& goOn) {
    const int total = static_cast<int>(makers.size());
    std::atomic<int> next{0}, done{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable finished;
    auto work = [&](bool asking) {
        ini::ReadBatch batch;  // each file is checked once, by the thread that scans it
        for (int i; !stop && (i = next++) < total;) {
            if (asking && goOn && !goOn(done, total)) {
                stop = true;
                break;
            }
            scanMaker(makers[static_cast<std::size_t>(i)], point, tolerance);
            std::lock_guard lock(mutex);
            ++done;
            finished.notify_all();
        }
    };
    std::thread helper;
    if (std::thread::hardware_concurrency() > 1 && total > 1)
        helper = std::thread([&] {
            try {
                work(false);
            } catch (...) {
                failure = std::current_exception();
                stop = true;
            }
        });
    try {
        work(true);
        std::unique_lock lock(mutex);
        while (!stop && done < total) {
            finished.wait_for(lock, std::chrono::milliseconds(50));
            lock.unlock();
            if (goOn && !goOn(done, total)) stop = true;
            lock.lock();
        }
    } catch (...) {
        stop = true;
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (failure) std::rethrow_exception(failure);
    return done == total;
}

}  // namespace

KindListing searchKind(const catalogue::Catalogue& catalogue, std::string_view kind, records::DutyPoint point,
                       double tolerance, const std::function<bool(int, int)>& goOn) {
    ini::ReadBatch batch;
    KindListing listing;
    std::vector<std::string> names;
    catalogue::enumerate([&](int m) { return catalogue.makerValue(kind, m); },
                         [&](int, const std::string& name) { names.push_back(name); });
    listing.makers = static_cast<int>(names.size());
    std::vector<MakerScan> makers(names.size());
    for (int m = 1; m <= listing.makers; ++m) makers[m - 1].file = catalogue.makerDataFile(kind, m);
    listing.cancelled = !scanAll(makers, point, tolerance, goOn);
    if (listing.cancelled) return listing;
    for (int m = 1; m <= listing.makers; ++m) {
        MakerScan& maker = makers[m - 1];
        if (maker.problem) {
            listing.unread.push_back(
                {m, names[m - 1], catalogue.makerValue(kind, m, catalogue::kDataFileWord), *maker.problem});
            continue;
        }
        for (auto& row : maker.rows) {
            const records::Match& match = *row.match;
            listing.pumps.push_back(
                {m, names[m - 1], std::move(row), headDeviation(match, point), flowPosition(match, point)});
        }
    }
    std::stable_sort(listing.pumps.begin(), listing.pumps.end(), ranksBefore);
    return listing;
}

bool ranksBefore(const RankedPump& a, const RankedPump& b) {
    const auto key = [](const RankedPump& p) {
        return std::make_tuple(!p.row.match->fits, distance(p.headDeviation, 0), distance(p.flowPosition, 50),
                               p.makerPosition, p.row.number);
    };
    return key(a) < key(b);
}

std::string deviationText(double percent) { return percentText(percent, true); }
std::string positionText(double percent) { return percentText(percent, false); }

std::string missReason(const records::Match& match) {
    std::string reason;
    const auto add = [&](double miss, std::string_view what) {
        if (miss <= 0) return;
        if (!reason.empty()) reason += "，";
        reason.append(what).append(" ").append(percentText(miss, false));
    };
    add(match.flowBelowLow, "流量低于下限");
    add(match.flowAboveHigh, "流量高于上限");
    add(match.headAboveHigh, "扬程高于上限");
    add(match.headBelowLow, "扬程低于下限");
    return reason;
}

std::string problemText(FileProblem problem) {
    switch (problem) {
        case FileProblem::Missing:
            return "缺少数据文件";
        case FileProblem::Empty:
            return "数据文件中没有记录";
        case FileProblem::Unreadable:
            return "数据文件无法读取";
    }
    return {};
}

std::vector<std::string> rowTexts(const RankedPump& pump) {
    return {pump.maker,
            pump.row.model,
            pump.row.flowRange,
            pump.row.headRange,
            pump.row.power,
            deviationText(pump.headDeviation),
            positionText(pump.flowPosition),
            missReason(*pump.row.match)};
}

std::string csvText(const Terms& terms, const std::vector<const RankedPump*>& pumps) {
    std::string text(csv::kUtf8Bom);
    text += csv::row({"水泵类型", terms.kind, "流量Q(m3/h)", terms.duty.flowText(), "扬程H(m)", terms.duty.headText(),
                      "容差", numbers::formatWhole(terms.tolerance) + "%"});
    text += csv::row(std::vector<std::string>(kColumns.begin(), kColumns.end()));
    for (const RankedPump* pump : pumps) text += csv::row(rowTexts(*pump));
    return text;
}

}  // namespace pumpsel::ranking
