#include "chart/fonts.h"

namespace ui::chart {

const QStringList& fontFamilies() {
    static const QStringList families{QStringLiteral("SimSun"),           QStringLiteral("宋体"),
                                      QStringLiteral("NSimSun"),          QStringLiteral("WenQuanYi Zen Hei"),
                                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei")};
    return families;
}

QFont programFont(double points, bool bold) {
    QFont font;
    font.setFamilies(fontFamilies());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}  // namespace ui::chart
