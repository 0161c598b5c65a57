#pragma once
// Module lwModule1: selecting a box's whole text, so that typing replaces it.
#include <QLineEdit>

namespace lwModule1 {

inline void SelectAllText(QLineEdit* box) { box->setSelection(0, static_cast<int>(box->text().size())); }

}  // namespace lwModule1
