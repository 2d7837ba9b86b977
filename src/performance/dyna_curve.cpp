#include "performance/dyna_curve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace corvane::performance {

namespace {

// The fit's terms: 1, v, v^2, v^3 (v: time from the hole over half the
// window), then sin and cos of the crank angle and of twice the crank angle.
// The cubic takes up the change of acceleration: a window of as many holes
// each side spans more time after the hole than before it while the flywheel
// slows, and without it that change would leak into the acceleration.
constexpr std::size_t kPolynomialTerms = 4;
constexpr std::size_t kHarmonicTerms = 4;
constexpr std::size_t kTerms = kPolynomialTerms + kHarmonicTerms;

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

// The normal equations a x = b of one window (a symmetric, its upper triangle
// used), and the sum of the squared angles for the residual.
using Matrix = std::array<std::array<double, kTerms>, kTerms>;
using Vector = std::array<double, kTerms>;

struct Normal {
    Matrix a{};
    Vector b{};
    double yy = 0.0;      // sum of (angle - angle at the centre)^2
    double count = 0.0;   // holes in the window
    double scale = 0.0;   // half the window's time span, s
};

// Cholesky: a's upper triangle becomes R with R' R = a. False when a is
// singular or nearly so.
bool Factor(Matrix& a) {
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
    return true;
}

// R' R x = b with R from Factor: forward, then back substitution.
Vector Solve(const Matrix& r, Vector b) {
    for (std::size_t i = 0; i < kTerms; ++i) {
        double s = b[i];
        for (std::size_t k = 0; k < i; ++k) s -= r[k][i] * b[k];
        b[i] = s / r[i][i];
    }
    for (std::size_t i = kTerms; i-- > 0;) {
        double s = b[i];
        for (std::size_t k = i + 1; k < kTerms; ++k) s -= r[i][k] * b[k];
        b[i] = s / r[i][i];
    }
    return b;
}

// The sums over the window that involve time; the rest comes from the totals.
void AddTimeSums(const HoleTrack& track, const Track& prepared, std::size_t first,
                 std::size_t last, std::size_t i, Normal& n) {
    const double t0 = track.seconds[i];
    const double angle0 = track.angle[i];
    const double perScale = 1 / n.scale;
    std::array<double, 2 * kPolynomialTerms - 1> moments{};  // sums of v^0 .. v^6
    for (std::size_t j = first; j <= last; ++j) {
        const double v = (track.seconds[j] - t0) * perScale;
        const double y = track.angle[j] - angle0;
        n.yy += y * y;
        const Harmonic& h = prepared.harmonics[j];
        double power = 1.0;  // v^p
        for (std::size_t p = 0; p < moments.size(); ++p, power *= v) {
            moments[p] += power;
            if (p == 0 || p >= kPolynomialTerms) continue;
            n.b[p] += power * y;
            for (std::size_t q = 0; q < kHarmonicTerms; ++q) {
                n.a[p][kPolynomialTerms + q] += power * h[q];
            }
        }
    }
    for (std::size_t p = 0; p < kPolynomialTerms; ++p) {
        for (std::size_t q = p; q < kPolynomialTerms; ++q) n.a[p][q] = moments[p + q];
    }
}

Normal NormalOf(const HoleTrack& track, const Track& prepared, std::size_t i,
                std::size_t halfWidth) {
    const std::size_t first = i - halfWidth, last = i + halfWidth;
    const double angle0 = track.angle[i];
    Normal n;
    n.scale = (track.seconds[last] - track.seconds[first]) / 2;
    n.count = static_cast<double>(last - first + 1);
    AddTimeSums(track, prepared, first, last, i, n);
    const Totals& before = prepared.totals[first];
    const Totals& through = prepared.totals[last + 1];
    n.b[0] = (through.angle - before.angle) - n.count * angle0;
    std::size_t k = 0;
    for (std::size_t p = 0; p < kHarmonicTerms; ++p) {
        const double h = through.h[p] - before.h[p];
        const std::size_t row = kPolynomialTerms + p;
        n.a[0][row] = h;
        for (std::size_t q = p; q < kHarmonicTerms; ++q, ++k) {
            n.a[row][kPolynomialTerms + q] = through.hh[k] - before.hh[k];
        }
        n.b[row] = (through.hAngle[p] - before.hAngle[p]) - angle0 * h;
    }
    return n;
}

// The standard uncertainty of the acceleration from the scatter of the hole
// angles about the fit: residual variance times the diagonal of the inverse.
double AccelerationSd(const Normal& n, const Matrix& r, const Vector& x) {
    double fitted = 0.0;
    for (std::size_t p = 0; p < kTerms; ++p) fitted += x[p] * n.b[p];
    const double variance = std::max(n.yy - fitted, 0.0) / (n.count - kTerms);
    Vector unit{};
    unit[2] = 1.0;
    const double inverse = Solve(r, unit)[2];
    return 2 * std::sqrt(variance * std::max(inverse, 0.0)) / (n.scale * n.scale);
}

std::optional<Motion> Fit(const HoleTrack& track, const Track& prepared, std::size_t i,
                          std::size_t halfWidth) {
    if (2 * halfWidth + 1 <= kTerms) return std::nullopt;
    const Normal n = NormalOf(track, prepared, i, halfWidth);
    Matrix r = n.a;
    if (!Factor(r)) return std::nullopt;
    const Vector x = Solve(r, n.b);
    return Motion{x[1] / n.scale, 2 * x[2] / (n.scale * n.scale), AccelerationSd(n, r, x)};
}

// Holes each side of hole i: as many as lie within kFitReachSeconds, at
// least kFitReachHoles, no more than the track holds.
std::size_t HalfWidthAt(const HoleTrack& track, std::size_t i) {
    const std::size_t n = track.seconds.size();
    std::size_t reach = kFitReachHoles;
    while (i >= reach + 1 && i + reach + 1 < n &&
           track.seconds[i + reach + 1] - track.seconds[i - reach - 1] < 2 * kFitReachSeconds) {
        ++reach;
    }
    return std::min({reach, i, n - 1 - i});
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
        const std::optional<Motion> motion = Fit(track, prepared, i, HalfWidthAt(track, i));
        if (!motion) continue;
        DynaPoint p;
        p.timeMs = track.seconds[i] * 1000;
        p.angularSpeed = motion->angularSpeed;
        p.angularAcceleration = motion->angularAcceleration;
        p.rpm = motion->angularSpeed * 60 / (2 * std::numbers::pi);
        // g m^2 x rad/s^2 is mN m; mN m x rad/s is mW.
        p.torqueMilliNm = momentOfInertiaGm2 * motion->angularAcceleration;
        p.powerMilliW = p.torqueMilliNm * motion->angularSpeed;
        p.torqueSdMilliNm = momentOfInertiaGm2 * motion->accelerationSd;
        points.push_back(p);
    }
    return points;
}

}  // namespace corvane::performance
