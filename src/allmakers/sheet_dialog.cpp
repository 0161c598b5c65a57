#include "allmakers/sheet_dialog.h"

#include "catalogue/hydraulics.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/user_settings.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>

namespace ui {

namespace {

// The remembered values, in a group of the program's settings.
const QString kGroup = QStringLiteral("Sheet");
constexpr double kMostHoursPerYear = 366 * 24;
constexpr double kHighestPrice = 100;  // 元/kWh

// Why the chosen record gave no sheet.
QString buildProblemInWords(sheet::BuildProblem problem, const sheet::PumpChoice& choice) {
    switch (problem) {
        case sheet::BuildProblem::NoMaker:
            return QStringLiteral("%1 的厂家表中已没有第 %2 家厂家").arg(fromUtf8(choice.kind)).arg(choice.maker);
        case sheet::BuildProblem::FileUnreadable:
            return QStringLiteral("无法读取该厂家的数据文件");
        case sheet::BuildProblem::NoRecord:
        case sheet::BuildProblem::None:
            break;
    }
    return QStringLiteral("该厂家的数据文件中已没有第 %1 条记录").arg(choice.record);
}

QLineEdit* lineBox(QWidget* parent, const QString& name, const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

SheetDialog::SheetDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("水泵选型计算书"));
    QSettings settings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    settings.beginGroup(kGroup);
    const auto remembered = [&](const QString& key, const QString& otherwise = {}) {
        return settings.value(key, otherwise).toString();
    };
    projectBox = lineBox(this, QStringLiteral("projectBox"), remembered(QStringLiteral("project")));
    projectNumberBox = lineBox(this, QStringLiteral("projectNumberBox"), remembered(QStringLiteral("projectNumber")));
    systemBox = lineBox(this, QStringLiteral("systemBox"), remembered(QStringLiteral("system")));
    designerBox = lineBox(this, QStringLiteral("designerBox"), remembered(QStringLiteral("designer")));
    checkerBox = lineBox(this, QStringLiteral("checkerBox"), remembered(QStringLiteral("checker")));
    basisBox = lineBox(this, QStringLiteral("basisBox"),
                       remembered(QStringLiteral("basis"), QString::fromUtf8(sheet::kDefaultBasis)));
    dateBox = new QDateEdit(QDate::currentDate(), this);
    dateBox->setObjectName(QStringLiteral("dateBox"));
    dateBox->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dateBox->setCalendarPopup(true);
    standbyBox = new QSpinBox(this);
    standbyBox->setObjectName(QStringLiteral("standbyBox"));
    standbyBox->setRange(0, pumpsel::hydraulics::kMaxPumps);
    standbyBox->setValue(settings.value(QStringLiteral("standby"), sheet::kDefaultStandby).toInt());
    hoursBox = new QDoubleSpinBox(this);
    hoursBox->setObjectName(QStringLiteral("hoursBox"));
    hoursBox->setRange(1, kMostHoursPerYear);
    hoursBox->setDecimals(0);
    hoursBox->setSuffix(QStringLiteral(" h"));
    hoursBox->setValue(settings.value(QStringLiteral("hours"), sheet::kDefaultHoursPerYear).toDouble());
    priceBox = new QDoubleSpinBox(this);
    priceBox->setObjectName(QStringLiteral("priceBox"));
    priceBox->setRange(0, kHighestPrice);
    priceBox->setDecimals(2);
    priceBox->setSingleStep(0.05);
    priceBox->setSuffix(QStringLiteral(" 元/kWh"));
    priceBox->setValue(settings.value(QStringLiteral("price"), sheet::kDefaultPricePerKwh).toDouble());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &SheetDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SheetDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("工程名称:"), projectBox);
    form->addRow(QStringLiteral("工程编号:"), projectNumberBox);
    form->addRow(QStringLiteral("系统/机房:"), systemBox);
    form->addRow(QStringLiteral("设计:"), designerBox);
    form->addRow(QStringLiteral("校对:"), checkerBox);
    form->addRow(QStringLiteral("日期:"), dateBox);
    form->addRow(QStringLiteral("设计依据:"), basisBox);
    form->addRow(QStringLiteral("备用泵台数:"), standbyBox);
    form->addRow(QStringLiteral("年运行时间:"), hoursBox);
    form->addRow(QStringLiteral("电价:"), priceBox);
    form->addRow(buttons);
}

void SheetDialog::fill(sheet::Request& request) const {
    request.heading = {projectBox->text(), projectNumberBox->text(), systemBox->text(), designerBox->text(),
                       checkerBox->text(), dateBox->date(),          basisBox->text()};
    request.standby = standbyBox->value();
    request.hoursPerYear = hoursBox->value();
    request.pricePerKwh = priceBox->value();
}

void SheetDialog::accept() {
    QSettings settings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("project"), projectBox->text());
    settings.setValue(QStringLiteral("projectNumber"), projectNumberBox->text());
    settings.setValue(QStringLiteral("system"), systemBox->text());
    settings.setValue(QStringLiteral("designer"), designerBox->text());
    settings.setValue(QStringLiteral("checker"), checkerBox->text());
    settings.setValue(QStringLiteral("basis"), basisBox->text());
    settings.setValue(QStringLiteral("standby"), standbyBox->value());
    settings.setValue(QStringLiteral("hours"), hoursBox->value());
    settings.setValue(QStringLiteral("price"), priceBox->value());
    QDialog::accept();
}

std::optional<sheet::SheetContent> askForSheet(QWidget* parent, const pumpsel::catalogue::Catalogue& catalogue,
                                               const sheet::PumpChoice& choice, sheet::Request request,
                                               const std::vector<pumpsel::ranking::RankedPump>& ranked) {
    SheetDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    dialog.fill(request);
    sheet::Built built = sheet::buildSheet(catalogue, choice, request, ranked);
    if (!built.content)
        showMessage(parent, buildProblemInWords(built.problem, choice), QStringLiteral("水泵选型计算书"),
                    MessageStyle::Exclamation);
    return std::move(built.content);
}

void previewSheet(QWidget* parent, const sheet::SheetContent& content) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheet::sheetPageLayout());
    printer.setDocName(QStringLiteral("水泵选型计算书"));
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("水泵选型计算书 - 打印预览"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&content](QPrinter* device) { sheet::printSheet(*device, content); });
    preview.exec();
}

bool saveSheetPdf(QWidget* parent, const sheet::SheetContent& content, const QString& file) {
    const pumpsel::Outcome written = sheet::writeSheetPdf(content, pathOf(file));
    if (written) return true;
    showMessage(parent, QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(file), failureInWords(written)),
                QStringLiteral("导出失败"), MessageStyle::Critical);
    return false;
}

}  // namespace ui
