#pragma once
// The controls of every window, each created with its design name and its
// place in twips.
#include <QColor>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace ui {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                        int height);
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height);
QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                       int height);
// A multi-line box with a vertical scroll bar.
QPlainTextEdit* makeMemo(QWidget* parent, const QString& name, int left, int top, int width, int height);
// A frame whose border runs through its caption (see ui/frame.h).
QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                     int height);
// A horizontal line from x1 to x2 at y; two of them, grey over white, make
// the etched separator above the buttons.
QFrame* makeLine(QWidget* parent, const QString& name, int x1, int x2, int y, const QColor& colour);

}  // namespace ui
