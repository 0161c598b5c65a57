#include "ui/controls.h"

#include "ui/frame.h"
#include "ui/geometry.h"

namespace ui {

namespace {
// A new control under its design name, at its place in twips.
template <class Control>
Control* named(Control* control, const QString& name, int left, int top, int width, int height) {
    control->setObjectName(name);
    place(control, left, top, width, height);
    return control;
}
}  // namespace

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                        int height) {
    return named(new QPushButton(caption, parent), name, left, top, width, height);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height) {
    return named(new QLabel(caption, parent), name, left, top, width, height);
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                       int height) {
    auto* box = named(new QLineEdit(text, parent), name, left, top, width, height);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

QPlainTextEdit* makeMemo(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* memo = named(new QPlainTextEdit(parent), name, left, top, width, height);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    return memo;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                     int height) {
    return named(new Frame(caption, parent), name, left, top, width, height);
}

QFrame* makeLine(QWidget* parent, const QString& name, int x1, int x2, int y, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    line->setGeometry(px(x1), px(y), px(x2) - px(x1), 1);
    return line;
}

}  // namespace ui
