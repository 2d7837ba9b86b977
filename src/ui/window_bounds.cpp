#include "ui/window_bounds.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "charts/graph_table.h"
#include "ui/control_panel.h"

namespace corvane::ui {

namespace {

constexpr int SmallestGraphHeight() {
    int smallest = charts::kGraphs[0].designHeight;
    for (const charts::GraphEntry& graph : charts::kGraphs)
        smallest = std::min(smallest, graph.designHeight);
    return smallest;
}

constexpr int kSmallestWindowWidth = ControlPanel::kWidth;
constexpr int kSmallestWindowHeight = SmallestGraphHeight();

// The length of [from, from + length) that lies within [start, start + size);
// in 64 bits, since stored numbers may be anything an int holds.
long long Overlap(long long from, long long length, long long start, long long size) {
    return std::max(0LL, std::min(from + length, start + size) - std::max(from, start));
}

}  // namespace

QRect UsableBounds(int left, int top, int width, int height, const QRect& designed,
                   const QList<QRect>& screens) {
    if (screens.isEmpty()) return QRect(left, top, width, height);
    if (width < kSmallestWindowWidth || height < kSmallestWindowHeight) return designed;
    QRect desktop;
    for (const QRect& screen : screens) desktop = desktop.united(screen);
    if (width > std::max(desktop.width(), designed.width()) ||
        height > std::max(desktop.height(), designed.height()))
        return designed;
    const bool seen = std::any_of(screens.begin(), screens.end(), [&](const QRect& screen) {
        return Overlap(left, width, screen.x(), screen.width()) >= kSmallestWindowWidth &&
               Overlap(top, height, screen.y(), screen.height()) >= kSmallestWindowHeight;
    });
    return seen ? QRect(left, top, width, height) : designed;
}

QList<QRect> AvailableScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

}  // namespace corvane::ui
