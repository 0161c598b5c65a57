// The selection beyond the duty point in the window 全部厂家选型, as an
// engineer uses it: the static head, the pumps together, the speed and the
// flow unit redraw the curves, the system curve and the working point; the
// unit is remembered; the legend says what each look means; the export has
// one size; the window opens with the table in hand and fits small screens.
#include "allmakers/all_makers_window.h"
#include "allmakers/pump_chart.h"
#include "allmakers/window_fixture.h"
#include "results/results_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "ui/list_view.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>

using namespace testing_support;
using ui::AllMakersWindow;

namespace {

// 甲厂: a curve record and a range record; 乙厂: a range record that misses
// the duty flow by 7.5 %. Duty point 20 m³/h at 30 m, which both of 甲厂's
// ranges hold.
struct CurveMakers {
    static constexpr const char* kFlow = "20";
    static constexpr const char* kHead = "30";
    CurveMakers() {
        folder.writeText("txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n");
        folder.writeText("txt/a.dat",
                         "[1]\n型号=A-curve\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=\n"
                         "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
                         "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n"
                         "[2]\n型号=A-range\n流量1=15\n流量2=25\n扬程1=34\n扬程2=28\n功率=2.2\n备注=\n");
        folder.writeText("txt/b.dat", "[1]\n型号=B-near\n流量1=5\n流量2=18.5\n扬程1=32\n扬程2=28\n功率=1.1\n备注=\n");
    }
    CatalogueFolder folder;
};

class CurveSelectionTest : public AllMakersWindowTest<CurveMakers> {
protected:
    // Each test starts from the unit a new user has.
    CurveSelectionTest() { QSettings(QSettings::UserScope, "水泵", "水泵").remove("AllMakers/flowUnit"); }

    // Clicks the row of a model, as a user picks a pump; its place among the lines.
    static int pick(AllMakersWindow* a, const QString& model) {
        const int row = column(a, 1).indexOf(model);
        EXPECT_GE(row, 0) << model.toStdString();
        click(a->table->viewport(), a->table->visualRect(a->table->model()->index(row, 1)).center());
        EXPECT_EQ(a->chart->highlighted(), row);
        return row;
    }
    // Pasted over the box's text, so that the box changes once; nothing: emptied.
    static void pasteStaticHead(AllMakersWindow* a, const QString& text) {
        click(a->staticHeadBox);
        key(a->staticHeadBox, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) return key(a->staticHeadBox, Qt::Key_Backspace);
        QApplication::clipboard()->setText(text);
        key(a->staticHeadBox, Qt::Key_V, Qt::ControlModifier);
    }
    static void choose(QWidget* box, Qt::Key k) {
        box->setFocus();
        key(box, k);
    }
};

std::optional<QPointF> marker(const ui::PumpChart* chart, const QString& name) {
    for (const auto& m : chart->chart().markers)
        if (m.name == name) return m.at;
    return std::nullopt;
}

const ui::chart::Series* series(const ui::PumpChart* chart, const QString& name) {
    for (const auto& s : chart->chart().series)
        if (s.name == name) return &s;
    return nullptr;
}

void expectNear(std::optional<QPointF> point, double x, double y) {
    ASSERT_TRUE(point.has_value());
    EXPECT_NEAR(point->x(), x, 1e-9);
    EXPECT_NEAR(point->y(), y, 1e-9);
}

}  // namespace

// Working points below were found with scipy (PchipInterpolator through the
// curve's points, brentq for where it meets 10 + 20·(q/20)²); the curve's
// ends and the preferred region (70 % to 120 % of the best efficiency flow,
// 20 m³/h) by hand.
TEST_F(CurveSelectionTest, EachInputRedrawsTheCurvesAndTheWorkingPoint) {
    withWindow([&](AllMakersWindow* a) {
        const int curve = pick(a, "A-curve");
        // Without a static head the pump works at the duty flow, on its curve's point (20, 35).
        expectNear(marker(a->chart, "运行点"), 20, 35);
        EXPECT_EQ(series(a->chart, "系统曲线"), nullptr);
        ASSERT_EQ(a->chart->chart().bands.size(), 1u);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].from, 14);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].to, 24);

        click(a->staticHeadBox);
        typeText(a->staticHeadBox, "10");
        EXPECT_EQ(a->dutySelection().staticHead, 10.0);
        expectNear(marker(a->chart, "运行点"), 21.822284140410847, 33.810604255241344);
        const auto* system = series(a->chart, "系统曲线");
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->points.first(), QPointF(0, 10));

        // Two in parallel: the flow at each head doubles.
        choose(a->pumpsBox, Qt::Key_Up);
        EXPECT_EQ(a->dutySelection().group.pumps, 2);
        EXPECT_EQ(a->chart->linePoints(curve).first(), QPointF(0, 42));
        EXPECT_EQ(a->chart->linePoints(curve).last(), QPointF(80, 15));
        expectNear(marker(a->chart, "运行点"), 24.19582121083206, 39.271888203327535);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].from, 28);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].to, 48);

        // In series: the head at each flow doubles.
        choose(a->arrangementBox, Qt::Key_Down);
        EXPECT_TRUE(a->dutySelection().group.series);
        EXPECT_EQ(a->chart->linePoints(curve).first(), QPointF(0, 84));
        EXPECT_EQ(a->chart->linePoints(curve).last(), QPointF(40, 30));
        expectNear(marker(a->chart, "运行点"), 29.796095773218784, 54.39036616634131);

        EXPECT_FALSE(a->dutySelection().speed);
        click(a->speedBox);
        EXPECT_TRUE(a->dutySelection().speed);
        EXPECT_TRUE(a->chartTitle().endsWith("2 台串联　变频")) << a->chartTitle().toStdString();
    });
}

