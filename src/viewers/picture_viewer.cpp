#include "viewers/picture_viewer.h"

#include "ui/controls.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/picture_box.h"
#include "viewers/picture_fit.h"

#include <QScrollBar>

namespace ui {

namespace {
// The picture area, in twips.
constexpr int kAreaWidth = 9075;
constexpr int kAreaHeight = 4710;
constexpr int kTwipsPerPixel = 15;
}  // namespace

PictureViewer::PictureViewer(QWidget* owner) : Window(owner, QStringLiteral("pic"), QStringLiteral("图片浏览")) {
    createControls();
    orderTabs();
    Form_Load();
}

void PictureViewer::createControls() {
    Frame1 = ui::makeFrame(this, QStringLiteral("Frame1"), QString(), 78, 0, 9216, 4950);
    Picture1 = new QWidget(Frame1);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Picture1->setPalette(white);
    ui::place(Picture1, 60, 165, kAreaWidth, kAreaHeight);
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    ui::place(Image1, 990, 390, 3705, 2295);
    VScroll1 = new QScrollBar(Qt::Vertical, Picture1);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    ui::place(VScroll1, 8745, 0, 285, 4380);
    HScroll1 = new QScrollBar(Qt::Horizontal, Picture1);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    ui::place(HScroll1, 0, 4365, 8760, 285);
    for (QScrollBar* bar : {VScroll1, HScroll1}) {
        bar->setRange(0, 0);
        bar->setTracking(false);  // the picture moves when the thumb is released
    }
    addChrome({.clientWidth = 9408,
               .clientHeight = 5448,
               .banner = {216, 5112, 3252, 228},
               .bannerTop = 5112,
               .closeName = QStringLiteral("Command3"),
               .closeButton = {8100, 5040, 960, 330}});
    Command3 = chromeCloseButton();
    Hyperlink1 = chromeBanner();

    connect(HScroll1, &QScrollBar::valueChanged, this, &PictureViewer::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &PictureViewer::VScroll1_Change);
    connect(Command3, &QPushButton::clicked, this, &QDialog::close);
}

// The scroll bars take no focus: the close button and the banner are all there is.
void PictureViewer::orderTabs() { setFocusOrder({Command3, Hyperlink1}); }

void PictureViewer::Form_Load() { loadChrome(); }

void PictureViewer::showFile(const std::filesystem::path& file) {
    const QImage image = ui::readPicture(file);
    Image1->setPixmap(QPixmap::fromImage(image));
    Image1->resize(image.size());
    // A picture's natural size: one pixel is 15 twips.
    const Fit vertical = fitPicture(image.height() * kTwipsPerPixel, kAreaHeight);
    const Fit horizontal = fitPicture(image.width() * kTwipsPerPixel, kAreaWidth);
    imageTop_ = vertical.offset;
    imageLeft_ = horizontal.offset;
    for (auto [bar, fit] : {std::pair{VScroll1, vertical}, {HScroll1, horizontal}}) {
        bar->setMaximum(fit.maximum);
        bar->setPageStep(fit.largeStep);
        bar->setSingleStep(fit.smallStep);
    }
    placeImage();
}

void PictureViewer::HScroll1_Change() {
    imageLeft_ = -HScroll1->value();
    placeImage();
}

void PictureViewer::VScroll1_Change() {
    imageTop_ = -VScroll1->value();
    placeImage();
}

void PictureViewer::placeImage() {
    Image1->move(qRound(imageLeft_ / kTwipsPerPixel), qRound(imageTop_ / kTwipsPerPixel));
    // The scroll bars stay above the picture.
    VScroll1->raise();
    HScroll1->raise();
}

void ShowPicture(QWidget* owner, const std::filesystem::path& file) {
    PictureViewer viewer(owner);
    viewer.showFile(file);
    viewer.exec();
}

}  // namespace ui
