#pragma once
// The pumps of a kind-wide search as rows of a table: one row per pump, in
// rank order, in the ranking's columns for the selection with its texts;
// near misses in grey. Sorting is left to a proxy, which sorts the figures
// by their values and everything else by its text.
#include "catalogue/kind_search.h"

#include <QAbstractTableModel>

namespace ui {

class RankedModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The role a sorting proxy sorts by.
    static constexpr int kSortRole = Qt::UserRole;

    // The pumps as ranked for `selection`, whose columns and unit they show.
    void setPumps(std::vector<pumpsel::ranking::RankedPump> pumps, const pumpsel::duty::Selection& selection);
    // The pumps handed back, for ranking them again; the model is left empty.
    std::vector<pumpsel::ranking::RankedPump> takePumps();
    const pumpsel::ranking::RankedPump& pump(int row) const { return pumps_.at(static_cast<std::size_t>(row)); }
    // All of them, in rank order whatever the view's sorting.
    const std::vector<pumpsel::ranking::RankedPump>& pumps() const { return pumps_; }
    // Where a column of the ranking is shown; -1 when the selection does not show it.
    int columnOf(pumpsel::ranking::Column column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // The text; grey for a near miss; as tooltip the whole text of a maker,
    // model, reason or remark (which a narrow column cuts), else a near
    // miss's reason; figures by value for sorting.
    QVariant data(const QModelIndex& index, int role) const override;
    // The ranking's header, its unit on a second line.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QStringList& rowTexts(std::size_t row) const;
    QVariant sortValue(std::size_t row, int column) const;

    std::vector<pumpsel::ranking::RankedPump> pumps_;
    pumpsel::duty::Selection selection_;
    std::vector<pumpsel::ranking::Column> columns_;
    QStringList headers_;
    // A row's texts, made when first asked: a view draws the rows in sight
    // of thousands, and draws and sorts them many times.
    mutable std::vector<QStringList> texts_;
};

}  // namespace ui
