#pragma once
// The program's text faces: SimSun (宋体) where it exists, else a Chinese
// font the system has. The windows and the charts both take them from here.
#include <QFont>
#include <QStringList>

namespace ui::chart {

// The families to try, best first.
const QStringList& fontFamilies();

// The program's face at `points` points; bold on request.
QFont programFont(double points, bool bold = false);

}  // namespace ui::chart
