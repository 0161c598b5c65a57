#include "ui/message_box.h"

#include "catalogue/catalogue.h"

#include <QMessageBox>
#include <QPushButton>

namespace ui {

MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title, MessageStyle style) {
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (style) {
        case MessageStyle::Exclamation:
        case MessageStyle::ExclamationOkCancel:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageStyle::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageStyle::Plain:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (style == MessageStyle::ExclamationOkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (auto* cancel = box.button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("取消"));
    return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

void showRecordLimit(QWidget* parent) {
    showMessage(parent,
                QStringLiteral("此厂家的记录已达到上限 %1 条，不能再添加记录").arg(pumpsel::catalogue::kMaxCounter),
                kAttentionTitle, MessageStyle::Exclamation);
}

}  // namespace ui
