// The duty-point search and the browse of the selection window, from the
// click to the filled results window or the message.
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using testing_support::CatalogueFolder;
using testing_support::MessageBoxes;
using testing_support::OnModal;
using testing_support::PumpRecord;
using testing_support::writeGbk;
using testing_support::writePicture;

namespace {

struct Listing {
    bool shown = false;
    QString header;
    QList<QStringList> rows;
    int selected = 0;
    QString remark;
    QColor picture;
};

// The catalogue exists before the window that reads it at start.
struct SearchCatalogue {
    SearchCatalogue() {
        folder.writeOneMakerIndex("2=无文件厂\n2pic=a.png\n");
        writePicture(folder / "images/a.png", Qt::darkCyan);
        writePicture(folder / "images/sm_a.png", Qt::cyan);
    }
    CatalogueFolder folder;
};

class SearchTest : public ::testing::Test, protected SearchCatalogue {
protected:
    // Writes the maker data file from lines "model flow1 flow2 head1 head2 power remark".
    void writeRecords(const std::vector<std::string>& records) {
        std::string text;
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::istringstream in(records[i]);
            std::string f[7];
            for (auto& v : f) in >> v;
            text += PumpRecord{.number = static_cast<int>(i + 1),
                               .model = f[0],
                               .flow1 = f[1],
                               .flow2 = f[2],
                               .head1 = f[3],
                               .head2 = f[4],
                               .power = f[5],
                               .remark = f[6]}
                        .text();
        }
        writeGbk(folder / "txt/a.dat", text);
    }

    // Runs an action that may open the results window; returns what it showed.
    Listing whatIsListed(const std::function<void()>& action) {
        Listing listing;
        OnModal<ResultsWindow> onResults([&](ResultsWindow* r) {
            listing.shown = true;
            listing.header = r->Text1->text();
            for (int i = 1; i <= r->ListView1->rowCount(); ++i) {
                QStringList row;
                for (int c = 0; c < 5; ++c) row << r->ListView1->text(i, c);
                listing.rows << row;
            }
            listing.selected = r->ListView1->selectedPosition();
            listing.remark = r->Text2->toPlainText();
            listing.picture = r->Image1->hasPicture() ? r->Image1->pixmap().toImage().pixelColor(3, 3) : QColor();
        });
        action();
        return listing;
    }

    Listing search(const QString& q, const QString& h) {
        w.Text1[0]->setText(q);
        w.Text1[1]->setText(h);
        return whatIsListed([&] { w.Command1->click(); });
    }

    static QStringList models(const Listing& l) {
        QStringList m;
        for (const auto& row : l.rows) m << row[0];
        return m;
    }

    SelectionWindow w{folder.root()};
    MessageBoxes boxes;
};

}  // namespace

TEST_F(SearchTest, BoundsAreInclusive) {
    writeRecords({"Q1 40 60 50 30 1 r", "Q2 20 40 50 30 1 r", "H1 20 60 45 30 1 r", "H2 20 60 50 45 1 r",
                  "P 40 40 45 45 1 r", "Out 40.1 60 50 30 1 r"});
    EXPECT_EQ(models(search("40", "45")), (QStringList{"Q1", "Q2", "H1", "H2", "P"}));
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(SearchTest, ReversedRangesAreNeverListed) {
    writeRecords({"Flow 60 20 50 30 1 r", "Head 20 60 30 50 1 r", "Good 20 60 50 30 1 r"});
    EXPECT_EQ(models(search("40", "40")), QStringList{"Good"});
}

TEST_F(SearchTest, AGapOrAModelNamedUnknownEndsTheScan) {
    writeGbk(folder / "txt/a.dat",
             "[1]\n型号=A\n流量1=0\n流量2=100\n扬程1=100\n扬程2=0\n"
             "[2]\n型号=B\n流量1=0\n流量2=100\n扬程1=100\n扬程2=0\n"
             "[4]\n型号=D\n流量1=0\n流量2=100\n扬程1=100\n扬程2=0\n");
    EXPECT_EQ(models(search("50", "40")), (QStringList{"A", "B"}));
    writeRecords({"A 0 100 100 0 1 r", "unknown 0 100 100 0 1 r", "C 0 100 100 0 1 r"});
    EXPECT_EQ(models(search("50", "40")), QStringList{"A"});
}

TEST_F(SearchTest, ThreeMatchesWithTheFirstRemarkAndTheMakerPicture) {
    std::vector<std::string> records(10, "No 100 200 10 5 1 miss");
    records[1] = "IS50-32-125 7.5 15 22 18.5 2.2 第二号备注";
    records[4] = "IS65-50-125 12.25 30 25 18 3 第五号";
    records[8] = "IS80-65-125 10 60 30 10 7.5 第九号";
    writeRecords(records);
    Listing l = search("12.5", "20");
    ASSERT_TRUE(l.shown);
    ASSERT_EQ(l.rows.size(), 3);
    EXPECT_EQ(l.rows[0], (QStringList{"IS50-32-125", "7.5 ～ 15.0", "22.0 ～ 18.5", "2.2", "2"}));
    EXPECT_EQ(l.rows[1], (QStringList{"IS65-50-125", "12.3 ～ 30.0", "25.0 ～ 18.0", "3", "5"}));
    EXPECT_EQ(l.rows[2][4], "9");
    EXPECT_EQ(l.selected, 1);
    EXPECT_EQ(l.remark, "第二号备注");
    EXPECT_EQ(l.picture, QColor(Qt::darkCyan));  // the maker's picture, not the thumbnail
    EXPECT_EQ(l.header, "江南泵业，搜索: Q= 12.5 立方米/时，扬程H= 20 米");
    EXPECT_EQ(w.resultsWindow(), nullptr);  // closing the window unloads it
}

TEST_F(SearchTest, BlanksAroundTheNumbersAndExponents) {
    writeRecords({"A 40 40 50 50 1 r", "B 100 100 40 40 1 r"});
    Listing l = search(" 40 ", " 50 ");
    EXPECT_EQ(models(l), QStringList{"A"});
    EXPECT_EQ(l.header, "江南泵业，搜索: Q=  40  立方米/时，扬程H=  50  米");
    l = search("1e2", "40");
    EXPECT_EQ(models(l), QStringList{"B"});
    EXPECT_EQ(l.header, "江南泵业，搜索: Q= 1e2 立方米/时，扬程H= 40 米");
}

TEST_F(SearchTest, ThePrecheckRefusesSilently) {
    writeRecords({"A 0 100 100 0 1 r"});
    for (auto [q, h] : {std::pair{"40abc", "40"}, {"40", ""}, {"  ", "40"}, {"40", "1e"}}) {
        Listing l = search(q, h);
        EXPECT_FALSE(l.shown) << q << "/" << h;
    }
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(w.resultsWindow(), nullptr);
}

TEST_F(SearchTest, MissingBoundsReadAsZeroAndMissingPowerAsUnknown) {
    writeGbk(folder / "txt/a.dat", "[1]\n型号=M\n流量2=100\n扬程1=100\n");
    Listing l = search("0", "0");
    ASSERT_EQ(l.rows.size(), 1);
    EXPECT_EQ(l.rows[0], (QStringList{"M", "0.0 ～ 100.0", "100.0 ～ 0.0", "unknown", "1"}));
    EXPECT_EQ(l.remark, "unknown");
}

TEST_F(SearchTest, NothingFoundShowsTheMessageAndKeepsTheWindowHidden) {
    writeRecords({"A 10 20 30 20 1 r"});
    Listing l = search("50", "40");
    EXPECT_FALSE(l.shown);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "泵数据库没有找到符合条件的的水泵");
    EXPECT_EQ(boxes.seen[0].title, "对不起");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    ASSERT_NE(w.resultsWindow(), nullptr);
    EXPECT_FALSE(w.resultsWindow()->isVisible());
    EXPECT_EQ(w.resultsWindow()->ListView1->rowCount(), 0);
    EXPECT_EQ(w.resultsWindow()->Text1->text(), "江南泵业，搜索: Q= 50 立方米/时，扬程H= 40 米");
    EXPECT_TRUE(w.Hyperlink1->isVisibleTo(&w));
    EXPECT_FALSE(w.Label2->isVisibleTo(&w));
    // The next search reuses the hidden window and lists into its empty list.
    l = search("15", "25");
    EXPECT_EQ(models(l), QStringList{"A"});
}

