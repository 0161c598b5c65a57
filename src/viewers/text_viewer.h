#pragma once
// The text viewer (form readtxt): a text file of the catalogue folders in a
// large box whose text can be copied to the clipboard.
#include "ui/window.h"

#include <filesystem>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace ui {

class Hyperlink;

class TextViewer : public Window {
    Q_OBJECT
public:
    TextViewer(QWidget* owner, const QString& caption);

    QGroupBox* Frame2;
    QPlainTextEdit* Text1;
    QPushButton* Command1;  // copy
    QPushButton* Command2;  // close
    ui::Hyperlink* Hyperlink1;

    void Form_Load();
    void Command1_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void orderTabs();
};

// The text of a file as the viewer's box holds it: its lines read as GBK,
// each followed by a line break (the box's CR LF). A missing file is first
// created holding the line "<path>文件不存在。" and CR LF.
QString viewerText(const std::filesystem::path& file);

// Remembers the path in the user's settings (application "水泵", section
// "Readtxt", key "filename"), then shows the file in a new viewer with the
// caption over owner and returns when it is closed.
void ShowTextFile(QWidget* owner, const QString& caption, const std::filesystem::path& file);

}  // namespace ui

using ui::TextViewer;  // also by its plain name, as tools and checks outside the program name it
