// The record editor as a catalogue maintainer uses it: numbers typed into
// box 0 load records, saving checks for duplicates and overwrites.
#include "editor/record_editor.h"
#include "selection/selection_window.h"
#include "storage/profile.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "viewers/text_viewer.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace testing_support;

namespace {

struct FiveRecords {
    FiveRecords() {
        folder.writeOneMakerIndex("2=新厂\n2pic=b.png\n");
        folder.writeRecords("txt/a.dat", 5);
        writeGbk(folder / "txt/水泵选型.txt", "帮助\n");
    }
    CatalogueFolder folder;
};

class RecordEditorTest : public ::testing::Test, protected FiveRecords {
protected:
    // Opens the editor by the (hidden) add command and runs `inside` in it.
    void withEditor(const std::function<void(RecordEditor*)>& inside) {
        OnModal<RecordEditor> on(inside);
        w.Command5_Click();
        ASSERT_TRUE(on.ran());
    }
    static void typeNumber(RecordEditor* e, const QString& number) {
        e->Text1[0]->clear();
        QTest::keyClicks(e->Text1[0], number);
    }
    static QStringList values(RecordEditor* e) {
        QStringList texts;
        for (int i : {1, 2, 3, 4, 5, 6, 7, 8, 10}) texts << e->text(i);
        return texts;
    }
    std::string value(const std::string& section, const std::string& key) {
        return pumpsel::ini::ReadProfileValue(folder / "txt/a.dat", section, key);
    }

    SelectionWindow w{folder.root()};
    MessageBoxes boxes;
};

const QStringList kRecord3 = {"江南泵业", "离心泵", "P3", "3", "13", "23", "3", "3.5", "remark 3"};
const QStringList kRecord5 = {"江南泵业", "离心泵", "P5", "5", "15", "25", "5", "5.5", "remark 5"};

}  // namespace

TEST_F(RecordEditorTest, LaunchOpensOnTheNextNumberWithTheLastRecord) {
    withEditor([&](RecordEditor* e) {
        EXPECT_EQ(e->text(0), "6");
        EXPECT_EQ(values(e), kRecord5);
        EXPECT_EQ(e->windowTitle(), "添加记录");
    });
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(RecordEditorTest, LaunchStopsAtAGapAndShowsUnknownForMissingValues) {
    writeGbk(folder / "txt/a.dat", "[1]\n型号=A\n[2]\n型号=B\n流量1=7\n[4]\n型号=D\n");
    withEditor([&](RecordEditor* e) {
        EXPECT_EQ(e->text(0), "3");
        EXPECT_EQ(e->text(3), "B");
        EXPECT_EQ(e->text(4), "7");
        EXPECT_EQ(e->text(8), "unknown");
        EXPECT_EQ(e->text(10), "unknown");
    });
}

TEST_F(RecordEditorTest, OpensWithTheNumberSelectedSoThatTypingReplacesIt) {
    withEditor([&](RecordEditor* e) {
        ASSERT_TRUE(activate(e));
        EXPECT_EQ(QApplication::focusWidget(), e->Text1[0]);
        EXPECT_EQ(e->Text1[0]->selectedText(), "6");
        typeText(e->Text1[0], "3");
        EXPECT_EQ(e->text(0), "3");
        EXPECT_EQ(values(e), kRecord3);
        EXPECT_TRUE(boxes.seen.empty());
    });
}

TEST_F(RecordEditorTest, TypedNumbersLoadRecordsUpToTheFirstFreeOne) {
    withEditor([&](RecordEditor* e) {
        typeNumber(e, "3");
        EXPECT_EQ(values(e), kRecord3);
        typeNumber(e, "6");
        EXPECT_EQ(values(e), kRecord3);
        EXPECT_TRUE(boxes.seen.empty());
        typeNumber(e, "7");
        EXPECT_EQ(values(e), kRecord3);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "超出了最大记录范围");
        EXPECT_EQ(boxes.seen[0].title, "注意");
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
        EXPECT_EQ(e->text(0), "7");
    });
}

