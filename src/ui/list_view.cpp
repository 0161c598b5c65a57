#include "ui/list_view.h"

#include "ui/geometry.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace ui {

class RowsModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setHeaders(const QStringList& headers) {
        beginResetModel();
        headers_ = headers;
        cells_.clear();
        endResetModel();
    }
    void append(std::vector<std::string> cells) {
        const int columns = columnCount();
        if (columns == 0 || cells.size() < static_cast<std::size_t>(columns)) return;
        cells.resize(cells.size() - cells.size() % columns);
        const int first = rowCount();
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(cells.size() / columns) - 1);
        if (cells_.empty())
            cells_ = std::move(cells);
        else
            cells_.insert(cells_.end(), std::make_move_iterator(cells.begin()), std::make_move_iterator(cells.end()));
        endInsertRows();
    }
    void clear() {
        beginResetModel();
        cells_.clear();
        endResetModel();
    }
    QString cell(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return QString();
        return QString::fromStdString(cells_[static_cast<std::size_t>(row) * columnCount() + column]);
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || headers_.isEmpty() ? 0 : static_cast<int>(cells_.size() / headers_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return QVariant();
        return cell(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
        return headers_.value(section);
    }

private:
    QStringList headers_;
    std::vector<std::string> cells_;
};

ListView::ListView(QWidget* parent, const QString& name) : QTreeView(parent), rows_(new RowsModel(this)) {
    setObjectName(name);
    setModel(rows_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListView::followSelection);
    connect(this, &QTreeView::clicked, this, &ListView::clickedRow);
}

void ListView::setColumns(const QList<std::pair<QString, int>>& columns) {
    QStringList headers;
    for (const auto& column : columns) headers << column.first;
    rows_->setHeaders(headers);
    for (int i = 0; i < columns.size(); ++i) setColumnWidth(i, px(columns[i].second));
}

void ListView::addRows(std::vector<std::string> cells) {
    const bool wasEmpty = rowCount() == 0;
    rows_->append(std::move(cells));
    if (wasEmpty && rowCount() > 0) selectRow(1);
}

void ListView::removeAllRows() {
    QScopedValueRollback byProgram(selectingByProgram_, true);
    rows_->clear();
    lastSelected_ = 0;
}

int ListView::rowCount() const { return rows_->rowCount(); }

QString ListView::text(int position, int column) const { return rows_->cell(position - 1, column); }

int ListView::selectedPosition() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

QString ListView::selectedText(int column) const { return text(selectedPosition(), column); }

QString ListView::headerText(int column) const {
    return rows_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QRect ListView::rowRect(int position) const { return visualRect(rows_->index(position - 1, 0)); }

void ListView::selectRow(int position) {
    const QModelIndex index = rows_->index(position - 1, 0);
    if (!index.isValid()) return;
    QScopedValueRollback byProgram(selectingByProgram_, true);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lastSelected_ = position;
}

void ListView::scrollToRow(int position) { scrollTo(rows_->index(position - 1, 0)); }

// Whatever the gesture, a row is selected alone, and nowhere (the blank area
// under the rows) selects nothing new; Ctrl never deselects.
QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index, const QEvent*) const {
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void ListView::mousePressEvent(QMouseEvent* event) {
    selectedAtPress_ = selectedPosition();
    QTreeView::mousePressEvent(event);
}

void ListView::followSelection() {
    if (selectingByProgram_) return;
    const int selected = selectedPosition();
    if (selected == 0) {  // a row is never left without a successor
        if (lastSelected_ > 0 && lastSelected_ <= rowCount()) selectRow(lastSelected_);
        return;
    }
    if (selected == lastSelected_) return;
    lastSelected_ = selected;
    emit itemClick();
}

// A click on the row that was already selected changes nothing, yet it is a
// click: the handler reads its row afresh.
void ListView::clickedRow() {
    if (selectedPosition() != 0 && selectedPosition() == selectedAtPress_) emit itemClick();
}

}  // namespace ui
