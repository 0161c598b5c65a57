// The selection beyond the duty point in the window 全部厂家选型, as an
// engineer uses it: the static head, the pumps together, the speed and the
// flow unit redraw the curves, the system curve and the working point; the
// unit is remembered; the legend says what each look means; the export has
// one size; the picked pump's sheet is previewed and exported as PDF; the
// window opens with the table in hand and fits small screens.
#include "allmakers/all_makers_window.h"
#include "allmakers/pump_chart.h"
#include "allmakers/sheet_dialog.h"
#include "allmakers/window_fixture.h"
#include "results/results_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "ui/list_view.h"
#include "ui/user_settings.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>

using namespace testing_support;
using ui::AllMakersWindow;

namespace {

// 甲厂: a curve record and a range record; 乙厂: a range record that misses
// the duty flow by 7.5 %, and a curve record of half A-curve's heads, which
// only two pumps in series reach. Duty point 20 m³/h at 30 m, which both of
// 甲厂's ranges hold.
struct CurveMakers {
    static constexpr const char* kFlow = "20";
    static constexpr const char* kHead = "30";
    CurveMakers() {
        writeGbk(folder / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n2=乙厂\n2file=b.dat\n");
        writeGbk(folder / "txt/a.dat",
                 "[1]\n型号=A-curve\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=\n"
                 "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n"
                 "曲线功率=1.2,2.0,2.7,3.2,3.4\n曲线汽蚀余量=1.0,1.2,1.8,2.9,4.5\n转速=2900\n"
                 "[2]\n型号=A-range\n流量1=15\n流量2=25\n扬程1=34\n扬程2=28\n功率=2.2\n备注=\n");
        writeGbk(folder / "txt/b.dat",
                 "[1]\n型号=B-near\n流量1=5\n流量2=18.5\n扬程1=32\n扬程2=28\n功率=1.1\n备注=\n"
                 "[2]\n型号=C-low\n流量1=10\n流量2=30\n扬程1=20\n扬程2=13.5\n功率=1.5\n备注=\n"
                 "曲线流量=0,10,20,30,40\n曲线扬程=21,20,17.5,13.5,7.5\n曲线效率=0,50,70,65,50\n");
    }
    CatalogueFolder folder;
};

class CurveSelectionTest : public AllMakersWindowTest<CurveMakers> {
protected:
    // Each test starts from the unit a new user has.
    CurveSelectionTest() {
        QSettings(QSettings::UserScope, ui::kSettingsOrganisation, ui::kSettingsApplication)
            .remove("AllMakers/flowUnit");
    }

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

// The text in a pump's row under a column header (its unit shown on a line
// of its own); empty when there is no such column.
QString cell(AllMakersWindow* a, const QString& model, const QString& header) {
    const QAbstractItemModel* rows = a->table->model();
    for (int c = 0; c < rows->columnCount(); ++c) {
        if (rows->headerData(c, Qt::Horizontal).toString() != QString(header).replace("(", "\n(")) continue;
        for (int r = 0; r < rows->rowCount(); ++r)
            if (rows->index(r, 1).data().toString() == model) return rows->index(r, c).data().toString();
    }
    return {};
}

// A pump's figures at the duty point, as its row shows them (flows in m³/h).
QStringList figures(AllMakersWindow* a, const QString& model) {
    QStringList texts;
    for (const char* header : {"扬程偏差", "流量位置", "运行点流量(m³/h)", "运行点扬程(m)", "效率(%)", "轴功率(kW)",
                               "汽蚀余量(m)", "高效区"})
        texts << cell(a, model, header);
    return texts;
}

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

// Figures by scipy: PchipInterpolator through the curve's points for head,
// efficiency, shaft power and NPSH, brentq for where the pumps' curve meets
// the system curve 10 + 20·(q/20)² and, for the speed, the parabola
// 30·(q/20)² (r = 20/q₁, × 2900 r/min); which pumps are listed, the range
// lines' figures, the curves' ends and the preferred regions (70 % to 120 %
// of the best efficiency flow, 20 m³/h a pump) by hand.
TEST_F(CurveSelectionTest, EachInputChangesTheRankingAndTheFigures) {
    withWindow([&](AllMakersWindow* a) {
        // A-range's line gives 31 m at 20 m³/h (+3.3 %), A-curve's curve 35 m (+16.7 %).
        EXPECT_EQ(column(a, 1), (QStringList{"A-range", "A-curve", "B-near"}));
        pick(a, "A-curve");
        EXPECT_EQ(figures(a, "A-curve"), (QStringList{"+16.7%", "50.0%", "20.0", "35.0", "70.0", "2.70", "1.8", "是"}));
        expectNear(marker(a->chart, "运行点"), 20, 35);
        EXPECT_EQ(series(a->chart, "系统曲线"), nullptr);
        ASSERT_EQ(a->chart->chart().bands.size(), 1u);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].from, 14);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].to, 24);

