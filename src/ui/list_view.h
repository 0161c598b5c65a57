#pragma once
// A list in report view: column headers, rows of texts, one selected row
// addressed by its 1-based position, and an item-click event.
#include <QStringList>
#include <QTreeWidget>

namespace ui {

class ListView : public QTreeWidget {
    Q_OBJECT
public:
    ListView(QWidget* parent, const QString& name);

    // Columns are given as header text and width in twips.
    void setColumns(const QList<std::pair<QString, int>>& columns);

    // Appends rows (each row's texts: the item text, then its sub-items).
    // Rows added to an empty list make the first row the selected row.
    void addRows(const QList<QStringList>& rows);
    void addRow(const QStringList& texts) { addRows({texts}); }
    void removeAllRows();

    int rowCount() const { return topLevelItemCount(); }
    QString text(int position, int column = 0) const;  // 1-based position
    // The selected row's 1-based position, or 0 when no row is selected.
    int selectedPosition() const;
    QString selectedText(int column = 0) const;
    void selectRow(int position);

signals:
    // The user clicked a row, or moved the selection with the keyboard.
    void itemClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ui
