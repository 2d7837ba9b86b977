#pragma once
// One graph of the stack: a QCustomPlot that keeps an "automatic" flag per
// axis, refuses axis writes that would cross the other bound, and turns the
// mouse gestures into zoom, scroll and undo-zoom notifications.
//
// Gestures: a left-drag rectangle zooms (a drag towards the upper left undoes
// the zoom instead), a right-drag scrolls, a double-click undoes the zoom, and
// a right click that does not move asks for the graph's menu.

#include <qcustomplot.h>

namespace corvane::charts {

class GraphPlot : public QCustomPlot {
    Q_OBJECT
public:
    explicit GraphPlot(QWidget* parent = nullptr);

    // Horizontal axis: automatic means it spans its series' data at every replot.
    bool horizontalAutomatic() const { return horizontalAutomatic_; }
    void setHorizontalAutomatic(bool automatic);
    double horizontalMin() const { return min_; }
    double horizontalMax() const { return max_; }
    // A minimum above the current maximum, or a maximum below the current minimum,
    // is refused (false) and leaves the axis unchanged.
    bool setHorizontalMin(double value);
    bool setHorizontalMax(double value);

    // Vertical axes (left and, where shown, right) follow their data unless the
    // user zoomed or scrolled this graph.
    void setVerticalAutomatic(bool automatic);

    // Applies the automatic axes to the present data (also done before every replot).
    void applyAutomaticScaling();
    // Room at both ends of every automatic axis, as a share of its data's span,
    // so that a mark on the data's edge shows whole (none unless set).
    void setAutomaticRoom(double share) { room_ = share; }

    // The smallest drag, in pixels both ways, that zooms or undoes the zoom.
    static constexpr int kMinimumZoomPixels = 8;
    // A right press that moves no further than this (pixels, across plus down)
    // before its release is a click, not a scroll.
    static constexpr int kClickSlackPixels = 3;

signals:
    // The user zoomed this graph (its own axes already changed).
    void zoomed();
    // The user scrolled this graph; raised at every mouse movement of the drag.
    void scrolled();
    // The user's undo-zoom gesture; this graph's axes are automatic again.
    void undoZoomGesture();
    // A right click without a drag, at this point of the screen.
    void menuRequested(QPoint globalPos);

protected:
    void processRectZoom(QRect rect, QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void undoZoomGestureNow();
    void pushHorizontalRange();
    QList<QCPAxis*> verticalAxes() const;

    bool horizontalAutomatic_ = true;
    double min_ = 0.0;
    double max_ = 0.0;
    bool verticalAutomatic_ = true;
    double room_ = 0.0;
    bool scrolling_ = false;  // the right button is down
    bool dragged_ = false;    // ... and has moved beyond the click slack
    QPoint scrollStart_;
    QCPRange scrollStartHorizontal_;
    QList<QCPRange> scrollStartVertical_;
};

}  // namespace corvane::charts
