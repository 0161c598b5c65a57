#pragma once
// Module ini, as the windows use it: a write that tells the user when it fails.
#include <QList>
#include <QString>
#include <filesystem>
#include <utility>

class QWidget;

namespace ini {

// Writes the value; when the write fails the user sees
// "写数据错误，非法条目 -> section/key" (title "读取时出错"), or
// "目录被另一个程序锁定" when another program kept the file locked for the
// whole wait, and the caller goes on, as with every write of the program.
void WriteProfileValue(QWidget* parent, const std::filesystem::path& file, const QString& section, const QString& key,
                       const QString& value);

// Writes several values of one section together: all are stored, or none
// and the user is told which key could not be written. True on success.
bool WriteProfileValues(QWidget* parent, const std::filesystem::path& file, const QString& section,
                        const QList<std::pair<QString, QString>>& values);

}  // namespace ini
