#pragma once
// The selection sheet (水泵选型计算书) from the windows: a short dialog for
// what the engineer adds to the sheet, remembered for the user between
// sheets; the sheet in Qt's print preview, from which it is printed or
// saved as PDF; and the sheet saved as PDF for an export.
#include "sheet/sheet.h"

#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

class QDateEdit;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace ui {

class SheetDialog : public QDialog {
    Q_OBJECT
public:
    // Opens with the values of the last sheet the user accepted (the
    // defaults the first time) and today's date.
    explicit SheetDialog(QWidget* parent);

    // The dialog's values into the request: its heading, standby pumps,
    // hours per year and price; its duty point and selection stay.
    void fill(sheet::Request& request) const;

    // Remembers the values for the next sheet, then closes the dialog.
    void accept() override;

    QLineEdit* projectBox;
    QLineEdit* projectNumberBox;
    QLineEdit* systemBox;
    QLineEdit* designerBox;
    QLineEdit* checkerBox;
    QDateEdit* dateBox;
    QLineEdit* basisBox;
    QSpinBox* standbyBox;
    QDoubleSpinBox* hoursBox;
    QDoubleSpinBox* priceBox;
};

// The sheet of the chosen pump: asks the dialog's values and builds the
// sheet for them with the ranked pumps as alternatives. Nothing when the
// user cancels, or when the record cannot be read any more (its file
// changed since the search), which the user is told.
std::optional<sheet::SheetContent> askForSheet(QWidget* parent, const pumpsel::catalogue::Catalogue& catalogue,
                                               const sheet::PumpChoice& choice, sheet::Request request,
                                               const std::vector<pumpsel::ranking::RankedPump>& ranked);

// Shows the sheet in Qt's print preview, on the sheet's A4 page; the user
// prints it from there or saves it as PDF.
void previewSheet(QWidget* parent, const sheet::SheetContent& content);

// Writes the sheet to `file` as PDF. When it cannot be written the user is
// told why and the file is left as it was; true when written.
bool saveSheetPdf(QWidget* parent, const sheet::SheetContent& content, const QString& file);

}  // namespace ui
