#pragma once
// The publisher banner: a caption in brown 9-point SimSun that opens the
// publisher's web address in the browser when clicked.
#include <QLabel>

namespace ui {

class Hyperlink : public QLabel {
    Q_OBJECT
public:
    // The caption shows the address with or without its scheme, as each
    // window chooses; the link always opens the full address.
    enum class Caption { WithoutScheme, WithScheme };
    explicit Hyperlink(QWidget* parent, Caption caption = Caption::WithScheme);

    void setCaption(Caption caption);
    void open() const;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Brown text of the banner and of the progress label that takes its place.
QColor bannerColour();

}  // namespace ui
