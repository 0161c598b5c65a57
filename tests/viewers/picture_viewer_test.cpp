// The picture viewer: natural size, scroll ranges and steps, centring.
#include "viewers/picture_viewer.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "ui/hyperlink.h"
#include "viewers/picture_fit.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

using testing_support::CatalogueFolder;
using testing_support::OnModal;
using testing_support::writeGbk;
using testing_support::writePicture;

TEST(PictureFit, DesignFiguresInTwips) {
    // 3000 x 2000 twips, smaller than the 9075 x 4710 area: centred, no scrolling.
    ui::Fit h = ui::fitPicture(3000, 9075), v = ui::fitPicture(2000, 4710);
    EXPECT_DOUBLE_EQ(h.offset, 2907.5);
    EXPECT_DOUBLE_EQ(v.offset, 1225);
    EXPECT_EQ(h.maximum, 0);
    EXPECT_EQ(v.maximum, 0);
    // 2000 twips taller than the area.
    v = ui::fitPicture(6710, 4710);
    EXPECT_EQ(v.maximum, 2000);
    EXPECT_EQ(v.largeStep, 400);
    EXPECT_EQ(v.smallStep, 200);
    EXPECT_DOUBLE_EQ(v.offset, 0);
    // 25 twips taller: 2.5 goes to the even neighbour.
    v = ui::fitPicture(4735, 4710);
    EXPECT_EQ(v.maximum, 25);
    EXPECT_EQ(v.largeStep, 5);
    EXPECT_EQ(v.smallStep, 2);
    // 3 twips taller: the steps would round to nothing.
    v = ui::fitPicture(4713, 4710);
    EXPECT_EQ(v.maximum, 3);
    EXPECT_EQ(v.largeStep, 1);
    EXPECT_EQ(v.smallStep, 1);
    EXPECT_EQ(ui::roundHalfEven(2.5), 2);
    EXPECT_EQ(ui::roundHalfEven(3.5), 4);
    EXPECT_EQ(ui::roundHalfEven(2000.5), 2000);
}

class PictureViewerTest : public ::testing::Test {
protected:
    // Opens the picture and runs `inside` on the open viewer.
    void view(const std::string& picture, const std::function<void(PictureViewer*)>& inside) {
        OnModal<PictureViewer> on(inside);
        ui::ShowPicture(nullptr, folder / picture);
        ASSERT_TRUE(on.ran());
    }
    CatalogueFolder folder;
};

TEST_F(PictureViewerTest, SmallPictureIsCentred) {
    writePicture(folder / "images/p.png", Qt::red, 200, 134);  // 3000 x 2010 twips
    view("images/p.png", [](PictureViewer* v) {
        EXPECT_DOUBLE_EQ(v->imageLeft(), 2907.5);
        EXPECT_DOUBLE_EQ(v->imageTop(), 1220);
        EXPECT_EQ(v->HScroll1->maximum(), 0);
        EXPECT_EQ(v->VScroll1->maximum(), 0);
        EXPECT_EQ(v->Image1->size(), QSize(200, 134));  // natural size, not stretched
        EXPECT_EQ(v->Image1->pos(), QPoint(194, 81));
    });
}

TEST_F(PictureViewerTest, TallPictureScrollsAndTheTopEdgeFollows) {
    writePicture(folder / "images/tall.png", Qt::blue, 100, 448);  // 6720 twips: 2010 taller
    view("images/tall.png", [](PictureViewer* v) {
        EXPECT_EQ(v->VScroll1->maximum(), 2010);
        EXPECT_EQ(v->VScroll1->pageStep(), 402);
        EXPECT_EQ(v->VScroll1->singleStep(), 201);
        EXPECT_DOUBLE_EQ(v->imageTop(), 0);
        v->VScroll1->setValue(400);
        EXPECT_DOUBLE_EQ(v->imageTop(), -400);
        EXPECT_EQ(v->Image1->y(), -27);
        v->VScroll1->setValue(0);
        EXPECT_DOUBLE_EQ(v->imageTop(), 0);
        v->VScroll1->setValue(2010);
        EXPECT_DOUBLE_EQ(v->imageTop(), -2010);
        v->VScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_DOUBLE_EQ(v->imageTop(), -1809);
    });
}

TEST_F(PictureViewerTest, EachOpeningStartsFresh) {
    writePicture(folder / "images/wide.png", Qt::green, 1000, 100);
    for (int i = 0; i < 2; ++i) {
        view("images/wide.png", [](PictureViewer* v) {
            EXPECT_EQ(v->HScroll1->value(), 0);
            EXPECT_EQ(v->HScroll1->maximum(), 15000 - 9075);
            v->HScroll1->setValue(1000);
            EXPECT_DOUBLE_EQ(v->imageLeft(), -1000);
        });
    }
}

TEST_F(PictureViewerTest, PictureBeyondTheSixteenBitRangeScrollsToItsEnd) {
    writePicture(folder / "images/huge.png", Qt::gray, 50, 3000);  // 45000 twips high
    view("images/huge.png", [](PictureViewer* v) {
        EXPECT_EQ(v->VScroll1->maximum(), 45000 - 4710);
        v->VScroll1->setValue(v->VScroll1->maximum());
        EXPECT_EQ(v->Image1->geometry().bottom() + 1, v->Picture1->height());
    });
}

TEST_F(PictureViewerTest, MissingOrBrokenPictureOpensAnEmptyViewer) {
    writeGbk(folder / "images/broken.png", "this is no picture");
    for (const char* name : {"images/none.png", "images/broken.png"}) {
        view(name, [](PictureViewer* v) {
            EXPECT_TRUE(v->Image1->pixmap().isNull());
            EXPECT_EQ(v->VScroll1->maximum(), 0);
            EXPECT_EQ(v->HScroll1->maximum(), 0);
        });
    }
}

TEST_F(PictureViewerTest, LayoutAndClosing) {
    writePicture(folder / "images/p.png", Qt::red);
    view("images/p.png", [](PictureViewer* v) {
        EXPECT_EQ(v->windowTitle(), "图片浏览");
        EXPECT_EQ(v->Hyperlink1->pos(), QPoint(14, 341));
        EXPECT_EQ(v->Hyperlink1->text(), "[Vornesk] http://www.vornesk.example");
        EXPECT_EQ(v->Picture1->palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_FALSE(v->Command3->icon().isNull());
        testing_support::key(v->Command3, Qt::Key_Escape);
        EXPECT_FALSE(v->isVisible());
    });
    view("images/p.png", [](PictureViewer* v) {
        testing_support::click(v->Command3);
        EXPECT_FALSE(v->isVisible());
    });
}
