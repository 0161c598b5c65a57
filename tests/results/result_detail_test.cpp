// In the results window: the remark of the clicked pump, the enlarged maker
// picture, help, and the report.
#include "results/report.h"
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/list_gestures.h"
#include "support/message_boxes.h"
#include "support/read_only.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace testing_support;

namespace {

struct Catalogue {
    Catalogue() {
        folder.writeOneMakerIndex();
        writeGbk(folder / "txt/a.dat",
                 "[1]\n型号=IS50\n流量1=6.3\n流量2=12.5\n扬程1=22\n扬程2=18.5\n功率=2.2\n备注=清水泵\n"
                 "[2]\n型号=IS65\n流量1=12.5\n流量2=25\n扬程1=22\n扬程2=18\n功率=3\n"
                 "[3]\n型号=IS80\n流量1=25\n流量2=50\n扬程1=22\n扬程2=17\n功率=5.5\n备注=\n");
        writeGbk(folder / "txt/水泵选型.txt", "帮助\n");
        writePicture(folder / "images/a.png", Qt::magenta);
        writePicture(folder / "images/sm_a.png", Qt::cyan);
    }
    CatalogueFolder folder;
};

class ResultDetailTest : public ::testing::Test, protected Catalogue {
protected:
    // Browses the maker and runs `inside` on the open results window, whose
    // editor launcher only records what it was asked to open.
    void withResults(const std::function<void(ResultsWindow*)>& inside) {
        OnModal<ResultsWindow> on([&](ResultsWindow* r) {
            r->openEditor = [this](const std::filesystem::path& file) {
                opened.push_back(file);
                return true;
            };
            inside(r);
        });
        w.Command6->click();
        ASSERT_TRUE(on.ran());
    }
    static void clickRow(ResultsWindow* r, int position) {
        ui::ListView* list = r->ListView1;
        click(list->viewport(), list->rowRect(position).center());
    }
    std::string report() { return readBytes(folder / "水泵选型结果.txt"); }

    SelectionWindow w{folder.root()};
    std::vector<std::filesystem::path> opened;
};

}  // namespace

TEST_F(ResultDetailTest, ClickingARowShowsItsRemarkReadAfresh) {
    withResults([&](ResultsWindow* r) {
        EXPECT_EQ(r->Text2->toPlainText(), "清水泵");
        clickRow(r, 2);
        EXPECT_EQ(r->Text2->toPlainText(), "unknown");
        clickRow(r, 3);
        EXPECT_EQ(r->Text2->toPlainText(), "");
        writeGbk(folder / "txt/a.dat", "[1]\n型号=IS50\n备注=新的备注\n[3]\n型号=IS80\n备注=第三号改了\n");
        clickRow(r, 3);
        EXPECT_EQ(r->Text2->toPlainText(), "第三号改了");
        clickRow(r, 1);
        EXPECT_EQ(r->Text2->toPlainText(), "新的备注");
    });
}

// Pressing on one pump and letting go on another selects the second: the
// remark and the report follow it, whatever the gesture, and no gesture
// leaves the list without a pump to report.
TEST_F(ResultDetailTest, TheReportHoldsTheRowTheMouseLeftSelected) {
    withResults([&](ResultsWindow* r) {
        ASSERT_TRUE(activate(r));
        dragAcross(r->ListView1, 1, 3);
        EXPECT_EQ(r->Text2->toPlainText(), "");
        dragAcross(r->ListView1, 3, 1);
        EXPECT_EQ(r->Text2->toPlainText(), "清水泵");
        clickBelowRows(r->ListView1);
        ctrlClickRow(r->ListView1, 1);
        ctrlSpace(r->ListView1);
        click(r->Command1);
        EXPECT_NE(report().find(gbkText("型号: IS50\n")), std::string::npos);
        EXPECT_TRUE(report().ends_with(gbkText("备注: 清水泵")));
        dragAcross(r->ListView1, 1, 2);
        click(r->Command1);
        EXPECT_NE(report().find(gbkText("型号: IS65\n流量: 12.5 ～ 25.0立方米/时")), std::string::npos);
        EXPECT_TRUE(report().ends_with(gbkText("备注: unknown")));
    });
}

