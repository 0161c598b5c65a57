// The sheet as a PDF file, written as the catalogue's files are: complete
// or not at all.
#include "sheet/sheet.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

namespace ui::sheet {

namespace {

constexpr int kResolution = 600;  // dpi: lines and the chart's curves stay sharp
const QMarginsF kMarginsMm(18, 12, 15, 12);

pumpsel::Outcome failed(const QSaveFile& file, const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::error_code error;
    const bool folderExists = std::filesystem::is_directory(folder, error);
    const pumpsel::Failure failure = !folderExists                                   ? pumpsel::Failure::Missing
                                     : file.error() == QFileDevice::PermissionsError ? pumpsel::Failure::ReadOnly
                                                                                     : pumpsel::Failure::System;
    return pumpsel::Outcome::failed(file.errorString().toStdString(), failure);
}

}  // namespace

pumpsel::Outcome writeSheetPdf(const SheetContent& content, const std::filesystem::path& path) {
    QSaveFile file(QString::fromStdU16String(path.u16string()));
    if (!file.open(QIODevice::WriteOnly)) return failed(file, path);
    {
        QPdfWriter writer(&file);
        writer.setResolution(kResolution);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMarginsMm, QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("水泵选型计算书 %1 %2").arg(content.pump.maker, content.pump.model));
        writer.setCreator(QStringLiteral("水泵选型"));
        printSheet(writer, content);
    }
    if (!file.commit()) return failed(file, path);
    return pumpsel::Outcome::done();
}

}  // namespace ui::sheet
