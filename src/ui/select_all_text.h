#pragma once
// Selecting a box's whole text when it gets the focus, so that typing replaces it.
#include <QLineEdit>

namespace ui {

inline void SelectAllText(QLineEdit* box) { box->setSelection(0, static_cast<int>(box->text().size())); }

}  // namespace ui
