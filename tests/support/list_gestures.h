#pragma once
// What a person does to a list with mouse and keys, sent through the list's
// window as the window system sends it.
#include "ui/list_view.h"

#include <QTest>
#include <QWindow>

namespace testing_support {

// A point of a row (1-based), in the window's coordinates.
inline QPoint rowPoint(const ui::ListView* list, int position) {
    return list->viewport()->mapTo(list->window(), list->rowRect(position).center());
}

// Presses on one row and lets go on another.
inline void dragAcross(ui::ListView* list, int from, int to) {
    QWindow* window = list->window()->windowHandle();
    QTest::mousePress(window, Qt::LeftButton, {}, rowPoint(list, from));
    const QPoint step = (rowPoint(list, to) - rowPoint(list, from)) / 2;
    QTest::mouseMove(window, rowPoint(list, from) + step);
    QTest::mouseMove(window, rowPoint(list, to));
    QTest::mouseRelease(window, Qt::LeftButton, {}, rowPoint(list, to));
}

// A click in the blank area under the last row.
inline void clickBelowRows(ui::ListView* list) {
    const QPoint below(list->viewport()->width() / 2, list->viewport()->height() - 3);
    QTest::mouseClick(list->window()->windowHandle(), Qt::LeftButton, {},
                      list->viewport()->mapTo(list->window(), below));
}

inline void ctrlClickRow(ui::ListView* list, int position) {
    QTest::mouseClick(list->window()->windowHandle(), Qt::LeftButton, Qt::ControlModifier, rowPoint(list, position));
}

inline void ctrlSpace(ui::ListView* list) {
    list->setFocus();
    QTest::keyClick(list->window()->windowHandle(), Qt::Key_Space, Qt::ControlModifier);
}

}  // namespace testing_support
