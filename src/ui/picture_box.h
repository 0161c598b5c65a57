#pragma once
// A picture stretched to its box that reports clicks (the thumbnail and the
// maker picture). A missing or unreadable file leaves the box with a note.
#include <QLabel>
#include <filesystem>

namespace ui {

class PictureBox : public QLabel {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, const QString& name);

    // Loads the picture file; returns false (and shows "无图片") when it
    // cannot be read as a picture.
    bool load(const std::filesystem::path& file);
    bool hasPicture() const { return !pixmap().isNull(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// Reads a picture file, or returns a null image; never throws, whatever the file holds.
QImage readPicture(const std::filesystem::path& file);

}  // namespace ui