TEST_F(RecordEditorTest, EveryKeystrokeLoads) {
    withEditor([&](RecordEditor* e) {
        typeNumber(e, "12");  // "1" loads record 1, then "12" is out of range
        EXPECT_EQ(e->text(3), "P1");
        EXPECT_EQ(boxes.seen.size(), 1u);
    });
}

TEST_F(RecordEditorTest, RecordsBeyondAGapAreOutOfRange) {
    writeGbk(folder / "txt/a.dat", "[1]\n型号=A\n[2]\n型号=B\n[4]\n型号=D\n");
    withEditor([&](RecordEditor* e) {
        typeNumber(e, "4");
        EXPECT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(e->text(3), "B");
    });
}

TEST_F(RecordEditorTest, TheNumberNamesTheSectionAsTyped) {
    writeGbk(folder / "txt/a.dat", "[1]\n型号=A\n[2]\n型号=B\n[3]\n型号=C\n[4]\n型号=D\n[04]\n型号=zero four\n");
    withEditor([&](RecordEditor* e) {
        typeNumber(e, " 4 ");
        EXPECT_EQ(e->text(3), "D");
        typeNumber(e, "2");
        e->setText(0, "04");  // typed, its "4" would load record 4 on the way
        EXPECT_EQ(e->text(3), "zero four");
        typeNumber(e, "2");
        e->setText(0, "4.0");
        EXPECT_EQ(e->text(3), "B");
        typeNumber(e, "");
        EXPECT_EQ(e->text(3), "B");
    });
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(RecordEditorTest, CtrlAShowsTheRawDataFile) {
    withEditor([&](RecordEditor* e) {
        QString caption, text;
        {
            OnModal<TextViewer> viewer([&](TextViewer* v) {
                caption = v->windowTitle();
                text = v->Text1->toPlainText();
            });
            e->Text1_10->setFocus();
            QTest::keyClick(e->Text1_10, Qt::Key_A, Qt::ControlModifier);
            EXPECT_TRUE(viewer.ran());
        }
        EXPECT_EQ(caption, "水泵数据库");
        EXPECT_TRUE(text.startsWith("[1]\n型号=P1\n"));
        OnModal<TextViewer> never([](TextViewer*) { ADD_FAILURE() << "Ctrl+Shift+A opened the viewer"; });
        QTest::keyClick(e->Text1[4], Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(e->Text1[4], Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    });
}

TEST_F(RecordEditorTest, SavingTheLaunchValuesUnchangedIsADuplicate) {
    const std::string before = readBytes(folder / "txt/a.dat");
    withEditor([&](RecordEditor* e) {
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "此记录与上条记录完全一样，是否重复了?");
        EXPECT_EQ(boxes.seen[0].title, "注意");
        EXPECT_EQ(e->text(0), "6");
    });
    EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
}

TEST_F(RecordEditorTest, SavingANewRecordAdvancesTheNumber) {
    withEditor([&](RecordEditor* e) {
        e->setText(10, "  新备注  ");
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "已成功添加记录到数据库");
        EXPECT_EQ(boxes.seen[0].title, "添加记录");
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Warning);
        EXPECT_EQ(e->text(0), " 7");
        EXPECT_EQ(e->text(10), "  新备注  ");  // the boxes keep what was saved
        EXPECT_EQ(e->focusWidget(), e->Text1[3]);
        EXPECT_TRUE(e->Text1[3]->selectedText().isEmpty());
    });
    EXPECT_EQ(value("6", "型号"), "P5");
    EXPECT_EQ(value("6", "备注"), "新备注");
    EXPECT_EQ(value("6", "功率"), "5.5");
}

TEST_F(RecordEditorTest, OverwritingAsksAndCancelWritesNothing) {
    const std::string before = readBytes(folder / "txt/a.dat");
    withEditor([&](RecordEditor* e) {
        e->setText(0, "3");  // loads record 3
        e->setText(3, "NEW");
        boxes.willAnswer(QMessageBox::Cancel);
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "此记录已存在，是否覆盖?");
        EXPECT_EQ(QSet<QString>(boxes.seen[0].buttons.begin(), boxes.seen[0].buttons.end()),
                  (QSet<QString>{"确定", "取消"}));
        EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
        EXPECT_EQ(e->text(0), "3");

        boxes.willAnswer(QMessageBox::Ok);
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 3u);
        EXPECT_EQ(boxes.seen[2].text, "已成功添加记录到数据库");
        EXPECT_EQ(e->text(0), " 4");
        EXPECT_EQ(e->text(3), "P4");  // record 4 loaded
    });
    EXPECT_EQ(value("3", "型号"), "NEW");
    EXPECT_EQ(value("3", "流量1"), "3");
}

