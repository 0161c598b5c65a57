#include "scale_catalogue.h"

#include "support/catalogue_files.h"

#include <algorithm>
#include <random>
#include <sstream>
#include <vector>

namespace pumpsel::bench {

namespace {

// Seven numbers to 0.1, as makers write them.
template <class F>
std::string pointList(const F& valueAt) {
    std::string text;
    for (int i = 0; i < 7; ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%s%.1f", i ? "," : "", valueAt(i));
        text += entry;
    }
    return text;
}

// A curve through the range's corners, as the demo catalogue's: flows from
// shut-off to 1.25 × 流量2, the head a parabola through (流量1, 扬程1) and
// (流量2, 扬程2), the efficiency best at the range's middle (e·x·(2 − x)
// in x = q / q_best), the NPSH rising with the flow, the shaft power ρgqH/η
// (at shut-off the power at the first flow) in two records of three.
std::string curveKeys(int n, double flow1, double flow2, double head1, double head2) {
    const double k = (head1 - head2) / (flow2 * flow2 - flow1 * flow1), shutOff = head1 + k * flow1 * flow1;
    const double best = (flow1 + flow2) / 2, bestEfficiency = 70 + n % 15;
    const auto flow = [&](int i) { return 1.25 * flow2 * i / 6; };
    const auto head = [&](int i) { return shutOff - k * flow(i) * flow(i); };
    const auto efficiency = [&](int i) { return bestEfficiency * flow(i) / best * (2 - flow(i) / best); };
    const auto power = [&](int i) {
        const int at = std::max(i, 1);
        return 9.81 * flow(at) / 3600 * head(at) / (efficiency(at) / 100);
    };
    std::string keys = "曲线流量=" + pointList(flow) + "\n曲线扬程=" + pointList(head) +
                       "\n曲线效率=" + pointList(efficiency) +
                       "\n曲线汽蚀余量=" + pointList([&](int i) { return 1.5 + 3 * (i / 6.0) * (i / 6.0); }) + "\n";
    if (n % 3 != 0) keys += "曲线功率=" + pointList(power) + "\n";
    return keys + "转速=2900\n";
}

}  // namespace

void writeMakerFile(const std::filesystem::path& file, int records, RecordForm form) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const char* remarks[] = {
        "转速2900r/min，效率高，运行平稳，适用于清水输送。", "机械密封，泵体铸铁，叶轮不锈钢，适合城市供水。",
        "低噪声设计，安装方便，可用于高层建筑给水及消防。", "耐腐蚀材质，适用于工业循环水及温度不超过80℃的介质。"};
    std::ostringstream text;
    for (int n = 1; n <= records; ++n) {
        double flow1 = 2 + unit(rng) * 400;
        double flow2 = flow1 * (1.5 + unit(rng));
        double head2 = 5 + unit(rng) * 120;
        double head1 = head2 * (1.1 + unit(rng) * 0.5);
        double power = flow2 * head1 / 250 + 0.37;
        char line[512];
        std::snprintf(line, sizeof line,
                      "[%d]\n型号=IS%d-%d-%d\n流量1=%.1f\n流量2=%.1f\n扬程1=%.1f\n扬程2=%.1f\n"
                      "功率=%.1f\n备注=%s\n",
                      n, 50 + n % 150, 32 + n % 90, 125 + n % 200, flow1, flow2, head1, head2, power, remarks[n % 4]);
        text << line;
        if (form == RecordForm::Curve) text << curveKeys(n, flow1, flow2, head1, head2);
    }
    testing_support::writeGbk(file, text.str());
}

