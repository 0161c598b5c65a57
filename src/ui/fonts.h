#pragma once
// SimSun (宋体) where it exists, else a Chinese font the system has.
#include <QFont>

namespace ui {

QFont simSun9();

}  // namespace ui
