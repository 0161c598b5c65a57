#pragma once
// Modal message boxes in the four styles the program uses.
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

// Shows the message modally over parent and returns the answer; closing the
// box without a button counts as Cancel (or as OK when OK is the only button).
MessageAnswer showMessage(QWidget* parent, const QString& text, const QString& title, MessageStyle style);

}  // namespace ui

namespace ui {

// A maker file holds at most 32,767 records: the message that refuses one more.
void showRecordLimit(QWidget* parent);

}  // namespace ui
