// The search across all makers of a kind, as a user meets it: opened from the
// selection window, its ranked rows, near misses, sorting, tolerance, the
// chart, the way into the results window, and the export.
#include "allmakers/all_makers_window.h"
#include "allmakers/pump_chart.h"
#include "allmakers/window_fixture.h"
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/list_gestures.h"
#include "support/message_boxes.h"
#include "ui/list_view.h"

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolTip>

using namespace testing_support;
using ui::AllMakersWindow;

namespace {

// A pump whose remark names its model.
std::string pump(int number, const std::string& model, const std::string& flow1, const std::string& flow2,
                 const std::string& head1, const std::string& head2) {
    return PumpRecord{.number = number,
                      .model = model,
                      .flow1 = flow1,
                      .flow2 = flow2,
                      .head1 = head1,
                      .head2 = head2,
                      .remark = model + " 的备注"}
        .text();
}

// Three makers of 离心泵, the second without its data file; duty point 100 m³/h at 50 m.
struct ThreeMakers {
    static constexpr const char* kFlow = "100";
    static constexpr const char* kHead = "50";
    ThreeMakers() {
        writeGbk(folder / "txt/bump.dat",
                 "[种类]\n1=离心泵\n2=空类\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n"
                 "2=乙厂\n2file=b.dat\n3=丙厂\n3file=c.dat\n3pic=c.png\n");
        writeGbk(folder / "txt/a.dat", pump(1, "A-off", "10", "20", "90", "80") +
                                           pump(2, "A-high", "100", "200", "60", "40") +
                                           pump(3, "A-centre", "50", "150", "60", "40"));
        writeGbk(folder / "txt/c.dat",
                 pump(1, "C-near", "50", "90", "60", "40") + pump(2, "C-close", "0", "200", "70", "30.5"));
        writePicture(folder / "images/c.png", Qt::darkYellow);
    }
    CatalogueFolder folder;
};

using AllMakersTest = AllMakersWindowTest<ThreeMakers>;

// Where the chart draws the point (flow, head), in the chart's pixels.
QPoint chartPixel(const ui::PumpChart* chart, QPointF point) {
    return chart->chartLayout().mapping.toPixel(point).toPoint();
}

// The pointer moved onto a widget, as the window system moves it.
void hover(QWidget* widget, QPoint at) {
    QWidget* top = widget->window();
    QTest::mouseMove(top->windowHandle(), widget->mapTo(top, at));
}

bool isHighlightRed(QColor colour) { return colour.red() > 150 && colour.green() < 80 && colour.blue() < 80; }

}  // namespace

TEST_F(AllMakersTest, TheShortcutOpensTheRankedFitsAndNamesTheMakerWithoutFile) {
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(a->windowTitle(), "全部厂家选型");
        EXPECT_EQ(a->dutyLine->text(), "离心泵，Q= 100 立方米/时，扬程H= 50 米");
        EXPECT_EQ(a->toleranceBox->value(), 10);
        // Fits by smallest head deviation, then the near miss after them.
        EXPECT_EQ(column(a, 1), (QStringList{"A-centre", "C-close", "A-high", "C-near"}));
        EXPECT_EQ(column(a, 0), (QStringList{"甲厂", "丙厂", "甲厂", "丙厂"}));
        EXPECT_EQ(column(a, 3), (QStringList{"50.0 ～ 150.0", "0.0 ～ 200.0", "100.0 ～ 200.0", "50.0 ～ 90.0"}));
        // Q lies beyond C-near's range: its line gives no figures there.
        EXPECT_EQ(column(a, 6), (QStringList{"0.0%", "+0.5%", "+20.0%", "—"}));
        EXPECT_EQ(column(a, 7), (QStringList{"50.0%", "50.0%", "0.0%", "—"}));
        EXPECT_EQ(column(a, 14), (QStringList{"", "", "", "流量高于上限 10.0%"}));
        const QModelIndex near = a->table->model()->index(3, 1);
        EXPECT_EQ(near.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
        EXPECT_FALSE(a->table->model()->index(0, 1).data(Qt::ForegroundRole).isValid());
        EXPECT_EQ(a->statusLine->text(), "1 个厂家的数据文件无法读取: 乙厂（b.dat，缺少数据文件）");
        EXPECT_EQ(a->closeButton->text(), "");
        key(a->table, Qt::Key_Escape);
        EXPECT_FALSE(a->isVisible());
    });
}

