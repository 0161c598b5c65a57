#include "sheet/figures.h"

#include <cmath>

namespace ui::sheet {

namespace {

int decimalsOf(Quantity quantity) {
    switch (quantity) {
        case Quantity::Flow:
        case Quantity::LitreFlow:
        case Quantity::Head:
        case Quantity::Power:
        case Quantity::Price:
            return 2;
        case Quantity::Percent:
        case Quantity::SignedPercent:
            return 1;
        case Quantity::Speed:
        case Quantity::Energy:
        case Quantity::Money:
        case Quantity::Hours:
            break;
    }
    return 0;
}

const QString kUnknown = QStringLiteral("—");

}  // namespace

QString figureText(std::optional<double> value, Quantity quantity) {
    if (!value || !std::isfinite(*value)) return kUnknown;
    QString text = QString::number(*value, 'f', decimalsOf(quantity));
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0) text.remove(0, 1);  // no "-0.0"
    if (quantity == Quantity::SignedPercent && !text.startsWith(QLatin1Char('-'))) text.prepend(QLatin1Char('+'));
    return text;
}

QString unitText(Quantity quantity) {
    switch (quantity) {
        case Quantity::Flow:
            return QString::fromUtf8(pumpsel::duty::unitText(pumpsel::duty::FlowUnit::CubicMetresPerHour));
        case Quantity::LitreFlow:
            return QString::fromUtf8(pumpsel::duty::unitText(pumpsel::duty::FlowUnit::LitresPerSecond));
        case Quantity::Head:
            return QStringLiteral("m");
        case Quantity::Percent:
        case Quantity::SignedPercent:
            return QStringLiteral("%");
        case Quantity::Power:
            return QStringLiteral("kW");
        case Quantity::Speed:
            return QStringLiteral("r/min");
        case Quantity::Energy:
            return QStringLiteral("kWh");
        case Quantity::Money:
            return QStringLiteral("元");
        case Quantity::Price:
            return QStringLiteral("元/kWh");
        case Quantity::Hours:
            return QStringLiteral("h");
    }
    return {};
}

QString withUnit(std::optional<double> value, Quantity quantity) {
    const QString figure = figureText(value, quantity);
    return figure == kUnknown ? figure : figure + QLatin1Char(' ') + unitText(quantity);
}

QString flowText(std::optional<double> cubicMetresPerHour) {
    if (!cubicMetresPerHour) return kUnknown;
    const double litres = pumpsel::duty::inUnit(*cubicMetresPerHour, pumpsel::duty::FlowUnit::LitresPerSecond);
    return withUnit(cubicMetresPerHour, Quantity::Flow) + QStringLiteral(" (") + withUnit(litres, Quantity::LitreFlow) +
           QLatin1Char(')');
}

QString verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Pass:
            return QStringLiteral("合格");
        case Verdict::Fail:
            return QStringLiteral("不合格");
        case Verdict::NoCurveData:
            return QStringLiteral("无曲线数据");
        case Verdict::NotKnown:
            break;
    }
    return QStringLiteral("数据不足");
}

QString dataText(pumpsel::curves::Data data) {
    return data == pumpsel::curves::Data::Curve ? QStringLiteral("曲线") : QStringLiteral("范围");
}

}  // namespace ui::sheet
