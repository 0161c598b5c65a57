#pragma once
// A frame as the windows' layouts draw it: an etched border whose top line
// runs through the middle of the caption, so that the controls placed just
// under the caption lie inside the border. A frame without caption has its
// border at its top edge.
#include <QGroupBox>

namespace ui {

class Frame : public QGroupBox {
public:
    Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

    // Where the top line of the border lies, in the frame's coordinates.
    int borderTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
