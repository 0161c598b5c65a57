// The selection window as a user meets it: the kinds, the makers of the
// selected kind, the description and the thumbnail, and the clicks between them.
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/list_gestures.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"
#include "ui/text.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using testing_support::CatalogueFolder;
using testing_support::writeGbk;
using testing_support::writePicture;

namespace {

const std::string kIndex =
    "[种类]\n"
    "1=离心泵\n1mem=清水离心泵\n"
    "2=潜水泵\n"
    "3=深井泵\n3mem=井用潜水泵\n"
    "5=不可见\n"
    "[离心泵]\n"
    "1=江南泵业\n1add=江南路1号\n1yb=100001\n1tel=010-5550001\n1file=a.dat\n1pic=a.png\n"
    "2=河东泵厂\n2add=\n2tel=020-5550002\n2file=b.dat\n2pic=b.png\n"
    "3=山西机电\n3add=山西路3号\n3yb=300003\n3tel=030-5550003\n3file=c.dat\n3pic=c.png\n"
    "[潜水泵]\n"
    "1=北岭电泵\n1add=北岭路\n1yb=400004\n1file=d.dat\n1pic=d.png\n";

class SelectionWindowTest : public ::testing::Test {
protected:
    SelectionWindowTest() {
        writeGbk(folder / "txt/bump.dat", kIndex);
        writePicture(folder / "images/sm_a.png", Qt::red);
        writePicture(folder / "images/sm_b.png", Qt::green);
        writePicture(folder / "images/sm_c.png", Qt::blue);
        writePicture(folder / "images/sm_d.png", Qt::yellow);
        writePicture(folder / "images/c.png", Qt::black);  // the full-size picture is not the thumbnail
    }

    static QStringList rowTexts(const ui::ListView* list, int column = 0) {
        QStringList texts;
        for (int i = 1; i <= list->rowCount(); ++i) texts << list->text(i, column);
        return texts;
    }
    static void click(ui::ListView* list, int position) {
        QRect rect = list->rowRect(position);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static QColor shownColour(const ui::PictureBox* box) { return box->pixmap().toImage().pixelColor(5, 5); }

    CatalogueFolder folder;
};

}  // namespace

TEST_F(SelectionWindowTest, StartShowsKindsMakersDescriptionAndThumbnail) {
    SelectionWindow w(folder.root());
    EXPECT_EQ(w.windowTitle(), "水泵选型 v0.4");
    // Kinds in key order up to the gap before 5; the first one selected.
    EXPECT_EQ(rowTexts(w.ListView2), (QStringList{"离心泵", "潜水泵", "深井泵"}));
    EXPECT_EQ(w.ListView2->selectedPosition(), 1);
    EXPECT_EQ(rowTexts(w.ListView1), (QStringList{"江南泵业", "河东泵厂", "山西机电"}));
    EXPECT_EQ(w.ListView1->selectedPosition(), 1);
    EXPECT_EQ(w.Text2->toPlainText(), "清水离心泵");
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::red));
    EXPECT_EQ(w.picturePath(), folder / "images/sm_a.png");
}

TEST_F(SelectionWindowTest, MakerColumnsShowNotGivenForMissingAndBlankForEmpty) {
    SelectionWindow w(folder.root());
    EXPECT_EQ(rowTexts(w.ListView1, 1), (QStringList{"江南路1号", "", "山西路3号"}));
    EXPECT_EQ(rowTexts(w.ListView1, 2), (QStringList{"100001", "不详", "300003"}));
    EXPECT_EQ(rowTexts(w.ListView1, 3), (QStringList{"010-5550001", "020-5550002", "030-5550003"}));
    EXPECT_EQ(w.ListView1->headerText(0), "厂家");
    EXPECT_EQ(w.ListView1->headerText(3), "电话");
}

TEST_F(SelectionWindowTest, ClickingAKindRebuildsItsMakers) {
    SelectionWindow w(folder.root());
    w.show();
    click(w.ListView1, 3);
    click(w.ListView2, 2);
    EXPECT_EQ(w.ListView2->selectedPosition(), 2);
    EXPECT_EQ(rowTexts(w.ListView1), (QStringList{"北岭电泵"}));
    EXPECT_EQ(w.ListView1->selectedPosition(), 1);
    EXPECT_EQ(rowTexts(w.ListView1, 3), (QStringList{"不详"}));
    EXPECT_EQ(w.Text2->toPlainText(), "不详");
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::yellow));
}

