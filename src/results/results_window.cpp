#include "results/results_window.h"

#include "catalogue/record_scan.h"
#include "storage/profile.h"
#include "ui/catalogue_selection.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "ui/scan_progress.h"
#include "ui/text.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <QDir>
#include <QPlainTextEdit>

namespace ui {

namespace {

void greyBackground(QWidget* box) {
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, QColor(192, 192, 192));
    box->setPalette(pal);
}

}  // namespace

ResultsWindow::ResultsWindow(const CatalogueSelection& selection, QWidget* owner)
    : Window(owner, QStringLiteral("se"), QStringLiteral("水泵型号")), selection_(selection) {
    createControls();
    orderTabs();
    Form_Load();
}

void ResultsWindow::createControls() {
    Frame1 = ui::makeFrame(this, QStringLiteral("Frame1"), QStringLiteral(" 产品参数"), 78, 156, 9216, 4380);
    Label1 = ui::makeLabel(Frame1, QStringLiteral("Label1"), QStringLiteral("请稍等，正在检索数据...."), 5205, 2115,
                           2160, 180);
    Label1->adjustSize();
    Text1 = ui::makeTextBox(Frame1, QStringLiteral("Text1"), QString(), 2868, 285, 6240, 270);
    Text1->setReadOnly(true);
    greyBackground(Text1);
    ListView1 = new ui::ListView(Frame1, QStringLiteral("ListView1"));
    ui::place(ListView1, 2868, 588, 6240, 2520);
    ListView1->setColumns({{QStringLiteral("水泵型号"), 2000},
                           {QStringLiteral("流量(m3/h)"), 1500},
                           {QStringLiteral("扬程(m)"), 1500},
                           {QStringLiteral("功率(kw)"), 900},
                           {QStringLiteral("序号"), 800}});
    Text2 = ui::makeMemo(Frame1, QStringLiteral("Text2"), 2868, 3132, 6240, 1116);
    Text2->setReadOnly(true);
    greyBackground(Text2);
    Frame2 = ui::makeFrame(Frame1, QStringLiteral("Frame2"), QString(), 120, 180, 2715, 4065);
    Image1 = new ui::PictureBox(Frame2, QStringLiteral("Image1"));
    ui::place(Image1, 90, 210, 2535, 3735);
    Command1 = ui::makeButton(this, QStringLiteral("Command1"), QStringLiteral("输出"), 4200, 4980, 960, 330);
    Command7 = ui::makeButton(this, QStringLiteral("Command7"), QStringLiteral("浏览"), 5490, 4980, 960, 330);
    Command2 = ui::makeButton(this, QStringLiteral("Command2"), QStringLiteral("帮助"), 6792, 4980, 960, 330);
    Command1->setDefault(true);
    addChrome({.clientWidth = 9372,
               .clientHeight = 5412,
               .banner = {210, 5000, 3252, 228},
               .bannerTop = 5000,
               .closeName = QStringLiteral("Command3"),
               .closeButton = {8100, 4980, 960, 330},
               .separatorTop = 4668});
    Command3 = chromeCloseButton();
    Hyperlink1 = chromeBanner();
    Label2 = ui::makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Label2"), 210, 5000, 540, 180);

    connect(Command1, &QPushButton::clicked, this, &ResultsWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ResultsWindow::Command2_Click);
    connect(Command7, &QPushButton::clicked, this, &ResultsWindow::Command7_Click);
    connect(Image1, &ui::PictureBox::clicked, this, &ResultsWindow::Image1_Click);
    connect(Command3, &QPushButton::clicked, this, &ResultsWindow::Command3_Click);
    connect(ListView1, &ui::ListView::itemClick, this, &ResultsWindow::ListView1_ItemClick);
}

void ResultsWindow::orderTabs() {
    setFocusOrder({Command3, Hyperlink1, ListView1, Text1, Command2, Command1, Command7, Text2});
}

void ResultsWindow::Form_Load() {
    loadChrome();
    placeProgressLabel(Label2);
}

void ResultsWindow::Command3_Click() { close(); }

void ResultsWindow::showEvent(QShowEvent* event) {
    Window::showEvent(event);
    Command3->setFocus();
}

