#pragma once
// A graph stack laid out like the main window's Panel2 and filled with a
// grab-like capture, plus mouse helpers that drive the gestures.

#include <qcustomplot.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <cmath>
#include <memory>

#include "charts/chart_stack.h"

namespace fixture {

using corvane::analysis::AnalysisResult;
using corvane::analysis::Point;

inline AnalysisResult GrabLikeResult() {
    AnalysisResult r;
    for (int i = 0; i < 1000; ++i) {
        r.series1.push_back(50.0 * std::sin(i / 40.0));
        r.series2.push_back({double(i), (i % 60) < 8 ? 0.2 : 4.5});
    }
    // PV points arrive in the order of the cycle, not of the volume.
    for (int i = 0; i < 100; ++i) {
        const double a = i * 2 * M_PI / 100;
        r.series3.push_back({69000 + 900 * std::cos(a), 30 * std::sin(a) + 5});
    }
    r.series4 = {{4, 3.0}, {64, 3.0}, {124, 3.0}};
    r.series5 = {{0, 0}, {63, 0}, {64, 3.0}, {65, 0}, {999, 0}};
    r.rpmPoints = {{100, 600}, {300, 610}, {500, 625}};
    return r;
}

// A stack as big as the designed right panel, shown on the offscreen screen.
inline std::unique_ptr<corvane::charts::ChartStack> ShownStack(int width = 704, int height = 890) {
    auto stack = std::make_unique<corvane::charts::ChartStack>();
    stack->resize(width, height);
    stack->show();
    (void)QTest::qWaitForWindowExposed(stack.get());
    stack->FormResize(height);
    return stack;
}

// What the main window's Chart1Scroll and Chart1UndoZoom do.
inline void LinkLikeTheWindow(corvane::charts::ChartStack& stack) {
    QObject::connect(&stack, &corvane::charts::ChartStack::scrolled, &stack,
                     &corvane::charts::ChartStack::linkHorizontalRange);
    QObject::connect(&stack, &corvane::charts::ChartStack::undoZoomRequested, &stack,
                     [&stack](int) { stack.undoZoom(); });
}

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void Drag(QWidget* widget, QPoint from, QPoint to, Qt::MouseButton button, int steps = 3) {
    SendMouse(widget, QEvent::MouseButtonPress, from, button, button);
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + (to - from) * i / steps;
        SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, button);
    }
    SendMouse(widget, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// The pixel of a data point on a graph.
inline QPoint PixelOf(QCustomPlot* plot, double x, double y) {
    return QPoint(int(plot->xAxis->coordToPixel(x)), int(plot->yAxis->coordToPixel(y)));
}

}  // namespace fixture
