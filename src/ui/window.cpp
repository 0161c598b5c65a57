#include "ui/window.h"

#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace ui {

namespace {

// Centres the window's outer frame on its owner's, or on the screen.
void centreOn(QWidget* window, const QWidget* owner) {
    QRect area = owner ? owner->frameGeometry() : window->screen()->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

// Room for the title bar and borders the window system adds, which are
// known only once the window is shown.
const QSize kFrameAllowance(16, 48);

// A resizable window opens no larger than its screen's free area.
QSize fittedSize(const QWidget* window, QSize wanted) {
    return wanted.boundedTo(window->screen()->availableGeometry().size() - kFrameAllowance);
}

// Moves and, where it must, shrinks a window so that its outer frame lies
// within its screen's free area.
void keepOnScreen(QWidget* window) {
    const QRect area = window->screen()->availableGeometry();
    QRect frame = window->frameGeometry();
    const QSize decoration = frame.size() - window->size();
    const QSize excess = (frame.size() - area.size()).expandedTo(QSize(0, 0));
    if (excess != QSize(0, 0)) {
        window->resize(window->size() - excess);
        frame.setSize(window->size() + decoration);
    }
    // A window that cannot shrink enough keeps its title bar on the screen.
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    window->move(frame.topLeft());
}

}  // namespace

Window::Window(QWidget* owner, const QString& formName, const QString& caption) : QDialog(owner) {
    setObjectName(formName);
    setWindowTitle(caption);
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

void Window::addChrome(const Chrome& chrome) {
    chrome_ = chrome;
    if (chrome.separatorTop > 0) {
        makeLine(this, QStringLiteral("Line1(0)"), 96, chrome.separatorRight, chrome.separatorTop,
                 QColor(128, 128, 128));
        makeLine(this, QStringLiteral("Line1(1)"), 96, chrome.separatorRight, chrome.separatorTop + 12, Qt::white);
    }
    const QRect close = chrome.closeButton;
    closeButton_ = makeButton(this, chrome.closeName, QString(), close.x(), close.y(), close.width(), close.height());
    banner_ = new Hyperlink(this, chrome.bannerCaption);
    place(banner_, chrome.banner.x(), chrome.banner.y(), chrome.banner.width(), chrome.banner.height());
}

void Window::loadChrome() {
    setWindowIcon(programIcon());
    const QSize size(px(chrome_.clientWidth), px(chrome_.clientHeight));
    if (chrome_.resizable) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::WindowMaximizeButtonHint);
        setSizeGripEnabled(true);
        resize(fittedSize(this, size));
    } else {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
        setFixedSize(size);
        banner_->move(px(210), px(chrome_.bannerTop));
        // A font wider than the one the layout was made for must not cut the address short.
        banner_->resize(std::max(banner_->width(), banner_->sizeHint().width()), banner_->height());
    }
    closeButton_->setText(QString());
    closeButton_->setIcon(closePicture());
    closeButton_->setIconSize(closePicture().size());
}

void Window::placeProgressLabel(QLabel* label) const {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, bannerColour());
    label->setPalette(pal);
    label->hide();
    label->move(banner_->pos());
}

void Window::setFocusOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void Window::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownBefore_) return;
    shownBefore_ = true;
    centreOn(this, parentWidget());
    if (chrome_.resizable) keepOnScreen(this);
}

// Esc presses the close button, as a click does.
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