TEST_F(SelectionWindowTest, ClickingTheThirdMakerShowsItsThumbnail) {
    SelectionWindow w(folder.root());
    w.show();
    click(w.ListView1, 3);
    EXPECT_EQ(w.makerPosition(), 3);
    EXPECT_EQ(w.selectedMaker(), "山西机电");
    EXPECT_EQ(w.picturePath(), folder / "images/sm_c.png");
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::blue));
    QTest::keyClick(w.ListView1, Qt::Key_Up);  // the keyboard moves the selection too
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::green));
}

// A drag across the kinds or the makers selects where the mouse lets go, and
// the makers, description and thumbnail follow; no gesture leaves a list
// without a selected row.
TEST_F(SelectionWindowTest, EveryGestureOnTheListsIsFollowed) {
    SelectionWindow w(folder.root());
    ASSERT_TRUE(testing_support::activate(&w));
    testing_support::dragAcross(w.ListView2, 1, 2);
    EXPECT_EQ(rowTexts(w.ListView1), (QStringList{"北岭电泵"}));
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::yellow));
    testing_support::dragAcross(w.ListView2, 2, 1);
    EXPECT_EQ(w.Text2->toPlainText(), "清水离心泵");
    testing_support::dragAcross(w.ListView1, 1, 3);
    EXPECT_EQ(shownColour(w.Image1), QColor(Qt::blue));
    for (ui::ListView* list : {w.ListView1, w.ListView2}) {
        testing_support::clickBelowRows(list);
        testing_support::ctrlClickRow(list, list->selectedPosition());
        testing_support::ctrlSpace(list);
        EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1) << list->objectName().toStdString();
        if (list == w.ListView1) {
            EXPECT_EQ(shownColour(w.Image1), QColor(Qt::blue));
        }
    }
    EXPECT_EQ(w.ListView2->selectedPosition(), 1);
    EXPECT_EQ(w.makerPosition(), 1);  // the click on the selected kind loaded its makers again
}

TEST_F(SelectionWindowTest, EachActionReadsTheCatalogueAfresh) {
    SelectionWindow w(folder.root());
    w.show();
    writeGbk(folder / "txt/bump.dat", kIndex + "[深井泵]\n1=新厂\n1pic=c.png\n");
    click(w.ListView2, 3);
    EXPECT_EQ(rowTexts(w.ListView1), (QStringList{"新厂"}));
    EXPECT_EQ(w.Text2->toPlainText(), "井用潜水泵");
}

TEST_F(SelectionWindowTest, KindWithoutMakersAndMissingThumbnail) {
    SelectionWindow w(folder.root());
    w.show();
    click(w.ListView2, 3);
    EXPECT_EQ(w.ListView1->rowCount(), 0);
    EXPECT_EQ(w.makerPosition(), 0);
    EXPECT_FALSE(w.Image1->hasPicture());

    std::filesystem::remove(folder / "images/sm_d.png");
    click(w.ListView2, 2);
    EXPECT_FALSE(w.Image1->hasPicture());
    EXPECT_EQ(w.Image1->text(), "无图片");
    writeGbk(folder / "images/sm_a.png", "not a picture");
    click(w.ListView2, 1);
    EXPECT_FALSE(w.Image1->hasPicture());
}

TEST_F(SelectionWindowTest, MissingCatalogueSaysWhereItWasLookedFor) {
    std::filesystem::remove(folder / "txt/bump.dat");
    SelectionWindow w(folder.root());
    EXPECT_EQ(w.ListView2->rowCount(), 0);
    EXPECT_EQ(w.ListView1->rowCount(), 0);
    const QString expected = "找不到泵数据库：" + ui::nativePath(folder / "txt/bump.dat");
    EXPECT_EQ(w.Text2->toPlainText(), expected);
}

TEST_F(SelectionWindowTest, CatalogueWithoutKinds) {
    writeGbk(folder / "txt/bump.dat", "[种类]\n2=second only\n");
    SelectionWindow w(folder.root());
    EXPECT_EQ(w.ListView2->rowCount(), 0);
    EXPECT_TRUE(w.Text2->toPlainText().startsWith("泵数据库中没有泵类型："));
}