TEST_F(CurveSelectionTest, AStaticHeadTheDutyPointDoesNotAllowIsMarkedAndChangesNothing) {
    withWindow([&](AllMakersWindow* a) {
        pick(a, "A-curve");
        const QColor normal = a->staticHeadBox->palette().color(QPalette::Base);
        pasteStaticHead(a, "10");
        const QList<QPointF> system = series(a->chart, "系统曲线")->points;
        for (const auto& [typed, why] : {std::pair{"abc", "静扬程不是数字。"},
                                         {"30", "静扬程须不小于 0 且小于工况点的扬程 30 米。"},
                                         {"-1", "静扬程须不小于 0 且小于工况点的扬程 30 米。"}}) {
            pasteStaticHead(a, typed);
            EXPECT_NE(a->staticHeadBox->palette().color(QPalette::Base), normal) << typed;
            EXPECT_TRUE(a->staticHeadBox->toolTip().startsWith(why)) << a->staticHeadBox->toolTip().toStdString();
            EXPECT_EQ(a->dutySelection().staticHead, 10.0);
            EXPECT_EQ(series(a->chart, "系统曲线")->points, system);
            expectNear(marker(a->chart, "运行点"), 21.822284140410847, 33.810604255241344);
        }
        EXPECT_TRUE(boxes.seen.empty());
        // Emptied: no system curve, and the box as it was.
        pasteStaticHead(a, "");
        EXPECT_FALSE(a->dutySelection().staticHead.has_value());
        EXPECT_EQ(a->staticHeadBox->palette().color(QPalette::Base), normal);
        EXPECT_FALSE(a->staticHeadBox->toolTip().startsWith("静扬程不是数字"));
        EXPECT_EQ(series(a->chart, "系统曲线"), nullptr);
        expectNear(marker(a->chart, "运行点"), 20, 35);
    });
}

// 21.822284140410847 m³/h / 3.6 = 6.061745594558569 L/s (python).
TEST_F(CurveSelectionTest, TheUnitShowsLitresPerSecondAndIsRemembered) {
    QList<QPointF> inCubicMetres;
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(a->unitBox->currentText(), "m³/h");
        const int curve = pick(a, "A-curve");
        pasteStaticHead(a, "10");
        inCubicMetres = a->chart->linePoints(curve);
        choose(a->unitBox, Qt::Key_Down);
        EXPECT_EQ(a->dutySelection().unit, pumpsel::duty::FlowUnit::LitresPerSecond);
        EXPECT_EQ(a->chart->chart().bottom.title, "流量 Q (L/s)");
        const QList<QPointF> inLitres = a->chart->linePoints(curve);
        ASSERT_EQ(inLitres.size(), inCubicMetres.size());
        for (qsizetype i = 0; i < inLitres.size(); ++i) {
            EXPECT_DOUBLE_EQ(inLitres[i].x(), inCubicMetres[i].x() / 3.6);
            EXPECT_EQ(inLitres[i].y(), inCubicMetres[i].y());
        }
        expectNear(marker(a->chart, "运行点"), 6.061745594558569, 33.810604255241344);
    });
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(a->unitBox->currentText(), "L/s");
        EXPECT_EQ(a->chart->chart().bottom.title, "流量 Q (L/s)");
        expectNear(marker(a->chart, "工况点"), 20 / 3.6, 30);
        EXPECT_TRUE(a->chartTitle().contains("Q = 5.56 L/s，H = 30 m")) << a->chartTitle().toStdString();
    });
}

