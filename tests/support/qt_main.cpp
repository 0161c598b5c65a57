// Runs GoogleTest inside a QApplication, without a screen unless told.
#include "ui/fonts.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("水泵"));
    app.setFont(ui::simSun9());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
