#pragma once
// A focus change that can be refused. Before the focus leaves one of the
// guarded boxes of a window (a click on another control, Tab or Backtab, a
// shortcut), mayLeave(box) is asked; when it says no, the focus stays in the
// box and the click or key never reaches anything. Enter and Esc press the
// default and cancel buttons without moving the focus, so they pass.
//
// Qt gives a pressed widget the focus before any filter on that widget sees
// the press, so the guard watches the window's own events, which arrive
// before they are handed to the widgets.
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace ui {

class FocusGuard : public QObject {
public:
    FocusGuard(QWidget* window, QList<QWidget*> boxes, std::function<bool(QWidget*)> mayLeave);
    ~FocusGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* guardedFocus() const;
    bool pressLeavesBox(QEvent* event, QWidget* box) const;
    bool keyLeavesBox(QEvent* event) const;
    bool refuse(QWidget* box);

    QWidget* window_;
    QList<QWidget*> boxes_;
    std::function<bool(QWidget*)> mayLeave_;
    bool asking_ = false;
    bool swallowRelease_ = false;
};

}  // namespace ui
