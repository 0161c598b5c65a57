#include "catalogue/pchip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace pumpsel::curves {
namespace {

int sign(double v) { return (v > 0) - (v < 0); }

// The slope at an end from the two pieces next to it (h0, δ0 the nearer),
// kept from overshooting: 0 when it points against δ0, 3·δ0 when the data
// turn there and it is steeper than that.
double endSlope(double h0, double h1, double d0, double d1) {
    const double d = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
    if (sign(d) != sign(d0)) return 0;
    if (sign(d0) != sign(d1) && std::fabs(d) > 3 * std::fabs(d0)) return 3 * d0;
    return d;
}

// The roots of A·t² + B·t + C in (0, h), ascending; at most two.
std::size_t quadraticRootsWithin(double A, double B, double C, double h, std::array<double, 2>& roots) {
    std::array<double, 2> found{};
    std::size_t count = 0;
    if (A == 0) {
        if (B != 0) found[count++] = -C / B;
    } else if (const double disc = B * B - 4 * A * C; disc >= 0) {
        // The form that loses no digits when B² dwarfs 4AC.
        const double q = -0.5 * (B + std::copysign(std::sqrt(disc), B));
        found[count++] = q / A;
        if (q != 0) found[count++] = C / q;
    }
    std::size_t within = 0;
    for (std::size_t i = 0; i < count; ++i)
        if (found[i] > 0 && found[i] < h) roots[within++] = found[i];
    if (within == 2 && roots[0] > roots[1]) std::swap(roots[0], roots[1]);
    return within;
}

// The root of g between lo and hi, where g changes sign and is monotone:
// Newton steps, and bisection where a step would leave the bracket or does
// not shrink fast enough. Ends when no double lies nearer the root.
template <class G, class D>
double rootBetween(const G& g, const D& dg, double lo, double hi, double gLo, double gHi) {
    const bool negativeAtLo = gLo < 0;
    double x = lo + (hi - lo) / 2;
    double step = hi - lo, stepBefore = step;
    double gx = g(x), dgx = dg(x);
    for (int i = 0; i < 200 && gx != 0; ++i) {
        ((gx < 0) == negativeAtLo ? lo : hi) = x;
        ((gx < 0) == negativeAtLo ? gLo : gHi) = gx;
        const double newton = x - gx / dgx;
        if (newton == x) return x;  // a step below the spacing of doubles
        const bool newtonHolds = newton > lo && newton < hi && std::fabs(2 * gx) <= std::fabs(stepBefore * dgx);
        stepBefore = step;
        if (newtonHolds) {
            step = x - newton;
            x = newton;
        } else {
            step = (hi - lo) / 2;
            x = lo + step;
            if (x <= lo || x >= hi) return std::fabs(gLo) <= std::fabs(gHi) ? lo : hi;
        }
        gx = g(x);
        dgx = dg(x);
    }
    return x;
}

}  // namespace

Pchip::Pchip(std::span<const double> x, std::span<const double> y) {
    if (x.size() < 2 || x.size() != y.size()) return;
    knots_.reserve(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) knots_.push_back({x[k], y[k]});
    fit();
}

Pchip Pchip::throughKnown(std::span<const std::optional<double>> x, std::span<const std::optional<double>> y) {
    Pchip curve;
    const std::size_t n = std::min(x.size(), y.size());
    const auto known = [&](std::size_t k) { return x[k] && y[k]; };
    std::size_t count = 0;
    for (std::size_t k = 0; k < n; ++k) count += known(k) ? 1 : 0;
    if (count < 2) return curve;
    curve.knots_.reserve(count);
    for (std::size_t k = 0; k < n; ++k)
        if (known(k)) curve.knots_.push_back({*x[k], *y[k]});
    curve.fit();
    return curve;
}

