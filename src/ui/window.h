#pragma once
// What every window of the program is: a fixed-size dialog whose close
// button is also pressed by Esc, and which closes without asking.
#include <QDialog>

class QPushButton;

namespace ui {

class Window : public QDialog {
    Q_OBJECT
public:
    explicit Window(QWidget* owner = nullptr) : QDialog(owner) {}

protected:
    // The button that Esc presses; set by each window once it has made it.
    void setCloseButton(QPushButton* button) { closeButton_ = button; }
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* closeButton_ = nullptr;
};

}  // namespace ui
