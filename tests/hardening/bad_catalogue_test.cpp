// Catalogues that publishers and makers send in can hold anything. Each case
// here has its defined behaviour, and none may crash, hang or lose data.
#include "editor/record_editor.h"
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "storage/profile.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "support/read_only.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

using namespace testing_support;

namespace {

const std::string kIndex = "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=a.dat\n1pic=a.png\n";

QStringList kinds(const SelectionWindow& w) {
    QStringList names;
    for (int i = 1; i <= w.ListView2->rowCount(); ++i) names << w.ListView2->text(i);
    return names;
}

QString pathText(const std::filesystem::path& p) { return QString::fromStdU16String(p.u16string()); }

// A PNG whose header claims a picture far too large to hold in memory.
void writeHugePng(const std::filesystem::path& file) {
    auto chunk = [](const std::string& type, const std::string& data) {
        std::string out;
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(data.size() >> shift));
        const std::string body = type + data;
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        out += body;
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(crc >> shift));
        return out;
    };
    const std::string header("\x00\x00\x9C\x40\x00\x00\x9C\x40\x08\x02\x00\x00\x00", 13);  // 40000 x 40000
    writeBytes(file, "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", "x") + chunk("IEND", ""));
}

class BadCatalogue : public ::testing::Test {
protected:
    CatalogueFolder folder;
    MessageBoxes boxes;
};

}  // namespace

TEST_F(BadCatalogue, InvalidGbkNulAndLongLinesInTheIndex) {
    std::string index = "[\xD6\xD6\xC0\xE0]\r\n1=\xFF\x81\x7F\r\n2=\xC0\xEB\xD0\xC4";
    index += std::string("\0\xB1\xC3", 3);                              // a NUL ends the value
    index += "\r\n3=" + std::string(10 << 20, 'x') + "\r\n4=last\r\n";  // a 10 MB line
    writeBytes(folder / "txt/bump.dat", index);
    SelectionWindow w(folder.root());
    const QStringList names = kinds(w);
    ASSERT_EQ(names.size(), 4);
    // 0xFF is U+F8F5; 0x81 before 0x7F is a lead byte without its trail byte.
    EXPECT_EQ(names[0], QString::fromUtf8("\xEF\xA3\xB5\xEF\xBF\xBD\x7F"));
    EXPECT_EQ(names[1], "离心");
    EXPECT_EQ(names[2], QString(999, 'x'));
    EXPECT_EQ(names[3], "last");
}

TEST_F(BadCatalogue, LinesWithoutEqualsAndBracketsWithoutEnd) {
    writeGbk(folder / "txt/bump.dat",
             "garbage before\n[种类\n1=not in a section\n[种类]\nno equals here\n1=甲\n[2=乙\n");
    SelectionWindow w(folder.root());
    EXPECT_EQ(kinds(w), (QStringList{"甲"}));
}

TEST_F(BadCatalogue, Utf8IndexWithByteOrderMark) {
    writeBytes(folder / "txt/bump.dat", "\xEF\xBB\xBF[种类]\r\n1=离心泵\r\n[离心泵]\r\n1=甲厂\r\n");
    SelectionWindow w(folder.root());
    EXPECT_EQ(kinds(w), (QStringList{"离心泵"}));
    EXPECT_EQ(w.selectedMaker(), "甲厂");
}

TEST_F(BadCatalogue, EmptyIndexFolderOrPipeInItsPlace) {
    writeBytes(folder / "txt/bump.dat", "");
    {
        SelectionWindow w(folder.root());
        EXPECT_EQ(w.Text2->toPlainText(),
                  "泵数据库中没有泵类型：" + QDir::toNativeSeparators(pathText(folder / "txt/bump.dat")));
    }
    std::filesystem::remove(folder / "txt/bump.dat");
    std::filesystem::create_directories(folder / "txt/bump.dat");
    {
        SelectionWindow w(folder.root());
        EXPECT_EQ(w.ListView2->rowCount(), 0);
        EXPECT_TRUE(w.Text2->toPlainText().startsWith("找不到泵数据库："));
    }
#ifdef _WIN32
    GTEST_SKIP() << "no pipe can take a file's place on Windows (its pipes live apart, under \\\\.\\pipe\\)";
#else
    std::filesystem::remove(folder / "txt/bump.dat");
    ASSERT_EQ(mkfifo((folder / "txt/bump.dat").c_str(), 0644), 0);
    {
        SelectionWindow w(folder.root());  // a pipe is never opened for reading
        EXPECT_EQ(w.ListView2->rowCount(), 0);
    }
#endif
}

