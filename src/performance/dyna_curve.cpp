#include "performance/dyna_curve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace corvane::performance {

namespace {

// The fit's terms: 1, v, v^2 (v: time from the hole over half the window),
// then sin and cos of the crank angle and of twice the crank angle.
constexpr std::size_t kTerms = 7;
constexpr std::size_t kHarmonicTerms = 4;

using Harmonic = std::array<double, kHarmonicTerms>;  // sin a, cos a, sin 2a, cos 2a

// Running totals over the holes 0 .. j - 1 of everything in the normal
// equations that does not depend on the window's centre: the harmonic terms,
// their products with each other and with the angle, and the angle.
struct Totals {
    Harmonic h{};
    std::array<double, kHarmonicTerms*(kHarmonicTerms + 1) / 2> hh{};
    Harmonic hAngle{};
    double angle = 0.0;
};

struct Track {
    std::vector<Harmonic> harmonics;  // per hole
    std::vector<Totals> totals;       // per hole and one more
};

Track Prepare(const HoleTrack& track) {
    Track out;
    out.harmonics.reserve(track.angle.size());
    out.totals.resize(track.angle.size() + 1);
    for (std::size_t j = 0; j < track.angle.size(); ++j) {
        const double a = track.angle[j];
        const double s = std::sin(a), c = std::cos(a);
        const Harmonic& h = out.harmonics.emplace_back(Harmonic{s, c, 2 * s * c, c * c - s * s});
        Totals next = out.totals[j];
        std::size_t k = 0;
        for (std::size_t p = 0; p < kHarmonicTerms; ++p) {
            next.h[p] += h[p];
            next.hAngle[p] += h[p] * a;
            for (std::size_t q = p; q < kHarmonicTerms; ++q) next.hh[k++] += h[p] * h[q];
        }
        next.angle += a;
        out.totals[j + 1] = next;
    }
    return out;
}

// Solves the normal equations a x = b (a symmetric, its upper triangle used)
// by Cholesky; x replaces b. False when they are singular or nearly so.
using Matrix = std::array<std::array<double, kTerms>, kTerms>;
using Vector = std::array<double, kTerms>;

bool SolveNormal(Matrix& a, Vector& b) {
    for (std::size_t j = 0; j < kTerms; ++j) {
        double d = a[j][j];
        for (std::size_t k = 0; k < j; ++k) d -= a[k][j] * a[k][j];
        if (!(d > 1e-12 * a[j][j])) return false;
        d = std::sqrt(d);
        a[j][j] = d;
        for (std::size_t i = j + 1; i < kTerms; ++i) {
            double s = a[j][i];
            for (std::size_t k = 0; k < j; ++k) s -= a[k][j] * a[k][i];
            a[j][i] = s / d;
        }
    }
    // R' R x = b with R upper triangular: forward, then back substitution.
    for (std::size_t i = 0; i < kTerms; ++i) {
        double s = b[i];
        for (std::size_t k = 0; k < i; ++k) s -= a[k][i] * b[k];
        b[i] = s / a[i][i];
    }
    for (std::size_t i = kTerms; i-- > 0;) {
        double s = b[i];
        for (std::size_t k = i + 1; k < kTerms; ++k) s -= a[i][k] * b[k];
        b[i] = s / a[i][i];
    }
    return true;
}

// Sums over a window of the terms that involve time (v: time from the centre
// hole over half the window; y: angle from the centre hole's).
struct WindowSums {
    double v1 = 0, v2 = 0, v3 = 0, v4 = 0, y1 = 0, y2 = 0;
    Harmonic vh{}, v2h{};
};

struct Window {
    std::size_t first, last;
    double t0, angle0, perScale;
};

WindowSums SumWindow(const HoleTrack& track, const Track& prepared, const Window& w) {
    WindowSums s;
    for (std::size_t j = w.first; j <= w.last; ++j) {
        const double v = (track.seconds[j] - w.t0) * w.perScale;
        const double vv = v * v;
        const double y = track.angle[j] - w.angle0;
        s.v1 += v;
        s.v2 += vv;
        s.v3 += vv * v;
        s.v4 += vv * vv;
        s.y1 += v * y;
        s.y2 += vv * y;
        const Harmonic& h = prepared.harmonics[j];
        for (std::size_t p = 0; p < kHarmonicTerms; ++p) {
            s.vh[p] += v * h[p];
            s.v2h[p] += vv * h[p];
        }
    }
    return s;
}

// The normal equations of the window's fit: the time terms from its sums, the
// harmonic terms from the running totals either side of it.
void NormalEquations(const Track& prepared, const Window& w, const WindowSums& s, Matrix& a,
                     Vector& b) {
    const Totals& before = prepared.totals[w.first];
    const Totals& through = prepared.totals[w.last + 1];
    const auto count = static_cast<double>(w.last - w.first + 1);
    a[0][0] = count;
    a[0][1] = s.v1;
    a[0][2] = s.v2;
    a[1][1] = s.v2;
    a[1][2] = s.v3;
    a[2][2] = s.v4;
    b[0] = (through.angle - before.angle) - count * w.angle0;
    b[1] = s.y1;
    b[2] = s.y2;
    std::size_t k = 0;
    for (std::size_t p = 0; p < kHarmonicTerms; ++p) {
        const double h = through.h[p] - before.h[p];
        a[0][3 + p] = h;
        a[1][3 + p] = s.vh[p];
        a[2][3 + p] = s.v2h[p];
        for (std::size_t q = p; q < kHarmonicTerms; ++q, ++k) {
            a[3 + p][3 + q] = through.hh[k] - before.hh[k];
        }
        b[3 + p] = (through.hAngle[p] - before.hAngle[p]) - w.angle0 * h;
    }
}

std::optional<Motion> Fit(const HoleTrack& track, const Track& prepared, std::size_t i,
                          std::size_t halfWidth) {
    if (2 * halfWidth + 1 <= kTerms) return std::nullopt;
    const std::size_t first = i - halfWidth, last = i + halfWidth;
    const double scale = (track.seconds[last] - track.seconds[first]) / 2;
    const Window window{first, last, track.seconds[i], track.angle[i], 1 / scale};
    Matrix a{};
    Vector b{};
    NormalEquations(prepared, window, SumWindow(track, prepared, window), a, b);
    if (!SolveNormal(a, b)) return std::nullopt;
    return Motion{b[1] / scale, 2 * b[2] / (scale * scale)};
}

}  // namespace

