// The chart module on its own: tick choice, the data ↔ pixel mapping, what
// a pointer hits, and what lands where in a rendered image.
#include "chart/chart.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <cmath>

using namespace ui::chart;

namespace {

void expectTicks(const Ticks& ticks, double first, double last, double step) {
    EXPECT_DOUBLE_EQ(ticks.first, first);
    EXPECT_DOUBLE_EQ(ticks.last, last);
    EXPECT_DOUBLE_EQ(ticks.step, step);
}

QStringList labels(const Ticks& ticks) {
    QStringList texts;
    for (int i = 0; i < ticks.count(); ++i) texts << ticks.label(i);
    return texts;
}

// A white image at a 96 dpi screen's resolution unless told otherwise.
QImage canvas(QSize size = {480, 320}, double dpi = 96) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(std::lround(dpi / 0.0254));
    image.setDotsPerMeterY(std::lround(dpi / 0.0254));
    return image;
}

void render(const Chart& chart, QImage& image) {
    QPainter painter(&image);
    chart.render(painter, image.rect());
}

// The pixel whose square holds `point`.
QColor pixel(const QImage& image, QPointF point) {
    return image.pixelColor(int(std::floor(point.x())), int(std::floor(point.y())));
}

// A chart whose axes both run 0 to 10 in steps of 2, whatever is on it.
Chart tenByTen() {
    Chart chart;
    chart.bottom = {QStringLiteral("流量 Q (m³/h)"), Ticks{0, 10, 2}};
    chart.left = {QStringLiteral("扬程 H (m)"), Ticks{0, 10, 2}};
    chart.legendPlace = LegendPlace::Hidden;
    return chart;
}

Series line(QPointF from, QPointF to, QColor colour, double width = 1.5) {
    return Series{.points = {from, to}, .look = {colour, width, LineStyle::Solid}};
}

bool isRed(QColor colour) { return colour.red() > 150 && colour.green() < 110 && colour.blue() < 110; }

}  // namespace

