#include "ui/ini_write.h"

#include "storage/profile.h"
#include "ui/message_box.h"

namespace ini {

void WriteProfileValue(QWidget* parent, const std::filesystem::path& file, const QString& section,
                       const QString& key, const QString& value) {
    auto outcome = pumpsel::ini::writeValue(file, section.toStdString(), key.toStdString(), value.toStdString());
    if (!outcome)
        ui::showMessage(parent, QStringLiteral("写数据错误，非法条目 -> ") + section + QLatin1Char('/') + key,
                        QStringLiteral("读取时出错"), ui::MessageStyle::Critical);
}

}  // namespace ini