TEST_F(AllMakersTest, TheListsContextMenuOpensItToo) {
    OnModal<AllMakersWindow> opened([](AllMakersWindow* a) { EXPECT_EQ(a->shownRows(), 4); });
    QTimer menuWatch;
    QString menuText;
    QObject::connect(&menuWatch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || menu->actions().isEmpty()) return;
        menuText = menu->actions().first()->text() + " " + menu->actions().first()->shortcut().toString();
        menu->actions().first()->trigger();
        menu->close();
    });
    menuWatch.start(5);
    QTest::mouseClick(w.windowHandle(), Qt::RightButton, {}, rowPoint(w.ListView2, 1));
    EXPECT_EQ(menuText, "在本类全部厂家中搜索 Ctrl+F");
    EXPECT_TRUE(opened.ran());
}

TEST_F(AllMakersTest, ToleranceSortingAndTheChartFollowTheTable) {
    withWindow([&](AllMakersWindow* a) {
        a->toleranceBox->setValue(0);
        EXPECT_EQ(column(a, 1), (QStringList{"A-centre", "C-close", "A-high"}));
        a->toleranceBox->setValue(10);
        EXPECT_EQ(a->shownRows(), 4);

        // A click on a header sorts by that column, the figures by value.
        const QHeaderView* header = a->table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(7) + 5, header->height() / 2));
        EXPECT_EQ(column(a, 7), (QStringList{"0.0%", "50.0%", "50.0%", "—"}));
        EXPECT_EQ(column(a, 1).first(), "A-high");

        // The chart draws the rows in the order shown and follows the selection, and back.
        ASSERT_EQ(a->chart->lineCount(), 4);
        EXPECT_EQ(a->chart->lineName(0), "甲厂 A-high");
        EXPECT_EQ(a->chart->linePoints(0), (QList<QPointF>{{100, 60}, {200, 40}}));
        EXPECT_EQ(a->chart->lineName(3), "丙厂 C-near");
        // Points where one line runs alone: C-near at flow 80 (head 60 - 0.5·30 = 45; the
        // nearest other line, A-centre, is at 54 there), A-high at 180 (60 - 0.2·80 = 44;
        // C-close at 70 - 0.1975·180 = 34.45).
        const QPoint onNear = chartPixel(a->chart, {80, 45}), onHigh = chartPixel(a->chart, {180, 44});
        hover(a->chart, onNear);
        EXPECT_EQ(QToolTip::text(), "丙厂 C-near");
        a->table->selectRow(3);
        EXPECT_EQ(a->chart->highlighted(), 3);
        EXPECT_TRUE(isHighlightRed(a->chart->grab().toImage().pixelColor(onNear)));
        click(a->chart, onHigh);
        EXPECT_EQ(a->table->currentIndex().row(), 0);
        EXPECT_EQ(a->chart->highlighted(), 0);
        const QImage drawn = a->chart->grab().toImage();
        EXPECT_TRUE(isHighlightRed(drawn.pixelColor(onHigh)));
        EXPECT_FALSE(isHighlightRed(drawn.pixelColor(onNear)));
    });
}

// 甲厂 with 103 fitting pumps, 丙厂's two: 105 rows, of which the chart draws 100 and says so.
TEST_F(AllMakersTest, TheChartDrawsTheFirstHundredAndSaysSo) {
    std::string many;
    for (int n = 1; n <= 103; ++n) many += pump(n, "A-" + std::to_string(n), "50", "150", "60", "40");
    writeGbk(folder / "txt/a.dat", many);
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(a->shownRows(), 105);
        EXPECT_EQ(a->chart->lineCount(), 100);
        EXPECT_EQ(a->chart->chart().note, "共 105 台，显示前 100 台");
        EXPECT_FALSE(a->chart->chartLayout().note.isEmpty());
    });
}

