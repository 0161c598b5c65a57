#include "ui/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QPushButton>

namespace ui {

Window::Window(QWidget* owner) : QDialog(owner) {
    // Qt announces a focus change after the focus-in event: a box that asks
    // isNewFocus() during its first focus-in is still told it is the first.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == this) focusedBefore_ = true;
    });
}

bool Window::isNewFocus(const QEvent* focusIn) const {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(focusIn)->reason();
    return !focusedBefore_ || (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason);
}

void Window::reject() {
    if (closeButton_)
        closeButton_->click();
    else
        close();
}

// A dialog's own close event would go through reject() and so press the
// close button again; closing needs no confirmation here.
void Window::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace ui
