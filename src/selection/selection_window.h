#pragma once
// The selection window (form bump): the start window. Pump kinds, the makers
// of the selected kind, the duty point, and the commands that search, browse
// and open the other windows.
#include "catalogue/record_scan.h"
#include "ui/catalogue_selection.h"
#include "ui/window.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class FocusGuard;
class Hyperlink;
class ListView;
class PictureBox;
class ResultsWindow;

class SelectionWindow : public Window, public CatalogueSelection {
    Q_OBJECT
public:
    // The catalogue lies under the program folder.
    explicit SelectionWindow(const std::filesystem::path& programFolder);
    ~SelectionWindow() override;

    // What the other windows read of the current selection.
    const pumpsel::catalogue::Catalogue& catalogue() const override { return catalogue_; }
    QString selectedKind() const override;
    int makerPosition() const override;
    QString selectedMaker() const override;
    void selectMaker(int position) override;

    // The results window while it exists (after a search or browse without
    // result it stays, hidden and empty, until the next one).
    ResultsWindow* resultsWindow() const { return results_.get(); }

    // Controls, by their design names.
    QGroupBox* Frame1;
    ui::ListView* ListView2;  // kinds
    ui::ListView* ListView1;  // makers
    QPlainTextEdit* Text2;    // kind description
    QGroupBox* Frame2;
    ui::PictureBox* Image1;  // thumbnail
    std::array<QLabel*, 2> Label1;
    std::array<QLineEdit*, 2> Text1;  // flow Q, head H
    QPushButton* Command4;            // invitation to makers
    QPushButton* Command5;            // add (hidden)
    QPushButton* Command1;            // search
    QPushButton* Command6;            // browse
    QPushButton* Command2;            // help
    QPushButton* Command3;            // close
    ui::Hyperlink* Hyperlink1;
    QLabel* Label2;  // progress label

    // Handlers.
    void Form_Load();
    void ListView2_ItemClick();
    void ListView1_ItemClick();
    void Text1_GotFocus(int index);
    void Text1_Validate(int index, bool& cancel);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Image1_Click();

    // The search across every maker of the selected kind (Ctrl+F, or the
    // lists' context menus): opens the window "全部厂家选型".
    QAction* allMakersAction = nullptr;
    void searchAllMakers();

    // The path of the picture last shown or opened.
    const std::filesystem::path& picturePath() const { return picturePath_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void addAllMakersCommand();
    void orderTabs();
    void LoadKindList();
    void LoadMakerList();
    void showMakerThumbnail();
    void showCatalogueProblem();
    void SearchPumps();
    bool selectionIsComplete();
    // The shared listing of search and browse: header line, record scan with
    // or without the duty point, then the results window or the message.
    void showListing(const QString& header, std::optional<pumpsel::records::DutyPoint> point,
                     const QString& messageWhenNone);
    ResultsWindow& createResultsWindow();

    pumpsel::catalogue::Catalogue catalogue_;
    std::filesystem::path picturePath_;
    std::unique_ptr<ResultsWindow> results_;
    ui::FocusGuard* focusGuard_ = nullptr;
};

}  // namespace ui

using ui::SelectionWindow;  // also by its plain name, as tools and checks outside the program name it
