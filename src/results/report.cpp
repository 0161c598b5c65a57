#include "results/report.h"

#include "storage/file_ops.h"
#include "storage/gbk.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ui {

QString generalDateTime(const QDateTime& moment, const QLocale& locale) {
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    const QTime time = moment.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0) return date;
    // The long time without the time zone that some locales add to it.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*"))).remove(QStringLiteral("()"));
    return date + QLatin1Char(' ') + locale.toString(time, format.trimmed());
}

QString reportText(const QDateTime& moment, const ReportedPump& pump) {
    const QString crlf = QStringLiteral("\r\n");
    return generalDateTime(moment) + crlf + crlf + QStringLiteral("厂家: ") + pump.header + crlf +
           QStringLiteral("型号: ") + pump.model + crlf + QStringLiteral("流量: ") + pump.flowRange +
           QStringLiteral("立方米/时") + crlf + QStringLiteral("扬程: ") + pump.headRange + QStringLiteral("米") +
           crlf + QStringLiteral("功率: ") + pump.power + QStringLiteral("千瓦") + crlf + QStringLiteral("备注: ") +
           pump.remark;
}

pumpsel::Outcome writeReport(const std::filesystem::path& file, const QString& text) {
    std::string bad;
    const auto bytes = pumpsel::gbk::fromUtf8(text.toStdString(), &bad);
    if (!bytes) return pumpsel::Outcome::failed(bad, pumpsel::Failure::NotEncodable);
    return pumpsel::files::writeFile(file, *bytes);
}

bool openInTextEditor(const std::filesystem::path& file) {
    const QString path = QDir::toNativeSeparators(QString::fromStdU16String(file.u16string()));
#ifdef _WIN32
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const QString notepad =
            QString::fromWCharArray(folder, static_cast<int>(length)) + QStringLiteral("\\NOTEPAD.EXE");
        // The path is one argument, blanks and all.
        if (QProcess::startDetached(notepad, {path})) return true;
    }
#endif
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace ui