        // The operating point (21.822284140410847, 33.810604255241344); there
        // η 69.766 %, P 2.8071 kW, NPSH 1.9555 m, at 1.09 of the best flow.
        click(a->staticHeadBox);
        typeText(a->staticHeadBox, "10");
        EXPECT_EQ(a->dutySelection().staticHead, 10.0);
        EXPECT_EQ(column(a, 1), (QStringList{"A-range", "A-curve", "B-near"}));
        EXPECT_EQ(figures(a, "A-curve"), (QStringList{"+16.7%", "50.0%", "21.8", "33.8", "69.8", "2.81", "2.0", "是"}));
        expectNear(marker(a->chart, "运行点"), 21.822284140410847, 33.810604255241344);
        const auto* system = series(a->chart, "系统曲线");
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->points.first(), QPointF(0, 10));

        // The parabola meets the curve at q₁ = 21.3358: r = 0.93739, 2718.44 r/min.
        EXPECT_EQ(cell(a, "A-curve", "转速(r/min)"), "");
        click(a->speedBox);
        EXPECT_TRUE(a->dutySelection().speed);
        EXPECT_EQ(cell(a, "A-curve", "转速(r/min)"), "2718");

        // Two in parallel, each at 10 m³/h and 30 m: A-range's range starts at
        // 15 (a miss of 50 %), B-near's holds it (its line 30.52 m there,
        // +1.7 %, at 37.0 % of 5 to 18.5). A-curve's flows double; its
        // operating point (24.19582121083206, 39.271888203327535), each pump
        // at 12.098 m³/h: η 56.014 %, P 2.1570 kW, NPSH 1.2804 m, 0.60 of the
        // best flow; its speed 2526.90 r/min (q₁ = 22.953).
        choose(a->pumpsBox, Qt::Key_Up);
        EXPECT_EQ(a->dutySelection().group.pumps, 2);
        EXPECT_EQ(column(a, 1), (QStringList{"B-near", "A-curve"}));
        EXPECT_EQ(cell(a, "B-near", "扬程偏差"), "+1.7%");
        EXPECT_EQ(cell(a, "B-near", "流量位置"), "37.0%");
        EXPECT_EQ(figures(a, "A-curve"), (QStringList{"+33.3%", "0.0%", "24.2", "39.3", "56.0", "2.16", "1.3", "否"}));
        EXPECT_EQ(cell(a, "A-curve", "转速(r/min)"), "2527");
        const int curve = column(a, 1).indexOf("A-curve");
        EXPECT_EQ(a->chart->linePoints(curve).first(), QPointF(0, 42));
        EXPECT_EQ(a->chart->linePoints(curve).last(), QPointF(80, 15));
        expectNear(marker(a->chart, "运行点"), 24.19582121083206, 39.271888203327535);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].from, 28);
        EXPECT_DOUBLE_EQ(a->chart->chart().bands[0].to, 48);

        // In series, each at 20 m³/h and 15 m: only C-low's ranges hold it;
        // two of them make A-curve's curve, and work where A-curve alone did.
        choose(a->arrangementBox, Qt::Key_Down);
        EXPECT_TRUE(a->dutySelection().group.series);
        EXPECT_EQ(column(a, 1), (QStringList{"C-low"}));
        EXPECT_EQ(cell(a, "C-low", "运行点流量(m³/h)"), "21.8");
        EXPECT_EQ(cell(a, "C-low", "运行点扬程(m)"), "33.8");
        EXPECT_EQ(cell(a, "C-low", "效率(%)"), "69.8");
        EXPECT_EQ(a->chart->linePoints(0).first(), QPointF(0, 42));
        EXPECT_EQ(a->chart->linePoints(0).last(), QPointF(40, 15));
        expectNear(marker(a->chart, "运行点"), 21.822284140410847, 33.810604255241344);
        EXPECT_TRUE(a->chartTitle().endsWith("2 台串联　变频")) << a->chartTitle().toStdString();
    });
}

