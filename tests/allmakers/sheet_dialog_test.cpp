// The sheet's dialog, print preview and PDF export, driven headless through
// real widgets, keys and clicks.
#include "allmakers/sheet_dialog.h"
#include "support/catalogue_fixture.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/user_settings.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

namespace {

// Replaces what the box holds, as a person does: Ctrl+A, then the text,
// Chinese through the input method as it arrives from one.
void typeInto(QWidget* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(box, text);
        return;
    }
    QInputMethodEvent composed;
    composed.setCommitString(text);
    QApplication::sendEvent(box, &composed);
}

void click(ui::SheetDialog& dialog, QDialogButtonBox::StandardButton which) {
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

// A catalogue of one kind, 离心泵, whose maker 江南泵业 has one curve record.
void writePump(const testing_support::CatalogueFolder& folder) {
    folder.writeOneMakerIndex();
    testing_support::writeGbk(folder / "txt/a.dat",
                              "[1]\n型号=A-1\n流量1=10\n流量2=30\n扬程1=40\n扬程2=27\n功率=3.3\n备注=\n"
                              "曲线流量=0,10,20,30,40\n曲线扬程=42,40,35,27,15\n曲线效率=0,50,70,65,50\n转速=2900\n");
}

}  // namespace

TEST(SheetDialog, RemembersWhatWasAcceptedAndGivesItToTheSheet) {
    // From what a new user has: on Windows the settings are the registry's,
    // shared by every test of the run.
    QSettings(QSettings::UserScope, ui::kSettingsOrganisation, ui::kSettingsApplication).remove("Sheet");
    {
        ui::SheetDialog first(nullptr);
        first.show();
        EXPECT_EQ(first.projectBox->text(), QString());
        EXPECT_EQ(first.basisBox->text(), QStringLiteral("GB 50015-2019 建筑给水排水设计标准"));
        EXPECT_EQ(first.standbyBox->value(), 1);
        EXPECT_EQ(first.hoursBox->value(), 4000);
        EXPECT_DOUBLE_EQ(first.priceBox->value(), 0.8);
        EXPECT_EQ(first.dateBox->date(), QDate::currentDate());

        typeInto(first.projectBox, QStringLiteral("滨江花园"));
        typeInto(first.projectNumberBox, QStringLiteral("2026-017"));
        typeInto(first.systemBox, QStringLiteral("生活给水加压泵"));
        typeInto(first.designerBox, QStringLiteral("王工"));
        typeInto(first.checkerBox, QStringLiteral("李工"));
        typeInto(first.basisBox, QStringLiteral("GB 50974-2014"));
        typeInto(first.standbyBox, QStringLiteral("2"));
        typeInto(first.hoursBox, QStringLiteral("3000"));
        typeInto(first.priceBox, QStringLiteral("1.25"));
        click(first, QDialogButtonBox::Ok);
        EXPECT_EQ(first.result(), QDialog::Accepted);

        ui::sheet::Request request;
        request.flow = 20;
        first.fill(request);
        const ui::sheet::Heading& h = request.heading;
        EXPECT_EQ(h.project, QStringLiteral("滨江花园"));
        EXPECT_EQ(h.projectNumber, QStringLiteral("2026-017"));
        EXPECT_EQ(h.system, QStringLiteral("生活给水加压泵"));
        EXPECT_EQ(h.designer, QStringLiteral("王工"));
        EXPECT_EQ(h.checker, QStringLiteral("李工"));
        EXPECT_EQ(h.basis, QStringLiteral("GB 50974-2014"));
        EXPECT_EQ(h.date, QDate::currentDate());
        EXPECT_EQ(request.standby, 2);
        EXPECT_EQ(request.hoursPerYear, 3000);
        EXPECT_DOUBLE_EQ(request.pricePerKwh, 1.25);
        EXPECT_EQ(request.flow, 20);  // the duty point is not the dialog's
    }
    {
        // Changes of a cancelled dialog are forgotten.
        ui::SheetDialog cancelled(nullptr);
        cancelled.show();
        EXPECT_EQ(cancelled.projectBox->text(), QStringLiteral("滨江花园"));
        typeInto(cancelled.projectBox, QStringLiteral("别的工程"));
        typeInto(cancelled.standbyBox, QStringLiteral("0"));
        click(cancelled, QDialogButtonBox::Cancel);
        EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    }
    ui::SheetDialog next(nullptr);
    EXPECT_EQ(next.projectBox->text(), QStringLiteral("滨江花园"));
    EXPECT_EQ(next.checkerBox->text(), QStringLiteral("李工"));
    EXPECT_EQ(next.basisBox->text(), QStringLiteral("GB 50974-2014"));
    EXPECT_EQ(next.standbyBox->value(), 2);
    EXPECT_EQ(next.hoursBox->value(), 3000);
    EXPECT_DOUBLE_EQ(next.priceBox->value(), 1.25);
}

TEST(SheetDialog, PreviewsTheSheetOnOnePageAndSaysWhyASaveFailed) {
    testing_support::CatalogueFolder folder;
    writePump(folder);
    const pumpsel::catalogue::Catalogue catalogue(folder.root());
    ui::sheet::Request request;
    request.flow = 20;
    request.head = 30;
    const auto built = ui::sheet::buildSheet(catalogue, {"离心泵", 1, 1}, request, {});
    ASSERT_TRUE(built.content);

    int pages = -1;
    testing_support::OnModal<QPrintPreviewDialog> preview(
        [&](QPrintPreviewDialog* dialog) { pages = dialog->findChild<QPrintPreviewWidget*>()->pageCount(); });
    ui::previewSheet(nullptr, *built.content);
    EXPECT_TRUE(preview.ran());
    EXPECT_EQ(pages, 1);

    testing_support::MessageBoxes boxes;
    const QString missing = QString::fromStdString((folder.root() / "none" / "sheet.pdf").string());
    EXPECT_FALSE(ui::saveSheetPdf(nullptr, *built.content, missing));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].title, QStringLiteral("导出失败"));
    EXPECT_TRUE(boxes.seen[0].text.contains(QStringLiteral("文件夹不存在"))) << boxes.seen[0].text.toStdString();

    const QString saved = QString::fromStdString((folder.root() / "sheet.pdf").string());
    EXPECT_TRUE(ui::saveSheetPdf(nullptr, *built.content, saved));
    EXPECT_EQ(testing_support::readBytes(folder.root() / "sheet.pdf").substr(0, 5), "%PDF-");
    EXPECT_EQ(boxes.seen.size(), 1u);
}
