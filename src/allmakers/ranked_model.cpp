#include "allmakers/ranked_model.h"

#include <QColor>

namespace ui {

namespace ranking = pumpsel::ranking;

namespace {
constexpr int kDeviationColumn = static_cast<int>(ranking::Column::HeadDeviation);
constexpr int kPositionColumn = static_cast<int>(ranking::Column::FlowPosition);
}  // namespace

void RankedModel::setPumps(std::vector<ranking::RankedPump> pumps) {
    beginResetModel();
    pumps_ = std::move(pumps);
    texts_.clear();
    texts_.reserve(pumps_.size());
    for (const auto& pump : pumps_) {
        QStringList texts;
        for (const std::string& text : ranking::rowTexts(pump, {})) texts << QString::fromStdString(text);
        texts_.push_back(texts);
    }
    endResetModel();
}

int RankedModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pumps_.size());
}

int RankedModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ranking::columnsOf({}).size());
}

QVariant RankedModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const ranking::RankedPump& pump = pumps_[row];
    switch (role) {
        case Qt::DisplayRole:
            return texts_[row].value(index.column());
        case Qt::ForegroundRole:
            return pump.row.match->fits ? QVariant() : QVariant(QColor(Qt::gray));
        case Qt::ToolTipRole:
            return pump.row.match->fits ? QVariant() : texts_[row].value(static_cast<int>(ranking::Column::Reason));
        case kSortRole:
            // Figures sort by size, a pump without one last; the rest by text.
            if (index.column() == kDeviationColumn) return pump.figures.headDeviation.value_or(1e300);
            if (index.column() == kPositionColumn) return pump.figures.flowPosition.value_or(1e300);
            return texts_[row].value(index.column());
        default:
            return {};
    }
}

QVariant RankedModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(ranking::headerTexts({}).at(static_cast<std::size_t>(section)));
}

}  // namespace ui
