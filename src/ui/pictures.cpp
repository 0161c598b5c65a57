#include "ui/pictures.h"

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

}  // namespace ui
