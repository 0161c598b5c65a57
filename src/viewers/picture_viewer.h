#pragma once
// The picture viewer (form pic): one pump picture at its natural size, with
// scroll bars for a picture larger than the area and centring for a smaller one.
#include "ui/window.h"

#include <filesystem>

class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace ui {

class Hyperlink;

class PictureViewer : public Window {
    Q_OBJECT
public:
    explicit PictureViewer(QWidget* owner);

    // Loads the picture and fits it; a missing or unreadable file leaves the area empty.
    void showFile(const std::filesystem::path& file);
    // The picture's edges inside the area, in twips.
    double imageLeft() const { return imageLeft_; }
    double imageTop() const { return imageTop_; }

    QGroupBox* Frame1;
    QWidget* Picture1;
    QLabel* Image1;
    QScrollBar* VScroll1;
    QScrollBar* HScroll1;
    QPushButton* Command3;
    ui::Hyperlink* Hyperlink1;

    void Form_Load();
    void HScroll1_Change();
    void VScroll1_Change();

private:
    void createControls();
    void orderTabs();
    void placeImage();

    double imageLeft_ = 0;
    double imageTop_ = 0;
};

// Opens the picture in a new viewer over owner and returns when it is closed.
void ShowPicture(QWidget* owner, const std::filesystem::path& file);

}  // namespace ui

using ui::PictureViewer;  // also by its plain name, as tools and checks outside the program name it
