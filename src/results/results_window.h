#pragma once
// The results window (form se): the pumps a search found or a browse listed,
// the selected pump's remark, the maker's picture and the report.
#include "catalogue/record_scan.h"
#include "results/report.h"
#include "ui/window.h"

#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class CatalogueSelection;
class Hyperlink;
class ListView;
class PictureBox;

class ResultsWindow : public Window {
    Q_OBJECT
public:
    ResultsWindow(const CatalogueSelection& selection, QWidget* owner);

    // Opens the window on a listing: header line, the rows with the first
    // selected (or the row of record `select`, when listed), the maker's
    // picture and the selected pump's remark; returns when the window is
    // closed. `rows` must not be empty.
    void showPumps(const QString& headerLine, std::vector<pumpsel::records::PumpRow> rows, int select = 0);
    // The header line as a listing sets it before its scan.
    void setHeaderLine(const QString& text);

    // The remark of the selected row's record, read afresh.
    void refreshRemark();

    QGroupBox* Frame1;
    QLineEdit* Text1;  // header line
    ui::ListView* ListView1;
    QPlainTextEdit* Text2;  // remark
    QGroupBox* Frame2;
    ui::PictureBox* Image1;
    QLabel* Label1;         // "please wait", seen while the list is hidden
    QPushButton* Command1;  // report
    QPushButton* Command7;  // browse
    QPushButton* Command2;  // help
    QPushButton* Command3;  // close
    ui::Hyperlink* Hyperlink1;
    QLabel* Label2;  // progress label

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command7_Click();
    void ListView1_ItemClick();
    void Image1_Click();

    // How the report is opened; replaceable so that tests never start an editor.
    EditorLauncher openEditor = openInTextEditor;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void orderTabs();
    // Replaces the rows; the row of record `keep` is selected when there is one.
    void listRows(std::vector<pumpsel::records::PumpRow> rows, int keep = 0);
    // The selected pump, null without one.
    const pumpsel::records::PumpRow* selectedPump() const;
    int selectedNumber() const;  // the selected row's record number, 0 without one

    const CatalogueSelection& selection_;
    // The pumps as listed, in the list's order: the list shows their texts,
    // the window works with them (record numbers, the report).
    std::vector<pumpsel::records::PumpRow> rows_;
};

}  // namespace ui

using ui::ResultsWindow;  // also by its plain name, as tools and checks outside the program name it
