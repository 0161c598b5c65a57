#pragma once
// What every window of the program is: a fixed-size dialog laid out in
// twips, with the publisher banner at its bottom left, an etched line above
// its buttons and a caption-less close button showing the close picture,
// which Esc presses too. It closes without asking and opens centred on its
// owner (the screen for the start window). A window may instead be
// resizable, laid out by Qt's layouts and kept within the screen.
//
// Every window is built in one order: its constructor names it, then
// createControls() makes its controls and the chrome (addChrome), then
// orderTabs() sets the keyboard order, then its load handler runs, which
// starts with loadChrome().
#include "ui/hyperlink.h"

#include <QDialog>
#include <QRect>

class QLabel;
class QPushButton;

namespace ui {

class Window : public QDialog {
    Q_OBJECT
public:
    Window(QWidget* owner, const QString& formName, const QString& caption);

    // A focus-in that gives a box the focus anew: the window's first focus
    // after it opens, or a move within the window. Coming back from another
    // window or from a message is none.
    bool isNewFocus(const QEvent* focusIn) const;

protected:
    // The chrome of one window, in twips as its layout gives it.
    struct Chrome {
        int clientWidth = 0, clientHeight = 0;
        QRect banner;  // where the banner is laid out
        Hyperlink::Caption bannerCaption = Hyperlink::Caption::WithScheme;
        int bannerTop = 0;  // where loading moves it; its left becomes 210
        QString closeName;  // the close button's design name
        QRect closeButton;
        int separatorTop = 0;  // the etched line's grey half; 0: the window has none
        int separatorRight = 9276;
        // Laid out by the window's layouts, which place the banner and the
        // close button too; clientWidth × clientHeight is the size it opens
        // at where the screen has room for it.
        bool resizable = false;
    };
    // Makes the banner, the etched line and the close button (whose click
    // each window connects to its own close handler).
    void addChrome(const Chrome& chrome);
    Hyperlink* chromeBanner() const { return banner_; }
    QPushButton* chromeCloseButton() const { return closeButton_; }

    // The part of loading every window shares: the program icon, the fixed
    // size, the banner at its place and the close picture on the close button.
    void loadChrome();

    // The progress label of a long read: brown, placed on the banner, hidden.
    void placeProgressLabel(QLabel* label) const;

    // The keyboard focus visits the widgets in this order.
    static void setFocusOrder(const QList<QWidget*>& order);

    void showEvent(QShowEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    Chrome chrome_;
    Hyperlink* banner_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    bool focusedBefore_ = false;
    bool shownBefore_ = false;
};

}  // namespace ui
