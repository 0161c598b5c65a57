#pragma once
// Window geometry is laid out in twips (1/1440 inch): 15 twips make one
// pixel at 96 dpi. Qt scales these pixels on high-DPI screens.
#include <QRect>
#include <QWidget>

namespace ui {

inline int px(int twips) { return (twips + 7) / 15; }

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

inline void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsRect(left, top, width, height));
}

}  // namespace ui
