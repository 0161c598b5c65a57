#pragma once
// Writes of catalogue values as the windows make them: a failed write is
// told to the user, and the window goes on.
#include <QList>
#include <QString>
#include <filesystem>
#include <utility>

class QWidget;

namespace ui {

// Writes the value; when the write fails the user sees
// "写数据错误，非法条目 -> section/key" (title "读取时出错"), or
// "目录被另一个程序锁定" when another program kept the file locked for the
// whole wait, and the caller goes on, as with every write of the program.
void WriteProfileValue(QWidget* parent, const std::filesystem::path& file, const QString& section, const QString& key,
                       const QString& value);

// Writes several values of one section together: all are stored, or none
// and the user is told, as above, which key could not be written. True on
// success.
bool writeValuesOrSayWhy(QWidget* parent, const std::filesystem::path& file, const QString& section,
                         const QList<std::pair<QString, QString>>& values);

}  // namespace ui
