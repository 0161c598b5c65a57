#include "ui/fonts.h"

#include "chart/fonts.h"

namespace ui {

QFont simSun9() { return chart::programFont(9); }

}  // namespace ui
