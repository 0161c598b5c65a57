// What every window shares: message boxes, the failing write's message, the
// list control, select-all and the publisher banner.
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/list_gestures.h"
#include "support/message_boxes.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/message_box.h"
#include "ui/select_all_text.h"
#include "ui/write_with_message.h"

#include <gtest/gtest.h>
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>

using testing_support::MessageBoxes;

TEST(MessageBox, FourStylesWithTheirIconsAndButtons) {
    MessageBoxes boxes;
    boxes.willAnswer(QMessageBox::Ok);
    EXPECT_EQ(ui::showMessage(nullptr, "t48", "注意", ui::MessageStyle::Exclamation), ui::MessageAnswer::Ok);
    boxes.willAnswer(QMessageBox::Cancel);
    EXPECT_EQ(ui::showMessage(nullptr, "t49", "注意", ui::MessageStyle::ExclamationOkCancel),
              ui::MessageAnswer::Cancel);
    boxes.willAnswer(QMessageBox::Ok);
    EXPECT_EQ(ui::showMessage(nullptr, "t49", "注意", ui::MessageStyle::ExclamationOkCancel), ui::MessageAnswer::Ok);
    ui::showMessage(nullptr, "t16", "读取时出错", ui::MessageStyle::Critical);
    ui::showMessage(nullptr, "t0", "拷贝成功", ui::MessageStyle::Plain);
    ASSERT_EQ(boxes.seen.size(), 5u);
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    EXPECT_EQ(boxes.seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(QSet<QString>(boxes.seen[1].buttons.begin(), boxes.seen[1].buttons.end()),
              (QSet<QString>{"确定", "取消"}));
    EXPECT_EQ(boxes.seen[3].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[3].title, "读取时出错");
    EXPECT_EQ(boxes.seen[4].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.seen[4].text, "t0");
}

TEST(WriteProfileValue, AFailedWriteTellsSectionAndKey) {
    testing_support::CatalogueFolder folder;
    MessageBoxes boxes;
    ui::WriteProfileValue(nullptr, folder / "no/such/folder.dat", "7", "型号", "IS50");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "写数据错误，非法条目 -> 7/型号");
    EXPECT_EQ(boxes.seen[0].title, "读取时出错");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    ui::WriteProfileValue(nullptr, folder / "ok.dat", "7", "型号", "IS50");
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(testing_support::readBytes(folder / "ok.dat"), "[7]\r\n\xD0\xCD\xBA\xC5=IS50\r\n");
}

TEST(ListView, RowsPositionsAndSelection) {
    QWidget parent;
    ui::ListView list(&parent, "ListView1");
    list.setColumns({{"a", 1500}, {"b", 1500}});
    EXPECT_EQ(list.selectedPosition(), 0);
    EXPECT_EQ(list.selectedText(), "");
    list.addRows({"r1", "x1", "r2", "x2"});
    EXPECT_EQ(list.selectedPosition(), 1);  // rows added to an empty list select the first
    list.selectRow(2);
    list.addRows({"r3", "x3"});
    EXPECT_EQ(list.selectedPosition(), 2);  // adding to a filled list keeps the selection
    EXPECT_EQ(list.selectedText(1), "x2");
    EXPECT_EQ(list.text(3, 1), "x3");
    EXPECT_EQ(list.columnWidth(0), 100);
    list.removeAllRows();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selectedPosition(), 0);
}

TEST(ListView, ClicksAndKeysRaiseItemClickButTheProgramDoesNot) {
    QWidget parent;
    ui::ListView list(&parent, "ListView1");
    list.setColumns({{"a", 1500}});
    list.resize(200, 200);
    parent.show();
    QSignalSpy clicks(&list, &ui::ListView::itemClick);
    list.addRows({"r1", "r2", "r3"});
    list.selectRow(2);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.rowRect(3).center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.selectedPosition(), 3);
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(list.selectedPosition(), 2);
}

// However a person handles the list, one row stays selected, and each change
// of it is reported once; gestures that change nothing report no change.
TEST(ListView, EveryGestureLeavesOneRowSelectedAndReportsEachChange) {
    QWidget window;
    window.resize(300, 300);
    ui::ListView list(&window, "ListView1");
    list.setColumns({{"a", 1500}});
    list.setGeometry(0, 0, 200, 200);
    list.addRows({"r1", "r2", "r3", "r4"});
    ASSERT_TRUE(testing_support::activate(&window));
    QSignalSpy clicks(&list, &ui::ListView::itemClick);

    testing_support::dragAcross(&list, 1, 3);
    EXPECT_EQ(list.selectedPosition(), 3);
    EXPECT_GE(clicks.count(), 1);
    const int afterDrag = clicks.count();
    testing_support::clickBelowRows(&list);
    EXPECT_EQ(list.selectedPosition(), 3);
    testing_support::ctrlClickRow(&list, 3);
    EXPECT_EQ(list.selectedPosition(), 3);
    EXPECT_EQ(clicks.count(), afterDrag + 1);  // a click on the selected row is still a click
    testing_support::ctrlSpace(&list);
    EXPECT_EQ(list.selectedPosition(), 3);
    testing_support::ctrlClickRow(&list, 2);
    EXPECT_EQ(list.selectedPosition(), 2);
    EXPECT_EQ(clicks.count(), afterDrag + 2);
    QTest::keyClick(&list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(list.selectedPosition(), 3);
    EXPECT_EQ(clicks.count(), afterDrag + 3);
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 1);
}

TEST(SelectAllText, SelectsTheWholeText) {
    QLineEdit box("流量 12.5");
    ui::SelectAllText(&box);
    EXPECT_EQ(box.selectionStart(), 0);
    EXPECT_EQ(box.selectedText(), "流量 12.5");
}

namespace {
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};
}  // namespace

TEST(Hyperlink, ClickOpensThePublisherAddress) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QWidget parent;
    ui::Hyperlink link(&parent, ui::Hyperlink::Caption::WithScheme);
    link.resize(200, 16);
    parent.show();
    EXPECT_EQ(link.text(), "[Vornesk] http://www.vornesk.example");
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(128, 64, 0));
    EXPECT_EQ(link.font().pointSize(), 9);
    EXPECT_EQ(link.font().families().first(), "SimSun");
    QTest::mouseClick(&link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl("http://www.vornesk.example"));
}

#include "shared_pieces_test.moc"
