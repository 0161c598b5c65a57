// pumpsel-screenshots DIR: renders every window on the catalogue beside the
// program, without a screen, into DIR as PNG files (the README's pictures).
#include "selection/selection_window.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

namespace {

bool save(QWidget* window, const QString& folder, const QString& name) {
    window->show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setFont(ui::simSun9());
    if (argc != 2) {
        std::fputs("usage: pumpsel-screenshots DIR\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    SelectionWindow selection(QCoreApplication::applicationDirPath().toStdU16String());
    return save(&selection, folder, QStringLiteral("bump")) ? 0 : 1;
}
