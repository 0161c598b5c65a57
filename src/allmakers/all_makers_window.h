#pragma once
// The window "全部厂家选型": the pumps of every maker of a kind that fit the
// duty point, or nearly fit it, ranked, in a table and on a Q–H chart. Enter
// or a double-click opens the results window on the row's maker and pump.
#include "catalogue/kind_search.h"
#include "ui/window.h"

#include <QString>
#include <functional>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;
class QLabel;

namespace ui {

class CatalogueSelection;
class Hyperlink;
class PumpChart;
class RankedModel;

class AllMakersWindow : public Window {
    Q_OBJECT
public:
    // The kind and the duty point (as typed, already checked) come from the
    // selection window, whose maker the window changes to open a pump.
    AllMakersWindow(CatalogueSelection& selection, pumpsel::ranking::Terms terms, QWidget* owner);

    // Scans the kind's makers; a scan that takes long shows its progress and
    // can be cancelled. False when it was.
    bool search();

    QLineEdit* dutyLine;     // kind and duty point
    QSpinBox* toleranceBox;  // near misses, in percent
    QTableView* table;
    QLabel* statusLine;  // makers whose files gave nothing
    PumpChart* chart;
    QPushButton* exportButton;
    QPushButton* closeButton;
    ui::Hyperlink* banner;

    // Handlers.
    void toleranceChanged();
    void rowChanged();
    void lineClicked(int index);
    void openSelectedPump();
    void exportClicked();

    // Asks where to export the table (the chart goes beside it as a PNG);
    // empty when the user cancels. Replaceable, so that tests answer it.
    std::function<QString(QWidget*, const QString& suggested)> askExportFile;

    // The pump of a shown row (0-based, in the order shown).
    const pumpsel::ranking::RankedPump& shownPump(int row) const;
    int shownRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void orderTabs();
    void showListing(pumpsel::ranking::KindListing listing);
    void showUnreadMakers(const std::vector<pumpsel::ranking::UnreadMaker>& unread);
    void drawChart();
    std::vector<const pumpsel::ranking::RankedPump*> shownPumps() const;
    int selectedRow() const;  // in the order shown; -1 without one

    CatalogueSelection& selection_;
    pumpsel::ranking::Terms terms_;
    RankedModel* model_;
    QSortFilterProxyModel* sorted_;
};

}  // namespace ui
