#include "ui/list_view.h"

#include "ui/geometry.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace ui {

ListView::ListView(QWidget* parent, const QString& name) : QTreeWidget(parent) {
    setObjectName(name);
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
    connect(this, &QTreeWidget::itemClicked, this, [this] { emit itemClick(); });
}

void ListView::setColumns(const QList<std::pair<QString, int>>& columns) {
    QStringList headers;
    for (const auto& column : columns) headers << column.first;
    setColumnCount(static_cast<int>(columns.size()));
    setHeaderLabels(headers);
    for (int i = 0; i < columns.size(); ++i) setColumnWidth(i, px(columns[i].second));
}

void ListView::addRows(const QList<QStringList>& rows) {
    if (rows.isEmpty()) return;
    const bool wasEmpty = rowCount() == 0;
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& texts : rows) items.append(new QTreeWidgetItem(texts));
    addTopLevelItems(items);
    if (wasEmpty) selectRow(1);
}

void ListView::removeAllRows() { clear(); }

QString ListView::text(int position, int column) const {
    QTreeWidgetItem* item = topLevelItem(position - 1);
    return item ? item->text(column) : QString();
}

int ListView::selectedPosition() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOfTopLevelItem(selected.first()) + 1;
}

QString ListView::selectedText(int column) const { return text(selectedPosition(), column); }

void ListView::selectRow(int position) {
    QTreeWidgetItem* item = topLevelItem(position - 1);
    if (!item) return;
    setCurrentItem(item);
    item->setSelected(true);
}

void ListView::keyPressEvent(QKeyEvent* event) {
    const int before = selectedPosition();
    QTreeWidget::keyPressEvent(event);
    if (selectedPosition() != before && selectedPosition() != 0) emit itemClick();
}

}  // namespace ui
