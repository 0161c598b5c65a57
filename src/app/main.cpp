// The program starts with the selection window; closing it ends the program.
#include "selection/selection_window.h"
#include "ui/fonts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("水泵"));
    app.setFont(ui::simSun9());
    SelectionWindow window(QCoreApplication::applicationDirPath().toStdU16String());
    window.show();
    return app.exec();
}
