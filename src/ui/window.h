#pragma once
// What every window of the program is: a fixed-size dialog whose close
// button is also pressed by Esc, and which closes without asking.
#include <QDialog>

class QPushButton;

namespace ui {

class Window : public QDialog {
    Q_OBJECT
public:
    explicit Window(QWidget* owner = nullptr);

    // A focus-in that gives a box the focus anew: the window's first focus
    // after it opens, or a move within the window. Coming back from another
    // window or from a message is none.
    bool isNewFocus(const QEvent* focusIn) const;

protected:
    // The button that Esc presses; set by each window once it has made it.
    void setCloseButton(QPushButton* button) { closeButton_ = button; }
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* closeButton_ = nullptr;
    bool focusedBefore_ = false;
};

}  // namespace ui
