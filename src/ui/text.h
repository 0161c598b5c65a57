#pragma once
// Text and paths between the catalogue library (UTF-8 strings and
// std::filesystem paths) and Qt, in one place.
#include <QDir>
#include <QString>
#include <filesystem>
#include <string>

namespace ui {

inline QString fromUtf8(const std::string& utf8) { return QString::fromStdString(utf8); }
inline std::string toUtf8(const QString& text) { return text.toStdString(); }

inline QString pathText(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }
inline std::filesystem::path pathOf(const QString& text) { return std::filesystem::path(text.toStdU16String()); }

// A path as the user reads it, with the platform's separators.
inline QString nativePath(const std::filesystem::path& path) { return QDir::toNativeSeparators(pathText(path)); }

}  // namespace ui
