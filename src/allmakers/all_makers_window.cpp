#include "allmakers/all_makers_window.h"

#include "allmakers/ranked_model.h"
#include "allmakers/sheet_dialog.h"
#include "results/results_window.h"
#include "storage/numbers.h"
#include "ui/catalogue_selection.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/user_settings.h"

#include <QBoxLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <algorithm>

namespace ui {

namespace ranking = pumpsel::ranking;

namespace {

namespace duty = pumpsel::duty;

const QString kUnitSetting = QStringLiteral("AllMakers/flowUnit");
const QColor kRejectedBase(255, 205, 205);
constexpr int kMeasuredRows = 100;
constexpr int kWidestRemark = 4500;  // twips

const QString kPdfFilter = QStringLiteral("所选水泵的计算书 (*.pdf)");

bool isPdfName(const QString& path) { return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive); }

// A name typed without its ending under the PDF filter is a PDF's.
QString defaultAsk(QWidget* parent, const QString& suggested) {
    QString filter;
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("导出"), suggested,
                                                QStringLiteral("CSV 文件和 PNG 图片 (*.csv);;") + kPdfFilter, &filter);
    if (!path.isEmpty() && filter == kPdfFilter && !isPdfName(path)) path += QStringLiteral(".pdf");
    return path;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

QSettings userSettings() { return QSettings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication); }

QString unitName(duty::FlowUnit unit) { return QString::fromUtf8(duty::unitText(unit)); }

duty::FlowUnit rememberedUnit() {
    const QString name = userSettings().value(kUnitSetting).toString();
    return name == unitName(duty::FlowUnit::LitresPerSecond) ? duty::FlowUnit::LitresPerSecond
                                                             : duty::FlowUnit::CubicMetresPerHour;
}

