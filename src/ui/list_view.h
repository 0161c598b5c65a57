#pragma once
// A list in report view: column headers, rows of texts, one selected row
// addressed by its 1-based position, and an item-click event. Rows are kept
// as plain UTF-8 texts and turned into display text only when drawn, so that
// tens of thousands of rows are added in a moment.
//
// While the list holds rows exactly one of them is selected: nothing the
// user does (a click in the blank area, Ctrl+click, Ctrl+Space) leaves it
// without one, and every change of the selected row the user makes (click,
// drag, keys) raises itemClick, so the window's view of the row never lags
// behind the list.
#include <QStringList>
#include <QTreeView>
#include <string>
#include <vector>

namespace ui {

class RowsModel;

class ListView : public QTreeView {
    Q_OBJECT
public:
    ListView(QWidget* parent, const QString& name);

    // Columns are given as header text and width in twips.
    void setColumns(const QList<std::pair<QString, int>>& columns);

    // Appends rows, given as their texts row after row (the item text, then
    // its sub-items). Rows added to an empty list make the first row the
    // selected row.
    void addRows(std::vector<std::string> cells);
    void removeAllRows();

    int rowCount() const;
    QString text(int position, int column = 0) const;  // 1-based position
    // The selected row's 1-based position, or 0 when no row is selected.
    int selectedPosition() const;
    QString selectedText(int column = 0) const;
    QString headerText(int column) const;
    QRect rowRect(int position) const;  // in the viewport
    void selectRow(int position);
    void scrollToRow(int position);

signals:
    // The user clicked a row or moved the selection to another row, by
    // mouse or keys. Rows selected by the program raise nothing: the program
    // runs the handler itself where it needs to.
    void itemClick();

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void followSelection();
    void clickedRow();

    RowsModel* rows_;
    bool selectingByProgram_ = false;
    int lastSelected_ = 0;  // the row the handler last saw selected
    int selectedAtPress_ = 0;
};

}  // namespace ui
