#include "editor/record_editor.h"

#include "catalogue/record_editing.h"
#include "storage/profile.h"
#include "ui/catalogue_selection.h"
#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/message_box.h"
#include "ui/select_all_text.h"
#include "ui/text.h"
#include "ui/write_with_message.h"
#include "viewers/text_viewer.h"

#include <QKeyEvent>

namespace ui {

namespace cat = pumpsel::catalogue;
namespace editing = pumpsel::editing;

namespace {

// The boxes that hold a record's seven values, in the order of the record keys.
constexpr std::array<int, 7> kValueBoxes = {3, 4, 5, 6, 7, 8, 10};

struct BoxPlace {
    int index, left, top, width, height;
    const char* label;
    int labelLeft, labelTop, labelWidth;
};

constexpr BoxPlace kPlaces[] = {
    {0, 675, 300, 855, 270, "序号:", 120, 360, 450},
    {1, 2340, 300, 6720, 270, "厂家:", 1800, 360, 450},
    {2, 675, 810, 2580, 270, "种类:", 120, 870, 450},
    {3, 4050, 810, 5010, 270, "型号:", 3465, 870, 450},
    {4, 675, 1305, 1245, 270, "流量1:", 120, 1365, 540},
    {5, 3055, 1305, 1245, 270, "流量2(m3/h):", 1980, 1365, 1080},
    {6, 5435, 1305, 1245, 270, "扬程1(m):", 4575, 1365, 810},
    {7, 7815, 1305, 1245, 270, "扬程2(m):", 6930, 1365, 810},
    {8, 675, 1830, 8388, 270, "功率:", 120, 1875, 450},
    {10, 675, 2295, 8400, 1950, "备注:", 120, 2340, 450},
};

}  // namespace

RecordEditor::RecordEditor(const CatalogueSelection& selection, QWidget* owner)
    : Window(owner, QStringLiteral("badd"), QStringLiteral("添加记录")), selection_(selection) {
    createControls();
    orderTabs();
    Form_Load();
}

void RecordEditor::createControls() {
    Frame1 = ui::makeFrame(this, QStringLiteral("Frame1"), QStringLiteral(" 类别及厂家"), 120, 150, 9210, 4380);
    Label1.fill(nullptr);
    for (const BoxPlace& p : kPlaces) {
        const QString element = QStringLiteral("(%1)").arg(p.index);
        Label1[p.index] = ui::makeLabel(Frame1, QStringLiteral("Label1") + element, QString::fromUtf8(p.label),
                                        p.labelLeft, p.labelTop, p.labelWidth, 180);
        Label1[p.index]->resize(std::max(Label1[p.index]->width(), Label1[p.index]->sizeHint().width()),
                                Label1[p.index]->height());
        if (p.index == 10) {
            Text1_10 = ui::makeMemo(Frame1, QStringLiteral("Text1") + element, p.left, p.top, p.width, p.height);
            Text1_10->setPlainText(QStringLiteral("Text1"));
        } else {
            Text1[p.index] = ui::makeTextBox(Frame1, QStringLiteral("Text1") + element, QStringLiteral("Text1"), p.left,
                                             p.top, p.width, p.height);
            connect(Text1[p.index], &QLineEdit::textChanged, this, [this, i = p.index] { Text1_Change(i); });
        }
        box(p.index)->installEventFilter(this);
    }
    Command1 = ui::makeButton(this, QStringLiteral("Command1"), QStringLiteral("保存"), 5415, 4980, 960, 330);
    Command2 = ui::makeButton(this, QStringLiteral("Command2"), QStringLiteral("帮助"), 6780, 4980, 960, 330);
    Command1->setDefault(true);
    addChrome({.clientWidth = 9372,
               .clientHeight = 5412,
               .banner = {216, 5100, 3252, 228},
               .bannerTop = 5000,
               .closeName = QStringLiteral("Command3"),
               .closeButton = {8100, 4995, 960, 330},
               .separatorTop = 4668});
    Command3 = chromeCloseButton();
    Hyperlink1 = chromeBanner();

    connect(Command1, &QPushButton::clicked, this, &RecordEditor::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &RecordEditor::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &RecordEditor::Command3_Click);
}

// The boxes in their order, then the buttons and the banner.
void RecordEditor::orderTabs() {
    QList<QWidget*> order;
    for (const BoxPlace& p : kPlaces) order << box(p.index);
    setFocusOrder(order << Command1 << Command2 << Command3 << Hyperlink1);
}

void RecordEditor::Form_Load() { loadChrome(); }

void RecordEditor::Command3_Click() { close(); }

QWidget* RecordEditor::box(int index) const {
    return index == 10 ? static_cast<QWidget*>(Text1_10) : static_cast<QWidget*>(Text1.at(index));
}

QString RecordEditor::text(int index) const { return index == 10 ? Text1_10->toPlainText() : Text1.at(index)->text(); }

void RecordEditor::setText(int index, const QString& text) {
    if (index == 10)
        Text1_10->setPlainText(text);
    else
        Text1.at(index)->setText(text);
}

int RecordEditor::indexOf(QObject* watched) const {
    for (const BoxPlace& p : kPlaces)
        if (box(p.index) == watched) return p.index;
    return -1;
}

bool RecordEditor::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0) return Window::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // The box's own handling first (a line edit selects its text when tabbed into).
        watched->event(event);
        if (isNewFocus(event)) Text1_GotFocus(index);
        return true;
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        // The key code and shift state as the key handler takes them: A is 65, Ctrl alone is 2.
        const int shift = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
                          (mods & Qt::AltModifier ? 4 : 0);
        Text1_KeyDown(index, key->key(), shift);
        // In the remark box Enter saves too; Ctrl+Enter types the line break.
        if (index == 10 && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (mods == Qt::ControlModifier)
                Text1_10->insertPlainText(QStringLiteral("\n"));
            else
                Command1->click();
            return true;
        }
    }
    return ui::Window::eventFilter(watched, event);
}

