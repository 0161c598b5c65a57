#include "ui/fonts.h"

#include <QStringList>

namespace ui {

QFont simSun9() {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Microsoft YaHei")});
    font.setPointSize(9);
    return font;
}

}  // namespace ui
