#include "selection/selection_window.h"

#include "catalogue/duty_point.h"

#include "allmakers/all_makers_window.h"
#include "editor/record_editor.h"
#include "results/results_window.h"
#include "storage/numbers.h"
#include "storage/profile.h"
#include "ui/controls.h"
#include "ui/focus_guard.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/message_box.h"
#include "ui/picture_box.h"
#include "ui/publisher.h"
#include "ui/scan_progress.h"
#include "ui/select_all_text.h"
#include "ui/text.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPlainTextEdit>

namespace ui {

namespace cat = pumpsel::catalogue;

SelectionWindow::SelectionWindow(const std::filesystem::path& programFolder)
    : Window(nullptr, QStringLiteral("bump"), QStringLiteral("水泵选型 v0.4")), catalogue_(programFolder) {
    createControls();
    orderTabs();
    Form_Load();
}

void SelectionWindow::createControls() {
    Frame1 = ui::makeFrame(this, QStringLiteral("Frame1"), QStringLiteral(" 类别及厂家"), 75, 156, 9216, 4380);
    ListView2 = new ui::ListView(Frame1, QStringLiteral("ListView2"));
    ui::place(ListView2, 90, 255, 3255, 3180);
    ListView2->setColumns({{QStringLiteral("泵类型"), 3200}});
    ListView1 = new ui::ListView(Frame1, QStringLiteral("ListView1"));
    ui::place(ListView1, 3345, 255, 5775, 1800);
    ListView1->setColumns({{QStringLiteral("厂家"), 2500},
                           {QStringLiteral("地址"), 2500},
                           {QStringLiteral("邮编"), 1000},
                           {QStringLiteral("电话"), 1500}});
    Text2 = ui::makeMemo(Frame1, QStringLiteral("Text2"), 3372, 2076, 4320, 1950);
    Text2->setReadOnly(true);
    QPalette white = Text2->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    Text2->setPalette(white);
    Frame2 = ui::makeFrame(Frame1, QStringLiteral("Frame2"), QString(), 7740, 1980, 1362, 2040);
    Image1 = new ui::PictureBox(Frame2, QStringLiteral("Image1"));
    ui::place(Image1, 60, 150, 1245, 1845);
    Label1[0] =
        ui::makeLabel(Frame1, QStringLiteral("Label1(0)"), QStringLiteral("流量(立米/时):"), 120, 3510, 1260, 180);
    Text1[0] = ui::makeTextBox(Frame1, QStringLiteral("Text1(0)"), QStringLiteral("50"), 1680, 3450, 1635, 270);
    Label1[1] =
        ui::makeLabel(Frame1, QStringLiteral("Label1(1)"), QStringLiteral("扬     程(米):"), 120, 3810, 1260, 180);
    Text1[1] = ui::makeTextBox(Frame1, QStringLiteral("Text1(1)"), QStringLiteral("40"), 1680, 3750, 1635, 270);
    Command4 =
        ui::makeButton(Frame1, QStringLiteral("Command4"),
                       QStringLiteral("愿加入本数据库的水泵厂商，可与我公司联系:") + ui::publisher::kContactEmail, 15,
                       4080, 9180, 300);
    Command5 = ui::makeButton(this, QStringLiteral("Command5"), QStringLiteral("添加"), 2880, 4980, 960, 330);
    Command1 = ui::makeButton(this, QStringLiteral("Command1"), QStringLiteral("搜索"), 4185, 4980, 960, 330);
    Command6 = ui::makeButton(this, QStringLiteral("Command6"), QStringLiteral("浏览"), 5490, 4980, 960, 330);
    Command2 = ui::makeButton(this, QStringLiteral("Command2"), QStringLiteral("帮助"), 6795, 4980, 960, 330);
    Command1->setDefault(true);
    addChrome({.clientWidth = 9408,
               .clientHeight = 5448,
               .banner = {210, 5000, 2580, 228},
               .bannerCaption = Hyperlink::Caption::WithoutScheme,
               .bannerTop = 5000,
               .closeName = QStringLiteral("Command3"),
               .closeButton = {8100, 4980, 960, 330},
               .separatorTop = 4668});
    Command3 = chromeCloseButton();
    Hyperlink1 = chromeBanner();
    Label2 = ui::makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Label2"), 1890, 4770, 540, 180);

    connect(ListView2, &ui::ListView::itemClick, this, &SelectionWindow::ListView2_ItemClick);
    connect(ListView1, &ui::ListView::itemClick, this, &SelectionWindow::ListView1_ItemClick);
    connect(Command1, &QPushButton::clicked, this, &SelectionWindow::Command1_Click);
    connect(Command6, &QPushButton::clicked, this, &SelectionWindow::Command6_Click);
    for (QLineEdit* box : Text1) box->installEventFilter(this);
    focusGuard_ = new ui::FocusGuard(this, {Text1[0], Text1[1]}, [this](QWidget* box) {
        bool cancel = false;
        Text1_Validate(box == Text1[0] ? 0 : 1, cancel);
        return !cancel;
    });
    connect(Command2, &QPushButton::clicked, this, &SelectionWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &SelectionWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &SelectionWindow::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &SelectionWindow::Command5_Click);
    connect(Image1, &ui::PictureBox::clicked, this, &SelectionWindow::Image1_Click);
    addAllMakersCommand();
}

// Beyond the window's own commands: the search across every maker of the
// kind, from the lists' context menus and by a shortcut anywhere in the window.
void SelectionWindow::addAllMakersCommand() {
    allMakersAction = new QAction(QStringLiteral("在本类全部厂家中搜索"), this);
    allMakersAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    allMakersAction->setShortcutContext(Qt::WindowShortcut);
    addAction(allMakersAction);
    connect(allMakersAction, &QAction::triggered, this, &SelectionWindow::searchAllMakers);
    for (ui::ListView* list : {ListView2, ListView1}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
            QMenu menu(this);
            menu.addAction(allMakersAction);
            menu.exec(list->viewport()->mapToGlobal(at));
        });
    }
}