TEST_F(CurveSelectionTest, TheLegendNamesEveryLookDrawn) {
    withWindow([&](AllMakersWindow* a) {
        pick(a, "A-curve");
        pasteStaticHead(a, "10");
        QStringList texts;
        for (const auto& entry : a->chart->chart().legend) texts << entry.text;
        EXPECT_EQ(texts, (QStringList{"满足工况的水泵", "近似水泵", "范围记录 (虚线)", "选中的水泵", "系统曲线",
                                      "工况点", "运行点", "高效区 (最高效率点流量的 70%～120%)", "效率 η (右轴)"}));
        EXPECT_EQ(a->chart->chartLayout().legendEntries.size(), 9u);
        ASSERT_TRUE(a->chart->chart().right.has_value());
        EXPECT_EQ(a->chart->chart().right->title, "效率 η (%)");
    });
}

// The picture is 900 × 560 at twice the pixels, with its title line and legend drawn.
TEST_F(CurveSelectionTest, TheExportedPictureHasOneSizeWhateverTheWindowsSize) {
    withWindow([&](AllMakersWindow* a) {
        pick(a, "A-curve");
        pasteStaticHead(a, "10");
        EXPECT_EQ(a->chartTitle(), "离心泵　工况点 Q = 20 m³/h，H = 30 m　静扬程 Hs = 10 m　1 台并联　工频");
        const auto layout =
            a->chart->printed(a->chartTitle())
                .layout(QImage(1, 1, QImage::Format_RGB32), QRectF(QPointF(0, 0), ui::PumpChart::kPictureSize));
        for (QSize size : {QSize(640, 420), QSize(1500, 1000)}) {
            a->resize(size);
            const std::string name = "out" + std::to_string(size.width());
            a->askExportFile = [&](QWidget*, const QString&) {
                return QString::fromStdU16String((folder / name).u16string());
            };
            click(a->exportButton);
            const QImage picture(QString::fromStdU16String((folder / (name + ".png")).u16string()));
            EXPECT_EQ(picture.size(), QSize(1800, 1120));
            for (QRectF part : {layout.title, layout.legend}) {
                ASSERT_FALSE(part.isEmpty());
                int ink = 0;
                const QRect inPicture = QRectF(part.topLeft() * 2, part.size() * 2).toRect();
                for (int y = inPicture.top(); y <= inPicture.bottom(); ++y)
                    for (int x = inPicture.left(); x <= inPicture.right(); ++x)
                        ink += picture.pixelColor(x, y).lightness() < 128;
                EXPECT_GT(ink, 100);
            }
        }
    });
}

TEST_F(CurveSelectionTest, TheTableHasTheFocusAtOpenAndEnterOpensTheResults) {
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(QApplication::focusWidget(), a->table);
        EXPECT_EQ(a->table->currentIndex().row(), 0);
        const QString first = column(a, 1).first();
        QString model;
        OnModal<ResultsWindow> results([&](ResultsWindow* r) { model = r->ListView1->selectedText(0); });
        key(a->table, Qt::Key_Return);
        ASSERT_TRUE(results.ran());
        EXPECT_EQ(model, first);
    });
}

// Run also on screens of 1366 × 768 at 125 % and 1400 × 900 at 150 %
// (PUMPSEL_TEST_SCREEN names the screen in device pixels).
TEST_F(CurveSelectionTest, TheWindowFitsTheScreen) {
    withWindow([&](AllMakersWindow* a) {
        const QScreen* screen = a->screen();
        const QString expected = qEnvironmentVariable("PUMPSEL_TEST_SCREEN");
        if (!expected.isEmpty()) {
            const QSize pixels = screen->geometry().size() * screen->devicePixelRatio();
            EXPECT_NEAR(pixels.width(), expected.section('x', 0, 0).toInt(), 1);
            EXPECT_NEAR(pixels.height(), expected.section('x', 1, 1).toInt(), 1);
        }
        EXPECT_TRUE(screen->availableGeometry().contains(a->frameGeometry()))
            << "frame " << ::testing::PrintToString(a->frameGeometry()) << " on "
            << ::testing::PrintToString(screen->availableGeometry());
        for (QWidget* part : std::initializer_list<QWidget*>{a->exportButton, a->closeButton, a->staticHeadBox,
                                                             a->unitBox, a->toleranceBox, a->table, a->chart}) {
            EXPECT_TRUE(part->isVisible()) << part->objectName().toStdString();
            EXPECT_TRUE(a->rect().contains(QRect(part->mapTo(a, QPoint(0, 0)), part->size())))
                << part->objectName().toStdString();
        }
        // Room for a few rows of the table, and for the chart.
        EXPECT_GE(a->table->viewport()->height(), 3 * a->table->rowHeight(0));
        EXPECT_GE(a->chart->height(), 150);
    });
}
