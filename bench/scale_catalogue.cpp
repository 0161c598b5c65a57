#include "scale_catalogue.h"

#include "storage/gbk.h"

#include <fstream>
#include <random>
#include <sstream>

namespace pumpsel::bench {

void writeMakerFile(const std::filesystem::path& file, int records) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const char* remarks[] = {"转速2900r/min，效率高，运行平稳，适用于清水输送。",
                             "机械密封，泵体铸铁，叶轮不锈钢，适合城市供水。",
                             "低噪声设计，安装方便，可用于高层建筑给水及消防。",
                             "耐腐蚀材质，适用于工业循环水及温度不超过80℃的介质。"};
    std::ostringstream text;
    for (int n = 1; n <= records; ++n) {
        double flow1 = 2 + unit(rng) * 400;
        double flow2 = flow1 * (1.5 + unit(rng));
        double head2 = 5 + unit(rng) * 120;
        double head1 = head2 * (1.1 + unit(rng) * 0.5);
        double power = flow2 * head1 / 250 + 0.37;
        char line[512];
        std::snprintf(line, sizeof line,
                      "[%d]\r\n型号=IS%d-%d-%d\r\n流量1=%.1f\r\n流量2=%.1f\r\n扬程1=%.1f\r\n扬程2=%.1f\r\n"
                      "功率=%.1f\r\n备注=%s\r\n",
                      n, 50 + n % 150, 32 + n % 90, 125 + n % 200, flow1, flow2, head1, head2, power,
                      remarks[n % 4]);
        text << line;
    }
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << *gbk::fromUtf8(text.str());
}

}  // namespace pumpsel::bench