std::optional<Motion> LocalMotion(const HoleTrack& track, std::size_t i, std::size_t halfWidth) {
    return Fit(track, Prepare(track), i, halfWidth);
}

std::vector<DynaPoint> DynaPoints(const HoleTrack& track, double momentOfInertiaGm2) {
    const Track prepared = Prepare(track);
    std::vector<DynaPoint> points;
    const std::size_t n = track.seconds.size();
    for (std::size_t i = kFitLeastHoles; i + kFitLeastHoles < n; ++i) {
        const std::size_t halfWidth = std::min({kFitReachHoles, i, n - 1 - i});
        const std::optional<Motion> motion = Fit(track, prepared, i, halfWidth);
        if (!motion) continue;
        DynaPoint p;
        p.timeMs = track.seconds[i] * 1000;
        p.angularSpeed = motion->angularSpeed;
        p.angularAcceleration = motion->angularAcceleration;
        p.rpm = motion->angularSpeed * 60 / (2 * std::numbers::pi);
        // g m^2 x rad/s^2 is mN m; mN m x rad/s is mW.
        p.torqueMilliNm = momentOfInertiaGm2 * motion->angularAcceleration;
        p.powerMilliW = p.torqueMilliNm * motion->angularSpeed;
        points.push_back(p);
    }
    return points;
}

}  // namespace corvane::performance
