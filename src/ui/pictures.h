#pragma once
// The program's own pictures: its icon and the close picture (a red cross
// and the word 关闭) on every window's close button.
#include <QIcon>
#include <QPixmap>

namespace ui {

QIcon programIcon();
QPixmap closePicture();

}  // namespace ui
