// The sheet as a PDF file, written as the catalogue's files are: complete
// or not at all.
#include "sheet/sheet.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

namespace ui::sheet {

namespace {

constexpr int kResolution = 600;  // dpi: lines and the chart's curves stay sharp

pumpsel::Outcome failed(const QSaveFile& file, const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::error_code error;
    pumpsel::Failure failure = pumpsel::Failure::System;
    if (!std::filesystem::is_directory(folder, error))
        failure = pumpsel::Failure::Missing;
    else if (std::filesystem::is_directory(path, error))
        failure = pumpsel::Failure::NotAFile;
    else if (file.error() == QFileDevice::PermissionsError)
        failure = pumpsel::Failure::ReadOnly;
    return pumpsel::Outcome::failed(file.errorString().toStdString(), failure);
}

}  // namespace

// A wider left margin, for binding.
QPageLayout sheetPageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 12, 15, 12),
                       QPageLayout::Millimeter);
}

pumpsel::Outcome writeSheetPdf(const SheetContent& content, const std::filesystem::path& path) {
    QSaveFile file(QString::fromStdU16String(path.u16string()));
    if (!file.open(QIODevice::WriteOnly)) return failed(file, path);
    {
        QPdfWriter writer(&file);
        writer.setResolution(kResolution);
        writer.setPageLayout(sheetPageLayout());
        writer.setTitle(QStringLiteral("水泵选型计算书 %1 %2").arg(content.pump.maker, content.pump.model));
        writer.setCreator(QStringLiteral("水泵选型"));
        printSheet(writer, content);
    }
    if (!file.commit()) return failed(file, path);
    return pumpsel::Outcome::done();
}

}  // namespace ui::sheet
