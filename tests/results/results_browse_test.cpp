// The results window's own browse and remark.
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using testing_support::CatalogueFolder;
using testing_support::OnModal;
using testing_support::writeGbk;

namespace {

struct FortyRecords {
    FortyRecords() {
        folder.writeOneMakerIndex();
        folder.writeRecords("txt/a.dat", 40);
    }
    CatalogueFolder folder;
};

bool rowIsVisible(ui::ListView* list, int position) {
    const QRect item = list->rowRect(position);
    return item.top() >= 0 && item.bottom() < list->viewport()->height();
}

class ResultsBrowseTest : public ::testing::Test, protected FortyRecords {
protected:
    // Searches Q, H, then runs `inside` on the open results window.
    void withResults(const QString& q, const QString& h, const std::function<void(ResultsWindow*)>& inside) {
        w.Text1[0]->setText(q);
        w.Text1[1]->setText(h);
        OnModal<ResultsWindow> on(inside);
        w.Command1->click();
        ASSERT_TRUE(on.ran());
    }

    SelectionWindow w{folder.root()};
};

}  // namespace

TEST_F(ResultsBrowseTest, BrowseKeepsTheSelectedPumpAndShowsRangesAsStored) {
    // Records n have flow n..n+10 and head n+20..n: Q=12, H=12 fits records 2 to 12.
    withResults("12", "12", [](ResultsWindow* r) {
        ASSERT_EQ(r->ListView1->rowCount(), 11);
        EXPECT_EQ(r->ListView1->text(1, 1), "2.0 ～ 12.0");
        r->ListView1->selectRow(6);  // record 7
        ASSERT_EQ(r->ListView1->selectedText(4), "7");
        testing_support::click(r->Command7);
        EXPECT_EQ(r->ListView1->rowCount(), 40);
        EXPECT_EQ(r->ListView1->selectedPosition(), 7);
        EXPECT_EQ(r->ListView1->text(7, 1), "7 ～ 17");
        EXPECT_EQ(r->ListView1->text(7, 2), "27 ～ 7");
        EXPECT_EQ(r->ListView1->text(7, 3), "7.5");
        EXPECT_EQ(r->Text2->toPlainText(), "remark 7");
        EXPECT_TRUE(rowIsVisible(r->ListView1, 7));
        EXPECT_TRUE(r->ListView1->isVisible());
        EXPECT_TRUE(r->Hyperlink1->isVisible());
        EXPECT_FALSE(r->Label2->isVisible());
        EXPECT_EQ(r->Label2->text(), QString(12, '*'));  // 41 numbers tried: 41 mod 30 + 1
        EXPECT_EQ(r->Text1->text(), "江南泵业，搜索: Q= 12 立方米/时，扬程H= 12 米");
    });
}

TEST_F(ResultsBrowseTest, BrowseScrollsTheSelectedPumpIntoView) {
    withResults("12", "12", [](ResultsWindow* r) {
        r->ListView1->selectRow(11);  // record 12, far below the first rows of all 40
        testing_support::click(r->Command7);
        EXPECT_EQ(r->ListView1->selectedPosition(), 12);
        EXPECT_TRUE(rowIsVisible(r->ListView1, 12));
        EXPECT_FALSE(rowIsVisible(r->ListView1, 1));
    });
}

TEST_F(ResultsBrowseTest, RecordThatVanishedKeepsTheFirstRowAndMissingValuesShowAsText) {
    withResults("35", "35", [&](ResultsWindow* r) {
        ASSERT_EQ(r->ListView1->selectedText(4), "25");
        writeGbk(folder / "txt/a.dat", "[1]\n型号=only\n[2]\n型号=second\n流量1=5\n");
        testing_support::click(r->Command7);
        EXPECT_EQ(r->ListView1->rowCount(), 2);
        EXPECT_EQ(r->ListView1->selectedPosition(), 1);
        EXPECT_EQ(r->ListView1->text(1, 1), "unknown ～ unknown");
        EXPECT_EQ(r->ListView1->text(2, 1), "5 ～ unknown");
        EXPECT_EQ(r->Text2->toPlainText(), "unknown");
    });
}

TEST_F(ResultsBrowseTest, LayoutFocusAndClose) {
    withResults("12", "12", [&](ResultsWindow* r) {
        EXPECT_EQ(r->windowTitle(), "水泵型号");
        EXPECT_EQ(r->size(), QSize(625, 361));
        EXPECT_EQ(r->focusWidget(), r->Command3);
        EXPECT_EQ(r->Hyperlink1->text(), "[Vornesk] http://www.vornesk.example");
        EXPECT_EQ(r->Command1->text(), "输出");
        ResultsWindow unshown(w, &w);  // the focused close button takes Enter for itself while it has the focus
        EXPECT_TRUE(unshown.Command1->isDefault());
        EXPECT_EQ(r->Command7->text(), "浏览");
        EXPECT_EQ(r->Command2->text(), "帮助");
        EXPECT_EQ(r->Label1->text(), "请稍等，正在检索数据....");
        EXPECT_EQ(r->ListView1->headerText(1), "流量(m3/h)");
        EXPECT_EQ(r->ListView1->headerText(4), "序号");
        EXPECT_TRUE(r->Text1->isReadOnly());
        EXPECT_TRUE(r->Text2->isReadOnly());
        testing_support::key(r->Command3, Qt::Key_Escape);
        EXPECT_FALSE(r->isVisible());
    });
    EXPECT_EQ(w.resultsWindow(), nullptr);
}
