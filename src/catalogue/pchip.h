#pragma once
// Monotone piecewise-cubic Hermite interpolation (PCHIP, Fritsch–Carlson),
// computed as scipy's PchipInterpolator computes it, and where such a curve
// crosses a parabola. A pump's head, efficiency, power and NPSH curves are of
// this kind; the pump does not run outside its curve's first and last flow,
// so nothing is known there.
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace pumpsel::curves {

// a + b·x², the shape of a system curve and of the affinity parabola.
struct Parabola {
    double a = 0, b = 0;
    double at(double x) const { return a + b * x * x; }
};

class Pchip {
public:
    // No curve: every value is unknown.
    Pchip() = default;

    // The curve through the points (x strictly ascending, as many y as x).
    // Two points give the straight line between them; fewer give no curve.
    Pchip(std::span<const double> x, std::span<const double> y);

    // The curve through the points whose x and y are both known.
    static Pchip throughKnown(std::span<const std::optional<double>> x, std::span<const std::optional<double>> y);

    bool empty() const { return knots_.empty(); }
    // The first and last x; the curve must not be empty.
    double first() const { return knots_.front().x; }
    double last() const { return knots_.back().x; }
    // The x of the first point beyond x; +∞ when there is none.
    double knotAbove(double x) const;

    // The value at x; unknown outside [first, last], for a NaN and for no curve.
    std::optional<double> at(double x) const;
    // The slope at x (continuous across the points), unknown where the value is.
    std::optional<double> slopeAt(double x) const;

    // The largest x in [first, last] where scale·y(x) equals the parabola,
    // to full double precision; unknown when they do not meet there. A
    // parabola that touches the curve without crossing it does not count
    // unless it meets a point exactly. No allocation.
    std::optional<double> largestMeeting(double scale, Parabola parabola) const;

private:
    // One point and the cubic that starts there: y + t·(slope + t·(c2 + t·c3)),
    // t = x − this x. The last point's cubic is never used.
    struct Knot {
        double x = 0, y = 0, slope = 0, c2 = 0, c3 = 0;
        double at(double t) const { return y + t * (slope + t * (c2 + t * c3)); }
        double derivativeAt(double t) const { return slope + t * (2 * c2 + t * 3 * c3); }
    };
    void fit();
    std::size_t pieceOf(double x) const;
    std::optional<double> meetingIn(std::size_t k, double scale, Parabola parabola) const;

    // One block per curve: a ranking reads many.
    std::vector<Knot> knots_;
};

}  // namespace pumpsel::curves