void RecordEditor::Text1_GotFocus(int index) {
    if (index == 10) return;
    // The model box keeps its text unselected, so that a model is amended rather than retyped.
    if (index == 3)
        Text1[3]->deselect();
    else
        SelectAllText(Text1.at(index));
}

void RecordEditor::Text1_KeyDown(int index, int keyCode, int shift) {
    Q_UNUSED(index);
    if (keyCode == Qt::Key_A && shift == 2) showDataFile();
}

void RecordEditor::showDataFile() { ShowTextFile(this, QStringLiteral("水泵数据库"), selection_.makerDataFile()); }

void RecordEditor::Command2_Click() {
    ShowTextFile(this, QStringLiteral("添加记录"), selection_.catalogue().helpText());
}

// A new number loads its record, if it has one; a number beyond the first
// free one is refused.
void RecordEditor::Text1_Change(int index) {
    if (index != 0) return;
    pumpsel::ini::ReadBatch batch;
    const auto dataFile = selection_.makerDataFile();
    const std::string number = Text1[0]->text().toStdString();
    switch (editing::numberChange(dataFile, number)) {
        case editing::NumberChange::BeyondFirstFree:
            ui::showMessage(this, QStringLiteral("超出了最大记录范围"), kAttentionTitle, ui::MessageStyle::Exclamation);
            return;
        case editing::NumberChange::Nothing:
            return;
        case editing::NumberChange::Load:
            break;
    }
    setText(1, selection_.selectedMaker());
    setText(2, selection_.selectedKind());
    showRecordValues(editing::readRecord(dataFile, editing::trimmedSpaces(number)));
}

void RecordEditor::showRecordValues(const editing::RecordValues& values) {
    for (std::size_t i = 0; i < kValueBoxes.size(); ++i) setText(kValueBoxes[i], ui::fromUtf8(values[i]));
}

void RecordEditor::open(int number, const QString& maker, const QString& kind, const editing::RecordValues& record) {
    setText(0, QString::number(number));
    setText(1, maker);
    setText(2, kind);
    showRecordValues(record);
    exec();
}

// Saves the seven values under the typed number after the limit, duplicate
// and overwrite checks, then moves on to the next number.
void RecordEditor::Command1_Click() {
    pumpsel::ini::ReadBatch batch;
    const auto dataFile = selection_.makerDataFile();
    const std::string number = Text1[0]->text().toStdString();
    editing::RecordValues record;
    for (std::size_t i = 0; i < kValueBoxes.size(); ++i)
        record[i] = editing::trimmedSpaces(text(kValueBoxes[i]).toStdString());
    switch (editing::checkSave(dataFile, number, record)) {
        case editing::SaveCheck::BeyondLimit:
            ui::showRecordLimit(this);
            return;
        case editing::SaveCheck::SameAsPrevious:
            ui::showMessage(this, QStringLiteral("此记录与上条记录完全一样，是否重复了?"), kAttentionTitle,
                            ui::MessageStyle::Exclamation);
            return;
        case editing::SaveCheck::Overwrites:
            if (ui::showMessage(this, QStringLiteral("此记录已存在，是否覆盖?"), kAttentionTitle,
                                ui::MessageStyle::ExclamationOkCancel) != ui::MessageAnswer::Ok)
                return;
            break;
        case editing::SaveCheck::Adds:
            break;
    }
    // The seven values are stored together: a record is never left half-written.
    QList<std::pair<QString, QString>> values;
    for (std::size_t i = 0; i < record.size(); ++i)
        values.append({ui::fromUtf8(std::string(cat::kRecordKeys[i])), ui::fromUtf8(record[i])});
    if (!writeValuesOrSayWhy(this, dataFile, ui::fromUtf8(editing::saveSections(number).written), values)) return;
    ui::showMessage(this, QStringLiteral("已成功添加记录到数据库"), QStringLiteral("添加记录"),
                    ui::MessageStyle::Exclamation);
    Text1[0]->setText(ui::fromUtf8(editing::nextNumberText(number)));
    Text1[3]->setFocus();
}

}  // namespace ui
