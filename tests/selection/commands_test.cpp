// The selection window's help, invitation, close and enlarged picture.
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace testing_support;

namespace {

struct TwoMakers {
    TwoMakers() {
        writeGbk(folder / "txt/bump.dat",
                 "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n"
                 "2=乙厂\n2file=b.dat\n2pic=b.png\n");
        folder.writeRecords("txt/a.dat", 3);
        writeGbk(folder / "txt/水泵选型.txt", "帮助第一行\n");
        writeGbk(folder / "txt/水泵厂商.txt", "欢迎加入\n");
        writePicture(folder / "images/b.png", Qt::darkGreen);
        writePicture(folder / "images/sm_b.png", Qt::green);
    }
    CatalogueFolder folder;
};

class CommandsTest : public ::testing::Test, protected TwoMakers {
protected:
    CommandsTest() { EXPECT_TRUE(activate(&w)); }
    SelectionWindow w{folder.root()};
};

}  // namespace

TEST_F(CommandsTest, HelpAndInvitationOpenTheirTexts) {
    QString caption, text;
    auto read = [&](TextViewer* v) {
        caption = v->windowTitle();
        text = v->Text1->toPlainText();
    };
    {
        OnModal<TextViewer> viewer(read);
        click(w.Command2);
    }
    EXPECT_EQ(caption, "水泵选型");
    EXPECT_EQ(text, "帮助第一行\n");
    {
        OnModal<TextViewer> viewer(read);
        click(w.Command4);
    }
    EXPECT_EQ(caption, "加入水泵数据库");
    EXPECT_EQ(text, "欢迎加入\n");
    EXPECT_EQ(w.focusWidget(), w.Command1);
}

TEST_F(CommandsTest, ThumbnailClickOpensTheFullSizePicture) {
    w.ListView1->selectRow(2);
    QColor shown;
    OnModal<PictureViewer> viewer([&](PictureViewer* v) { shown = v->Image1->pixmap().toImage().pixelColor(1, 1); });
    click(w.Image1);
    ASSERT_TRUE(viewer.ran());
    EXPECT_EQ(shown, QColor(Qt::darkGreen));
    EXPECT_EQ(w.picturePath(), folder / "images/b.png");
}

TEST_F(CommandsTest, ClosingEndsTheProgramEvenWithAHiddenResultsWindow) {
    MessageBoxes boxes;
    w.ListView1->selectRow(2);  // 乙厂 has no data file: the browse finds nothing
    click(w.Command6);
    ASSERT_EQ(boxes.seen.size(), 1u);
    ASSERT_NE(w.resultsWindow(), nullptr);
    // The program's event loop ends when Esc closes the window; a timer
    // stands guard in case anything kept it running.
    QTimer::singleShot(0, &w, [&] { key(w.ListView2, Qt::Key_Escape); });
    QTimer guard;
    guard.callOnTimeout([] { QCoreApplication::exit(99); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.resultsWindow(), nullptr);
}
