// Reading every record of the largest maker data file the counters allow:
// the first read of one value (the file's section headers and one page of key
// lines parsed) against the record scan's five reads per record, which parses
// every page. Then the file's export as CSV, and the import of that CSV into
// an empty file, every row checked, which gives the file back byte for byte.
#include "catalogue/catalogue.h"
#include "maintenance/record_file.h"
#include "maintenance/record_import.h"
#include "scale_catalogue.h"
#include "storage/profile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

using namespace pumpsel;
using Clock = std::chrono::steady_clock;

namespace {

template <class F>
double medianMs(int runs, F&& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    constexpr int kRecords = 32766;
    const auto folder = std::filesystem::temp_directory_path() / "pumpsel-bench-storage";
    const auto file = folder / "scale.dat";
    bench::writeMakerFile(file, kRecords);

    const double parseMs = medianMs(7, [&] {
        ini::forgetCachedFiles();
        ini::ReadProfileValue(file, "1", catalogue::kModelKey);
    });
    int scanned = 0;
    const double scanMs = medianMs(7, [&] {
        ini::forgetCachedFiles();
        ini::ReadBatch batch;  // one user action
        scanned = 0;
        for (int n = 1; n <= catalogue::kMaxCounter; ++n) {
            const std::string section = catalogue::numberedKey(n);
            std::string model = ini::ReadProfileValue(file, section, catalogue::kModelKey);
            for (auto key : {catalogue::kFlow1Key, catalogue::kFlow2Key, catalogue::kHead1Key, catalogue::kHead2Key})
                ini::ReadProfileValue(file, section, key);
            if (catalogue::isUnknown(model)) break;
            ++scanned;
        }
    });
    std::printf("maker data file: %d records, %.1f MB\n", kRecords, std::filesystem::file_size(file) / 1048576.0);
    std::printf("first read of one value:   %8.1f ms\n", parseMs);
    std::printf("record scan (%d x 5 reads): %8.1f ms  = %.1f first reads\n", scanned, scanMs, scanMs / parseMs);
    std::printf("re-reading the file per value would take about %.0f s\n", parseMs * 5 * (kRecords + 1) / 1000);

    std::string csv;
    const double exportMs = medianMs(5, [&] { csv = maintenance::exportCsv(file).csv; });
    const auto imported = folder / "imported.dat";
    bool importedOk = true;
    const double importMs = medianMs(5, [&] {
        std::filesystem::remove(imported);
        importedOk = importedOk && maintenance::importCsv(imported, csv, maintenance::ImportMode::Replace, false).ok;
    });
    const auto bytesOf = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const bool sameBytes = importedOk && bytesOf(imported) == bytesOf(file);
    std::printf("export of %d records as CSV:  %8.1f ms\n", kRecords, exportMs);
    std::printf("import of %d CSV rows:        %8.1f ms%s\n", kRecords, importMs,
                sameBytes ? "" : "  (the file it wrote differs from the original!)");
    std::filesystem::remove_all(folder);
    return scanned == kRecords && sameBytes ? 0 : 1;
}
