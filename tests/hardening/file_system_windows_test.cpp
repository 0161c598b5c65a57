// The windows on a catalogue shared with other programs and users: a save
// while another program holds the file's lock, and a report or help text
// whose name a planted link carries out of its folder.
#include "editor/record_editor.h"
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "storage/file_ops.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "viewers/text_viewer.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace testing_support;

namespace {

class SharedCatalogue : public ::testing::Test {
protected:
    SharedCatalogue() {
        writeGbk(folder / "txt/bump.dat", "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n");
        folder.writeRecords("txt/a.dat", 5);
    }
    static QString native(const std::filesystem::path& file) {
        return QDir::toNativeSeparators(QString::fromStdU16String(file.u16string()));
    }
    CatalogueFolder folder;
    MessageBoxes boxes;
};

}  // namespace

TEST_F(SharedCatalogue, ASaveWhileAnotherProgramHoldsTheLockIsRefusedAfterTheWait) {
    const std::string before = readBytes(folder / "txt/a.dat");
    pumpsel::files::WriteLock otherProgram(folder / "txt/a.dat");
    ASSERT_TRUE(otherProgram.held());
    SelectionWindow w(folder.root());
    OnModal<RecordEditor> editor([&](RecordEditor* e) {
        e->setText(3, "NEW");
        click(e->Command1);
    });
    w.Command5_Click();
    ASSERT_TRUE(editor.ran());
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "目录被另一个程序锁定");
    EXPECT_EQ(boxes.seen[0].title, "读取时出错");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
}

TEST_F(SharedCatalogue, TheReportAndTheHelpTextAreNotWrittenThroughALinkOutOfTheirFolder) {
    TempDir outside;
    writeBytes(outside / "precious.txt", "keep me");
    const auto report = folder / "水泵选型结果.txt";
    const auto help = folder / "txt/水泵选型.txt";
    std::error_code linkError;
    std::filesystem::create_symlink(outside / "precious.txt", report, linkError);
    if (!linkError) std::filesystem::create_symlink(outside / "planted.txt", help, linkError);
#ifdef _WIN32
    if (linkError) GTEST_SKIP() << "no symbolic link can be made here: " << pumpsel::files::errorText(linkError);
#endif
    ASSERT_FALSE(linkError) << linkError.message();
    SelectionWindow w(folder.root());

    bool opened = false;
    OnModal<ResultsWindow> results([&](ResultsWindow* r) {
        r->openEditor = [&](const std::filesystem::path&) { return opened = true; };
        click(r->Command1);
    });
    w.Command6->click();
    ASSERT_TRUE(results.ran());
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "无法写入结果文件 " + native(report) + "：它是指向程序文件夹以外的链接");
    EXPECT_EQ(boxes.seen[0].title, "输出失败");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    EXPECT_FALSE(opened);
    EXPECT_EQ(readBytes(outside / "precious.txt"), "keep me");

    QString shown;
    OnModal<TextViewer> viewer([&](TextViewer* v) { shown = v->Text1->toPlainText(); });
    w.Command2_Click();
    ASSERT_TRUE(viewer.ran());
    EXPECT_EQ(shown, native(help) + "文件不存在。\n" + native(help) + "是指向所在文件夹以外的链接，没有写入。\n");
    EXPECT_FALSE(std::filesystem::exists(outside / "planted.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(help));
}
