// Entering the duty point: select-all on focus, and boxes that cannot be left
// while they hold neither a number nor nothing.
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/list_view.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace testing_support;

namespace {

struct ThreeRecords {
    ThreeRecords() {
        folder.writeOneMakerIndex();
        folder.writeRecords("txt/a.dat", 3);
    }
    CatalogueFolder folder;
};

class DutyPointTest : public ::testing::Test, protected ThreeRecords {
protected:
    DutyPointTest() { EXPECT_TRUE(activate(&w)); }
    // Puts the focus into the flow box (by a click) with the given text;
    // the head box holds 10, which records 2 and 3 fit with a flow of 12.
    void enterFlow(const QString& text) {
        w.Text1[1]->setText("10");
        click(w.Text1[0]);
        w.Text1[0]->setText(text);
    }

    SelectionWindow w{folder.root()};
    MessageBoxes boxes;
};

}  // namespace

TEST_F(DutyPointTest, TabbingIntoABoxSelectsItsWholeText) {
    click(w.ListView1);
    key(w.ListView1, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), w.Text1[0]);
    EXPECT_EQ(w.Text1[0]->selectedText(), "50");
    typeText(w.Text1[0], "75");
    EXPECT_EQ(w.Text1[0]->text(), "75");
    key(w.Text1[0], Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[1]);
    EXPECT_EQ(w.Text1[1]->selectedText(), "40");
}

TEST_F(DutyPointTest, NumbersAndEmptyTextsMayBeLeft) {
    for (const char* text : {"12.5", " 12.5 ", "-3", "0", "1e3", "+7", "", "   "}) {
        enterFlow(text);
        key(w.Text1[0], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w.Text1[1]) << text;
    }
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(DutyPointTest, OtherTextsKeepTheFocusInTheBox) {
    for (const char* text : {"abc", "12a", "1.2.3", "1e"}) {
        boxes.seen.clear();
        enterFlow(text);
        key(w.Text1[0], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w.Text1[0]) << text;
        EXPECT_EQ(w.Text1[0]->text(), text);
        ASSERT_EQ(boxes.seen.size(), 1u) << text;
        EXPECT_EQ(boxes.seen[0].text, "流量和扬程都只能为正实数");
        EXPECT_EQ(boxes.seen[0].title, "注意");
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
        EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    }
}

TEST_F(DutyPointTest, TheHeadBoxIsCheckedTheSameWayAndBacktabToo) {
    click(w.Text1[1]);
    w.Text1[1]->setText("x");
    key(w.Text1[1], Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[1]);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "流量和扬程都只能为正实数");
}

TEST_F(DutyPointTest, AClickOnSearchIsLostWhileTheTextIsRejected) {
    enterFlow("40abc");
    OnModal<ResultsWindow> never([](ResultsWindow*) { ADD_FAILURE() << "the search ran"; });
    click(w.Command1);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[0]);
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(w.resultsWindow(), nullptr);
    // Clicks on a list and on the browse button are lost as well.
    click(w.ListView2);
    click(w.Command6);
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[0]);
    EXPECT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(w.resultsWindow(), nullptr);
    EXPECT_FALSE(never.ran());
}

// Enter and Esc press the default and cancel buttons without moving the
// focus: no check, no message. The search's own precheck ignores the text.
TEST_F(DutyPointTest, EnterAndEscapeMoveNoFocusAndAreNotChecked) {
    enterFlow("40abc");
    OnModal<ResultsWindow> never([](ResultsWindow*) { ADD_FAILURE() << "the search ran"; });
    key(w.Text1[0], Qt::Key_Return);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[0]);
    EXPECT_FALSE(never.ran());
    key(w.Text1[0], Qt::Key_Escape);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(DutyPointTest, ACorrectedTextLetsTheClickThrough) {
    enterFlow("abc");
    click(w.Command1);
    EXPECT_EQ(boxes.seen.size(), 1u);
    w.Text1[0]->setText("12");
    OnModal<ResultsWindow> results([](ResultsWindow* r) { EXPECT_EQ(r->ListView1->rowCount(), 2); });
    click(w.Command1);
    EXPECT_TRUE(results.ran());
    EXPECT_EQ(boxes.seen.size(), 1u);
}

TEST_F(DutyPointTest, EnterInAValidBoxSearches) {
    enterFlow("12");
    OnModal<ResultsWindow> results([](ResultsWindow*) {});
    key(w.Text1[0], Qt::Key_Return);
    EXPECT_TRUE(results.ran());
}

TEST_F(DutyPointTest, ClicksOnControlsThatTakeNoFocusAreNotChecked) {
    enterFlow("abc");
    click(w.Label1[0]);
    click(w.Frame1, QPoint(300, 5));
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(QApplication::focusWidget(), w.Text1[0]);
}
