#pragma once
// The window tests' catalogue: the files of support/catalogue_files.h, and
// pictures written by Qt, each of one colour so that a test can tell which
// one is shown.
#include "support/catalogue_files.h"
#include "support/qt_printers.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

namespace testing_support {

// A PNG picture of one colour, creating its folders.
inline void writePicture(const std::filesystem::path& file, QColor colour, int width = 40, int height = 60) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    writeBytes(file, png.toStdString());
}

}  // namespace testing_support
