#include "ui/write_with_message.h"

#include "storage/profile.h"
#include "ui/message_box.h"

namespace ui {

void WriteProfileValue(QWidget* parent, const std::filesystem::path& file, const QString& section, const QString& key,
                       const QString& value) {
    writeValuesOrSayWhy(parent, file, section, {{key, value}});
}

bool writeValuesOrSayWhy(QWidget* parent, const std::filesystem::path& file, const QString& section,
                         const QList<std::pair<QString, QString>>& values) {
    std::vector<std::string> texts;  // the UTF-8 texts the key-value views point into
    for (const auto& [key, value] : values) {
        texts.push_back(key.toStdString());
        texts.push_back(value.toStdString());
    }
    std::vector<pumpsel::ini::KeyValue> pairs;
    for (std::size_t i = 0; i < texts.size(); i += 2) pairs.push_back({texts[i], texts[i + 1]});
    const auto outcome = pumpsel::ini::writeValues(file, section.toStdString(), pairs);
    if (outcome) return true;
    const QString text = outcome.failure == pumpsel::Failure::Locked
                             ? QStringLiteral("目录被另一个程序锁定")
                             : QStringLiteral("写数据错误，非法条目 -> ") + section + QLatin1Char('/') +
                                   values.value(static_cast<qsizetype>(outcome.failed)).first;
    showMessage(parent, text, QStringLiteral("读取时出错"), MessageStyle::Critical);
    return false;
}

}  // namespace ui