TEST_F(RecordEditorTest, OverwritingWithThePreviousValuesIsRefusedFirst) {
    withEditor([&](RecordEditor* e) {
        e->setText(0, "2");
        e->setText(0, "3");
        e->showRecordValues(pumpsel::editing::readRecord(folder / "txt/a.dat", "2"));
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "此记录与上条记录完全一样，是否重复了?");
    });
    EXPECT_EQ(value("3", "型号"), "P3");
}

TEST_F(RecordEditorTest, TheNumberAfterSavesOfOddNumbers) {
    const std::vector<std::pair<QString, QString>> cases = {{"2.5", " 3.5"}, {"-3", "-2"}, {"abc", " 1"}, {"9", " 10"}};
    withEditor([&](RecordEditor* e) {
        int changed = 0;
        for (const auto& [typed, after] : cases) {
            e->setText(0, typed);
            e->setText(3, QString("M%1").arg(++changed));
            boxes.willAnswer(QMessageBox::Ok);
            click(e->Command1);
            EXPECT_EQ(e->text(0), after) << typed.toStdString();
        }
    });
    EXPECT_EQ(value("2.5", "型号"), "M1");
    EXPECT_EQ(value("-3", "型号"), "M2");
    EXPECT_EQ(value("abc", "型号"), "M3");
    EXPECT_EQ(value("9", "型号"), "M4");
}

TEST_F(RecordEditorTest, SavingForAMakerWithoutADataFile) {
    w.ListView1->selectRow(2);
    withEditor([&](RecordEditor* e) {
        EXPECT_EQ(e->text(0), "1");
        EXPECT_EQ(e->text(3), "unknown");
        click(e->Command1);  // "unknown" everywhere equals section 0, which reads "unknown"
        EXPECT_EQ(boxes.seen.back().text, "此记录与上条记录完全一样，是否重复了?");
        e->setText(3, "首台");
        click(e->Command1);
        EXPECT_EQ(boxes.seen.back().text, "已成功添加记录到数据库");
    });
    EXPECT_EQ(pumpsel::ini::ReadProfileValue(folder / "txt/unknown", "1", "型号"), "首台");
}

TEST_F(RecordEditorTest, AMultiLineRemarkReadsBackUnchanged) {
    withEditor([&](RecordEditor* e) {
        e->setText(10, "第一行\n第二行 [7]\n型号=假的");
        click(e->Command1);
        e->setText(0, "6");
        EXPECT_EQ(e->text(10), "第一行\n第二行 [7]\n型号=假的");
    });
    EXPECT_EQ(value("6", "备注"), "第一行\n第二行 [7]\n型号=假的");
    EXPECT_EQ(value("7", "型号"), "unknown");
}

TEST_F(RecordEditorTest, AnUnusableNumberIsRefusedByTheWrite) {
    const std::string before = readBytes(folder / "txt/a.dat");
    withEditor([&](RecordEditor* e) {
        for (const char* number : {"", "  ", "[7]", "7]"}) {
            boxes.seen.clear();
            e->setText(0, number);
            e->setText(3, "X");
            click(e->Command1);
            ASSERT_FALSE(boxes.seen.empty()) << number;
            EXPECT_EQ(boxes.seen.back().text, "写数据错误，非法条目 -> " + QString(number).trimmed() + "/型号")
                << number;
            EXPECT_EQ(boxes.seen.back().title, "读取时出错");
            EXPECT_EQ(boxes.seen.back().icon, QMessageBox::Critical);
        }
    });
    EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
}

