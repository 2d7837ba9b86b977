#include "analysis/pv_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace corvane::analysis {

namespace {

constexpr int kSize = PvPicture::kSize;

void Light(PvPicture& picture, long long x, long long y) {
    if (x < 0 || y < 0 || x >= kSize || y >= kSize) return;
    picture.white[static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)] = 0;
}

// Nearest integer to num / den (den > 0), an exact half going to the smaller one:
// ceil((2 num - den) / (2 den)).
long long NearestTieDown(long long num, long long den) {
    const long long a = 2 * num - den;
    const long long b = 2 * den;
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Offset along the minor axis after `t` steps along the major one.
long long MinorOffset(long long t, long long minor, long long major) {
    long long num = t * minor;
    if (major < 0) {
        num = -num;
        major = -major;
    }
    return NearestTieDown(num, major);
}

// A pixel position from a bound-relative value; far-off values stay far off.
long long PixelOf(long double v) {
    const long double r = std::rintl(v);  // halves to even (the default rounding mode)
    if (!(r > -1e9L)) return -1'000'000'000;
    if (!(r < 1e9L)) return 1'000'000'000;
    return static_cast<long long>(r);
}

}  // namespace

void DrawLine(PvPicture& picture, int xA, int yA, int xB, int yB) {
    const long long dx = static_cast<long long>(xB) - xA;
    const long long dy = static_cast<long long>(yB) - yA;
    const bool alongX = std::llabs(dx) > std::llabs(dy);
    const long long major = alongX ? dx : dy;
    if (major == 0) return;  // zero length
    const long long minor = alongX ? dy : dx;
    const long long from = alongX ? xA : yA;
    const long long base = alongX ? yA : xA;
    // Steps from A towards B, B excluded; only those inside the picture can light.
    long long lo = major > 0 ? from : from + major + 1;
    long long hi = major > 0 ? from + major - 1 : from;
    lo = std::max(lo, 0LL);
    hi = std::min(hi, static_cast<long long>(kSize - 1));
    for (long long m = lo; m <= hi; ++m) {
        const long long other = base + MinorOffset(m - from, minor, major);
        if (alongX) {
            Light(picture, m, other);
        } else {
            Light(picture, other, m);
        }
    }
}

void FloodFillBlack(PvPicture& picture, int x, int y) {
    if (x < 0 || y < 0 || x >= kSize || y >= kSize) return;
    std::uint8_t* pixels = picture.white.data();
    if (!pixels[y * kSize + x]) return;

    // Scanline fill: blacken a whole run, then seed each white run above and
    // below it. Pixels are 0 or 1, so runs are found with memchr.
    const auto find = [](const std::uint8_t* from, int value, int length) {
        return static_cast<const std::uint8_t*>(
            std::memchr(from, value, static_cast<std::size_t>(length)));
    };
    std::vector<std::pair<int, int>> seeds;
    seeds.reserve(1024);
    seeds.emplace_back(x, y);
    while (!seeds.empty()) {
        const auto [sx, sy] = seeds.back();
        seeds.pop_back();
        std::uint8_t* row = pixels + sy * kSize;
        if (!row[sx]) continue;
        int left = sx;
        while (left > 0 && row[left - 1]) --left;
        const std::uint8_t* end = find(row + sx, 0, kSize - sx);
        const int right = end ? static_cast<int>(end - row) - 1 : kSize - 1;
        std::memset(row + left, 0, static_cast<std::size_t>(right - left + 1));
        for (const int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= kSize) continue;
            const std::uint8_t* next = pixels + ny * kSize;
            int i = left;
            while (i <= right) {
                const std::uint8_t* white = find(next + i, 1, right - i + 1);
                if (!white) break;
                i = static_cast<int>(white - next);
                seeds.emplace_back(i, ny);
                const std::uint8_t* black = find(next + i, 0, right - i + 1);
                if (!black) break;
                i = static_cast<int>(black - next);
            }
        }
    }
}

long CountWhite(const PvPicture& picture) {
    // Pixels are 0 or 1: eight at a time, the byte sum lands in the top byte.
    const std::uint8_t* data = picture.white.data();
    const std::size_t size = picture.white.size();
    long count = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + i, 8);
        count += static_cast<long>((word * 0x0101010101010101ULL) >> 56);
    }
    for (; i < size; ++i) count += data[i];
    return count;
}

double LoopWork(double volumeRange, long whiteCount, double pressureRange) {
    return volumeRange * static_cast<double>(whiteCount) * pressureRange / 250000;
}

namespace {

struct LoopBounds {
    double xMin, xMax, yMin, yMax;
};

// The loop's bounds widened by a tenth on each side; none when the loop has no
// extent.
std::optional<LoopBounds> WidenedBounds(const std::vector<Point>& loop) {
    double xMin = loop.front().x, xMax = xMin, yMin = loop.front().y, yMax = yMin;
    for (const Point& p : loop) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    if (xMax - xMin == 0 || yMax - yMin == 0) return std::nullopt;
    // The upper margins use the already lowered minimum (0.11 of the extent).
    xMin = xMin - (xMax - xMin) / 10;
    xMax = xMax + (xMax - xMin) / 10;
    yMin = yMin - (yMax - yMin) / 10;
    yMax = yMax + (yMax - yMin) / 10;
    if (xMax == xMin || yMax == yMin) return std::nullopt;
    return LoopBounds{xMin, xMax, yMin, yMax};
}

// In extended precision, so that only the quotient is rounded: a point whose
// exact position lies a hair off half a pixel is not pushed onto the half.
std::pair<long long, long long> PixelPosition(const Point& p, const LoopBounds& b) {
    const long double x = static_cast<long double>(p.x) - b.xMin;
    const long double y = static_cast<long double>(p.y) - b.yMin;
    return std::pair{PixelOf(x * kSize / (static_cast<long double>(b.xMax) - b.xMin)),
                     PixelOf(kSize - y * kSize / (static_cast<long double>(b.yMax) - b.yMin))};
}

int ClampedPixel(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -1'000'000'000, 1'000'000'000));
}

// The loop's outline, closed from its last point back to its first.
void DrawClosedOutline(const std::vector<Point>& loop, const LoopBounds& bounds,
                       PvPicture& picture) {
    const auto [firstX, firstY] = PixelPosition(loop.front(), bounds);
    long long penX = firstX, penY = firstY;
    for (std::size_t i = 1; i < loop.size(); ++i) {
        const auto [px, py] = PixelPosition(loop[i], bounds);
        DrawLine(picture, ClampedPixel(penX), ClampedPixel(penY), ClampedPixel(px),
                 ClampedPixel(py));
        penX = px;
        penY = py;
    }
    DrawLine(picture, ClampedPixel(penX), ClampedPixel(penY), ClampedPixel(firstX),
             ClampedPixel(firstY));
}

}  // namespace

LoopArea MeasureLoop(const std::vector<Point>& loop, PvPicture& picture) {
    picture.white.assign(static_cast<std::size_t>(kSize) * kSize, 1);
    if (loop.empty()) return {};
    const std::optional<LoopBounds> bounds = WidenedBounds(loop);
    if (!bounds) return {};
    DrawClosedOutline(loop, *bounds, picture);
    FloodFillBlack(picture, kSize - 1, 0);
    LoopArea area;
    area.whiteCount = CountWhite(picture);
    area.workMicroJ =
        LoopWork(bounds->xMax - bounds->xMin, area.whiteCount, bounds->yMax - bounds->yMin);
    return area;
}

}  // namespace corvane::analysis
