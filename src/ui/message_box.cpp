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

QString failureInWords(const pumpsel::Outcome& outcome, const QString& folder) {
    using pumpsel::Failure;
    switch (outcome.failure) {
        case Failure::None:
            return {};
        case Failure::Missing:
            return QStringLiteral("文件夹不存在");
        case Failure::NotAFile:
            return QStringLiteral("该位置是文件夹或设备，不是文件");
        case Failure::ReadOnly:
            return QStringLiteral("文件或其所在文件夹是只读的");
        case Failure::LinkLeadsOut:
            return QStringLiteral("它是指向%1以外的链接").arg(folder);
        case Failure::Locked:
            return QStringLiteral("目录被另一个程序锁定");
        case Failure::TooLarge:
            return QStringLiteral("文件大于 1 GiB");
        case Failure::NoMemory:
            return QStringLiteral("内存不足");
        case Failure::NotEncodable:
            return QStringLiteral("“%1”无法以 GBK 编码保存").arg(QString::fromStdString(outcome.reason));
        case Failure::System:
            break;
    }
    return QStringLiteral("系统拒绝写入（%1）").arg(QString::fromStdString(outcome.reason));
}

}  // namespace ui