TEST_F(RecordEditorTest, AValueGbkCannotHoldWritesNoPartOfTheRecord) {
    const std::string before = readBytes(folder / "txt/a.dat");
    withEditor([&](RecordEditor* e) {
        e->setText(3, "NEW");
        e->setText(10, "表情 😀");
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "写数据错误，非法条目 -> 6/备注");
        EXPECT_EQ(e->text(0), "6");  // a failed save does not move on
    });
    EXPECT_EQ(readBytes(folder / "txt/a.dat"), before);
}

TEST_F(RecordEditorTest, AFileFullToTheCounterLimit) {
    folder.writeRecords("txt/a.dat", 32767);
    OnModal<RecordEditor> never([](RecordEditor*) { ADD_FAILURE() << "the editor opened"; });
    w.Command5_Click();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "此厂家的记录已达到上限 32767 条，不能再添加记录");
}

// Record 32,767 is the last that any listing reaches: it can be written and
// edited, the next one is refused before anything is written.
TEST_F(RecordEditorTest, NoRecordIsWrittenAboveTheCounterLimit) {
    folder.writeRecords("txt/a.dat", 32766);
    withEditor([&](RecordEditor* e) {
        EXPECT_EQ(e->text(0), "32767");
        e->setText(10, "the last one");
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].text, "已成功添加记录到数据库");
        EXPECT_EQ(e->text(0), " 32768");
        e->setText(10, "one too many");
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 2u);
        EXPECT_EQ(boxes.seen[1].text, "此厂家的记录已达到上限 32767 条，不能再添加记录");
        EXPECT_EQ(boxes.seen[1].title, "注意");
        EXPECT_EQ(boxes.seen[1].icon, QMessageBox::Warning);
        EXPECT_EQ(e->text(0), " 32768");

        typeNumber(e, "32767");  // records that exist stay loadable and editable
        EXPECT_EQ(e->text(10), "the last one");
        e->setText(10, "edited");
        click(e->Command1);
        ASSERT_EQ(boxes.seen.size(), 4u);
        EXPECT_EQ(boxes.seen[2].text, "此记录已存在，是否覆盖?");
        EXPECT_EQ(boxes.seen[3].text, "已成功添加记录到数据库");
    });
    EXPECT_EQ(value("32767", "备注"), "edited");
    EXPECT_EQ(value("32768", "型号"), "unknown");
    EXPECT_EQ(value("32768", "备注"), "unknown");
}

TEST_F(RecordEditorTest, KeysFocusHelpAndClose) {
    withEditor([&](RecordEditor* e) {
        ASSERT_TRUE(activate(e));
        e->Text1[0]->setFocus(Qt::TabFocusReason);
        key(e->Text1[0], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), e->Text1[1]);
        EXPECT_EQ(e->Text1[1]->selectedText(), "江南泵业");
        key(e->Text1[1], Qt::Key_Tab);
        key(e->Text1[2], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), e->Text1[3]);
        EXPECT_TRUE(e->Text1[3]->selectedText().isEmpty());
        for (int i = 3; i < 8; ++i) key(e->Text1[i], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), e->Text1[8]);
        EXPECT_EQ(e->Text1[8]->selectedText(), "5.5");
        key(e->Text1[8], Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), e->Text1_10);
        EXPECT_FALSE(e->Text1_10->textCursor().hasSelection());

        // Ctrl+Enter types a line break in the remark; Enter saves.
        e->Text1_10->setPlainText("a");
        e->Text1_10->moveCursor(QTextCursor::End);
        key(e->Text1_10, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(e->text(10), QString("a\n"));
        key(e->Text1_10, Qt::Key_Return);
        EXPECT_EQ(boxes.seen.back().text, "已成功添加记录到数据库");

        QString caption;
        OnModal<TextViewer> help([&](TextViewer* v) { caption = v->windowTitle(); });
        click(e->Command2);
        EXPECT_EQ(caption, "添加记录");

        EXPECT_EQ(e->Label1[5]->text(), "流量2(m3/h):");
        EXPECT_EQ(e->Label1[9], nullptr);
        EXPECT_EQ(e->Hyperlink1->pos(), QPoint(14, 333));
        key(e->Text1[4], Qt::Key_Escape);
        EXPECT_FALSE(e->isVisible());
    });
    EXPECT_EQ(value("6", "备注"), "a\n");  // only blanks are trimmed, not line breaks
}