// The slope at every point: 0 where the data turn or stay level, else the
// weighted harmonic mean of the slopes of the pieces on either side; the
// ends by endSlope. Then the cubic of every piece.
void Pchip::fit() {
    const std::size_t n = knots_.size();
    const auto h = [&](std::size_t k) { return knots_[k + 1].x - knots_[k].x; };
    const auto delta = [&](std::size_t k) { return (knots_[k + 1].y - knots_[k].y) / h(k); };
    if (n == 2) {
        knots_[0].slope = knots_[1].slope = delta(0);
    } else {
        for (std::size_t k = 1; k + 1 < n; ++k) {
            const double before = delta(k - 1), after = delta(k);
            if (sign(before) != sign(after) || before == 0 || after == 0) continue;
            const double w1 = 2 * h(k) + h(k - 1), w2 = h(k) + 2 * h(k - 1);
            knots_[k].slope = 1.0 / ((w1 / before + w2 / after) / (w1 + w2));
        }
        knots_[0].slope = endSlope(h(0), h(1), delta(0), delta(1));
        knots_[n - 1].slope = endSlope(h(n - 2), h(n - 3), delta(n - 2), delta(n - 3));
    }
    for (std::size_t k = 0; k + 1 < n; ++k) {
        Knot& knot = knots_[k];
        const double t = (knot.slope + knots_[k + 1].slope - 2 * delta(k)) / h(k);
        knot.c3 = t / h(k);
        knot.c2 = (delta(k) - knot.slope) / h(k) - t;
    }
}

std::size_t Pchip::pieceOf(double x) const {
    const auto above = std::upper_bound(knots_.begin(), knots_.end(), x,
                                        [](double value, const Knot& knot) { return value < knot.x; });
    return static_cast<std::size_t>(above - knots_.begin()) - 1;
}

double Pchip::knotAbove(double x) const {
    const std::size_t k = pieceOf(x) + 1;  // also for x below the first point
    return k < knots_.size() ? knots_[k].x : std::numeric_limits<double>::infinity();
}

std::optional<double> Pchip::at(double x) const {
    if (knots_.empty() || !(x >= first() && x <= last())) return std::nullopt;
    const std::size_t k = pieceOf(x);
    return knots_[k].at(x - knots_[k].x);
}

std::optional<double> Pchip::slopeAt(double x) const {
    if (knots_.empty() || !(x >= first() && x <= last())) return std::nullopt;
    const std::size_t k = pieceOf(x);
    return knots_[k].derivativeAt(x - knots_[k].x);
}

std::optional<double> Pchip::largestMeeting(double scale, Parabola parabola) const {
    for (std::size_t k = knots_.size(); k-- > 1;)
        if (const auto meeting = meetingIn(k - 1, scale, parabola)) return meeting;
    return std::nullopt;
}

// On piece k, scale·y − parabola is a cubic in t = x − xₖ: its critical
// points split the piece into parts on which it is monotone, and the part
// furthest right that holds a root gives the meeting.
std::optional<double> Pchip::meetingIn(std::size_t k, double scale, Parabola parabola) const {
    const Knot& piece = knots_[k];
    const Knot& next = knots_[k + 1];
    const double x0 = piece.x, h = next.x - x0;
    const auto g = [&](double t) { return scale * piece.at(t) - parabola.at(x0 + t); };
    const auto dg = [&](double t) { return scale * piece.derivativeAt(t) - 2 * parabola.b * (x0 + t); };

    std::array<double, 2> critical{};
    const std::size_t inner = quadraticRootsWithin(3 * scale * piece.c3, 2 * scale * piece.c2 - 2 * parabola.b,
                                                   scale * piece.slope - 2 * parabola.b * x0, h, critical);
    // The ends are the points themselves, so that a meeting at a point is exact.
    double hi = h, gHi = scale * next.y - parabola.at(next.x);
    if (gHi == 0) return next.x;
    for (std::size_t part = inner + 1; part-- > 0;) {
        const double lo = part == 0 ? 0 : critical[part - 1];
        const double gLo = part == 0 ? scale * piece.y - parabola.at(x0) : g(lo);
        if (gLo == 0) return part == 0 ? x0 : x0 + lo;
        if ((gLo < 0) != (gHi < 0)) return x0 + rootBetween(g, dg, lo, hi, gLo, gHi);
        hi = lo;
        gHi = gLo;
    }
    return std::nullopt;
}

}  // namespace pumpsel::curves
