// Qt's own dialogs speak the user's language: under a Chinese locale the
// save dialog's labels and buttons are Qt's Chinese, not "File name" and "Save".
#include "app/translations.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

TEST(QtTranslations, TheSaveDialogSpeaksChineseUnderAChineseLocale) {
    QTranslator* chinese =
        app::installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Chinese, QLocale::China));
    ASSERT_NE(chinese, nullptr) << "qtbase_zh_CN.qm not found";
    {
        QFileDialog dialog(nullptr, QStringLiteral("导出"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        const auto* name = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text().toStdString(), "文件名称(&N)：");
        const auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Save)->text().toStdString(), "保存(&S)");
    }
    QCoreApplication::removeTranslator(chinese);
    delete chinese;
    EXPECT_EQ(app::installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::English)), nullptr);
}
