// pumpsel-ini check on catalogues built to make it slow: one kind of 32,767
// makers (the counters' limit), and 32 makers naming one picture of 1 GiB.
// Targets: under 2 s and under 1 s. Each check starts from a cold cache.
#include "maintenance/check.h"
#include "scale_catalogue.h"
#include "storage/profile.h"
#include "support/catalogue_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace pumpsel;
using Clock = std::chrono::steady_clock;

namespace {

namespace fs = std::filesystem;

// One kind whose makers all name the data file a.dat and the picture p.png.
void writeKind(const fs::path& folder, int makers, std::uintmax_t pictureBytes) {
    std::string index = "[种类]\n1=离心泵\n[离心泵]\n";
    for (int m = 1; m <= makers; ++m) {
        const std::string n = std::to_string(m);
        index += n + "=厂家" + n + "\n" + n + "add=地址\n" + n + "tel=0000-5550000\n" + n + "file=a.dat\n" + n +
                 "pic=p.png\n";
    }
    testing_support::writeGbk(folder / "txt/bump.dat", index);
    bench::writeMakerFile(folder / "txt/a.dat", 100);
    for (const char* picture : {"images/p.png", "images/sm_p.png"}) {
        fs::create_directories(folder / "images");
        std::ofstream(folder / picture, std::ios::binary) << "\x89PNG\r\n\x1a\n";
        fs::resize_file(folder / picture, pictureBytes);  // sparse: no disk taken
    }
}

// Median and slowest of five cold checks, in milliseconds.
std::pair<double, double> timeCheck(const fs::path& folder, std::size_t& problems) {
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        ini::forgetCachedFiles();
        const auto start = Clock::now();
        problems = maintenance::checkCatalogue(folder).problems.size();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[2], times.back()};
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / "pumpsel-bench-check";
    fs::remove_all(root);
    writeKind(root / "makers", 32767, 40000);
    writeKind(root / "picture", 32, std::uintmax_t(1) << 30);
    std::size_t problems = 0;
    const auto [makersMs, makersWorst] = timeCheck(root / "makers", problems);
    std::printf(
        "check, one kind of 32,767 makers:       median %7.1f ms, slowest %7.1f ms (target < 2000), %zu problems\n",
        makersMs, makersWorst, problems);
    const auto [pictureMs, pictureWorst] = timeCheck(root / "picture", problems);
    std::printf(
        "check, 32 makers naming a 1 GiB picture: median %7.1f ms, slowest %7.1f ms (target < 1000), %zu problems\n",
        pictureMs, pictureWorst, problems);
    fs::remove_all(root);
    return makersMs < 2000 && pictureMs < 1000 ? 0 : 1;
}
