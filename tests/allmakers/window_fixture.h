#pragma once
// The selection window on a catalogue of the test's own, with the duty
// point typed, from which the window 全部厂家选型 is opened by its shortcut.
#include "allmakers/all_makers_window.h"
#include "selection/selection_window.h"
#include "support/gui.h"
#include "support/message_boxes.h"
#include "ui/list_view.h"

#include <gtest/gtest.h>
#include <QAbstractItemModel>
#include <QLineEdit>
#include <QTableView>

namespace testing_support {

// Catalogue: a struct that writes its catalogue into `folder` when
// constructed and names the duty point in kFlow and kHead.
template <class Catalogue>
class AllMakersWindowTest : public ::testing::Test, protected Catalogue {
protected:
    AllMakersWindowTest() {
        EXPECT_TRUE(activate(&w));
        w.Text1[0]->setText(Catalogue::kFlow);
        w.Text1[1]->setText(Catalogue::kHead);
    }
    // Opens the window by the shortcut and runs `inside` in it.
    void withWindow(const std::function<void(ui::AllMakersWindow*)>& inside) {
        OnModal<ui::AllMakersWindow> on([&](ui::AllMakersWindow* a) {
            EXPECT_TRUE(activate(a));
            inside(a);
        });
        EXPECT_TRUE(activate(&w));  // again, when a window opened before has closed
        key(w.ListView1, Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(on.ran());
    }
    static QStringList column(ui::AllMakersWindow* a, int column) {
        QStringList texts;
        for (int row = 0; row < a->table->model()->rowCount(); ++row)
            texts << a->table->model()->index(row, column).data().toString();
        return texts;
    }

    SelectionWindow w{this->folder.root()};
    MessageBoxes boxes;
};

}  // namespace testing_support
