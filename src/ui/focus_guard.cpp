#include "ui/focus_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace ui {

FocusGuard::FocusGuard(QWidget* window, QList<QWidget*> boxes, std::function<bool(QWidget*)> mayLeave)
    : QObject(window), window_(window), boxes_(std::move(boxes)), mayLeave_(std::move(mayLeave)) {
    qApp->installEventFilter(this);
}

FocusGuard::~FocusGuard() { qApp->removeEventFilter(this); }

// The guarded box that holds the focus, if any.
QWidget* FocusGuard::guardedFocus() const {
    QWidget* focus = QApplication::focusWidget();
    return boxes_.contains(focus) ? focus : nullptr;
}

// A press that would give the focus to another widget of the window: the
// widget under the mouse, or the nearest parent that takes focus by click.
bool FocusGuard::pressLeavesBox(QEvent* event, QWidget* box) const {
    auto* mouse = static_cast<QMouseEvent*>(event);
    QWidget* target = window_->childAt(window_->mapFromGlobal(mouse->globalPosition().toPoint()));
    while (target && target != window_ && !(target->focusPolicy() & Qt::ClickFocus)) target = target->parentWidget();
    if (!target || target == window_ || !target->isEnabled()) return false;
    return target != box && !box->isAncestorOf(target);
}

bool FocusGuard::keyLeavesBox(QEvent* event) const {
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

bool FocusGuard::refuse(QWidget* box) {
    asking_ = true;
    const bool mayLeave = mayLeave_(box);
    asking_ = false;
    if (mayLeave) return false;
    box->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
    return true;
}

bool FocusGuard::eventFilter(QObject* watched, QEvent* event) {
    if (asking_) return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease && swallowRelease_ && watched == window_->windowHandle()) {
        swallowRelease_ = false;
        return true;
    }
    QWidget* box = guardedFocus();
    if (!box || box->window() != window_) return false;
    if (watched == window_->windowHandle()) {
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && pressLeavesBox(event, box)) {
            swallowRelease_ = refuse(box);
            return swallowRelease_;
        }
        if (type == QEvent::KeyPress && keyLeavesBox(event)) return refuse(box);
    }
    if (type == QEvent::Shortcut) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target && target->window() == window_) return refuse(box);
    }
    return false;
}

}  // namespace ui
