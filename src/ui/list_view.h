#pragma once
// A list in report view: column headers, rows of texts, one selected row
// addressed by its 1-based position, and an item-click event. Rows are kept
// as plain UTF-8 texts and turned into display text only when drawn, so that
// tens of thousands of rows are added in a moment.
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
    // The user clicked a row, or moved the selection with the keyboard.
    void itemClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    RowsModel* rows_;
};

}  // namespace ui