TEST_F(SelectionWindowTest, LayoutCaptionsAndStartState) {
    SelectionWindow w(folder.root());
    w.show();
    EXPECT_EQ(w.size(), QSize(627, 363));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.Frame1->title(), " 类别及厂家");
    EXPECT_EQ(w.Frame1->geometry(), QRect(5, 10, 614, 292));
    EXPECT_EQ(w.ListView2->geometry(), QRect(6, 17, 217, 212));
    EXPECT_EQ(w.Label1[0]->text(), "流量(立米/时):");
    EXPECT_EQ(w.Label1[1]->text(), "扬     程(米):");
    EXPECT_EQ(w.Text1[0]->text(), "50");
    EXPECT_EQ(w.Text1[1]->text(), "40");
    EXPECT_EQ(w.Command4->text(), "愿加入本数据库的水泵厂商，可与我公司联系:join@vornesk.example");
    EXPECT_EQ(w.Command1->text(), "搜索");
    EXPECT_TRUE(w.Command1->isDefault());
    EXPECT_EQ(w.Command6->text(), "浏览");
    EXPECT_EQ(w.Command2->text(), "帮助");
    EXPECT_EQ(w.Command3->text(), "");
    EXPECT_FALSE(w.Command3->icon().isNull());
    EXPECT_FALSE(w.Command5->isVisible());
    EXPECT_EQ(w.Command5->text(), "添加");
    EXPECT_EQ(w.Hyperlink1->text(), "[Vornesk] www.vornesk.example");
    EXPECT_EQ(w.Hyperlink1->toolTip(), "访问[Vornesk]，免费下载最新专业软件");
    EXPECT_EQ(w.Hyperlink1->pos(), QPoint(14, 333));
    EXPECT_FALSE(w.Label2->isVisible());
    EXPECT_EQ(w.Label2->pos(), w.Hyperlink1->pos());
    EXPECT_EQ(w.Image1->toolTip(), "单击可显示放大的泵图");
    EXPECT_EQ(w.Image1->cursor().shape(), Qt::UpArrowCursor);
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.Text2->isReadOnly());
}

// The frame's border runs through the middle of its caption, above the lists
// that lie just under the caption: the grey line is found there on screen.
TEST_F(SelectionWindowTest, TheFrameEnclosesItsListsWithItsBorderThroughTheCaption) {
    SelectionWindow w(folder.root());
    w.show();
    const QImage frame = w.Frame1->grab().toImage();
    const QRgb line = w.Frame1->palette().color(QPalette::Mid).rgb();
    auto firstLineRow = [&](int x) {
        for (int y = 0; y < frame.height(); ++y)
            if (frame.pixel(x, y) == line) return y;
        return -1;
    };
    const int border = firstLineRow(frame.width() - 3);
    const int captionHeight = w.Frame1->fontMetrics().height();
    EXPECT_GE(border, captionHeight / 2 - 1);
    EXPECT_LE(border, captionHeight / 2 + 1);
    EXPECT_LT(border, w.ListView2->y());
    EXPECT_LT(border, w.ListView1->y());
    EXPECT_EQ(w.ListView2->geometry(), QRect(6, 17, 217, 212));
    // The caption interrupts the line: no line pixel runs under its text.
    const int captionEnd = w.Frame1->fontMetrics().horizontalAdvance(w.Frame1->title());
    EXPECT_NE(frame.pixel(captionEnd / 2, border), line);
    EXPECT_EQ(frame.pixel(captionEnd + 20, border), line);
}

TEST_F(SelectionWindowTest, FocusStartsOnTheKindsAndTabFollowsTheDesignOrder) {
    SelectionWindow w(folder.root());
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(QApplication::focusWidget(), w.ListView2);
    const QList<QWidget*> expected = {w.ListView1,  w.Text1[0], w.Text1[1], w.Command2, w.Command3,
                                      w.Hyperlink1, w.Command6, w.Command1, w.Text2,    w.Command4};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(SelectionWindowTest, EscapeClosesTheWindow) {
    SelectionWindow w(folder.root());
    w.show();
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
}
