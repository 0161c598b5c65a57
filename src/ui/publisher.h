#pragma once
// The publisher's banner texts and addresses (fictional, under .example).
#include <QString>

namespace ui::publisher {

inline const QString kBrand = QStringLiteral("[Vornesk]");
inline const QString kWebAddress = QStringLiteral("www.vornesk.example");
inline const QString kWebUrl = QStringLiteral("http://www.vornesk.example");
inline const QString kContactEmail = QStringLiteral("join@vornesk.example");
inline const QString kBannerHint = QStringLiteral("访问[Vornesk]，免费下载最新专业软件");

}  // namespace ui::publisher