// A flow of m³/h in `unit`, to two decimals at most: "27.78", "100".
QString flowText(double cubicMetresPerHour, duty::FlowUnit unit) {
    QString text = QString::number(duty::inUnit(cubicMetresPerHour, unit), 'f', 2);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

QLabel* inputLabel(const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

AllMakersWindow::AllMakersWindow(CatalogueSelection& selection, ranking::Terms terms, QWidget* owner)
    : Window(owner, QStringLiteral("allmakers"), QStringLiteral("全部厂家选型")),
      askExportFile(defaultAsk),
      selection_(selection),
      terms_(std::move(terms)) {
    terms_.selection.unit = rememberedUnit();
    createControls();
    orderTabs();
    loadChrome();
    table->setFocus();
}

// Inputs above, the table and the chart sharing the room between them, the
// commands below.
void AllMakersWindow::createControls() {
    auto* frame = ui::makeFrame(this, QStringLiteral("Frame1"), QStringLiteral(" 工况点"), 0, 0, 0, 0);
    auto* inside = new QVBoxLayout(frame);
    const int captionHeight = frame->fontMetrics().height();
    inside->setContentsMargins(ui::px(120), captionHeight, ui::px(120), ui::px(90));
    inside->addWidget(createSelectionInputs());
    splitter = new QSplitter(Qt::Vertical, frame);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(createTable());
    chart = new PumpChart(splitter);
    chart->setObjectName(QStringLiteral("chart"));
    chart->setMinimumHeight(ui::px(2400));
    splitter->addWidget(chart);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    inside->addWidget(splitter, 1);

    addChrome({.clientWidth = 16500,
               .clientHeight = 11400,
               .banner = {0, 0, 3252, 228},
               .closeName = QStringLiteral("closeButton"),
               .closeButton = {0, 0, 960, 330},
               .resizable = true});
    closeButton = chromeCloseButton();
    banner = chromeBanner();
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(ui::px(78), ui::px(78), ui::px(96), ui::px(90));
    whole->addWidget(frame, 1);
    whole->addWidget(separator);
    whole->addLayout(createCommandRow());

    connect(toleranceBox, &QSpinBox::valueChanged, this, &AllMakersWindow::toleranceChanged);
    connect(staticHeadBox, &QLineEdit::textChanged, this, &AllMakersWindow::selectionChanged);
    connect(pumpsBox, &QSpinBox::valueChanged, this, &AllMakersWindow::selectionChanged);
    connect(arrangementBox, &QComboBox::currentIndexChanged, this, &AllMakersWindow::selectionChanged);
    connect(speedBox, &QCheckBox::toggled, this, &AllMakersWindow::selectionChanged);
    connect(unitBox, &QComboBox::currentIndexChanged, this, &AllMakersWindow::selectionChanged);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &AllMakersWindow::rowChanged);
    connect(sorted_, &QAbstractItemModel::layoutChanged, this, &AllMakersWindow::drawChart);
    connect(table, &QTableView::doubleClicked, this, &AllMakersWindow::openSelectedPump);
    connect(chart, &PumpChart::pumpClicked, this, &AllMakersWindow::lineClicked);
    connect(sheetButton, &QPushButton::clicked, this, &AllMakersWindow::sheetClicked);
    connect(exportButton, &QPushButton::clicked, this, &AllMakersWindow::exportClicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

// Two rows: the duty point and the tolerance; the system curve, the pumps,
// the speed and the unit.
QWidget* AllMakersWindow::createSelectionInputs() {
    auto* inputs = new QWidget;
    auto* rows = new QVBoxLayout(inputs);
    rows->setContentsMargins(0, 0, 0, 0);
    auto* dutyRow = new QHBoxLayout;
    dutyLine = new QLineEdit(fromUtf8(terms_.kind + "，" + terms_.duty.text()));
    dutyLine->setObjectName(QStringLiteral("dutyLine"));
    dutyLine->setReadOnly(true);
    toleranceBox = new QSpinBox;
    toleranceBox->setObjectName(QStringLiteral("toleranceBox"));
    toleranceBox->setRange(0, pumpsel::ranking::kMaxTolerance);
    toleranceBox->setValue(static_cast<int>(terms_.tolerance));
    toleranceBox->setToolTip(
        QStringLiteral("流量和扬程与工况点相差不超过此百分比的水泵，以灰色列在符合条件的水泵之后"));
    dutyRow->addWidget(dutyLine, 1);
    dutyRow->addWidget(inputLabel(QStringLiteral("近似容差(%):"), toleranceBox));
    dutyRow->addWidget(toleranceBox);

    auto* selectionRow = new QHBoxLayout;
    staticHeadBox = new QLineEdit;
    staticHeadBox->setObjectName(QStringLiteral("staticHeadBox"));
    staticHeadBox->setFixedWidth(ui::px(1200));
    staticHeadBox->setToolTip(staticHeadTip());
    pumpsBox = new QSpinBox;
    pumpsBox->setObjectName(QStringLiteral("pumpsBox"));
    pumpsBox->setRange(1, pumpsel::hydraulics::kMaxPumps);
    pumpsBox->setToolTip(QStringLiteral("一起工作的相同水泵的台数（1～%1）").arg(pumpsel::hydraulics::kMaxPumps));
    arrangementBox = new QComboBox;
    arrangementBox->setObjectName(QStringLiteral("arrangementBox"));
    arrangementBox->addItems({QStringLiteral("并联"), QStringLiteral("串联")});
    arrangementBox->setToolTip(QStringLiteral("并联：各泵扬程相同，流量相加；串联：各泵流量相同，扬程相加"));
    speedBox = new QCheckBox(QStringLiteral("变频"));
    speedBox->setObjectName(QStringLiteral("speedBox"));
    speedBox->setToolTip(QStringLiteral("变频调速：求水泵恰好通过工况点的转速（额定转速的 50%～100%）"));
    unitBox = new QComboBox;
    unitBox->setObjectName(QStringLiteral("unitBox"));
    for (duty::FlowUnit unit : {duty::FlowUnit::CubicMetresPerHour, duty::FlowUnit::LitresPerSecond})
        unitBox->addItem(unitName(unit), static_cast<int>(unit));
    unitBox->setCurrentIndex(unitBox->findData(static_cast<int>(terms_.selection.unit)));
    unitBox->setToolTip(QStringLiteral("图和表中流量的单位（1 L/s = 3.6 m³/h）；下次打开时沿用"));
    selectionRow->addWidget(inputLabel(QStringLiteral("静扬程 Hs(m):"), staticHeadBox));
    selectionRow->addWidget(staticHeadBox);
    selectionRow->addSpacing(ui::px(180));
    selectionRow->addWidget(inputLabel(QStringLiteral("台数:"), pumpsBox));
    selectionRow->addWidget(pumpsBox);
    selectionRow->addWidget(arrangementBox);
    selectionRow->addSpacing(ui::px(180));
    selectionRow->addWidget(speedBox);
    selectionRow->addSpacing(ui::px(180));
    selectionRow->addWidget(inputLabel(QStringLiteral("流量单位:"), unitBox));
    selectionRow->addWidget(unitBox);
    selectionRow->addStretch(1);
    rows->addLayout(dutyRow);
    rows->addLayout(selectionRow);
    return inputs;
}

// The table with the makers whose files gave nothing named under it.
QWidget* AllMakersWindow::createTable() {
    auto* holder = new QWidget;
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(0, 0, 0, 0);
    model_ = new RankedModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(RankedModel::kSortRole);
    table = new QTableView;
    table->setObjectName(QStringLiteral("table"));
    table->setModel(sorted_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSortingEnabled(true);
    table->sortByColumn(-1, Qt::AscendingOrder);  // the rank order until a header is clicked
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(ui::px(270));
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumHeight(ui::px(1500));
    // Columns fit the rows in view and some below them: measuring thousands of rows would slow every re-rank.
    table->horizontalHeader()->setResizeContentsPrecision(kMeasuredRows);
    table->installEventFilter(this);
    statusLine = new QLabel;
    statusLine->setObjectName(QStringLiteral("statusLine"));
    column->addWidget(table, 1);
    column->addWidget(statusLine);
    return holder;
}

// The banner on the left, the commands on the right.
QHBoxLayout* AllMakersWindow::createCommandRow() {
    sheetButton = new QPushButton(QStringLiteral("计算书…"));
    sheetButton->setObjectName(QStringLiteral("sheetButton"));
    sheetButton->setToolTip(QStringLiteral("所选水泵的水泵选型计算书：填写工程信息后打印预览，可打印或存为 PDF"));
    sheetButton->setEnabled(false);
    exportButton = new QPushButton(QStringLiteral("导出"));
    exportButton->setObjectName(QStringLiteral("exportButton"));
    exportButton->setToolTip(
        QStringLiteral("把表格存为 CSV 文件，图存为同名的 PNG 图片；或把所选水泵的计算书存为 PDF 文件"));
    auto* row = new QHBoxLayout;
    row->addWidget(banner);
    row->addStretch(1);
    for (QPushButton* button : {sheetButton, exportButton, closeButton}) {
        button->setAutoDefault(false);
        button->setFixedSize(ui::px(960), ui::px(330));
        row->addWidget(button);
    }
    return row;
}

void AllMakersWindow::orderTabs() {
    setFocusOrder({table, staticHeadBox, pumpsBox, arrangementBox, speedBox, unitBox, toleranceBox, sheetButton,
                   exportButton, closeButton, banner});
}

bool AllMakersWindow::search() {
    terms_.tolerance = toleranceBox->value();
    const ranking::Terms ranked = rankingTerms();
    QProgressDialog progress(QStringLiteral("请稍等，正在检索全部厂家的数据...."), QStringLiteral("取消"), 0, 1,
                             isVisible() ? this : parentWidget());
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);  // a scan that ends sooner shows nothing
    auto listing = ranking::searchKind(selection_.catalogue(), ranked.kind, ranked.duty, ranked.tolerance,
                                       ranked.selection, [&](int done, int total) {
                                           progress.setMaximum(total);
                                           progress.setValue(done);
                                           return !progress.wasCanceled();
                                       });
    if (listing.cancelled) return false;
    showListing(std::move(listing));
    return true;
}

void AllMakersWindow::showListing(ranking::KindListing listing) {
    showUnreadMakers(listing.unread);
    showPumps(std::move(listing.pumps), selectedPump());
}

// The pumps ranked again for a selection that lists them alike, without a scan.
void AllMakersWindow::rerank() {
    const PumpKey selected = selectedPump();
    const ranking::Terms ranked = rankingTerms();
    std::vector<ranking::RankedPump> pumps = model_->takePumps();
    ranking::rerank(pumps, ranked.duty, ranked.selection);
    showPumps(std::move(pumps), selected);
}

// The pump selected before stays selected when it is still listed.
void AllMakersWindow::showPumps(std::vector<ranking::RankedPump> pumps, PumpKey selected) {
    model_->setPumps(std::move(pumps), terms_.selection);
    sizeColumns();
    drawChart();
    int found = 0;
    for (int row = 0; row < shownRows(); ++row)
        if (keyOf(shownPump(row)) == selected) found = row;
    if (shownRows() > 0) table->selectRow(found);
    sheetButton->setEnabled(selectedRow() >= 0);
}

AllMakersWindow::PumpKey AllMakersWindow::keyOf(const ranking::RankedPump& pump) {
    return {pump.makerPosition, pump.row.number};
}

AllMakersWindow::PumpKey AllMakersWindow::selectedPump() const {
    const int row = selectedRow();
    return row >= 0 ? keyOf(shownPump(row)) : PumpKey{};
}

// The ranking takes the duty flow in the selection's unit; the window's
// duty point is typed in m³/h, and given in L/s as the double nearest.
ranking::Terms AllMakersWindow::rankingTerms() const {
    ranking::Terms ranked = terms_;
    if (terms_.selection.unit != duty::FlowUnit::CubicMetresPerHour)
        ranked.duty = *duty::DutyPoint::holdable(
            pumpsel::numbers::roundTripText(duty::inUnit(terms_.duty.flow(), terms_.selection.unit)),
            terms_.duty.headText());
    return ranked;
}

// Each column as wide as its texts, the remark (the last, filling the rest)
// no wider than kWidestRemark: its tooltip shows it whole.
void AllMakersWindow::sizeColumns() {
    table->resizeColumnsToContents();
    const int remark = model_->columnOf(ranking::Column::Remark);
    table->setColumnWidth(remark, std::min(table->columnWidth(remark), ui::px(kWidestRemark)));
}

QString AllMakersWindow::staticHeadTip() {
    return QStringLiteral(
        "静扬程 Hs（米）：系统曲线 H = Hs + (H₀ − Hs)(Q/Q₀)² 通过工况点 (Q₀, H₀)，"
        "水泵在它与系统曲线的交点运行；须 0 ≤ Hs < H₀。留空则没有系统曲线，按工况流量计算。");
}

// The selection as typed; nothing when the static head is not one the duty point allows.
std::optional<duty::Selection> AllMakersWindow::typedSelection() {
    duty::Selection typed;
    typed.group = {pumpsBox->value(), arrangementBox->currentIndex() == 1};
    typed.speed = speedBox->isChecked();
    typed.unit = static_cast<duty::FlowUnit>(unitBox->currentData().toInt());
    const std::string text = staticHeadBox->text().toStdString();
    const std::string_view staticHead = duty::trimmedEntry(text);
    if (!staticHead.empty()) {
        if (!duty::isHoldable(staticHead)) {
            showStaticHeadProblem(QStringLiteral("静扬程不是数字。"));
            return std::nullopt;
        }
        typed.staticHead = pumpsel::numbers::leadingNumber(staticHead);
    }
    if (duty::problemOf(typed, terms_.duty.head()) == duty::SelectionProblem::StaticHead) {
        showStaticHeadProblem(QStringLiteral("静扬程须不小于 0 且小于工况点的扬程 %1 米。")
                                  .arg(fromUtf8(std::string(duty::trimmedEntry(terms_.duty.headText())))));
        return std::nullopt;
    }
    showStaticHeadProblem(QString());
    return typed;
}

// A rejected static head shows in its box, with the reason where its tip was.
void AllMakersWindow::showStaticHeadProblem(const QString& problem) {
    QPalette palette;  // nothing set: the box looks as its window does
    if (!problem.isEmpty()) palette.setColor(QPalette::Base, kRejectedBase);
    staticHeadBox->setPalette(palette);
    staticHeadBox->setToolTip(problem.isEmpty() ? staticHeadTip() : problem + QLatin1Char('\n') + staticHeadTip());
}

void AllMakersWindow::selectionChanged() {
    const std::optional<duty::Selection> typed = typedSelection();
    if (!typed) return;
    const bool alike = ranking::listsAlike(terms_.selection, *typed);
    terms_.selection = *typed;
    userSettings().setValue(kUnitSetting, unitName(terms_.selection.unit));
    if (alike)
        rerank();
    else
        search();
}

QString AllMakersWindow::chartTitle() const {
    const duty::Selection& s = terms_.selection;
    const QString system = s.staticHead ? QStringLiteral("静扬程 Hs = %1 m").arg(staticHeadBox->text().trimmed())
                                        : QStringLiteral("无系统曲线");
    return QStringLiteral("%1　工况点 Q = %2 %3，H = %4 m　%5　%6 台%7　%8")
        .arg(fromUtf8(terms_.kind), flowText(terms_.duty.flow(), s.unit), unitName(s.unit),
             fromUtf8(std::string(duty::trimmedEntry(terms_.duty.headText()))), system, QString::number(s.group.pumps),
             s.group.series ? QStringLiteral("串联") : QStringLiteral("并联"),
             s.speed ? QStringLiteral("变频") : QStringLiteral("工频"));
}

// Makers are never dropped silently: those whose files gave nothing are named.
void AllMakersWindow::showUnreadMakers(const std::vector<ranking::UnreadMaker>& unread) {
    QStringList named;
    for (const auto& maker : unread)
        named << fromUtf8(maker.maker) + QStringLiteral("（") + fromUtf8(maker.fileName) + QStringLiteral("，") +
                     fromUtf8(ranking::problemText(maker.problem)) + QStringLiteral("）");
    statusLine->setText(unread.empty() ? QString()
                                       : QStringLiteral("%1 个厂家的数据文件无法读取: ").arg(unread.size()) +
                                             named.join(QStringLiteral("，")));
    statusLine->setToolTip(statusLine->text());
}

int AllMakersWindow::shownRows() const { return sorted_->rowCount(); }

const ranking::RankedPump& AllMakersWindow::shownPump(int row) const {
    return model_->pump(sorted_->mapToSource(sorted_->index(row, 0)).row());
}

std::vector<const ranking::RankedPump*> AllMakersWindow::shownPumps() const {
    std::vector<const ranking::RankedPump*> pumps;
    for (int row = 0; row < shownRows(); ++row) pumps.push_back(&shownPump(row));
    return pumps;
}

int AllMakersWindow::selectedRow() const {
    const QModelIndex current = table->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// The first pumps shown, with the curves their figures come from.
std::vector<PumpChart::Pump> AllMakersWindow::chartPumps() const {
    std::vector<PumpChart::Pump> pumps;
    for (int row = 0; row < std::min(shownRows(), PumpChart::kMaxLines); ++row) {
        const ranking::RankedPump& shown = shownPump(row);
        pumps.push_back(
            {shown.pump, QString::fromStdString(shown.maker + " " + shown.row.model), shown.row.match->fits});
    }
    return pumps;
}

void AllMakersWindow::drawChart() {
    chart->setPumps(chartPumps(), shownRows(), {terms_.duty.flow(), terms_.duty.head(), terms_.selection});
    chart->highlight(selectedRow());
}

void AllMakersWindow::toleranceChanged() { search(); }

void AllMakersWindow::rowChanged() {
    chart->highlight(selectedRow());
    sheetButton->setEnabled(selectedRow() >= 0);
}

void AllMakersWindow::lineClicked(int index) { table->selectRow(index); }

// Enter opens the pump as a double-click does; the window has no default button.
bool AllMakersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openSelectedPump();
            return true;
        }
    }
    return ui::Window::eventFilter(watched, event);
}

// The row's maker becomes the selection window's maker, and the results
// window opens as the search of that maker opens it, on this pump. That
// search is for the duty point as typed: a near miss, or a pump that fits
// as one of a group, is not among its pumps, and the maker's whole list is shown.
void AllMakersWindow::openSelectedPump() {
    const int row = selectedRow();
    if (row < 0) return;
    const ranking::RankedPump pump = shownPump(row);
    selection_.selectMaker(pump.makerPosition);
    const bool fits = pump.row.match->fits && terms_.selection.group.pumps == 1;
    auto rows = pumpsel::records::listPumps(selection_.makerDataFile(),
                                            fits ? std::optional(terms_.duty.values()) : std::nullopt,
                                            pumpsel::records::RangeForm::OneDecimal);
    if (rows.empty()) {  // the file changed since the scan
        ui::showMessage(this, kNoPumpFits, kSorryTitle, ui::MessageStyle::Exclamation);
        return;
    }
    const QString maker = fromUtf8(pump.maker);
    ResultsWindow results(selection_, this);
    results.showPumps(fits ? fromUtf8(terms_.duty.searchHeaderLine(maker.toStdString())) : maker, std::move(rows),
                      pump.row.number);
}

// The sheet of the pump for the duty point and selection as ranked, with the
// next pumps of the ranking as alternatives.
std::optional<sheet::SheetContent> AllMakersWindow::selectedPumpSheet() {
    const int row = selectedRow();
    if (row < 0) return std::nullopt;
    const ranking::RankedPump& pump = shownPump(row);
    const ranking::Terms ranked = rankingTerms();
    return askForSheet(this, selection_.catalogue(), {terms_.kind, pump.makerPosition, pump.row.number},
                       {.flow = ranked.duty.flow(), .head = ranked.duty.head(), .selection = ranked.selection},
                       model_->pumps());
}

void AllMakersWindow::sheetClicked() {
    if (const auto content = selectedPumpSheet()) previewSheet(this, *content);
}

void AllMakersWindow::exportSheet(const QString& path) {
    if (selectedRow() < 0) {
        ui::showMessage(this, QStringLiteral("请先在表中选择一台水泵"), QStringLiteral("导出"),
                        ui::MessageStyle::Exclamation);
        return;
    }
    const auto content = selectedPumpSheet();
    if (content && saveSheetPdf(this, *content, path))
        ui::showMessage(this, QStringLiteral("已导出 %1").arg(QDir::toNativeSeparators(path)), QStringLiteral("导出"),
                        ui::MessageStyle::Plain);
}

// The table as shown (fits, near misses, in the shown order) as CSV, and the
// chart beside it as a PNG of the same name; or the selected pump's sheet.
void AllMakersWindow::exportClicked() {
    QString path = askExportFile(this, fromUtf8(terms_.kind) + QStringLiteral("-全部厂家选型.csv"));
    if (path.isEmpty()) return;
    if (isPdfName(path)) return exportSheet(path);
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
    const QString picture = path.left(path.size() - 4) + QStringLiteral(".png");
    const std::string csv = ranking::csvText(rankingTerms(), shownPumps());
    QByteArray png;
    {
        QBuffer buffer(&png);
        chart->picture(chartTitle()).save(&buffer, "PNG");
    }
    if (!writeFile(path, QByteArray::fromStdString(csv)) || !writeFile(picture, png)) {
        ui::showMessage(this, QStringLiteral("无法写入 %1").arg(QDir::toNativeSeparators(path)),
                        QStringLiteral("导出失败"), ui::MessageStyle::Critical);
        return;
    }
    ui::showMessage(
        this, QStringLiteral("已导出 %1 和 %2").arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(picture)),
        QStringLiteral("导出"), ui::MessageStyle::Plain);
}

}  // namespace ui
