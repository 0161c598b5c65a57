#pragma once
// The window "全部厂家选型", where an engineer selects a pump: the pumps of
// every maker of a kind that fit the duty point, or nearly fit it, ranked,
// in a table and on a Q–H chart, for a selection beyond the duty point (a
// system curve, several pumps together, the speed for the duty point, the
// flow unit). Enter or a double-click opens the results window on the row's
// maker and pump. Unlike the program's other windows it is resizable.
#include "allmakers/pump_chart.h"
#include "catalogue/kind_search.h"
#include "sheet/sheet.h"
#include "ui/window.h"

#include <QString>
#include <functional>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QSplitter;
class QTableView;
class QLabel;

namespace ui {

class CatalogueSelection;
class Hyperlink;
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

    QLineEdit* dutyLine;        // kind and duty point
    QSpinBox* toleranceBox;     // near misses, in percent
    QLineEdit* staticHeadBox;   // the system curve's static head Hs, m; empty: no system curve
    QSpinBox* pumpsBox;         // how many identical pumps work together
    QComboBox* arrangementBox;  // 并联 or 串联
    QCheckBox* speedBox;        // 变频: the speed for the duty point
    QComboBox* unitBox;         // the flow unit shown, remembered for the user
    QSplitter* splitter;        // the table above, the chart below
    QTableView* table;
    QLabel* statusLine;  // makers whose files gave nothing
    PumpChart* chart;
    QPushButton* sheetButton;  // 计算书… of the selected pump
    QPushButton* exportButton;
    QPushButton* closeButton;
    ui::Hyperlink* banner;

    // The selection the inputs give, as last accepted.
    const pumpsel::duty::Selection& dutySelection() const { return terms_.selection; }
    // The line above the exported chart: kind, duty point, system curve, pumps, speed.
    QString chartTitle() const;

    // Handlers.
    void toleranceChanged();
    // Any input of the selection: a selection the duty point allows re-ranks
    // at once; a static head it does not allow marks its box and changes nothing.
    void selectionChanged();
    void rowChanged();
    void lineClicked(int index);
    void openSelectedPump();
    void sheetClicked();
    void exportClicked();

    // Asks where to export the table (the chart goes beside it as a PNG) or,
    // with a name ending in .pdf, the selected pump's sheet; empty when the
    // user cancels. Replaceable, so that tests answer it.
    std::function<QString(QWidget*, const QString& suggested)> askExportFile;

    // The pump of a shown row (0-based, in the order shown).
    const pumpsel::ranking::RankedPump& shownPump(int row) const;
    int shownRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    QWidget* createSelectionInputs();
    QWidget* createTable();
    QHBoxLayout* createCommandRow();
    void orderTabs();
    static QString staticHeadTip();
    std::optional<pumpsel::duty::Selection> typedSelection();
    void showStaticHeadProblem(const QString& problem);
    // A pump by its maker's place and its record number.
    using PumpKey = std::pair<int, int>;
    static PumpKey keyOf(const pumpsel::ranking::RankedPump& pump);
    PumpKey selectedPump() const;  // {0, 0} without one
    void showListing(pumpsel::ranking::KindListing listing);
    void rerank();
    void showPumps(std::vector<pumpsel::ranking::RankedPump> pumps, PumpKey selected);
    void showUnreadMakers(const std::vector<pumpsel::ranking::UnreadMaker>& unread);
    pumpsel::ranking::Terms rankingTerms() const;
    void sizeColumns();
    void drawChart();
    std::vector<PumpChart::Pump> chartPumps() const;
    std::vector<const pumpsel::ranking::RankedPump*> shownPumps() const;
    int selectedRow() const;  // in the order shown; -1 without one
    // The selected pump's sheet, after its dialog; nothing when cancelled.
    std::optional<sheet::SheetContent> selectedPumpSheet();
    void exportSheet(const QString& path);

    CatalogueSelection& selection_;
    pumpsel::ranking::Terms terms_;  // the duty point as typed, in m³/h; the selection as last accepted
    RankedModel* model_;
    QSortFilterProxyModel* sorted_;
};

}  // namespace ui