TEST_F(BadCatalogue, UnreadableIndex) {
#ifdef _WIN32
    GTEST_SKIP() << "taking the right to read a file away needs an access list on Windows";
#else
    writeGbk(folder / "txt/bump.dat", kIndex);
    ::chmod((folder / "txt/bump.dat").c_str(), 0);
    if (::access((folder / "txt/bump.dat").c_str(), R_OK) == 0) GTEST_SKIP() << "this user reads unreadable files";
    SelectionWindow w(folder.root());
    EXPECT_EQ(w.ListView2->rowCount(), 0);
#endif
}

TEST_F(BadCatalogue, NamesClimbingOutOfTheCatalogueNameNoFile) {
    writeGbk(folder / "txt/bump.dat",
             "[种类]\n1=离心泵\n[离心泵]\n1=甲厂\n1file=..\\..\\outside.dat\n1pic=/etc/hosts\n");
    folder.writeRecords("outside.dat", 3);
    writeGbk(folder.root().parent_path() / "outside.dat", "[1]\nx=y\n");
    SelectionWindow w(folder.root());
    EXPECT_FALSE(w.Image1->hasPicture());
    w.Command6->click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "此种泵的数据库为空");
    OnModal<RecordEditor> editor([&](RecordEditor* e) {
        e->setText(3, "X");
        click(e->Command1);
    });
    w.Command5_Click();
    EXPECT_EQ(boxes.seen.back().text, "写数据错误，非法条目 -> 1/型号");
    std::filesystem::remove(folder.root().parent_path() / "outside.dat");
}

TEST_F(BadCatalogue, ReadOnlyCatalogueFolderLosesNothing) {
    writeGbk(folder / "txt/bump.dat", kIndex);
    folder.writeRecords("txt/a.dat", 5);
    const std::string before = readBytes(folder / "txt/a.dat");
    ReadOnly readOnly(folder / "txt");
    if (!readOnly.effective()) GTEST_SKIP() << "cannot make a folder read-only here";
    SelectionWindow w(folder.root());
    OnModal<RecordEditor> editor([&](RecordEditor* e) {
        e->setText(3, "NEW");
        click(e->Command1);
        EXPECT_EQ(e->text(0), "6");
    });
    w.Command5_Click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "写数据错误，非法条目 -> 6/型号");
    EXPECT_EQ(boxes.seen[0].title, "读取时出错");
    EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
    EXPECT_EQ(fileNames(folder / "txt"), (std::vector<std::string>{"a.dat", "bump.dat"}));
}

TEST_F(BadCatalogue, PicturesThatAreNoPicturesOrTooLarge) {
    writeGbk(folder / "txt/bump.dat", kIndex);
    folder.writeRecords("txt/a.dat", 2);
    writeGbk(folder / "images/sm_a.png", "plain text, no picture");
    writeHugePng(folder / "images/a.png");
    SelectionWindow w(folder.root());
    EXPECT_FALSE(w.Image1->hasPicture());
    bool viewed = false;
    OnModal<PictureViewer> viewer([&](PictureViewer* v) {
        viewed = true;
        EXPECT_TRUE(v->Image1->pixmap().isNull());
        EXPECT_EQ(v->VScroll1->maximum(), 0);
    });
    w.Image1_Click();
    EXPECT_TRUE(viewed);
    bool listed = false;
    OnModal<ResultsWindow> results([&](ResultsWindow* r) {
        listed = true;
        EXPECT_FALSE(r->Image1->hasPicture());
    });
    w.Command6->click();
    EXPECT_TRUE(listed);
}

TEST_F(BadCatalogue, AFiftyMegabyteTextFileOpensInTheViewer) {
    std::string big;
    big.reserve(52 << 20);
    const std::string line = "第一行说明文字，一行又一行地重复下去。0123456789\n";
    const std::string stored = gbkText(line);
    while (big.size() < (50u << 20)) big += stored;
    writeBytes(folder / "txt/big.txt", big);
    qsizetype length = 0;
    OnModal<TextViewer> viewer([&](TextViewer* v) { length = v->Text1->document()->characterCount(); });
    ui::ShowTextFile(nullptr, "水泵数据库", folder / "txt/big.txt");
    const qsizetype lines = static_cast<qsizetype>(big.size() / stored.size());
    EXPECT_EQ(length, lines * QString::fromStdString(line).size() + 1);
}
