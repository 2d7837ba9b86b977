#include "charts/graph_plot.h"

#include <cstdlib>

namespace corvane::charts {

GraphPlot::GraphPlot(QWidget* parent) : QCustomPlot(parent) {
    setSelectionRectMode(QCP::srmZoom);
    // The keyboard stays with the window's controls (F1, "?"). The right
    // button scrolls; its click without a drag asks for the menu itself
    // (menuRequested), since the press alone cannot tell the two apart.
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    // Automatic axes follow the data whenever the graph is drawn, whatever caused it.
    connect(this, &QCustomPlot::beforeReplot, this, &GraphPlot::applyAutomaticScaling);
    // The axis's own range follows every change the plot makes itself.
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) {
                min_ = range.lower;
                max_ = range.upper;
            });
    min_ = xAxis->range().lower;
    max_ = xAxis->range().upper;
}

void GraphPlot::setHorizontalAutomatic(bool automatic) { horizontalAutomatic_ = automatic; }

void GraphPlot::setVerticalAutomatic(bool automatic) { verticalAutomatic_ = automatic; }

bool GraphPlot::setHorizontalMin(double value) {
    if (value > max_) return false;
    min_ = value;
    pushHorizontalRange();
    return true;
}

bool GraphPlot::setHorizontalMax(double value) {
    if (value < min_) return false;
    max_ = value;
    pushHorizontalRange();
    return true;
}

void GraphPlot::pushHorizontalRange() {
    // A range of no width is a legal step between two writes but cannot be drawn;
    // the plot keeps its last drawable range until the next write.
    if (min_ < max_) {
        const double min = min_, max = max_;
        xAxis->setRange(min, max);
    }
}

QList<QCPAxis*> GraphPlot::verticalAxes() const {
    QList<QCPAxis*> axes{yAxis};
    if (yAxis2->visible()) axes.append(yAxis2);
    return axes;
}

namespace {

// An axis without data keeps its range, so room is added only around data.
bool HasData(const QCPAxis& axis) {
    for (QCPAbstractPlottable* plottable : axis.plottables())
        if (plottable->interface1D() && plottable->interface1D()->dataCount() > 0) return true;
    return false;
}

}  // namespace

void GraphPlot::applyAutomaticScaling() {
    // Each axis spans the data of the series drawn against it; an axis without
    // data keeps its range.
    QList<QCPAxis*> automatic;
    if (horizontalAutomatic_) automatic.append(xAxis);
    if (verticalAutomatic_) automatic.append(verticalAxes());
    for (QCPAxis* axis : automatic) {
        axis->rescale(false);
        if (room_ > 0 && HasData(*axis)) {
            const QCPRange span = axis->range();
            axis->setRange(span.lower - room_ * span.size(), span.upper + room_ * span.size());
        }
    }
}

void GraphPlot::processRectZoom(QRect rect, QMouseEvent* event) {
    // The rectangle runs from the press to the release point.
    const int dx = rect.right() - rect.left();
    const int dy = rect.bottom() - rect.top();
    // A click or a shaky hand is no gesture.
    if (std::abs(dx) < kMinimumZoomPixels || std::abs(dy) < kMinimumZoomPixels) return;
    if (dx < 0 && dy < 0) {
        undoZoomGestureNow();
        return;
    }
    horizontalAutomatic_ = false;
    verticalAutomatic_ = false;
    QCustomPlot::processRectZoom(rect.normalized(), event);
    emit zoomed();
}

void GraphPlot::undoZoomGestureNow() {
    horizontalAutomatic_ = true;
    verticalAutomatic_ = true;
    applyAutomaticScaling();
    replot(rpQueuedReplot);
    emit undoZoomGesture();
}

void GraphPlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QCustomPlot::mousePressEvent(event);
        return;
    }
    // The right button scrolls: the zoom rectangle stays off until it is released.
    setSelectionRectMode(QCP::srmNone);
    scrolling_ = true;
    dragged_ = false;
    scrollStart_ = event->pos();
    scrollStartHorizontal_ = xAxis->range();
    scrollStartVertical_.clear();
    for (QCPAxis* axis : verticalAxes()) scrollStartVertical_.append(axis->range());
    event->accept();
}

void GraphPlot::mouseMoveEvent(QMouseEvent* event) {
    if (!scrolling_) {
        QCustomPlot::mouseMoveEvent(event);
        return;
    }
    const QRect area = axisRect()->rect();
    if (area.width() <= 0 || area.height() <= 0) return;
    const QPoint moved = event->pos() - scrollStart_;
    // A hand that shakes while clicking does not scroll.
    if (!dragged_ && moved.manhattanLength() <= kClickSlackPixels) return;
    dragged_ = true;
    // The data follow the mouse: dragging right shows earlier times.
    const double dx = -moved.x() * scrollStartHorizontal_.size() / area.width();
    horizontalAutomatic_ = false;
    xAxis->setRange(scrollStartHorizontal_.lower + dx, scrollStartHorizontal_.upper + dx);
    if (moved.y() != 0) {
        verticalAutomatic_ = false;
        const QList<QCPAxis*> axes = verticalAxes();
        for (int i = 0; i < axes.size() && i < scrollStartVertical_.size(); ++i) {
            const QCPRange start = scrollStartVertical_[i];
            const double dy = moved.y() * start.size() / area.height();
            axes[i]->setRange(start.lower + dy, start.upper + dy);
        }
    }
    replot(rpQueuedReplot);
    emit scrolled();
    event->accept();
}

void GraphPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton || !scrolling_) {
        QCustomPlot::mouseReleaseEvent(event);
        return;
    }
    scrolling_ = false;
    setSelectionRectMode(QCP::srmZoom);
    event->accept();
    if (!dragged_) emit menuRequested(event->globalPosition().toPoint());
}

void GraphPlot::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        undoZoomGestureNow();
        event->accept();
        return;
    }
    QCustomPlot::mouseDoubleClickEvent(event);
}

void GraphPlot::resizeEvent(QResizeEvent* event) {
    // A graph squeezed to nothing has nothing to draw; it is drawn again when it
    // gets room. QCustomPlot's own handler would replot at no size: skipped.
    if (event->size().isEmpty()) {
        QWidget::resizeEvent(event);  // NOLINT(bugprone-parent-virtual-call)
        return;
    }
    QCustomPlot::resizeEvent(event);
}

}  // namespace corvane::charts
