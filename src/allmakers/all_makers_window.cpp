#include "allmakers/all_makers_window.h"

#include "allmakers/pump_chart.h"
#include "allmakers/ranked_model.h"
#include "results/results_window.h"
#include "ui/catalogue_selection.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/message_box.h"
#include "ui/text.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>

namespace ui {

namespace ranking = pumpsel::ranking;

namespace {

QString defaultAsk(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出"), suggested, QStringLiteral("CSV 文件 (*.csv)"));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

}  // namespace

AllMakersWindow::AllMakersWindow(CatalogueSelection& selection, ranking::Terms terms, QWidget* owner)
    : Window(owner, QStringLiteral("allmakers"), QStringLiteral("全部厂家选型")),
      askExportFile(defaultAsk),
      selection_(selection),
      terms_(std::move(terms)) {
    createControls();
    orderTabs();
    loadChrome();
}

void AllMakersWindow::createControls() {
    auto* frame = ui::makeFrame(this, QStringLiteral("Frame1"), QStringLiteral(" 工况点"), 78, 156, 13344, 8100);
    dutyLine = ui::makeTextBox(frame, QStringLiteral("dutyLine"), fromUtf8(terms_.kind + "，" + terms_.duty.text()),
                               120, 285, 9000, 270);
    dutyLine->setReadOnly(true);
    ui::makeLabel(frame, QStringLiteral("toleranceLabel"), QStringLiteral("近似容差(%):"), 9450, 330, 1200, 180);
    toleranceBox = new QSpinBox(frame);
    toleranceBox->setObjectName(QStringLiteral("toleranceBox"));
    toleranceBox->setRange(0, pumpsel::ranking::kMaxTolerance);
    toleranceBox->setValue(static_cast<int>(terms_.tolerance));
    toleranceBox->setToolTip(
        QStringLiteral("流量和扬程与工况点相差不超过此百分比的水泵，以灰色列在符合条件的水泵之后"));
    ui::place(toleranceBox, 10700, 270, 900, 300);

    model_ = new RankedModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(RankedModel::kSortRole);
    table = new QTableView(frame);
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
    ui::place(table, 120, 660, 13104, 3300);
    for (auto [column, twips] : {std::pair{0, 1700}, {1, 1700}, {2, 1500}, {3, 1500}, {4, 900}, {5, 1000}, {6, 1000}})
        table->setColumnWidth(column, ui::px(twips));
    table->installEventFilter(this);

    statusLine = ui::makeLabel(frame, QStringLiteral("statusLine"), QString(), 120, 4020, 13104, 240);
    chart = new PumpChart(frame);
    chart->setObjectName(QStringLiteral("chart"));
    ui::place(chart, 120, 4320, 13104, 3660);

    exportButton = ui::makeButton(this, QStringLiteral("exportButton"), QStringLiteral("导出"), 10980, 8560, 960, 330);
    addChrome({.clientWidth = 13500,
               .clientHeight = 9000,
               .banner = {210, 8600, 3252, 228},
               .bannerTop = 8600,
               .closeName = QStringLiteral("closeButton"),
               .closeButton = {12300, 8560, 960, 330},
               .separatorTop = 8380,
               .separatorRight = 13404});
    closeButton = chromeCloseButton();
    banner = chromeBanner();
    for (QPushButton* button : {exportButton, closeButton}) button->setAutoDefault(false);

    connect(toleranceBox, &QSpinBox::valueChanged, this, &AllMakersWindow::toleranceChanged);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &AllMakersWindow::rowChanged);
    connect(sorted_, &QAbstractItemModel::layoutChanged, this, &AllMakersWindow::drawChart);
    connect(table, &QTableView::doubleClicked, this, &AllMakersWindow::openSelectedPump);
    connect(chart, &PumpChart::pumpClicked, this, &AllMakersWindow::lineClicked);
    connect(exportButton, &QPushButton::clicked, this, &AllMakersWindow::exportClicked);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void AllMakersWindow::orderTabs() { setFocusOrder({table, toleranceBox, exportButton, closeButton, banner}); }

bool AllMakersWindow::search() {
    terms_.tolerance = toleranceBox->value();
    QProgressDialog progress(QStringLiteral("请稍等，正在检索全部厂家的数据...."), QStringLiteral("取消"), 0, 1,
                             isVisible() ? this : parentWidget());
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);  // a scan that ends sooner shows nothing
    auto listing = ranking::searchKind(selection_.catalogue(), terms_.kind, terms_.duty, terms_.tolerance,
                                       terms_.selection, [&](int done, int total) {
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
    model_->setPumps(std::move(listing.pumps));
    drawChart();
    if (shownRows() > 0) table->selectRow(0);
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

void AllMakersWindow::drawChart() {
    chart->setPumps(shownPumps(), terms_.duty.values());
    chart->highlight(selectedRow());
}

void AllMakersWindow::toleranceChanged() { search(); }

void AllMakersWindow::rowChanged() { chart->highlight(selectedRow()); }

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
// window opens as the search of that maker opens it, on this pump. A near
// miss is not among the search's pumps: the maker's whole list is shown.
void AllMakersWindow::openSelectedPump() {
    const int row = selectedRow();
    if (row < 0) return;
    const ranking::RankedPump pump = shownPump(row);
    selection_.selectMaker(pump.makerPosition);
    const bool fits = pump.row.match->fits;
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

// The table as shown (fits, near misses, in the shown order) as CSV, and the
// chart beside it as a PNG of the same name.
void AllMakersWindow::exportClicked() {
    QString path = askExportFile(this, fromUtf8(terms_.kind) + QStringLiteral("-全部厂家选型.csv"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
    const QString picture = path.left(path.size() - 4) + QStringLiteral(".png");
    const std::string csv = ranking::csvText(terms_, shownPumps());
    QByteArray png;
    {
        QBuffer buffer(&png);
        chart->picture().save(&buffer, "PNG");
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
