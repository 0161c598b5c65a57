// pumpsel-screenshots DIR: renders every window on the catalogue beside the
// program, without a screen, into DIR as PNG files (the README's pictures).
#include "allmakers/all_makers_window.h"
#include "results/results_window.h"
#include "selection/selection_window.h"
#include "ui/fonts.h"
#include "ui/list_view.h"
#include "viewers/picture_viewer.h"
#include "viewers/text_viewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

QString folder;

void save(QWidget* window, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    std::fflush(stdout);
}

// Runs an action that opens a modal window, saves that window, closes it,
// and optionally does more inside it first.
void saveModal(const QString& name, const std::function<void()>& open,
               const std::function<void(QWidget*)>& inside = {}) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        timer.stop();
        if (inside) inside(modal);
        save(modal, name);
        modal->close();
    });
    timer.start();
    open();
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
    folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    SelectionWindow selection(QCoreApplication::applicationDirPath().toStdU16String());
    selection.show();
    save(&selection, QStringLiteral("bump"));
    selection.Text1[0]->setText(QStringLiteral("25"));
    selection.Text1[1]->setText(QStringLiteral("20"));
    saveModal(
        QStringLiteral("se"), [&] { selection.Command1_Click(); },
        [](QWidget* w) {
            if (auto* results = qobject_cast<ResultsWindow*>(w)) results->ListView1->selectRow(2);
        });
    // A duty point that two pumps in parallel share, several of them at a lower speed.
    selection.Text1[0]->setText(QStringLiteral("120"));
    selection.Text1[1]->setText(QStringLiteral("32"));
    saveModal(
        QStringLiteral("allmakers"), [&] { selection.searchAllMakers(); },
        [](QWidget* w) {
            auto* window = qobject_cast<ui::AllMakersWindow*>(w);
            if (!window) return;
            // On a system curve, with the speed for the duty point, in the
            // window maximised on a screen of 1366 × 768.
            window->resize(1366, 740);
            window->staticHeadBox->setText(QStringLiteral("8"));
            window->pumpsBox->setValue(2);
            window->speedBox->setChecked(true);
            window->table->selectRow(1);  // IS100-80-160, turned down to 2744 r/min
        });
    saveModal(QStringLiteral("readtxt"), [&] { selection.Command2_Click(); });
    saveModal(QStringLiteral("pic"), [&] { selection.Image1_Click(); });
    saveModal(QStringLiteral("badd"), [&] { selection.Command5_Click(); });
    return 0;
}
