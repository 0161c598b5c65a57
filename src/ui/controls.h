#pragma once
// Building blocks of every window: controls created with their design name
// and their place in twips, and the steps every window's load shares.
#include <QColor>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

namespace ui {

class Hyperlink;

QIcon programIcon();
QPixmap closePicture();

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                        int height);
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height);
QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                       int height);
// A multi-line box with a vertical scroll bar.
QPlainTextEdit* makeMemo(QWidget* parent, const QString& name, int left, int top, int width, int height);
QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                     int height);
// A horizontal line from x1 to x2 at y; two of them, grey over white, make
// the etched separator above the buttons.
QFrame* makeLine(QWidget* parent, const QString& name, int x1, int x2, int y, const QColor& colour);
void makeSeparator(QWidget* parent);

// The part of loading that every window shares: program icon, fixed size
// (client area in twips; no resizing, no minimise or maximise button), the
// publisher banner at left 210 and the given top, and the close picture on
// the close button.
void loadWindow(QDialog* window, int clientWidth, int clientHeight, Hyperlink* banner, int bannerTop,
                QPushButton* closeButton);

// The progress label that takes the banner's place during long reads:
// brown, moved onto the banner and hidden.
void placeProgressLabel(QLabel* label, const Hyperlink* banner);

// The position of the outer window's frame around the client area, so that
// a window can be centred on its owner.
void centreOn(QWidget* window, const QWidget* owner);

// The keyboard focus visits the widgets in this order.
void setTabOrder(const QList<QWidget*>& order);

// UTF-8 text of the catalogue library as a QString.
inline QString fromUtf8(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace ui
