#pragma once
// The pumps of a kind-wide search as rows of a table: one row per pump, in
// rank order; near misses in grey. Sorting is left to a proxy, which sorts
// the figures by their values and everything else by its text.
#include "catalogue/kind_search.h"

#include <QAbstractTableModel>

namespace ui {

class RankedModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The role a sorting proxy sorts by.
    static constexpr int kSortRole = Qt::UserRole;

    void setPumps(std::vector<pumpsel::ranking::RankedPump> pumps);
    const pumpsel::ranking::RankedPump& pump(int row) const { return pumps_.at(static_cast<std::size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<pumpsel::ranking::RankedPump> pumps_;
    std::vector<QStringList> texts_;  // made once: rows are drawn and sorted many times
};

}  // namespace ui