void SelectionWindow::searchAllMakers() {
    const QString kind = selectedKind();
    if (ListView2->selectedPosition() == 0) {
        ui::showMessage(this, QStringLiteral("请先选择水泵类型"), kAttentionTitle, ui::MessageStyle::Exclamation);
        return;
    }
    for (QLineEdit* box : Text1) {
        if (pumpsel::duty::isHoldable(box->text().toStdString())) continue;
        ui::showMessage(this, kDutyPointRejected, kAttentionTitle, ui::MessageStyle::Exclamation);
        box->setFocus();
        return;
    }
    if (ListView1->rowCount() == 0) {
        ui::showMessage(this, QStringLiteral("此类水泵没有厂家"), kAttentionTitle, ui::MessageStyle::Exclamation);
        return;
    }
    AllMakersWindow window(
        *this,
        {kind.toStdString(),
         *pumpsel::duty::DutyPoint::holdable(Text1[0]->text().toStdString(), Text1[1]->text().toStdString()),
         pumpsel::ranking::kDefaultTolerance},
        this);
    if (window.search()) window.exec();
}

void SelectionWindow::orderTabs() {
    setFocusOrder({ListView2, ListView1, Text1[0], Text1[1], Command5, Command2, Command3, Hyperlink1, Command6,
                   Command1, Text2, Command4});
}

void SelectionWindow::Form_Load() {
    loadChrome();
    placeProgressLabel(Label2);
    Command5->hide();
    LoadKindList();
    ListView2->setFocus();
}

SelectionWindow::~SelectionWindow() = default;

QString SelectionWindow::selectedKind() const { return ListView2->selectedText(); }
int SelectionWindow::makerPosition() const { return ListView1->selectedPosition(); }
QString SelectionWindow::selectedMaker() const { return ListView1->selectedText(); }

void SelectionWindow::selectMaker(int position) {
    ListView1->selectRow(position);
    ListView1_ItemClick();
}

void SelectionWindow::LoadKindList() {
    pumpsel::ini::ReadBatch batch;
    std::vector<std::string> kinds;
    cat::enumerate([&](int k) { return catalogue_.kindName(k); },
                   [&](int, const std::string& name) { kinds.push_back(name); });
    ListView2->addRows(std::move(kinds));
    if (ListView2->rowCount() == 0)
        showCatalogueProblem();
    else
        ListView2_ItemClick();
}

// Without kinds there is nothing to choose: the description box says where
// the program looked for the catalogue.
void SelectionWindow::showCatalogueProblem() {
    const QString path = pathText(catalogue_.indexPath());
    std::error_code ec;
    Text2->setPlainText(std::filesystem::is_regular_file(catalogue_.indexPath(), ec)
                            ? QStringLiteral("泵数据库中没有泵类型：") + path
                            : QStringLiteral("找不到泵数据库：") + path);
    Image1->clear();
}

void SelectionWindow::ListView2_ItemClick() {
    pumpsel::ini::ReadBatch batch;
    LoadMakerList();
    Text2->setPlainText(ui::fromUtf8(catalogue_.kindDescription(ListView2->selectedPosition())));
    showMakerThumbnail();
}

void SelectionWindow::ListView1_ItemClick() { showMakerThumbnail(); }