TEST_F(SearchTest, BrowseListsEveryRecordWhateverTheBoxesHold) {
    writeRecords({"A 1 2 3 4 1 ra", "B 5 6 7 8 2 rb", "C 9 10 11 12 3 rc"});
    w.Text1[0]->setText("letters");
    w.Text1[1]->setText("");
    Listing l = whatIsListed([&] { w.Command6->click(); });
    EXPECT_EQ(models(l), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(l.header, "江南泵业");
    EXPECT_EQ(l.rows[1], (QStringList{"B", "5.0 ～ 6.0", "7.0 ～ 8.0", "2", "2"}));
    EXPECT_EQ(l.selected, 1);
    EXPECT_EQ(l.remark, "ra");
}

TEST_F(SearchTest, BrowseOfAMakerWithoutRecords) {
    w.ListView1->selectRow(2);  // the maker without a data file
    Listing l = whatIsListed([&] { w.Command6->click(); });
    EXPECT_FALSE(l.shown);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "此种泵的数据库为空");
    EXPECT_EQ(boxes.seen[0].title, "对不起");
}

TEST_F(SearchTest, ProgressLabelCountsEveryNumberTried) {
    folder.writeRecords("txt/a.dat", 28);  // 29 numbers tried: 30 stars
    whatIsListed([&] { w.Command6->click(); });
    EXPECT_EQ(w.Label2->text(), QString(30, '*'));
    folder.writeRecords("txt/a.dat", 29);  // the 30th try starts again at one
    whatIsListed([&] { w.Command6->click(); });
    EXPECT_EQ(w.Label2->text(), "*");
    folder.writeRecords("txt/a.dat", 30);
    whatIsListed([&] { w.Command6->click(); });
    EXPECT_EQ(w.Label2->text(), "**");
    EXPECT_FALSE(w.Label2->isVisibleTo(&w));
}

TEST_F(SearchTest, MissingMakerPictureLeavesTheBoxEmpty) {
    writeRecords({"A 1 2 3 4 1 r"});
    std::filesystem::remove(folder / "images/a.png");
    Listing l = whatIsListed([&] { w.Command6->click(); });
    EXPECT_TRUE(l.shown);
    EXPECT_FALSE(l.picture.isValid());
}

TEST_F(SearchTest, NoMakerSelectedAsksForOne) {
    writeGbk(folder / "txt/bump.dat", "[种类]\n1=空类\n");
    SelectionWindow empty(folder.root());
    OnModal<ResultsWindow> never([](ResultsWindow*) { ADD_FAILURE() << "no results window expected"; });
    empty.Command6->click();
    empty.Command1->click();
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[0].text, "请先选择水泵类型和厂家");
}

TEST_F(SearchTest, AFileFullToTheCounterLimitStopsCleanly) {
    folder.writeRecords("txt/a.dat", 32767);
    Listing l = whatIsListed([&] { w.Command6->click(); });
    ASSERT_EQ(l.rows.size(), 32767);
    EXPECT_EQ(l.rows.last()[4], "32767");
}