// Each by hand: the first step of 1, 2, 2.5, 5 × 10ⁿ whose whole-step range
// holds the data in at most 8 ticks.
TEST(ChartTicks, RoundStepsOnAwkwardRanges) {
    // 0–37.4: steps 1, 2, 2.5 need 39, 20, 16 ticks; 5 needs 0..40, 9; 10 gives 0..40, 5.
    expectTicks(niceTicks(0, 37.4), 0, 40, 10);
    // 0–0.83: 0.1 needs 10 ticks (0..0.9); 0.2 gives 0..1.0, 6.
    const Ticks small = niceTicks(0, 0.83);
    expectTicks(small, 0, 1, 0.2);
    EXPECT_EQ(labels(small), (QStringList{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    // 12–13 starts far from 0 (12 > 13 / 3): 0.1 needs 11 ticks, 0.2 gives 12..13, 6.
    const Ticks narrow = niceTicks(12, 13);
    expectTicks(narrow, 12, 13, 0.2);
    EXPECT_EQ(labels(narrow), (QStringList{"12.0", "12.2", "12.4", "12.6", "12.8", "13.0"}));
    // 0–17: step 2 needs 0..18, 10 ticks; 2.5 gives 0..17.5, 8, one decimal.
    const Ticks quarter = niceTicks(0, 17);
    expectTicks(quarter, 0, 17.5, 2.5);
    EXPECT_EQ(labels(quarter).last(), "17.5");
    // 0–1.6: 0.2 needs 0..1.6, 9 ticks; 0.25 gives 0..1.75, 8, two decimals.
    EXPECT_EQ(labels(niceTicks(0, 1.6)), (QStringList{"0.00", "0.25", "0.50", "0.75", "1.00", "1.25", "1.50", "1.75"}));
    // Across 0: 1 needs -4..8, 13 ticks; 2 gives -4..8, 7, and "0" is not "-0".
    const Ticks across = niceTicks(-3.2, 7.9);
    expectTicks(across, -4, 8, 2);
    EXPECT_EQ(labels(across), (QStringList{"-4", "-2", "0", "2", "4", "6", "8"}));
}

TEST(ChartTicks, ZeroRangesAndTheStartAtZero) {
    expectTicks(niceTicks(0, 0), 0, 1, 0.2);
    // 5 alone: 0..10, where 1 needs 11 ticks and 2 gives 6.
    expectTicks(niceTicks(5, 5), 0, 10, 2);
    // -5 alone: -10..0 likewise.
    expectTicks(niceTicks(-5, -5), -10, 0, 2);
    // 10–40 starts within the lower third (10 ≤ 40 / 3): from 0, step 5 needs 9 ticks, 10 gives 5.
    expectTicks(niceTicks(10, 40), 0, 40, 10);
    // 20–40 does not: step 2.5 needs 20..40, 9 ticks; 5 gives 5.
    expectTicks(niceTicks(20, 40), 20, 40, 5);
    // The order of the ends does not matter.
    expectTicks(niceTicks(37.4, 0), 0, 40, 10);
}

TEST(ChartGeometry, MappingBothWaysOnEachAxis) {
    // Plot 200 × 100 at (50, 20): x 0..10 over 200 px, left 0..50 and right 0..100 over 100 px, upwards.
    const Mapping mapping(QRectF(50, 20, 200, 100), Ticks{0, 10, 2}, Ticks{0, 50, 10}, Ticks{0, 100, 20});
    // x 2.5 is a quarter across: 50 + 50; y 10 is a fifth up on the left: 120 - 20, a tenth on the right: 120 - 10.
    EXPECT_EQ(mapping.toPixel({2.5, 10}), QPointF(100, 100));
    EXPECT_EQ(mapping.toPixel({2.5, 10}, AxisSide::Right), QPointF(100, 110));
    // (150, 70) is half across and half up: x 5, left 25, right 50.
    EXPECT_EQ(mapping.toData({150, 70}), QPointF(5, 25));
    EXPECT_EQ(mapping.toData({150, 70}, AxisSide::Right), QPointF(5, 50));
    // Without a right axis, the right side is the left axis.
    const Mapping oneSided(QRectF(50, 20, 200, 100), Ticks{0, 10, 2}, Ticks{0, 50, 10}, std::nullopt);
    EXPECT_EQ(oneSided.toPixel({2.5, 10}, AxisSide::Right), QPointF(100, 100));
}

TEST(ChartGeometry, HitTestTakesTheNearestLineWithinTheTolerance) {
    Chart chart = tenByTen();
    chart.series = {line({1, 3}, {9, 3}, Qt::blue), line({1, 7}, {9, 7}, Qt::blue), line({-5, 5}, {20, 5}, Qt::blue)};
    const QImage device = canvas();
    const Mapping mapping = chart.layout(device, device.rect()).mapping;
    auto hit = [&](QPointF pixel, double tolerance = 4) {
        return chart.hitTest(device, device.rect(), pixel, tolerance);
    };

    const QPointF onLow = mapping.toPixel({4, 3});
    EXPECT_EQ(hit(onLow), 0);
    EXPECT_EQ(hit(onLow + QPointF(0, 3.5)), 0);
    EXPECT_EQ(hit(onLow + QPointF(0, 4.5)), -1);
    // Past the end of a segment the distance is to its end point.
    const QPointF end = mapping.toPixel({9, 7});
    EXPECT_EQ(hit(end + QPointF(3.5, 0)), 1);
    EXPECT_EQ(hit(end + QPointF(4.5, 0)), -1);
    // Between lines 0 and 1 (y 3 and 7), with a tolerance that reaches both:
    // at y 4.5 line 0 is nearer, at y 6.5 line 1.
    chart.series.pop_back();
    const double apart = mapping.toPixel({4, 3}).y() - mapping.toPixel({4, 7}).y();
    EXPECT_EQ(hit(mapping.toPixel({4, 4.5}), apart), 0);
    EXPECT_EQ(hit(mapping.toPixel({4, 6.5}), apart), 1);
    // Of two lines equally near, the one drawn later, on top.
    chart.series.push_back(chart.series[0]);
    EXPECT_EQ(hit(onLow), 2);
    // A line running off the plot is not hit where it is not drawn.
    chart.series = {line({-5, 5}, {20, 5}, Qt::blue)};
    EXPECT_EQ(hit(mapping.toPixel({5, 5})), 0);
    EXPECT_EQ(hit(mapping.toPixel({-0.5, 5})), -1);
}

TEST(ChartRendering, LinesAndBandsLandWhereTheMappingSays) {
    Chart chart = tenByTen();
    chart.right = Axis{QStringLiteral("效率 (%)"), Ticks{0, 100, 20}};
    // Off the grid lines (even values) so that only the drawing colours the sampled pixels.
    chart.series = {line({1, 3}, {9, 3}, Qt::blue, 3),
                    Series{.points = {{1, 70}, {9, 70}}, .look = {Qt::red, 3}, .axis = AxisSide::Right}};
    chart.bands = {Band{4.2, 5.8, {QColor(255, 200, 0, 80)}}};
    QImage image = canvas();
    render(chart, image);
    const Mapping mapping = chart.layout(image, image.rect()).mapping;
    const QRectF plot = mapping.plot();

    EXPECT_EQ(pixel(image, mapping.toPixel({3, 3})), QColor(Qt::blue));
    EXPECT_EQ(pixel(image, mapping.toPixel({3, 3}) - QPointF(0, 6)), QColor(Qt::white));
    // 70 on the right axis of 0..100 is 70 % up the plot.
    EXPECT_EQ(pixel(image, QPointF(plot.left() + plot.width() * 0.3, plot.bottom() - 0.7 * plot.height())),
              QColor(Qt::red));
    // The band over white at alpha 80/255: green 200·80/255 + 255·175/255 ≈ 237.7, blue 255·175/255 = 175.
    const QColor band = pixel(image, mapping.toPixel({5, 5}));
    EXPECT_EQ(band.red(), 255);
    EXPECT_NEAR(band.green(), 238, 1);
    EXPECT_NEAR(band.blue(), 175, 1);
    EXPECT_EQ(pixel(image, mapping.toPixel({3.5, 5})), QColor(Qt::white));
}

TEST(ChartRendering, NothingIsDrawnOffThePlot) {
    Chart chart = tenByTen();
    chart.series = {line({-5, 5}, {20, 5}, Qt::red, 4), line({5, -3}, {5, 14}, Qt::red, 4)};
    chart.markers = {Marker{.at = {12, 8}, .look = {MarkerShape::Square, 12, Qt::red}}};
    QImage image = canvas();
    render(chart, image);
    const QRectF plot = chart.layout(image, image.rect()).mapping.plot();
    ASSERT_TRUE(isRed(pixel(image, chart.layout(image, image.rect()).mapping.toPixel({2, 5}))));
    const QRect allowed = plot.toAlignedRect().adjusted(-1, -1, 1, 1);
    int redOutside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!allowed.contains(x, y) && isRed(image.pixelColor(x, y))) ++redOutside;
    EXPECT_EQ(redOutside, 0);
}

TEST(ChartRendering, ASmoothLineEndsRoundAStraightOneSquare) {
    for (bool smooth : {false, true}) {
        Chart chart = tenByTen();
        chart.series = {Series{.points = {{1, 5}, {5, 5}}, .look = {Qt::blue, 10}, .smooth = smooth}};
        QImage image = canvas();
        render(chart, image);
        const QPointF end = chart.layout(image, image.rect()).mapping.toPixel({5, 5});
        // A round end reaches half the width (5 px) past the last point; a square one stops at it.
        EXPECT_EQ(pixel(image, end + QPointF(3, 0)) == QColor(Qt::blue), smooth) << "smooth " << smooth;
        EXPECT_EQ(pixel(image, end - QPointF(2, 0)), QColor(Qt::blue));
    }
}

TEST(ChartRendering, TheLegendTakesTheFreeCornerOrTheRoomBelow) {
    Chart chart = tenByTen();
    chart.legendPlace = LegendPlace::InsideFreeCorner;
    // A rising diagonal fills the top-right and bottom-left corners.
    chart.series = {Series{.points = {{0, 0}, {10, 10}}, .look = {Qt::blue, 2}, .name = QStringLiteral("甲厂 A-1")}};
    chart.markers = {
        Marker{.at = {8, 2}, .look = {MarkerShape::Diamond, 11, QColor(0, 120, 60)}, .name = QStringLiteral("工况点")}};
    QImage image = canvas();
    render(chart, image);
    ChartLayout layout = chart.layout(image, image.rect());
    const QRectF plot = layout.mapping.plot();
    ASSERT_EQ(layout.legendEntries.size(), 2u);  // one for each named item
    EXPECT_TRUE(plot.contains(layout.legend));
    EXPECT_LT(layout.legend.center().x(), plot.center().x());
    EXPECT_LT(layout.legend.center().y(), plot.center().y());
    EXPECT_LE(layout.legendEntries[0].bottom(), layout.legendEntries[1].top());
    // Each entry's text is drawn: dark pixels right of its sample.
    for (const QRectF& entry : layout.legendEntries) {
        int dark = 0;
        const QRect text = entry.adjusted(32, 0, 0, 0).toRect();
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x) dark += image.pixelColor(x, y).value() < 100;
        EXPECT_GT(dark, 20) << "entry at " << entry.top();
    }

    // Below the plot: under the axis title, inside the image, the entries apart.
    chart.legendPlace = LegendPlace::Below;
    chart.series.push_back(Series{.points = {{0, 9}, {3, 9}},
                                  .look = {Qt::gray, 2, LineStyle::Dashed},
                                  .name = QStringLiteral("近似水泵 (虚线)")});
    chart.bands = {Band{4, 6, {QColor(0, 200, 0, 60)}, QStringLiteral("高效区")}};
    layout = chart.layout(image, image.rect());
    ASSERT_EQ(layout.legendEntries.size(), 4u);
    EXPECT_GT(layout.legend.top(), layout.bottomTitle.bottom());
    EXPECT_GT(layout.bottomTitle.top(), layout.mapping.plot().bottom());
    for (std::size_t i = 0; i < layout.legendEntries.size(); ++i) {
        EXPECT_TRUE(QRectF(image.rect()).contains(layout.legendEntries[i]));
        for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(layout.legendEntries[i].intersects(layout.legendEntries[j]));
    }
}

TEST(ChartRendering, FontsAndLengthsFollowTheDevicesResolution) {
    Chart chart = tenByTen();
    chart.title = QStringLiteral("离心泵 选型");
    chart.note = QStringLiteral("显示前 100 台");
    // The same 5 × 3.33 inches at 96 and at 192 dpi: the plot takes the same share of it.
    const QImage screen = canvas({480, 320}, 96), print = canvas({960, 640}, 192);
    const QRectF small = chart.layout(screen, screen.rect()).mapping.plot();
    const QRectF large = chart.layout(print, print.rect()).mapping.plot();
    EXPECT_NEAR(large.left(), 2 * small.left(), 3);
    EXPECT_NEAR(large.top(), 2 * small.top(), 3);
    EXPECT_NEAR(large.width(), 2 * small.width(), 4);
    EXPECT_NEAR(large.height(), 2 * small.height(), 4);
}
