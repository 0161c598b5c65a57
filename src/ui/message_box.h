#pragma once
// Modal message boxes in the four styles the program uses, and the words
// they say a failure in.
#include "storage/outcome.h"

#include <QString>

class QWidget;

namespace ui {

enum class MessageStyle {
    Exclamation = 48,          // exclamation icon, OK
    ExclamationOkCancel = 49,  // exclamation icon, OK and Cancel
    Critical = 16,             // critical icon, OK
    Plain = 0,                 // no icon, OK
};

enum class MessageAnswer { Ok = 1, Cancel = 2 };

// Titles and texts that more than one window shows.
inline const QString kAttentionTitle = QStringLiteral("注意");
inline const QString kSorryTitle = QStringLiteral("对不起");
inline const QString kDutyPointRejected = QStringLiteral("流量和扬程都只能为正实数");
inline const QString kNoPumpFits = QStringLiteral("泵数据库没有找到符合条件的的水泵");

// Shows the message modally over parent and returns the answer; closing the
// box without a button counts as Cancel (or as OK when OK is the only button).
MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title, MessageStyle style);

}  // namespace ui

namespace ui {

// A maker file holds at most 32,767 records: the message that refuses one more.
void showRecordLimit(QWidget* parent);

// Why a file was not written, in the user's words, from the failure's kind:
// "它是指向<folder>以外的链接", "文件或其所在文件夹是只读的", and so on. `folder` names the
// folder a link would leave. The system's own reason is added for a failure
// of no known kind.
QString failureInWords(const pumpsel::Outcome& outcome, const QString& folder = QStringLiteral("所在文件夹"));

}  // namespace ui
