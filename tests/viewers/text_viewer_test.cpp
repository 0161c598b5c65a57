// The text viewer: the file's lines, the missing-file notice, copying.
#include "viewers/text_viewer.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/hyperlink.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTextDocument>

using testing_support::CatalogueFolder;
using testing_support::OnModal;
using testing_support::writeGbk;

namespace {

class TextViewerTest : public ::testing::Test {
protected:
    void view(const std::string& file, const std::function<void(TextViewer*)>& inside,
              const QString& caption = "水泵选型") {
        OnModal<TextViewer> on(inside);
        ui::ShowTextFile(nullptr, caption, folder / file);
        ASSERT_TRUE(on.ran());
    }
    QString shown(const std::string& file) {
        QString text;
        view(file, [&](TextViewer* v) { text = v->Text1->toPlainText(); });
        return text;
    }
    QString native(const std::string& file) {
        return QDir::toNativeSeparators(QString::fromStdU16String((folder / file).u16string()));
    }
    CatalogueFolder folder;
};

}  // namespace

TEST_F(TextViewerTest, ThreeLinesEachEndWithALineBreak) {
    writeGbk(folder / "txt/help.txt", "第一行\n第二行\n第三行\n");
    EXPECT_EQ(shown("txt/help.txt"), "第一行\n第二行\n第三行\n");
    testing_support::writeBytes(folder / "txt/nobreak.txt", "a\r\nb\nc");
    EXPECT_EQ(shown("txt/nobreak.txt"), "a\nb\nc\n");
    testing_support::writeBytes(folder / "txt/lf.txt", "a\nb\n");
    EXPECT_EQ(shown("txt/lf.txt"), "a\nb\n");
    testing_support::writeBytes(folder / "txt/cr.txt", "a\rb\r\r");
    EXPECT_EQ(shown("txt/cr.txt"), "a\nb\n\n");
}

TEST_F(TextViewerTest, EmptyFileShowsAnEmptyBox) {
    testing_support::writeBytes(folder / "txt/empty.txt", "");
    EXPECT_EQ(shown("txt/empty.txt"), "");
}

TEST_F(TextViewerTest, MissingFileIsCreatedWithItsNoticeAndShownTwice) {
    std::filesystem::create_directories(folder / "txt");
    const QString notice = native("txt/水泵厂商.txt") + "文件不存在。";
    EXPECT_EQ(shown("txt/水泵厂商.txt"), notice + "\n");
    EXPECT_EQ(testing_support::readBytes(folder / "txt/水泵厂商.txt"),
              testing_support::gbkText(notice.toStdString() + "\n"));
    EXPECT_EQ(shown("txt/水泵厂商.txt"), notice + "\n");
}

TEST_F(TextViewerTest, MissingFolderShowsTheNoticeWithoutCreatingAnything) {
    EXPECT_EQ(shown("nowhere/help.txt"), native("nowhere/help.txt") + "文件不存在。\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

TEST_F(TextViewerTest, CopyTakesTheEditedTextAndLeavesTheFile) {
    writeGbk(folder / "txt/help.txt", "原文\n");
    const std::string before = testing_support::readBytes(folder / "txt/help.txt");
    testing_support::MessageBoxes boxes;
    view("txt/help.txt", [](TextViewer* v) {
        EXPECT_EQ(v->focusWidget(), v->Text1);
        v->Text1->setPlainText("改过的文字");
        testing_support::click(v->Command1);
    });
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "改过的文字");
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "上面的文本已拷贝到剪贴板");
    EXPECT_EQ(boxes.seen[0].title, "拷贝成功");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    EXPECT_EQ(testing_support::readBytes(folder / "txt/help.txt"), before);
}

TEST_F(TextViewerTest, TheLastPathShownIsRemembered) {
    writeGbk(folder / "txt/a.txt", "a\n");
    writeGbk(folder / "txt/b.txt", "b\n");
    view("txt/a.txt", [](TextViewer*) {});
    view("txt/b.txt", [](TextViewer*) {});
    QSettings settings(QSettings::UserScope, "水泵", "水泵");
    EXPECT_EQ(settings.value("Readtxt/filename").toString(), native("txt/b.txt"));
}

TEST_F(TextViewerTest, CaptionLayoutAndEscape) {
    writeGbk(folder / "txt/a.txt", "a\n");
    view(
        "txt/a.txt",
        [](TextViewer* v) {
            EXPECT_EQ(v->windowTitle(), "加入水泵数据库");
            EXPECT_EQ(v->Command1->text(), "拷贝");
            EXPECT_EQ(v->Hyperlink1->text(), "[Vornesk] http://www.vornesk.example");
            EXPECT_EQ(v->size(), QSize(627, 363));
            EXPECT_FALSE(v->Text1->isReadOnly());
            testing_support::key(v->Text1, Qt::Key_Escape);
            EXPECT_FALSE(v->isVisible());
        },
        "加入水泵数据库");
}

TEST_F(TextViewerTest, LongFilesShowEveryLineAndCopyAsTheyAre) {
    // Past a paragraph's 128 lines, with every kind of line end, tabs and
    // long ASCII runs between Chinese characters.
    const char* ends[] = {"\r\n", "\n", "\r"};
    std::string bytes;
    QString expected;
    for (int i = 1; i <= 300; ++i) {
        const std::string line = "第" + std::to_string(i) + "行\tIS65-50-125 流量12.5～25.0 m3/h";
        bytes += testing_support::gbkText(line) + ends[i % 3];
        expected += QString::fromStdString(line) + "\n";
    }
    testing_support::writeBytes(folder / "txt/long.txt", bytes);
    view("txt/long.txt", [&](TextViewer* v) {
        EXPECT_EQ(v->Text1->toPlainText(), expected);
        EXPECT_EQ(v->Text1->document()->blockCount(), 3);  // 128 + 128 + 44 lines
        v->Text1->selectAll();
        v->Text1->copy();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    });
}
