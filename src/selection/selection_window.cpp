#include "selection/selection_window.h"

#include "storage/profile.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/list_view.h"
#include "ui/picture_box.h"
#include "ui/publisher.h"

#include <QPlainTextEdit>

namespace cat = pumpsel::catalogue;

namespace {
QString qs(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string utf8(const QString& text) { return text.toStdString(); }
}  // namespace

SelectionWindow::SelectionWindow(const std::filesystem::path& programFolder) : catalogue_(programFolder) {
    setObjectName(QStringLiteral("bump"));
    setWindowTitle(QStringLiteral("水泵选型 v0.4"));
    createControls();
    setTabOrder();
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
    Label1[0] = ui::makeLabel(Frame1, QStringLiteral("Label1(0)"), QStringLiteral("流量(立米/时):"), 120, 3510, 1260, 180);
    Text1[0] = ui::makeTextBox(Frame1, QStringLiteral("Text1(0)"), QStringLiteral("50"), 1680, 3450, 1635, 270);
    Label1[1] = ui::makeLabel(Frame1, QStringLiteral("Label1(1)"), QStringLiteral("扬     程(米):"), 120, 3810, 1260, 180);
    Text1[1] = ui::makeTextBox(Frame1, QStringLiteral("Text1(1)"), QStringLiteral("40"), 1680, 3750, 1635, 270);
    Command4 = ui::makeButton(Frame1, QStringLiteral("Command4"),
                              QStringLiteral("愿加入本数据库的水泵厂商，可与我公司联系:") + ui::publisher::kContactEmail,
                              15, 4080, 9180, 300);
    Command5 = ui::makeButton(this, QStringLiteral("Command5"), QStringLiteral("添加"), 2880, 4980, 960, 330);
    Command1 = ui::makeButton(this, QStringLiteral("Command1"), QStringLiteral("搜索"), 4185, 4980, 960, 330);
    Command6 = ui::makeButton(this, QStringLiteral("Command6"), QStringLiteral("浏览"), 5490, 4980, 960, 330);
    Command2 = ui::makeButton(this, QStringLiteral("Command2"), QStringLiteral("帮助"), 6795, 4980, 960, 330);
    Command3 = ui::makeButton(this, QStringLiteral("Command3"), QString(), 8100, 4980, 960, 330);
    Command1->setDefault(true);
    ui::makeSeparator(this);
    Hyperlink1 = new ui::Hyperlink(this, ui::Hyperlink::Caption::WithoutScheme);
    ui::place(Hyperlink1, 210, 5000, 2580, 228);
    Label2 = ui::makeLabel(this, QStringLiteral("Label2"), QStringLiteral("Label2"), 1890, 4770, 540, 180);

    connect(ListView2, &ui::ListView::itemClick, this, &SelectionWindow::ListView2_ItemClick);
    connect(ListView1, &ui::ListView::itemClick, this, &SelectionWindow::ListView1_ItemClick);
    connect(Command3, &QPushButton::clicked, this, &QDialog::close);
    setCloseButton(Command3);
}

void SelectionWindow::setTabOrder() {
    const QList<QWidget*> order = {ListView2, ListView1, Text1[0], Text1[1], Command5, Command2,
                                   Command3,  Hyperlink1, Command6, Command1, Text2,    Command4};
    for (int i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void SelectionWindow::Form_Load() {
    ui::loadWindow(this, 9408, 5448, Hyperlink1, 5000, Command3);
    ui::placeProgressLabel(Label2, Hyperlink1);
    Command5->hide();
    LoadKindList();
    ListView2->setFocus();
}

QString SelectionWindow::selectedKind() const { return ListView2->selectedText(); }
int SelectionWindow::makerPosition() const { return ListView1->selectedPosition(); }
QString SelectionWindow::selectedMaker() const { return ListView1->selectedText(); }

void SelectionWindow::LoadKindList() {
    pumpsel::ini::ReadBatch batch;
    QList<QStringList> rows;
    cat::enumerate([&](int k) { return catalogue_.kindName(k); },
                   [&](int, const std::string& name) { rows.append({qs(name)}); });
    ListView2->addRows(rows);
    if (rows.isEmpty()) ShowCatalogueProblem();
    else ListView2_ItemClick();
}

// Without kinds there is nothing to choose: the description box says where
// the program looked for the catalogue.
void SelectionWindow::ShowCatalogueProblem() {
    const QString path = QString::fromStdU16String(catalogue_.indexPath().u16string());
    std::error_code ec;
    Text2->setPlainText(std::filesystem::is_regular_file(catalogue_.indexPath(), ec)
                            ? QStringLiteral("泵数据库中没有泵类型：") + path
                            : QStringLiteral("找不到泵数据库：") + path);
    Image1->clear();
}

void SelectionWindow::ListView2_ItemClick() {
    pumpsel::ini::ReadBatch batch;
    LoadMakerList();
    Text2->setPlainText(qs(catalogue_.kindDescription(ListView2->selectedPosition())));
    ShowMakerThumbnail();
}

void SelectionWindow::ListView1_ItemClick() { ShowMakerThumbnail(); }

void SelectionWindow::LoadMakerList() {
    const std::string kind = utf8(selectedKind());
    ListView1->removeAllRows();
    QList<QStringList> rows;
    cat::enumerate([&](int m) { return catalogue_.makerValue(kind, m); },
                   [&](int m, const std::string& name) {
                       rows.append({qs(name), qs(cat::orNotGiven(catalogue_.makerValue(kind, m, "add"))),
                                    qs(cat::orNotGiven(catalogue_.makerValue(kind, m, "yb"))),
                                    qs(cat::orNotGiven(catalogue_.makerValue(kind, m, "tel")))});
                   });
    ListView1->addRows(rows);
}

void SelectionWindow::ShowMakerThumbnail() {
    if (makerPosition() == 0) {
        Image1->clear();
        return;
    }
    picturePath_ = catalogue_.makerThumbnail(utf8(selectedKind()), makerPosition());
    Image1->load(picturePath_);
}
