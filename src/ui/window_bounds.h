#pragma once
// Whether the window's stored bounds give a window the user can see and use.
// A zero, negative or huge size, or a place far off every screen, would start
// the program with no window to reach; such bounds give way to the designed ones.

#include <QList>
#include <QRect>

namespace corvane::ui {

// The stored left, top, width and height when the size is at least the
// smallest usable one (the control panel's width, the smallest graph's height) and no larger than
// the screens together (or the designed size, where that is larger), and the window shows at least
// the smallest usable size on one of the screens' available areas; otherwise `designed`. With no
// screen known, the stored bounds.
QRect UsableBounds(int left, int top, int width, int height, const QRect& designed,
                   const QList<QRect>& screens);

// The available areas of the desktop's screens (without panels and docks).
QList<QRect> AvailableScreenAreas();

}  // namespace corvane::ui
