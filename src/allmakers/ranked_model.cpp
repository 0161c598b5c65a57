#include "allmakers/ranked_model.h"

#include <QColor>

#include <algorithm>
#include <limits>

namespace ui {

namespace ranking = pumpsel::ranking;
using ranking::Column;

namespace {

QString qText(const std::string& utf8) { return QString::fromStdString(utf8); }

// The figure a column shows, for sorting by value: none for a column of
// text; an unknown figure for a pump without one.
std::optional<std::optional<double>> figureIn(const ranking::RankedPump& pump, Column column) {
    const ranking::Figures& f = pump.figures;
    switch (column) {
        case Column::Power:
            return std::optional<double>(pumpsel::records::singleValue(pump.row.power));
        case Column::HeadDeviation:
            return f.headDeviation;
        case Column::FlowPosition:
            return f.flowPosition;
        case Column::WorkingFlow:
            return f.working ? std::optional(f.working->flow) : std::nullopt;
        case Column::WorkingHead:
            return f.working ? std::optional(f.working->head) : std::nullopt;
        case Column::Efficiency:
            return f.efficiency;
        case Column::ShaftPower:
            return f.shaftPower;
        case Column::Npsh:
            return f.npshRequired;
        case Column::Speed:
            return f.speed;
        default:
            return std::nullopt;
    }
}

// Texts a column may be too narrow for.
bool isLongText(Column column) {
    return column == Column::Maker || column == Column::Model || column == Column::Reason || column == Column::Remark;
}

}  // namespace

void RankedModel::setPumps(std::vector<ranking::RankedPump> pumps, const pumpsel::duty::Selection& selection) {
    beginResetModel();
    pumps_ = std::move(pumps);
    selection_ = selection;
    columns_ = ranking::columnsOf(selection);
    headers_.clear();
    // The unit on a line of its own, so that a column is no wider than its figures need.
    for (const std::string& header : ranking::headerTexts(selection))
        headers_ << qText(header).replace(QLatin1Char('('), QStringLiteral("\n("));
    texts_.assign(pumps_.size(), {});
    endResetModel();
}

std::vector<ranking::RankedPump> RankedModel::takePumps() {
    beginResetModel();
    std::vector<ranking::RankedPump> pumps = std::move(pumps_);
    pumps_.clear();
    texts_.clear();
    endResetModel();
    return pumps;
}

const QStringList& RankedModel::rowTexts(std::size_t row) const {
    QStringList& texts = texts_[row];
    if (texts.isEmpty())
        for (const std::string& text : ranking::rowTexts(pumps_[row], selection_)) texts << qText(text);
    return texts;
}

int RankedModel::columnOf(Column column) const {
    const auto found = std::find(columns_.begin(), columns_.end(), column);
    return found == columns_.end() ? -1 : static_cast<int>(found - columns_.begin());
}

int RankedModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pumps_.size());
}

int RankedModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RankedModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const ranking::RankedPump& pump = pumps_[row];
    const QString& text = rowTexts(row)[index.column()];
    switch (role) {
        case Qt::DisplayRole:
            return text;
        case Qt::ForegroundRole:
            return pump.row.match->fits ? QVariant() : QVariant(QColor(Qt::gray));
        case Qt::ToolTipRole:
            if (isLongText(columns_[static_cast<std::size_t>(index.column())]))
                return text.isEmpty() ? QVariant() : text;
            return pump.row.match->fits ? QVariant() : rowTexts(row)[columnOf(Column::Reason)];
        case kSortRole:
            return sortValue(row, index.column());
        default:
            return {};
    }
}

// Figures sort by size, a pump without one last; the rest by text.
QVariant RankedModel::sortValue(std::size_t row, int column) const {
    const auto figure = figureIn(pumps_[row], columns_[static_cast<std::size_t>(column)]);
    if (!figure) return rowTexts(row)[column];
    return figure->value_or(std::numeric_limits<double>::max());
}

QVariant RankedModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return headers_.value(section);
}

}  // namespace ui
