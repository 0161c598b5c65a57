#pragma once
// Driving windows the way a person does: clicks and keys through the
// window's own input path, and modal windows answered as they open.
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>

namespace testing_support {

// A click on a widget, sent to its window as the window system sends it.
inline void click(QWidget* widget, QPoint at = QPoint(-1, -1)) {
    QWidget* top = widget->window();
    if (at == QPoint(-1, -1)) at = widget->rect().center();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
}

// A key pressed in the window that holds the widget (it goes to the focus).
inline void key(QWidget* widget, Qt::Key k, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(widget->window()->windowHandle(), k, mods);
}

inline void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) QTest::keyClick(widget->window()->windowHandle(), c.toLatin1());
}

inline bool activate(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Runs `inspect` once on the first visible modal window of type W, then
// closes that window unless inspect did.
template <class W>
class OnModal : public QObject {
public:
    explicit OnModal(std::function<void(W*)> inspect) : inspect_(std::move(inspect)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!window || !window->isVisible() || done_) return;
            done_ = true;
            QPointer<W> guard(window);
            inspect_(window);
            if (guard && guard->isVisible()) guard->close();
        });
        timer_.start();
    }
    bool ran() const { return done_; }

private:
    std::function<void(W*)> inspect_;
    QTimer timer_;
    bool done_ = false;
};

}  // namespace testing_support
