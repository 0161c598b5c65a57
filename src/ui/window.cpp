#include "ui/window.h"

#include <QCloseEvent>
#include <QPushButton>

namespace ui {

void Window::reject() {
    if (closeButton_) closeButton_->click();
    else close();
}

// A dialog's own close event would go through reject() and so press the
// close button again; closing needs no confirmation here.
void Window::closeEvent(QCloseEvent* event) { event->accept(); }

}  // namespace ui
