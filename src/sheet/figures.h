#pragma once
// How the sheet writes its figures: each kind of quantity with its decimals
// and its unit, in one place for the sheet and for whoever reads it back.
#include "sheet/sheet.h"

#include <QString>
#include <optional>

namespace ui::sheet {

enum class Quantity {
    Flow,           // m³/h, 2 decimals
    LitreFlow,      // L/s, 2 decimals
    Head,           // m, 2 decimals
    Percent,        // %, 1 decimal
    SignedPercent,  // %, 1 decimal, with its sign: a deviation
    Power,          // kW, 2 decimals
    Speed,          // r/min, whole
    Energy,         // kWh, whole
    Money,          // 元, whole
    Price,          // 元/kWh, 2 decimals
    Hours,          // h, whole
};

// The figure alone: "21.82", "+16.7"; "—" when unknown.
QString figureText(std::optional<double> value, Quantity quantity);

// The unit: "m³/h", "L/s", "m", "%", "kW", "r/min", "kWh", "元", "元/kWh", "h".
QString unitText(Quantity quantity);

// The figure with its unit: "21.82 m³/h", "69.8 %"; "—" when unknown.
QString withUnit(std::optional<double> value, Quantity quantity);

// A flow of m³/h in both units: "21.82 m³/h (6.06 L/s)".
QString flowText(std::optional<double> cubicMetresPerHour);

// "合格", "不合格", "无曲线数据", "数据不足".
QString verdictText(Verdict verdict);

// "曲线" or "范围".
QString dataText(pumpsel::curves::Data data);

}  // namespace ui::sheet