TEST_F(ResultDetailTest, PictureClickOpensTheMakerPictureEnlarged) {
    withResults([&](ResultsWindow* r) {
        clickRow(r, 2);
        QColor shown;
        OnModal<PictureViewer> viewer(
            [&](PictureViewer* v) { shown = v->Image1->pixmap().toImage().pixelColor(1, 1); });
        click(r->Image1);
        EXPECT_TRUE(viewer.ran());
        EXPECT_EQ(shown, QColor(Qt::magenta));
        EXPECT_EQ(r->ListView1->selectedPosition(), 2);
    });
}

TEST_F(ResultDetailTest, HelpOpensTheHelpText) {
    withResults([&](ResultsWindow* r) {
        QString caption, text;
        OnModal<TextViewer> viewer([&](TextViewer* v) {
            caption = v->windowTitle();
            text = v->Text1->toPlainText();
        });
        click(r->Command2);
        EXPECT_EQ(caption, "水泵选型");
        EXPECT_EQ(text, "帮助\n");
        EXPECT_TRUE(r->isVisible());
    });
}

TEST_F(ResultDetailTest, ReportHoldsTheSelectedPumpByteForByte) {
    withResults([&](ResultsWindow* r) {
        const QDateTime before = QDateTime::currentDateTime();
        click(r->Command1);
        const std::string bytes = report();
        const std::size_t firstBreak = bytes.find("\r\n");
        const QString stamp = QString::fromStdString(bytes.substr(0, firstBreak));
        EXPECT_TRUE(stamp == ui::generalDateTime(before) || stamp == ui::generalDateTime(QDateTime::currentDateTime()))
            << stamp.toStdString();
        EXPECT_EQ(bytes.substr(firstBreak), gbkText("\n\n厂家: 江南泵业\n型号: IS50\n流量: 6.3 ～ 12.5立方米/时\n"
                                                    "扬程: 22.0 ～ 18.5米\n功率: 2.2千瓦\n备注: 清水泵"));
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], folder / "水泵选型结果.txt");
    });
}

TEST_F(ResultDetailTest, SecondExportReplacesTheFirstAndAnEmptyRemarkEndsTheFile) {
    withResults([&](ResultsWindow* r) {
        click(r->Command1);
        clickRow(r, 3);
        click(r->Command1);
        const std::string bytes = report();
        EXPECT_NE(bytes.find(gbkText("型号: IS80\n")), std::string::npos);
        EXPECT_EQ(bytes.find("IS50"), std::string::npos);
        EXPECT_TRUE(bytes.ends_with(gbkText("\n备注: ")));
        EXPECT_EQ(opened.size(), 2u);
    });
}

TEST_F(ResultDetailTest, UnwritableReportIsSaidAndTheOldOneIsNotOpened) {
    writeBytes(folder / "水泵选型结果.txt", "old report");
    MessageBoxes boxes;
    ReadOnly readOnly(folder.root());
    if (!readOnly.effective()) GTEST_SKIP() << "cannot make a folder read-only here";
    withResults([&](ResultsWindow* r) { click(r->Command1); });
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(report(), "old report");
    ASSERT_EQ(boxes.seen.size(), 1u);
    // The reason in the user's words, from the failure's kind, not the system's English.
    EXPECT_EQ(boxes.seen[0].text, "无法写入结果文件 " +
                                      QString::fromStdU16String((folder / "水泵选型结果.txt").u16string()) +
                                      "：文件或其所在文件夹是只读的");
    EXPECT_EQ(boxes.seen[0].title, "输出失败");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
}

TEST(GeneralDateTime, ShortDateLongTimeAndMidnight) {
    const QLocale locale(QLocale::Chinese, QLocale::China);
    EXPECT_EQ(ui::generalDateTime(QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5)), locale), "2026/12/7 15:04:05");
    EXPECT_EQ(ui::generalDateTime(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 0)), locale), "2026/12/7");
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(ui::generalDateTime(QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5)), us), "12/7/26 3:04:05 PM");
}