void SelectionWindow::LoadMakerList() {
    const std::string kind = toUtf8(selectedKind());
    ListView1->removeAllRows();
    std::vector<std::string> cells;
    cat::enumerate([&](int m) { return catalogue_.makerValue(kind, m); },
                   [&](int m, const std::string& name) {
                       cells.push_back(name);
                       for (std::string_view word : {cat::kAddressWord, cat::kPostcodeWord, cat::kTelephoneWord})
                           cells.push_back(cat::orNotGiven(catalogue_.makerValue(kind, m, word)));
                   });
    ListView1->addRows(std::move(cells));
}

void SelectionWindow::showMakerThumbnail() {
    if (makerPosition() == 0) {
        Image1->clear();
        return;
    }
    picturePath_ = catalogue_.makerThumbnail(toUtf8(selectedKind()), makerPosition());
    Image1->load(picturePath_);
}

bool SelectionWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && isNewFocus(event)) Text1_GotFocus(watched == Text1[0] ? 0 : 1);
    return ui::Window::eventFilter(watched, event);
}

void SelectionWindow::Text1_GotFocus(int index) { SelectAllText(Text1[index]); }

void SelectionWindow::Text1_Validate(int index, bool& cancel) {
    if (pumpsel::duty::mayLeaveBox(Text1[index]->text().toStdString())) return;
    ui::showMessage(this, kDutyPointRejected, kAttentionTitle, ui::MessageStyle::Exclamation);
    cancel = true;
}

void SelectionWindow::Command1_Click() {
    if (!pumpsel::duty::DutyPoint::typed(Text1[0]->text().toStdString(), Text1[1]->text().toStdString())) return;
    SearchPumps();
}

void SelectionWindow::SearchPumps() {
    const auto duty = pumpsel::duty::DutyPoint::typed(Text1[0]->text().toStdString(), Text1[1]->text().toStdString());
    showListing(ui::fromUtf8(duty->searchHeaderLine(selectedMaker().toStdString())), duty->values(), kNoPumpFits);
}

void SelectionWindow::Command6_Click() {
    showListing(selectedMaker(), std::nullopt, QStringLiteral("此种泵的数据库为空"));
}

// Without a kind and a maker there is no data file to search.
bool SelectionWindow::selectionIsComplete() {
    if (ListView2->selectedPosition() != 0 && makerPosition() != 0) return true;
    ui::showMessage(this, QStringLiteral("请先选择水泵类型和厂家"), kAttentionTitle, ui::MessageStyle::Exclamation);
    return false;
}

ResultsWindow& SelectionWindow::createResultsWindow() {
    if (!results_) results_ = std::make_unique<ResultsWindow>(*this, this);
    return *results_;
}

void SelectionWindow::showListing(const QString& header, std::optional<pumpsel::records::DutyPoint> point,
                                  const QString& messageWhenNone) {
    if (!selectionIsComplete()) return;
    ResultsWindow& results = createResultsWindow();
    results.setHeaderLine(header);
    std::vector<pumpsel::records::PumpRow> rows;
    {
        ui::ScanProgress progress(Label2, Hyperlink1);
        rows = pumpsel::records::listPumps(makerDataFile(), point, pumpsel::records::RangeForm::OneDecimal,
                                           [&](int) { progress.advance(); });
    }
    if (rows.empty()) {
        ui::showMessage(this, messageWhenNone, kSorryTitle, ui::MessageStyle::Exclamation);
        return;
    }
    results.showPumps(header, std::move(rows));
    results_.reset();  // closing unloads the window: the next listing starts empty
}

void SelectionWindow::Command2_Click() { ShowTextFile(this, QStringLiteral("水泵选型"), catalogue_.helpText()); }

// Closing the start window ends the program, also when a results window is
// left hidden after a listing without result.
void SelectionWindow::Command3_Click() {
    results_.reset();
    close();
}

void SelectionWindow::Command4_Click() {
    Command1->setFocus();
    ShowTextFile(this, QStringLiteral("加入水泵数据库"), catalogue_.invitationText());
}

void SelectionWindow::Image1_Click() {
    if (makerPosition() == 0) return;
    picturePath_ = makerPicture();
    ShowPicture(this, picturePath_);
}

// Opens the record editor on the number after the last record, pre-filled
// with the last record's values as a template for the new one.
void SelectionWindow::Command5_Click() {
    if (!selectionIsComplete()) return;
    const auto opening = pumpsel::editing::openingFor(makerDataFile());
    if (opening.full) {
        ui::showRecordLimit(this);
        return;
    }
    RecordEditor editor(*this, this);
    editor.open(opening.number, selectedMaker(), selectedKind(), opening.templateRecord);
}

}  // namespace ui