TEST_F(AllMakersTest, EnterOpensTheResultsWindowOnTheRowsMakerAndPump) {
    withWindow([&](AllMakersWindow* a) {
        a->table->setFocus();
        a->table->selectRow(1);  // C-close, record 2 of 丙厂
        QString header, model, remark;
        OnModal<ResultsWindow> results([&](ResultsWindow* r) {
            header = r->Text1->text();
            model = r->ListView1->selectedText(0);
            remark = r->Text2->toPlainText();
        });
        key(a->table, Qt::Key_Return);
        ASSERT_TRUE(results.ran());
        EXPECT_EQ(w.selectedMaker(), "丙厂");
        EXPECT_EQ(header, "丙厂，搜索: Q= 100 立方米/时，扬程H= 50 米");
        EXPECT_EQ(model, "C-close");
        EXPECT_EQ(remark, "C-close 的备注");
    });
}

TEST_F(AllMakersTest, ExportWritesTheShownTableAsCsvAndTheChartAsPng) {
    std::optional<ui::chart::Mapping> exported;  // where the picture, 900 × 560 at 96 dpi, has its plot
    withWindow([&](AllMakersWindow* a) {
        a->askExportFile = [&](QWidget*, const QString& suggested) {
            EXPECT_EQ(suggested, "离心泵-全部厂家选型.csv");
            return QString::fromStdU16String((folder / "out").u16string());
        };
        click(a->exportButton);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].title, "导出");
        exported = a->chart->printed(a->chartTitle())
                       .layout(QImage(1, 1, QImage::Format_RGB32), QRectF(QPointF(0, 0), ui::PumpChart::kPictureSize))
                       .mapping;
    });
    EXPECT_EQ(readBytes(folder / "out.csv"),
              "\xEF\xBB\xBF"
              "水泵类型,离心泵,流量Q(m³/h),100,扬程H(m),50,容差,10%\r\n"
              "厂家,型号,数据,流量(m³/h),扬程(m),功率(kW),扬程偏差,流量位置,运行点流量(m³/h),运行点扬程(m),效率(%),"
              "轴功率(kW),汽蚀余量(m),高效区,说明,备注\r\n"
              "甲厂,A-centre,范围,50.0 ～ 150.0,60.0 ～ 40.0,1.5,0.0%,50.0%,100.0,50.0,—,—,—,—,,A-centre 的备注\r\n"
              "丙厂,C-close,范围,0.0 ～ 200.0,70.0 ～ 30.5,1.5,+0.5%,50.0%,100.0,50.3,—,—,—,—,,C-close 的备注\r\n"
              "甲厂,A-high,范围,100.0 ～ 200.0,60.0 ～ 40.0,1.5,+20.0%,0.0%,100.0,60.0,—,—,—,—,,A-high 的备注\r\n"
              "丙厂,C-near,范围,50.0 ～ 90.0,60.0 ～ 40.0,1.5,—,—,—,—,—,—,—,—,流量高于上限 10.0%,C-near 的备注\r\n");
    // Twice the pixels: the selected first row, A-centre, in red at flow 60
    // (head 60 - 0.2·10 = 58), the duty point's green diamond at (100, 50).
    const QImage chart(QString::fromStdU16String((folder / "out.png").u16string()));
    ASSERT_EQ(chart.size(), QSize(1800, 1120));
    ASSERT_TRUE(exported);
    EXPECT_TRUE(isHighlightRed(chart.pixelColor((2 * exported->toPixel({60, 58})).toPoint())));
    EXPECT_EQ(chart.pixelColor((2 * exported->toPixel({100, 50})).toPoint()), QColor(0, 120, 60));
}

TEST_F(AllMakersTest, NoMakersOrRejectedDutyPointsAreSaid) {
    w.Text1[1]->setText("");
    w.searchAllMakers();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "流量和扬程都只能为正实数");
    // A number single precision cannot hold would rank as a false near miss.
    w.Text1[1]->setText("1e40");
    w.searchAllMakers();
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[1].text, "流量和扬程都只能为正实数");
    w.Text1[1]->setText("50");
    w.ListView2->selectRow(2);
    w.ListView2_ItemClick();
    w.searchAllMakers();
    ASSERT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(boxes.seen[2].text, "此类水泵没有厂家");
}