void ResultsWindow::setHeaderLine(const QString& text) { Text1->setText(text); }

void ResultsWindow::showPumps(const QString& headerLine, std::vector<pumpsel::records::PumpRow> rows, int select) {
    setHeaderLine(headerLine);
    listRows(std::move(rows), select);
    if (select > 0) ListView1->scrollToRow(ListView1->selectedPosition());
    Image1->load(selection_.makerPicture());
    refreshRemark();
    exec();
}

// Only this window knows its columns: model, flow, head, power, number.
void ResultsWindow::listRows(std::vector<pumpsel::records::PumpRow> rows, int keep) {
    constexpr int kColumns = 5;
    rows_ = std::move(rows);
    std::vector<std::string> cells;
    cells.reserve(kColumns * rows_.size());
    int kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const auto& row = rows_[i];
        if (row.number == keep) kept = static_cast<int>(i) + 1;
        cells.insert(cells.end(), {row.model, row.flowRange, row.headRange, row.power, std::to_string(row.number)});
    }
    ListView1->removeAllRows();
    ListView1->addRows(std::move(cells));
    if (kept > 0) ListView1->selectRow(kept);
}

const pumpsel::records::PumpRow* ResultsWindow::selectedPump() const {
    const int position = ListView1->selectedPosition();
    return position > 0 && position <= static_cast<int>(rows_.size()) ? &rows_[position - 1] : nullptr;
}

int ResultsWindow::selectedNumber() const {
    const auto* pump = selectedPump();
    return pump ? pump->number : 0;
}

void ResultsWindow::refreshRemark() {
    if (ListView1->selectedPosition() == 0) {  // the file lost its records meanwhile
        Text2->clear();
        return;
    }
    Text2->setPlainText(ui::fromUtf8(pumpsel::ini::ReadProfileValue(
        selection_.makerDataFile(), std::to_string(selectedNumber()), pumpsel::catalogue::kRemarkKey)));
}

void ResultsWindow::ListView1_ItemClick() { refreshRemark(); }

// Lists every record of the maker again, ranges as stored, and selects the
// pump that was selected before.
void ResultsWindow::Command7_Click() {
    const int remembered = selectedNumber();
    {
        ui::ScanProgress progress(Label2, Hyperlink1);
        const auto dataFile = selection_.makerDataFile();
        listRows({});
        ListView1->hide();
        Text2->hide();
        listRows(pumpsel::records::listPumps(dataFile, std::nullopt, pumpsel::records::RangeForm::AsStored,
                                             [&](int) { progress.advance(); }),
                 remembered);
    }
    ListView1->show();
    Text2->show();
    if (ListView1->selectedPosition() > 0) ListView1->scrollToRow(ListView1->selectedPosition());
    refreshRemark();
}

void ResultsWindow::Image1_Click() {
    const auto picture = selection_.makerPicture();
    Image1->load(picture);
    ShowPicture(this, picture);
}

void ResultsWindow::Command2_Click() {
    ShowTextFile(this, QStringLiteral("水泵选型"), selection_.catalogue().helpText());
}

// Writes the selected pump to the report and opens it. A report that cannot
// be written is said so, and the old one is not opened in its place.
void ResultsWindow::Command1_Click() {
    const auto* selected = selectedPump();
    if (!selected) return;
    const ReportedPump pump{Text1->text(),
                            fromUtf8(selected->model),
                            fromUtf8(selected->flowRange),
                            fromUtf8(selected->headRange),
                            fromUtf8(selected->power),
                            Text2->toPlainText()};
    const auto file = selection_.catalogue().reportPath();
    const QString path = nativePath(file);
    const auto written = writeReport(file, reportText(QDateTime::currentDateTime(), pump));
    if (!written) {
        ui::showMessage(
            this,
            QStringLiteral("无法写入结果文件 %1：%2").arg(path, failureInWords(written, QStringLiteral("程序文件夹"))),
            QStringLiteral("输出失败"), ui::MessageStyle::Critical);
        return;
    }
    if (!openEditor(file))
        ui::showMessage(this, QStringLiteral("结果已写入 %1，但无法启动文本编辑器打开它。").arg(path),
                        QStringLiteral("输出"), ui::MessageStyle::Critical);
}

}  // namespace ui
