#pragma once
// Answers the modal message boxes a test provokes, and records what they said.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>

namespace testing_support {

struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;  // button texts, in the box's order
};

class MessageBoxes : public QObject {
public:
    MessageBoxes() {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { answerOpenBox(); });
        timer_.start();
    }

    // The buttons to press for the next boxes, in order; OK when none is queued.
    void willAnswer(QMessageBox::StandardButton button) { answers_.push_back(button); }

    std::vector<SeenMessage> seen;

private:
    void answerOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        SeenMessage message{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons()) message.buttons << button->text();
        seen.push_back(message);
        QMessageBox::StandardButton answer = QMessageBox::Ok;
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        box->button(answer)->click();
    }

    QTimer timer_;
    std::deque<QMessageBox::StandardButton> answers_;
};

}  // namespace testing_support
