#include "catalogue/pchip.h"

#include <algorithm>
#include <array>
#include <cmath>

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

// The slope at every point: 0 where the data turn or stay level, else the
// weighted harmonic mean of the slopes of the pieces on either side.
std::vector<double> pointSlopes(std::span<const double> x, std::span<const double> y) {
    const std::size_t n = x.size();
    const auto h = [&](std::size_t k) { return x[k + 1] - x[k]; };
    const auto delta = [&](std::size_t k) { return (y[k + 1] - y[k]) / h(k); };
    if (n == 2) return {delta(0), delta(0)};
    std::vector<double> d(n);
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const double before = delta(k - 1), after = delta(k);
        if (sign(before) != sign(after) || before == 0 || after == 0) continue;
        const double w1 = 2 * h(k) + h(k - 1), w2 = h(k) + 2 * h(k - 1);
        d[k] = 1.0 / ((w1 / before + w2 / after) / (w1 + w2));
    }
    d[0] = endSlope(h(0), h(1), delta(0), delta(1));
    d[n - 1] = endSlope(h(n - 2), h(n - 3), delta(n - 2), delta(n - 3));
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
        const bool newtonHolds = newton > lo && newton < hi && std::fabs(2 * gx) <= std::fabs(stepBefore * dgx);
        stepBefore = step;
        if (newtonHolds) {
            step = x - newton;
            if (newton == x) return x;
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
    const std::vector<double> d = pointSlopes(x, y);
    x_.assign(x.begin(), x.end());
    pieces_.resize(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) pieces_[k] = {y[k], d[k], 0, 0};
    for (std::size_t k = 0; k + 1 < x.size(); ++k) {
        const double h = x[k + 1] - x[k];
        const double delta = (y[k + 1] - y[k]) / h;
        const double t = (d[k] + d[k + 1] - 2 * delta) / h;
        pieces_[k].c3 = t / h;
        pieces_[k].c2 = (delta - d[k]) / h - t;
    }
}

std::optional<double> Pchip::at(double x) const {
    if (x_.empty() || !(x >= x_.front() && x <= x_.back())) return std::nullopt;
    const std::size_t k = static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin()) - 1;
    if (k + 1 == x_.size()) return pieces_[k].y;
    return pieces_[k].at(x - x_[k]);
}

std::optional<double> Pchip::largestMeeting(double scale, Parabola parabola) const {
    for (std::size_t k = x_.size(); k-- > 1;)
        if (const auto meeting = meetingIn(k - 1, scale, parabola)) return meeting;
    return std::nullopt;
}

// On piece k, scale·y − parabola is a cubic in t = x − xₖ: its critical
// points split the piece into parts on which it is monotone, and the part
// furthest right that holds a root gives the meeting.
std::optional<double> Pchip::meetingIn(std::size_t k, double scale, Parabola parabola) const {
    const Piece& piece = pieces_[k];
    const double x0 = x_[k], h = x_[k + 1] - x0;
    const auto g = [&](double t) { return scale * piece.at(t) - parabola.at(x0 + t); };
    const auto dg = [&](double t) { return scale * piece.derivativeAt(t) - 2 * parabola.b * (x0 + t); };

    std::array<double, 2> critical{};
    const std::size_t inner = quadraticRootsWithin(3 * scale * piece.c3, 2 * scale * piece.c2 - 2 * parabola.b,
                                                   scale * piece.slope - 2 * parabola.b * x0, h, critical);
    // The ends are the points themselves, so that a meeting at a point is exact.
    double hi = h, gHi = scale * pieces_[k + 1].y - parabola.at(x_[k + 1]);
    if (gHi == 0) return x_[k + 1];
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
