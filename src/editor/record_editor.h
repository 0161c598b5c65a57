#pragma once
// The record editor (window badd): one pump record of the selected maker's
// data file at a time, chosen by its number, and saved back.
#include "catalogue/record_editing.h"
#include "ui/window.h"

#include <array>
#include <filesystem>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class CatalogueSelection;
class Hyperlink;

class RecordEditor : public Window {
    Q_OBJECT
public:
    RecordEditor(const CatalogueSelection& selection, QWidget* owner);

    // The boxes form one array with elements 0 to 8 and 10 (there is no 9):
    // 0 number, 1 maker, 2 kind, 3 model, 4 and 5 flows, 6 and 7 heads,
    // 8 power, 10 remark.
    QString text(int index) const;
    void setText(int index, const QString& text);
    QWidget* box(int index) const;
    // Boxes 3 to 8 and 10 := a record's seven values.
    void showRecordValues(const pumpsel::editing::RecordValues& values);

    // Opens the editor on a record number, with the maker and kind it shows
    // and the record whose values serve as the template; returns when closed.
    void open(int number, const QString& maker, const QString& kind, const pumpsel::editing::RecordValues& record);

    QGroupBox* Frame1;
    std::array<QLineEdit*, 9> Text1;  // elements 0 to 8
    QPlainTextEdit* Text1_10;         // element 10, the remark
    std::array<QLabel*, 11> Label1;   // no element 9
    QPushButton* Command1;            // save
    QPushButton* Command2;            // help
    QPushButton* Command3;            // close
    ui::Hyperlink* Hyperlink1;

    void Form_Load();
    void Text1_Change(int index);
    void Text1_GotFocus(int index);
    void Text1_KeyDown(int index, int keyCode, int shift);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void orderTabs();
    int indexOf(QObject* box) const;
    void showDataFile();

    const CatalogueSelection& selection_;
};

}  // namespace ui

using ui::RecordEditor;  // also by its plain name, as tools and checks outside the program name it
