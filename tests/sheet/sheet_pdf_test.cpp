// pumpsel-sheet on a catalogue written as publishers write it, its PDF
// read back with poppler's tools: every section's figures, the fonts, the
// page count, the chart, a range record, and the inputs it refuses.
// Figures are either the hydraulics' own, formatted as the sheet formats
// them, or worked out by hand where said.
#include "catalogue/hydraulics.h"
#include "catalogue/kind_search.h"
#include "catalogue/pump_curve.h"
#include "chart/fonts.h"
#include "sheet/figures.h"
#include "support/catalogue_files.h"
#include "support/run_program.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QRegularExpression>
#include <sstream>

using testing_support::runProgram;
using namespace ui::sheet;

namespace {

// Record 1 has a curve; record 2 is a range record. The second maker's
// pumps are ranges whose lines pass 20 m³/h at 31, 33, 34, 30.5, 37 and
// 37.5 m: head deviations against 30 m of +3.3, +10.0, +13.3, +1.7, +23.3
// and +25.0 % (by hand: (head − 30)/30).
class SheetCatalogue {
public:
    SheetCatalogue() {
        testing_support::writeGbk(dir / "txt/bump.dat",
                                  "[种类]\n1=离心泵\n[离心泵]\n1=江南泵业\n1add=江南市泵业路1号\n1tel=0571-5550100\n"
                                  "1file=a.dat\n2=北岭水泵厂\n2file=b.dat\n");
        testing_support::writeGbk(dir / "txt/a.dat",
                                  "[1]\n型号=A-1\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=机械密封\n"
                                  "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
                                  "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n"
                                  "[2]\n型号=R-2\n流量1=10\n流量2=30\n扬程1=40\n扬程2=20\n功率=1.5\n备注=\n");
        std::string others;
        const char* ranges[][3] = {{"B-1", "41", "21"}, {"B-2", "42", "24"}, {"B-3", "40", "28"},
                                   {"B-4", "36", "25"}, {"B-5", "44", "30"}, {"B-6", "46", "29"}};
        int number = 0;
        for (const auto& r : ranges)
            others += testing_support::PumpRecord{.number = ++number,
                                                  .model = r[0],
                                                  .flow2 = "30",
                                                  .head1 = r[1],
                                                  .head2 = r[2],
                                                  .power = "2",
                                                  .remark = std::nullopt}
                          .text();
        testing_support::writeGbk(dir / "txt/b.dat", others);
    }

    std::string root() const { return dir.path().string(); }
    pumpsel::curves::Pump pump(int record) const { return *pumpsel::curves::readRecordPump(dir / "txt/a.dat", record); }

    testing_support::TempDir dir;
};

testing_support::ProgramRun sheet(const std::vector<std::string>& args) { return runProgram(PUMPSEL_SHEET, args); }

// The PDF's text as pdftotext lays it out.
std::string pdfText(const std::filesystem::path& pdf) {
    return runProgram("pdftotext", {"-layout", pdf.string(), "-"}).out;
}

// The first line of the text that holds `label`; empty when none does.
std::string lineWith(const std::string& text, const std::string& label) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(label) != std::string::npos) return line;
    return {};
}

std::string text(std::optional<double> value, Quantity quantity) { return figureText(value, quantity).toStdString(); }

std::string withoutSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

// Each figure appears in the line, in order. Blanks do not count: pdftotext
// keeps some between Chinese characters and figures and drops others.
void expectInOrder(const std::string& text, const std::vector<std::string>& expected) {
    const std::string line = withoutSpaces(text);
    std::size_t at = 0;
    for (const std::string& spaced : expected) {
        const std::string figure = withoutSpaces(spaced);
        const std::size_t found = line.find(figure, at);
        EXPECT_NE(found, std::string::npos) << "\"" << figure << "\" after column " << at << " in: " << line;
        if (found != std::string::npos) at = found + figure.size();
    }
}

}  // namespace