namespace {

// The demo catalogue's pictures, of the size makers ship: picture i and its
// thumbnail become images/p<i>.png and images/sm_p<i>.png.
void copyDemoPictures(const std::filesystem::path& images, int count) {
    std::vector<std::filesystem::path> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(PUMPSEL_DEMO_IMAGES))
        if (!entry.path().filename().string().starts_with("sm_")) pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    std::filesystem::create_directories(images);
    const auto copy = std::filesystem::copy_options::overwrite_existing;
    for (int i = 0; i < count; ++i) {
        const auto& picture = pictures.at(static_cast<std::size_t>(i) % pictures.size());
        const std::string name = "p" + std::to_string(i) + ".png";
        std::filesystem::copy_file(picture, images / name, copy);
        std::filesystem::copy_file(picture.parent_path() / ("sm_" + picture.filename().string()),
                                   images / ("sm_" + name), copy);
    }
}

}  // namespace

std::string wideFileName(int maker) { return maker == 1 ? "scale.dat" : "wide" + std::to_string(maker) + ".dat"; }

std::vector<std::filesystem::path> writeCurveCatalogue(const std::filesystem::path& root, int makers, int records) {
    std::string index = "[种类]\n1=" + std::string(kCurveKind) + "\n[" + std::string(kCurveKind) + "]\n";
    std::vector<std::filesystem::path> files;
    for (int m = 1; m <= makers; ++m) {
        const std::string n = std::to_string(m), name = "curve" + n + ".dat";
        index += n + "=第" + n + "泵业有限公司\n" + n + "file=" + name + "\n";
        files.push_back(root / "txt" / name);
        writeMakerFile(files.back(), records, RecordForm::Curve);
    }
    testing_support::writeGbk(root / "txt" / "bump.dat", index);
    return files;
}

std::filesystem::path writeScaleCatalogue(const std::filesystem::path& root) {
    constexpr int kKinds = 200, kMakers = 100;
    std::string index = "[种类]\n";
    for (int k = 1; k <= kKinds; ++k)
        index += std::to_string(k) + "=第" + std::to_string(k) + "类离心泵\n" + std::to_string(k) + "mem=第" +
                 std::to_string(k) + "类泵的说明：单级单吸，适用于清水输送，介质温度不高于80℃。\n";
    for (int k = 1; k <= kKinds; ++k) {
        index += "[第" + std::to_string(k) + "类离心泵]\n";
        for (int m = 1; m <= kMakers; ++m) {
            const std::string n = std::to_string(m);
            const std::string file = k == 1 && m == 1 ? "scale.dat" : "small" + std::to_string(m % 10) + ".dat";
            index += n + "=第" + n + "泵业有限公司\n" + n + "add=某省某市工业园区" + n + "号\n" + n + "yb=9" +
                     std::to_string(10000 + m) + "\n" + n + "tel=0571-555" + std::to_string(1000 + m) + "\n" + n +
                     "file=" + file + "\n" + n + "pic=p" + std::to_string(m % 10) + ".png\n";
        }
    }
    // One kind more, for the search across all makers: 100 makers of 1,000
    // records each, and the maker of 32,766 records first.
    index.insert(index.find("[第1类离心泵]"), std::to_string(kKinds + 1) + "=" + std::string(kWideKind) + "\n");
    index += "[" + std::string(kWideKind) + "]\n";
    for (int m = 1; m <= kWideMakers; ++m) {
        const std::string n = std::to_string(m);
        index += n + "=第" + n + "泵业有限公司\n" + n + "file=" + wideFileName(m) + "\n" + n + "pic=p" +
                 std::to_string(m % 10) + ".png\n";
        if (m > 1) writeMakerFile(root / "txt" / wideFileName(m), 1000);
    }
    testing_support::writeGbk(root / "txt" / "bump.dat", index);
    for (int i = 0; i < 10; ++i) writeMakerFile(root / "txt" / ("small" + std::to_string(i) + ".dat"), 20);
    copyDemoPictures(root / "images", 10);
    testing_support::writeGbk(root / "txt" / "水泵选型.txt", "帮助\n");
    const auto large = root / "txt" / "scale.dat";
    writeMakerFile(large, 32766);
    return large;
}

}  // namespace pumpsel::bench
