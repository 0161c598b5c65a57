#pragma once
// The result report: the selected pump written to a short text file that
// opens in the system text editor.
#include "storage/outcome.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <filesystem>
#include <functional>

namespace ui {

struct ReportedPump {
    QString header;  // the results window's header line: maker (and duty point)
    QString model, flowRange, headRange, power, remark;
};

// The system's general date format: short date, a blank, long time; the
// date alone at exactly midnight.
QString generalDateTime(const QDateTime& moment, const QLocale& locale = QLocale::system());

// The eight lines of the report, CR LF between them and none after the last.
QString reportText(const QDateTime& moment, const ReportedPump& pump);

// Replaces the report file in one step (GBK), as the catalogue's files are
// replaced; a failure when it cannot, leaving any earlier report as it was
// (NotEncodable with the character GBK cannot hold). A link in the report's
// place is followed only inside its folder.
pumpsel::Outcome writeReport(const std::filesystem::path& file, const QString& text);

// Opens a file in the system text editor without waiting: NOTEPAD.EXE from
// the Windows folder on Windows, the desktop's application for text files
// elsewhere. False when no editor could be started.
bool openInTextEditor(const std::filesystem::path& file);

using EditorLauncher = std::function<bool(const std::filesystem::path&)>;

}  // namespace ui
