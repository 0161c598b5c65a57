#include "ui/controls.h"

#include "ui/frame.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

// The pictures are compiled into the static library, whose resource
// initialiser the linker would otherwise drop.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace ui {

namespace {
void ensureResources() {
    static const bool done = (initResources(), true);
    (void)done;
}
}  // namespace

QIcon programIcon() {
    ensureResources();
    QIcon icon;
    // Pixmaps loaded by name come from the pixmap cache: each window would
    // otherwise decode the pictures anew.
    for (int size : {16, 32, 64}) icon.addPixmap(QPixmap(QStringLiteral(":/pictures/icon%1.png").arg(size)));
    return icon;
}

QPixmap closePicture() {
    ensureResources();
    return QPixmap(QStringLiteral(":/pictures/close.png"));
}

namespace {
// A new control under its design name, at its place in twips.
template <class Control>
Control* named(Control* control, const QString& name, int left, int top, int width, int height) {
    control->setObjectName(name);
    place(control, left, top, width, height);
    return control;
}
}  // namespace

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                        int height) {
    return named(new QPushButton(caption, parent), name, left, top, width, height);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                  int height) {
    return named(new QLabel(caption, parent), name, left, top, width, height);
}

QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                       int height) {
    auto* box = named(new QLineEdit(text, parent), name, left, top, width, height);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

QPlainTextEdit* makeMemo(QWidget* parent, const QString& name, int left, int top, int width, int height) {
    auto* memo = named(new QPlainTextEdit(parent), name, left, top, width, height);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    return memo;
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
                     int height) {
    return named(new Frame(caption, parent), name, left, top, width, height);
}

QFrame* makeLine(QWidget* parent, const QString& name, int x1, int x2, int y, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, colour);
    line->setPalette(pal);
    line->setGeometry(px(x1), px(y), px(x2) - px(x1), 1);
    return line;
}

void makeSeparator(QWidget* parent) {
    makeLine(parent, QStringLiteral("Line1(0)"), 96, 9276, 4668, QColor(128, 128, 128));
    makeLine(parent, QStringLiteral("Line1(1)"), 96, 9276, 4680, Qt::white);
}

void loadWindow(QDialog* window, int clientWidth, int clientHeight, Hyperlink* banner, int bannerTop,
                QPushButton* closeButton) {
    window->setWindowIcon(programIcon());
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(px(clientWidth), px(clientHeight));
    banner->move(px(210), px(bannerTop));
    // A font wider than the one the layout was made for must not cut the address short.
    banner->resize(std::max(banner->width(), banner->sizeHint().width()), banner->height());
    closeButton->setText(QString());
    closeButton->setIcon(closePicture());
    closeButton->setIconSize(closePicture().size());
}

void placeProgressLabel(QLabel* label, const Hyperlink* banner) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, bannerColour());
    label->setPalette(pal);
    label->hide();
    label->move(banner->pos());
}

void setTabOrder(const QList<QWidget*>& order) {
    for (qsizetype i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void centreOn(QWidget* window, const QWidget* owner) {
    QRect area = owner ? owner->frameGeometry() : window->screen()->availableGeometry();
    QRect frame = window->frameGeometry();
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

}  // namespace ui
