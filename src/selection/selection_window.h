#pragma once
// The selection window (form bump): the start window. Pump kinds, the makers
// of the selected kind, the duty point, and the commands that search, browse
// and open the other windows.
#include "storage/catalogue.h"

#include "ui/window.h"

#include <array>
#include <filesystem>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ui {
class Hyperlink;
class ListView;
class PictureBox;
}  // namespace ui

class SelectionWindow : public ui::Window {
    Q_OBJECT
public:
    // The catalogue lies under the program folder.
    explicit SelectionWindow(const std::filesystem::path& programFolder);

    // What the other windows read of the current selection.
    const pumpsel::catalogue::Catalogue& catalogue() const { return catalogue_; }
    QString selectedKind() const;
    int makerPosition() const;  // 1-based; 0 when no maker is selected
    QString selectedMaker() const;

    // Controls, by their design names.
    QGroupBox* Frame1;
    ui::ListView* ListView2;  // kinds
    ui::ListView* ListView1;  // makers
    QPlainTextEdit* Text2;    // kind description
    QGroupBox* Frame2;
    ui::PictureBox* Image1;   // thumbnail
    std::array<QLabel*, 2> Label1;
    std::array<QLineEdit*, 2> Text1;  // flow Q, head H
    QPushButton* Command4;    // invitation to makers
    QPushButton* Command5;    // add (hidden)
    QPushButton* Command1;    // search
    QPushButton* Command6;    // browse
    QPushButton* Command2;    // help
    QPushButton* Command3;    // close
    ui::Hyperlink* Hyperlink1;
    QLabel* Label2;           // progress label

    // Handlers.
    void Form_Load();
    void ListView2_ItemClick();
    void ListView1_ItemClick();

    // The path of the picture last shown or opened.
    const std::filesystem::path& picturePath() const { return picturePath_; }

private:
    void createControls();
    void setTabOrder();
    void LoadKindList();
    void LoadMakerList();
    void ShowMakerThumbnail();
    void ShowCatalogueProblem();

    pumpsel::catalogue::Catalogue catalogue_;
    std::filesystem::path picturePath_;
};