TEST_F(CurveSelectionTest, AStaticHeadTheDutyPointDoesNotAllowIsMarkedAndChangesNothing) {
    withWindow([&](AllMakersWindow* a) {
        pick(a, "A-curve");
        const QColor normal = a->staticHeadBox->palette().color(QPalette::Base);
        pasteStaticHead(a, "10");
        const QList<QPointF> system = series(a->chart, "系统曲线")->points;
        const QStringList rows = column(a, 1), shown = figures(a, "A-curve");
        for (const auto& [typed, why] : {std::pair{"abc", "静扬程不是数字。"},
                                         {"30", "静扬程须不小于 0 且小于工况点的扬程 30 米。"},
                                         {"-1", "静扬程须不小于 0 且小于工况点的扬程 30 米。"}}) {
            pasteStaticHead(a, typed);
            EXPECT_NE(a->staticHeadBox->palette().color(QPalette::Base), normal) << typed;
            EXPECT_TRUE(a->staticHeadBox->toolTip().startsWith(why)) << a->staticHeadBox->toolTip().toStdString();
            EXPECT_EQ(a->dutySelection().staticHead, 10.0);
            EXPECT_EQ(series(a->chart, "系统曲线")->points, system);
            EXPECT_EQ(column(a, 1), rows);
            EXPECT_EQ(figures(a, "A-curve"), shown);
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
        // 10 and 30 m³/h are 2.78 and 8.33 L/s.
        EXPECT_EQ(cell(a, "A-curve", "流量(L/s)"), "2.8 ～ 8.3");
        EXPECT_EQ(cell(a, "A-curve", "运行点流量(L/s)"), "6.1");
        EXPECT_EQ(cell(a, "A-curve", "运行点扬程(m)"), "33.8");
    });
    withWindow([&](AllMakersWindow* a) {
        EXPECT_EQ(a->unitBox->currentText(), "L/s");
        EXPECT_EQ(a->chart->chart().bottom.title, "流量 Q (L/s)");
        EXPECT_EQ(cell(a, "A-curve", "流量(L/s)"), "2.8 ～ 8.3");
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
            // The ranking's CSV, under the selection's header line.
            EXPECT_TRUE(
                readBytes(folder / (name + ".csv"))
                    .starts_with("\xEF\xBB\xBF水泵类型,离心泵,流量Q(m³/h),20,扬程H(m),30,容差,10%,静扬程Hs(m),10\r\n"
                                 "厂家,型号,数据,流量(m³/h),扬程(m),功率(kW),"));
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

// A maker and a model never cut; a remark longer than its column is shown whole by its tooltip.
TEST_F(CurveSelectionTest, TheColumnsFitTheirTextsAndTooltipsShowLongOnes) {
    const std::string remark(120, 'r');
    writeGbk(folder / "txt/a.dat",
             "[1]\n型号=A-range-with-a-long-model-name\n流量1=15\n流量2=25\n扬程1=34\n扬程2=28\n"
             "功率=2.2\n备注=" +
                 remark + "\n");
    withWindow([&](AllMakersWindow* a) {
        const QFontMetrics metrics(a->table->font());
        const QModelIndex maker = a->table->model()->index(0, 0), model = a->table->model()->index(0, 1);
        EXPECT_EQ(model.data().toString(), "A-range-with-a-long-model-name");
        for (const QModelIndex& text : {maker, model}) {
            EXPECT_GT(a->table->columnWidth(text.column()), metrics.horizontalAdvance(text.data().toString()));
            EXPECT_EQ(text.data(Qt::ToolTipRole).toString(), text.data().toString());
        }
        const int last = a->table->model()->columnCount() - 1;
        EXPECT_EQ(a->table->model()->headerData(last, Qt::Horizontal).toString(), "备注");
        const QModelIndex cut = a->table->model()->index(0, last);
        EXPECT_LT(a->table->columnWidth(last), metrics.horizontalAdvance(cut.data().toString()));
        EXPECT_EQ(cut.data(Qt::ToolTipRole).toString(), QString::fromStdString(remark));
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

// The sheet of the picked pump for the window's selection (figures as in
// EachInputChangesTheRankingAndTheFigures; 20 m³/h is 5.56 L/s, 21.822
// m³/h 6.06 L/s), previewed by 计算书… and saved by 导出 as PDF; a
// cancelled dialog makes no file.
TEST_F(CurveSelectionTest, ThePickedPumpsSheetIsPreviewedAndExportedAsPdf) {
    const std::filesystem::path pdf = folder / "选型.pdf";
    const auto answerDialog = [](QDialogButtonBox::StandardButton button) {
        return [button](ui::SheetDialog* d) {
            d->projectBox->setText("滨江花园");
            click(d->findChild<QDialogButtonBox*>()->button(button));
        };
    };
    withWindow([&](AllMakersWindow* a) {
        pick(a, "A-curve");
        pasteStaticHead(a, "10");
        choose(a->unitBox, Qt::Key_Down);  // L/s
        ASSERT_TRUE(a->sheetButton->isEnabled());
        OnModal<ui::SheetDialog> dialog(answerDialog(QDialogButtonBox::Ok));
        QString title;
        int pages = 0;
        OnModal<QPrintPreviewDialog> preview([&](QPrintPreviewDialog* p) {
            title = p->windowTitle();
            pages = p->findChild<QPrintPreviewWidget*>()->pageCount();
        });
        click(a->sheetButton);
        EXPECT_TRUE(dialog.ran());
        ASSERT_TRUE(preview.ran());
        EXPECT_EQ(title, "水泵选型计算书 - 打印预览");
        EXPECT_EQ(pages, 1);

        a->askExportFile = [&](QWidget*, const QString&) { return QString::fromStdU16String(pdf.u16string()); };
        OnModal<ui::SheetDialog> cancelled(answerDialog(QDialogButtonBox::Cancel));
        click(a->exportButton);
        EXPECT_TRUE(cancelled.ran());
        EXPECT_FALSE(std::filesystem::exists(pdf));
        OnModal<ui::SheetDialog> accepted(answerDialog(QDialogButtonBox::Ok));
        click(a->exportButton);
        EXPECT_TRUE(accepted.ran());
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].title, "导出");
        EXPECT_EQ(boxes.seen[0].text, "已导出 " + QDir::toNativeSeparators(QString::fromStdU16String(pdf.u16string())));
    });
    ASSERT_EQ(readBytes(pdf).substr(0, 5), "%PDF-");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) GTEST_SKIP() << "no pdftotext here to read the sheet back";
    QProcess reader;
    reader.start(pdftotext, {"-layout", QString::fromStdU16String(pdf.u16string()), "-"});
    ASSERT_TRUE(reader.waitForFinished());
    const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput()).remove(' ').split('\n');
    const auto lineWith = [&](const QString& label) {
        for (const QString& line : lines)
            if (line.contains(label)) return line;
        return QString();
    };
    EXPECT_TRUE(lineWith("工程名称").contains("滨江花园"));
    EXPECT_TRUE(lineWith("型号").contains("A-curve"));
    EXPECT_TRUE(lineWith("设计流量").contains("20.00m³/h(5.56L/s)")) << lineWith("设计流量").toStdString();
    EXPECT_TRUE(lineWith("静扬程").contains("10.00m")) << lineWith("静扬程").toStdString();
    // Q m³/h, Q L/s, H, η, P, the motor's load 2.8071 / 3.3 kW, NPSHr.
    EXPECT_TRUE(lineWith("单台").contains("21.826.0633.8169.82.8185.11.96")) << lineWith("单台").toStdString();
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
