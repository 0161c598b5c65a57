// The search across all makers of a kind on curve records: 100 makers of
// 1,000 records each with seven-point curves, ranked over a system curve
// with the speed for the duty point, as the window 全部厂家选型 asks the
// library; set against its floor, one plain read and line split of the
// files it reads.
#include "catalogue/kind_search.h"
#include "scale_catalogue.h"
#include "storage/profile.h"
#include "timing.h"

#include <cstdio>
#include <fstream>

namespace fs = std::filesystem;
using namespace pumpsel;
using bench::Clock;

namespace {

constexpr int kMakers = 100, kRecords = 1000, kRuns = 7;

struct Result {
    std::vector<double> times;
    std::size_t listed = 0;
};

// The first run reads and parses every file; the later ones find them parsed.
Result timeSearch(const catalogue::Catalogue& catalogue, const duty::DutyPoint& point,
                  const duty::Selection& selection) {
    ini::forgetCachedFiles();
    Result result;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        const auto listing = ranking::searchKind(catalogue, bench::kCurveKind, point, 10, selection);
        result.times.push_back(bench::ms(start, Clock::now()));
        result.listed = listing.pumps.size();
    }
    return result;
}

double loadAverage() {
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / "pumpsel-bench-ranking";
    fs::remove_all(root);
    std::vector<fs::path> files = bench::writeCurveCatalogue(root, kMakers, kRecords);
    files.push_back(root / "txt" / "bump.dat");
    const catalogue::Catalogue catalogue(root);
    const duty::DutyPoint point = *duty::DutyPoint::holdable("200", "60");
    const duty::Selection withCurve{20.0, {1, false}, true, duty::FlowUnit::CubicMetresPerHour};
    const Result curve = timeSearch(catalogue, point, withCurve);
    const Result plain = timeSearch(catalogue, point, {});
    const double floor = bench::floorMs(files);

    std::printf("%d makers x %d curve records (%.1f MB), Q 200 m³/h, H 60 m; load average %.1f\n\n", kMakers, kRecords,
                kMakers * fs::file_size(files.front()) / 1048576.0, loadAverage());
    std::printf("| search | pumps listed | first (ms) | median of %d (ms) | floor (ms) | median / floor |\n", kRuns);
    std::printf("|---|---|---|---|---|---|\n");
    const auto row = [&](const char* what, const Result& r) {
        const double m = bench::median(r.times);
        std::printf("| %s | %zu | %.1f | %.1f | %.1f | %.1f |\n", what, r.listed, r.times.front(), m, floor, m / floor);
    };
    row("system curve Hs 20 m, speed", curve);
    row("duty point alone", plain);
    fs::remove_all(root);
    return 0;
}
