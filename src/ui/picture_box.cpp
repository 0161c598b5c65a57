#include "ui/picture_box.h"

#include "storage/file_ops.h"

#include <QImageReader>
#include <QMouseEvent>

namespace ui {

QImage readPicture(const std::filesystem::path& file) {
    // Only regular files: a pipe would never end, a folder is no picture.
    if (file.empty() || !pumpsel::files::isRegularFile(file)) return QImage();
    QImageReader reader(QString::fromStdU16String(file.u16string()));
    reader.setAutoTransform(true);
    return reader.read();
}

PictureBox::PictureBox(QWidget* parent, const QString& name) : QLabel(parent) {
    setObjectName(name);
    setScaledContents(true);
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::UpArrowCursor);
    setToolTip(QStringLiteral("单击可显示放大的泵图"));
}

bool PictureBox::load(const std::filesystem::path& file) {
    QImage image = readPicture(file);
    if (image.isNull()) {
        setPixmap(QPixmap());
        setText(QStringLiteral("无图片"));
        return false;
    }
    setText(QString());
    setPixmap(QPixmap::fromImage(image));
    return true;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace ui
