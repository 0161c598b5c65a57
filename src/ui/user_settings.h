#pragma once
// Where the program keeps what it remembers for the user between runs.
#include <QSettings>
#include <QString>

namespace ui {

inline const QString kSettingsOrganisation = QStringLiteral("水泵");
inline const QString kSettingsApplication = QStringLiteral("水泵");

}  // namespace ui