TEST(SheetPdf, ShowsTheHeadingTheHydraulicsFiguresAndTheChecksOnOnePage) {
    SheetCatalogue catalogue;
    const auto pdf = catalogue.dir / "sheet.pdf";
    const auto run =
        sheet({catalogue.root(), "离心泵",   "江南泵业",       "1",          "20",        "30",
               "--static-head",  "10",       "--speed",        "--project",  "滨江花园",  "--project-number",
               "2026-017",       "--system", "生活给水加压泵", "--designer", "王工",      "--checker",
               "李工",           "--date",   "2026-03-15",     "-o",         pdf.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string sheetText = pdfText(pdf);

    expectInOrder(lineWith(sheetText, "工程名称"), {"滨江花园", "工程编号", "2026-017"});
    expectInOrder(lineWith(sheetText, "系统/机房"), {"生活给水加压泵", "王工", "李工"});
    expectInOrder(lineWith(sheetText, "日期"), {"2026-03-15", "GB 50015-2019 建筑给水排水设计标准"});
    // 20 m³/h = 20 / 3.6 = 5.56 L/s; the system curve 10 + (30 − 10)(Q/20)² (by hand).
    expectInOrder(lineWith(sheetText, "设计流量"), {"20.00 m³/h (5.56 L/s)", "30.00 m"});
    expectInOrder(lineWith(sheetText, "水泵台数"), {"1 用 1 备", "变频调速"});
    expectInOrder(lineWith(sheetText, "静扬程"), {"10.00 m", "H = 10.00 + 20.00 × (Q / 20.00)²"});
    expectInOrder(lineWith(sheetText, "水泵类型"), {"离心泵", "江南泵业", "A-1"});
    expectInOrder(lineWith(sheetText, "性能数据"), {"曲线", "2900 r/min", "3.30 kW"});
    expectInOrder(lineWith(sheetText, "流量范围"), {"10.00～30.00 m³/h", "40.00～27.00 m"});

    const pumpsel::curves::Pump pump = catalogue.pump(1);
    const pumpsel::hydraulics::Duty duty{20, 30, 10, {1, false}};
    const auto f = pumpsel::hydraulics::dutyFigures(pump, duty);
    const auto s = pumpsel::hydraulics::speedForDuty(pump, duty.group, 20, 30);
    ASSERT_TRUE(f.working && f.shaftPowerKw && s.shaftPowerKw && s.rpm);
    expectInOrder(lineWith(sheetText, "工频 单台"),
                  {text(f.working->flow, Quantity::Flow), text(f.working->flow / 3.6, Quantity::LitreFlow),
                   text(f.working->head, Quantity::Head), text(f.efficiencyPct, Quantity::Percent),
                   text(f.shaftPowerKw, Quantity::Power), text(*f.shaftPowerKw / 3.3 * 100, Quantity::Percent),
                   text(f.npshRequired, Quantity::Head), "2900"});
    // Turned down, the pump runs at the duty point itself: 20 m³/h, 5.56 L/s, 30 m.
    expectInOrder(
        lineWith(sheetText, "变频 单台"),
        {"20.00", "5.56", "30.00", text(s.efficiencyPct, Quantity::Percent), text(s.shaftPowerKw, Quantity::Power),
         text(*s.shaftPowerKw / 3.3 * 100, Quantity::Percent), "—", text(s.rpm, Quantity::Speed)});

    // At 20 m³/h the curve passes its point (20, 35): (35 − 30)/30 = +16.7 %;
    // the best efficiency flow is 20 (by hand).
    expectInOrder(lineWith(sheetText, "扬程余量"), {"35.00 m", "+16.7 %", "30.00 m", "合格"});
    expectInOrder(lineWith(sheetText, "高效区"),
                  {text(*f.bestEfficiencyRatio * 100, Quantity::Percent) + " %", "20.00 m³/h", "合格"});
    // 曲线功率 between 流量1 and 流量2 peaks at its point (30, 3.2) (by hand).
    expectInOrder(lineWith(sheetText, "电机过载"), {"3.20 kW", "3.30 kW", "合格"});
    expectInOrder(lineWith(sheetText, "转速比"),
                  {QString::number(*s.ratio, 'f', 3).toStdString(), text(s.rpm, Quantity::Speed), "合格"});

    // The energy at the turned-down speed, 4000 h at 0.8 元/kWh.
    const double kwh = *s.shaftPowerKw * 4000;
    expectInOrder(lineWith(sheetText, "运行轴功率"), {text(s.shaftPowerKw, Quantity::Power), "4000 h", "0.80 元/kWh"});
    expectInOrder(lineWith(sheetText, "年耗电量"),
                  {text(kwh, Quantity::Energy) + " kWh", text(kwh * 0.8, Quantity::Money) + " 元"});
    expectInOrder(lineWith(sheetText, "电话"), {"江南市泵业路1号", "0571-5550100"});
    EXPECT_NE(lineWith(sheetText, "水泵备注").find("机械密封"), std::string::npos);

    EXPECT_NE(runProgram("pdfinfo", {pdf.string()}).out.find("\nPages:           1\n"), std::string::npos);
}

TEST(SheetPdf, AddsUpSeveralPumpsAndListsTheNextFiveOfTheRanking) {
    SheetCatalogue catalogue;
    const auto pdf = catalogue.dir / "two.pdf";
    const auto run = sheet({catalogue.root(), "离心泵", "1", "1", "40", "30", "--pumps", "2", "--standby", "0",
                            "--hours", "3000", "--price", "1.2", "-o", pdf.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string sheetText = pdfText(pdf);

    // Two pumps in parallel share 40 m³/h: each runs at 20 m³/h, a point of
    // its curve (20, 35) with 70 % and 2.7 kW; 2.7/3.3 = 81.8 %. Together
    // 40 m³/h = 11.11 L/s and 5.40 kW; 5.4 kW × 3000 h = 16200 kWh, × 1.2
    // = 19440 元 (by hand).
    expectInOrder(lineWith(sheetText, "水泵台数"), {"2 用 0 备，并联", "工频"});
    expectInOrder(lineWith(sheetText, "单台"), {"20.00", "5.56", "35.00", "70.0", "2.70", "81.8", "1.80", "2900"});
    expectInOrder(lineWith(sheetText, "合计（2 台）"), {"40.00", "11.11", "35.00", "5.40"});
    expectInOrder(lineWith(sheetText, "年耗电量"), {"16200 kWh", "19440 元"});

    // The ranking at each pump's share, 20 m³/h at 30 m, by head deviation,
    // A-1 (+11.7 %) left out: R-2 on its line at 30 m, then B-4, B-1, B-2,
    // B-3; B-5 and B-6 come after five.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"R-2", "+0.0"}, {"B-4", "+1.7"}, {"B-1", "+3.3"}, {"B-2", "+10.0"}, {"B-3", "+13.3"}};
    std::size_t at = sheetText.find("备选方案");
    ASSERT_NE(at, std::string::npos);
    for (const auto& [model, deviation] : rows) {
        expectInOrder(lineWith(sheetText.substr(at), model), {model, deviation});
        at = sheetText.find(model, at);
        ASSERT_NE(at, std::string::npos) << model << " missing or out of order";
    }
    EXPECT_EQ(sheetText.find("B-5"), std::string::npos);
    EXPECT_EQ(sheetText.find("A-1", sheetText.find("备选方案")), std::string::npos);
}

TEST(SheetPdf, EmbedsTheChineseFontAndDrawsTheChart) {
    SheetCatalogue catalogue;
    const auto pdf = catalogue.dir / "fonts.pdf";
    ASSERT_EQ(sheet({catalogue.root(), "离心泵", "江南泵业", "1", "20", "30", "-o", pdf.string()}).exitCode, 0);

    // pdffonts: a header of two lines, then one font a line: name, type, encoding, emb, sub, uni.
    std::istringstream fonts(runProgram("pdffonts", {pdf.string()}).out);
    std::string line;
    std::getline(fonts, line);
    std::getline(fonts, line);
    bool chinese = false;
    int count = 0;
    for (; std::getline(fonts, line); ++count) {
        EXPECT_EQ(line.find("Type 3"), std::string::npos) << line;
        const QStringList columns = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 7) << line;
        EXPECT_EQ(columns.at(columns.size() - 5), QStringLiteral("yes")) << "not embedded: " << line;
        for (QString family : ui::chart::fontFamilies())
            chinese = chinese || columns.at(0).contains(family.remove(QLatin1Char(' ')), Qt::CaseInsensitive);
    }
    EXPECT_GT(count, 0);
    EXPECT_TRUE(chinese) << "no font of the program's families is embedded";

    // The chart lies between the headings 五、性能曲线 and 六、备选方案; in
    // a rendering at 50 dpi its curves are the only coloured pixels there
    // (the axes, grid and text are grey or black).
    const std::string boxes = runProgram("pdftotext", {"-bbox", pdf.string(), "-"}).out;
    const auto top = [&](const char* word) {
        const QRegularExpression box(
            QStringLiteral("yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">%1<").arg(QString::fromUtf8(word)));
        const auto match = box.match(QString::fromStdString(boxes));
        return match.hasMatch() ? std::pair(match.captured(1).toDouble(), match.captured(2).toDouble())
                                : std::pair(-1.0, -1.0);
    };
    const auto [chartHeadingTop, chartTop] = top("五、性能曲线");
    const auto [chartBottom, unused] = top("六、备选方案");
    ASSERT_GT(chartTop, 0);
    ASSERT_GT(chartBottom, chartTop + 100);
    ASSERT_EQ(
        runProgram("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf.string(), (catalogue.dir / "page").string()})
            .exitCode,
        0);
    const QImage page(QString::fromStdString((catalogue.dir / "page.png").string()));
    ASSERT_FALSE(page.isNull());
    const double pixelsPerPoint = 50.0 / 72;
    int coloured = 0, nonWhite = 0;
    for (int y = int(chartTop * pixelsPerPoint); y < int(chartBottom * pixelsPerPoint); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            nonWhite += c != QColor(Qt::white);
            coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
        }
    // A curve across the plot, about 350 pixels wide at 50 dpi, is hundreds of pixels.
    EXPECT_GT(coloured, 300);
    EXPECT_GT(nonWhite, coloured);
}

TEST(SheetPdf, ARangeRecordShowsOnlyTheChecksItsDataSupport) {
    SheetCatalogue catalogue;
    const auto pdf = catalogue.dir / "range.pdf";
    const auto run = sheet({catalogue.root(), "离心泵", "江南泵业", "2", "20", "27", "-o", pdf.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string sheetText = pdfText(pdf);
    // Its line from (10, 40) to (30, 20) gives 30 m at 20 m³/h: (30 − 27)/27 = +11.1 % (by hand).
    expectInOrder(lineWith(sheetText, "性能数据"), {"范围（无曲线数据）"});
    expectInOrder(lineWith(sheetText, "扬程余量"), {"30.00 m", "+11.1 %", "27.00 m", "合格"});
    expectInOrder(lineWith(sheetText, "高效区"), {"无曲线数据"});
    expectInOrder(lineWith(sheetText, "电机过载"), {"1.50 kW", "无曲线数据"});
    EXPECT_NE(lineWith(sheetText, "无轴功率数据"), "");
}

TEST(SheetPdf, RefusesBadInputsAndLeavesNoFile) {
    SheetCatalogue catalogue;
    const auto pdf = catalogue.dir / "out" / "bad.pdf";
    std::filesystem::create_directories(pdf.parent_path());
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{catalogue.root(), "潜水泵", "1", "1", "20", "30", "-o", pdf.string()}, 2, "no kind \"潜水泵\""},
        {{catalogue.root(), "离心泵", "南山泵业", "1", "20", "30", "-o", pdf.string()}, 2, "no maker \"南山泵业\""},
        {{catalogue.root(), "离心泵", "1", "9", "20", "30", "-o", pdf.string()}, 2, "has no record 9"},
        {{catalogue.root(), "离心泵", "1", "1", "20", "abc", "-o", pdf.string()}, 2, "H \"abc\" is not a positive"},
        {{catalogue.root(), "离心泵", "1", "1", "20", "30", "--date", "2026-02-30", "-o", pdf.string()},
         2,
         "not a date"},
        {{catalogue.root(), "离心泵", "1", "1", "20", "30", "-o", (catalogue.dir / "none" / "x.pdf").string()},
         1,
         "cannot write"},
    };
    for (const Case& c : cases) {
        const auto run = sheet(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
        EXPECT_NE(run.err.find("pumpsel-sheet: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(testing_support::fileNames(pdf.parent_path()).empty()) << c.message;
    }
    EXPECT_FALSE(std::filesystem::exists(catalogue.dir / "none"));

    // An earlier sheet stays as it was when a later one is refused.
    testing_support::writeBytes(pdf, "earlier sheet");
    EXPECT_EQ(sheet({catalogue.root(), "离心泵", "1", "9", "20", "30", "-o", pdf.string()}).exitCode, 2);
    EXPECT_EQ(testing_support::readBytes(pdf), "earlier sheet");
    EXPECT_EQ(testing_support::fileNames(pdf.parent_path()), std::vector<std::string>{"bad.pdf"});
}
