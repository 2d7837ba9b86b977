// Graph sizing, the hot-engine picture's place and the linked zoom and scroll.
#include <QLabel>
#include <QSignalSpy>
#include <optional>

#include "chart_fixture.h"
#include "chart_tests.h"

using corvane::charts::ChartStack;
using namespace corvane::charts;
using namespace fixture;

namespace {
void SetVisible(ChartStack& stack, const QList<bool>& on) {
    for (int i = 0; i < kChartCount; ++i) stack.setChartVisible(i, on[i]);
}
}  // namespace

void ChartStackTest::heightsFollowVisibleCount_data() {
    QTest::addColumn<QList<bool>>("on");
    QTest::addColumn<QList<int>>("heights");  // chartHeight of Chart1..Chart5
    QTest::addColumn<int>("lastBottom");      // bottom edge of the lowest visible graph

    QTest::newRow("all five") << QList<bool>{true, true, true, true, true}
                              << QList<int>{178, 178, 178, 178, 176} << 888;
    QTest::newRow("power only") << QList<bool>{false, false, false, false, true}
                                << QList<int>{890, 890, 890, 890, 888} << 888;
    // Two graphs of 445 run 2 pixels past the inner height of 888.
    QTest::newRow("pressure and tach") << QList<bool>{true, true, false, false, false}
                                       << QList<int>{445, 445, 445, 445, 445} << 890;
    QTest::newRow("dyna set") << QList<bool>{false, true, false, true, true}
                              << QList<int>{296, 296, 296, 296, 296} << 888;
    QTest::newRow("grab set") << QList<bool>{true, true, true, false, false}
                              << QList<int>{296, 296, 296, 296, 296} << 888;
}

void ChartStackTest::heightsFollowVisibleCount() {
    QFETCH(QList<bool>, on);
    QFETCH(QList<int>, heights);
    QFETCH(int, lastBottom);
    auto stack = ShownStack(704, 890);
    SetVisible(*stack, on);
    stack->FormResize(890);
    int bottom = 0;
    for (int i = 0; i < kChartCount; ++i) {
        QCOMPARE(stack->chartHeight(i), heights[i]);
        QCOMPARE(stack->chart(i)->height(), heights[i]);
        QCOMPARE(stack->chart(i)->isVisible(), bool(on[i]));
        if (on[i]) {
            // Visible graphs are stacked without gaps inside the 1-pixel border.
            QCOMPARE(stack->chart(i)->y(), bottom);
            QCOMPARE(stack->chart(i)->width(), 702);
            bottom += stack->chart(i)->height();
        }
    }
    QCOMPARE(bottom, lastBottom);
}

void ChartStackTest::allGraphsOffKeepsHeightsAndPicture() {
    auto stack = ShownStack(704, 890);
    SetVisible(*stack, {true, true, true, true, true});
    stack->FormResize(890);
    const QPoint picture = stack->hotEngine()->pos();
    SetVisible(*stack, {false, false, false, false, false});
    stack->FormResize(600);
    for (int i = 0; i < kChartCount - 1; ++i) QCOMPARE(stack->chartHeight(i), 178);
    QCOMPARE(stack->hotEngine()->pos(), picture);
    for (int i = 0; i < kChartCount; ++i) QVERIFY(!stack->chartVisible(i));
}

void ChartStackTest::graphShownAgainTakesNewHeight() {
    auto stack = ShownStack(704, 890);
    SetVisible(*stack, {true, true, false, false, false});
    stack->FormResize(890);
    QCOMPARE(stack->chartHeight(kChart3), 445);  // hidden graphs get h too
    stack->setChartVisible(kChart3, true);
    stack->FormResize(890);
    for (int i : {kChart1, kChart2, kChart3}) QCOMPARE(stack->chart(i)->height(), 296);
    QCOMPARE(stack->chart(kChart3)->y(), 592);
}

void ChartStackTest::hotEngineCentredOnGraph_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<QList<bool>>("on");
    QTest::addColumn<QPoint>("expected");
    // (702 - 400) / 2 = 151, (178 - 100) / 2 = 39.
    QTest::newRow("all five") << 704 << 890 << QList<bool>{true, true, true, true, true}
                              << QPoint(151, 39);
    // (296 - 100) / 2 = 98.
    QTest::newRow("grab set") << 704 << 890 << QList<bool>{true, true, true, false, false}
                              << QPoint(151, 98);
    // Smaller than the picture: (299 - 400) / 2 = -50 and (81 - 100) / 2 = -9, toward zero.
    QTest::newRow("small") << 301 << 405 << QList<bool>{true, true, true, true, true}
                           << QPoint(-50, -9);
}

void ChartStackTest::hotEngineCentredOnGraph() {
    QFETCH(int, width);
    QFETCH(int, clientHeight);
    QFETCH(QList<bool>, on);
    QFETCH(QPoint, expected);
    auto stack = ShownStack(width, clientHeight);
    SetVisible(*stack, on);
    stack->FormResize(clientHeight);
    QCOMPARE(stack->hotEngine()->pos(), expected);
    QCOMPARE(stack->hotEngine()->size(), QSize(400, 100));
    QCOMPARE(stack->hotEngine()->parentWidget(), stack->chart(kChart2));
    QVERIFY(!stack->hotEngineVisible());
    stack->setHotEngineVisible(true);
    QVERIFY(stack->hotEngineVisible());
    // Mouse gestures on the graph pass through the warning.
    QWidget* tach = stack->chart(kChart2);
    QCOMPARE(tach->childAt(stack->hotEngine()->geometry().center()), nullptr);
}

void ChartStackTest::zoomRectangleLinksOtherGraphs() {
    auto stack = ShownStack();
    LinkLikeTheWindow(*stack);
    stack->showResult(GrabLikeResult());
    QSignalSpy spy(stack.get(), &ChartStack::scrolled);
    QCustomPlot* tach = stack->chart(kChart2);
    Drag(tach, PixelOf(tach, 200, 4), PixelOf(tach, 400, 0.5), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), int(kChart2));
    const auto range = stack->horizontalRange(kChart2);
    QVERIFY(std::abs(range.min - 200) < 3 && std::abs(range.max - 400) < 3);
    for (int i = 0; i < kChartCount; ++i) {
        QVERIFY(!stack->horizontalAutomatic(i));
        QCOMPARE(stack->horizontalRange(i).min, range.min);
        QCOMPARE(stack->horizontalRange(i).max, range.max);
        QCOMPARE(stack->chart(i)->xAxis->range().lower, range.min);
    }
    // A replot does not give an automatic axis back its data span.
    stack->replotAll();
    QCOMPARE(stack->chart(kChart1)->xAxis->range().upper, range.max);
}

void ChartStackTest::upperLeftDragUndoesZoomOnAll() {
    auto stack = ShownStack();
    LinkLikeTheWindow(*stack);
    stack->showResult(GrabLikeResult());
    QCustomPlot* pressure = stack->chart(kChart1);
    Drag(pressure, PixelOf(pressure, 200, 40), PixelOf(pressure, 400, -40), Qt::LeftButton);
    QVERIFY(!stack->horizontalAutomatic(kChart4));
    QSignalSpy undo(stack.get(), &ChartStack::undoZoomRequested);
    QSignalSpy zoom(stack.get(), &ChartStack::scrolled);
    QCustomPlot* pv = stack->chart(kChart3);
    const QRect area = pv->axisRect()->rect();
    // A click that slips a few pixels is neither zoom nor undo.
    Drag(pv, area.center(), area.center() - QPoint(3, 3), Qt::LeftButton);
    QCOMPARE(undo.count(), 0);
    QCOMPARE(zoom.count(), 0);
    QVERIFY(!stack->horizontalAutomatic(kChart4));
    // Towards the upper left on another graph: the undo gesture, not a zoom.
    Drag(pv, area.center() + QPoint(60, 40), area.center() - QPoint(60, 40), Qt::LeftButton);
    QCOMPARE(undo.count(), 1);
    QCOMPARE(undo.at(0).at(0).toInt(), int(kChart3));
    QCOMPARE(zoom.count(), 0);
    for (int i = 0; i < kChartCount; ++i) QVERIFY(stack->horizontalAutomatic(i));
    stack->replotAll();
    QCOMPARE(pressure->xAxis->range().lower, 0.0);
    QCOMPARE(pressure->xAxis->range().upper, 999.0);
}

void ChartStackTest::doubleClickUndoesZoom() {
    auto stack = ShownStack();
    LinkLikeTheWindow(*stack);
    stack->showResult(GrabLikeResult());
    QCustomPlot* tach = stack->chart(kChart2);
    Drag(tach, PixelOf(tach, 100, 4), PixelOf(tach, 300, 0.5), Qt::LeftButton);
    QVERIFY(!stack->horizontalAutomatic(kChart5));
    const QPoint at = tach->axisRect()->rect().center();
    SendMouse(tach, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(tach, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    SendMouse(tach, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(tach, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    for (int i = 0; i < kChartCount; ++i) QVERIFY(stack->horizontalAutomatic(i));
}

void ChartStackTest::rightDragScrollsAllTogether() {
    auto stack = ShownStack();
    LinkLikeTheWindow(*stack);
    stack->showResult(GrabLikeResult());
    QSignalSpy spy(stack.get(), &ChartStack::scrolled);
    QCustomPlot* pressure = stack->chart(kChart1);
    const QRect area = pressure->axisRect()->rect();
    // Dragging to the right by half the plot width shows earlier times.
    Drag(pressure, area.center(), area.center() + QPoint(area.width() / 2, 0), Qt::RightButton, 4);
    QCOMPARE(spy.count(), 4);  // the others follow at every movement
    const auto range = stack->horizontalRange(kChart1);
    QVERIFY(range.min < -400 && range.min > -600);
    QVERIFY(std::abs((range.max - range.min) - 999.0) < 1e-6);
    for (int i = 0; i < kChartCount; ++i) {
        QCOMPARE(stack->horizontalRange(i).min, range.min);
        QCOMPARE(stack->horizontalRange(i).max, range.max);
    }
    // The right button never leaves a zoom rectangle behind: a left drag still zooms.
    spy.clear();
    Drag(pressure, area.center(), area.center() + QPoint(40, 30), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
}

void ChartStackTest::rightClickAsksForTheMenu_data() {
    QTest::addColumn<QPoint>("moved");
    QTest::addColumn<bool>("menu");
    QTest::newRow("still") << QPoint(0, 0) << true;
    QTest::newRow("a shaking hand") << QPoint(2, -1) << true;
    QTest::newRow("a short drag") << QPoint(4, 0) << false;
    QTest::newRow("a drag") << QPoint(120, 40) << false;
}

// The right button both scrolls and asks for the graph's menu: only a click
// that does not move asks, and only a drag scrolls.
void ChartStackTest::rightClickAsksForTheMenu() {
    QFETCH(QPoint, moved);
    QFETCH(bool, menu);
    auto stack = ShownStack();
    stack->showResult(GrabLikeResult());
    QSignalSpy menus(stack.get(), &ChartStack::menuRequested);
    QSignalSpy scrolls(stack.get(), &ChartStack::scrolled);
    QCustomPlot* tach = stack->chart(kChart2);
    const QPoint from = tach->axisRect()->rect().center();
    const auto before = stack->horizontalRange(kChart2);
    Drag(tach, from, from + moved, Qt::RightButton, 2);
    QCOMPARE(menus.count(), menu ? 1 : 0);
    QCOMPARE(scrolls.isEmpty(), menu);
    QCOMPARE(stack->horizontalRange(kChart2).min == before.min, menu);
    if (menu) {
        QCOMPARE(menus[0][0].toInt(), int(kChart2));
        QCOMPARE(menus[0][1].toPoint(), tach->mapToGlobal(from + moved));
    }
}

void ChartStackTest::copiedRangeReachesOthers_data() {
    QTest::addColumn<double>("otherMin");
    QTest::addColumn<double>("otherMax");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::newRow("inside the data") << 0.0 << 999.0 << 200.0 << 400.0;
    QTest::newRow("beyond the old maximum") << 0.0 << 100.0 << 5000.0 << 9000.0;
    QTest::newRow("wholly below 0") << 0.0 << 999.0 << -300.0 << -100.0;
    QTest::newRow("from below 0 to above") << -50.0 << -10.0 << 100.0 << 200.0;
    QTest::newRow("from below 0 to further below") << -50.0 << -10.0 << -900.0 << -600.0;
    QTest::newRow("across 0") << 300.0 << 700.0 << -20.0 << 20.0;
    QTest::newRow("ending at 0") << 300.0 << 700.0 << -20.0 << 0.0;
}

void ChartStackTest::copiedRangeReachesOthers() {
    QFETCH(double, otherMin);
    QFETCH(double, otherMax);
    QFETCH(double, min);
    QFETCH(double, max);
    auto stack = ShownStack();
    stack->showResult(GrabLikeResult());
    for (int i = 0; i < kChartCount; ++i) stack->chart(i)->xAxis->setRange(otherMin, otherMax);
    stack->chart(kChart2)->xAxis->setRange(min, max);
    stack->linkHorizontalRange(kChart2);
    for (int i = 0; i < kChartCount; ++i) {
        QCOMPARE(stack->horizontalRange(i).min, min);
        QCOMPARE(stack->horizontalRange(i).max, max);
        QCOMPARE(stack->chart(i)->xAxis->range().lower, min);
        QCOMPARE(stack->chart(i)->xAxis->range().upper, max);
    }
    // The sender keeps the range the gesture gave it and its own automatic flag.
    QVERIFY(stack->horizontalAutomatic(kChart2));
    for (int i : {kChart1, kChart3, kChart4, kChart5}) QVERIFY(!stack->horizontalAutomatic(i));
}

void ChartStackTest::pvZoomGivesTimeGraphsVolumeRange() {
    auto stack = ShownStack();
    LinkLikeTheWindow(*stack);
    stack->showResult(GrabLikeResult());
    QCustomPlot* pv = stack->chart(kChart3);
    Drag(pv, PixelOf(pv, 68500, 30), PixelOf(pv, 69500, -20), Qt::LeftButton);
    const auto range = stack->horizontalRange(kChart3);
    QVERIFY(range.min > 68000 && range.max < 70000);
    QCOMPARE(stack->horizontalRange(kChart1).min, range.min);
    QCOMPARE(stack->horizontalRange(kChart4).max, range.max);
}

void ChartStackTest::speedRangeOnlyWhenNotAutomatic() {
    auto stack = ShownStack();
    stack->showResult(GrabLikeResult());
    QVERIFY(!stack->speedRange().has_value());
    stack->chart(kChart1)->xAxis->setRange(150, 450);
    stack->linkHorizontalRange(kChart1);
    QVERIFY(stack->speedRange().has_value());
    QCOMPARE(stack->speedRange()->min, 150.0);
    QCOMPARE(stack->speedRange()->max, 450.0);
    stack->undoZoom();
    QVERIFY(!stack->speedRange().has_value());
}

void ChartStackTest::timeGraphsLineUpWhateverTheirLabels_data() {
    QTest::addColumn<QList<bool>>("on");
    QTest::addColumn<double>("torque");  // mNm: wide right-axis labels on the power graph
    QTest::newRow("dyna set, wide torque labels")
        << QList<bool>{false, true, false, true, true} << 1234567.0;
    QTest::newRow("dyna set, small torque") << QList<bool>{false, true, false, true, true} << 0.75;
    QTest::newRow("all five, wide torque labels")
        << QList<bool>{true, true, true, true, true} << 1234567.0;
    QTest::newRow("grab set") << QList<bool>{true, true, true, false, false} << 0.75;
}

void ChartStackTest::timeGraphsLineUpWhateverTheirLabels() {
    QFETCH(QList<bool>, on);
    QFETCH(double, torque);
    auto stack = ShownStack(704, 890);
    LinkLikeTheWindow(*stack);
    SetVisible(*stack, on);
    stack->FormResize(890);
    AnalysisResult result = GrabLikeResult();
    result.rpmPoints = {{100, 61234.5}, {900, 61300}};  // wide speed labels too
    result.powerSeries = {{100, 12.5}, {900, 98765.4}};
    result.torqueSeries = {{100, torque / 2}, {900, torque}};
    result.powerTorqueComputed = true;
    stack->showResult(result);
    // One time on every visible time graph: the same range, then the same pixel.
    stack->chart(kChart2)->xAxis->setRange(200, 800);
    emit stack->scrolled(kChart2);
    QTest::qWait(50);  // the graphs are laid out again at the next turn of the loop

    std::optional<int> left, right, at500;
    for (int i = 0; i < kChartCount; ++i) {
        if (!on[i] || i == kChart3) continue;  // the PV graph's axis is volume
        QCustomPlot* plot = stack->chart(i);
        const QRect area = plot->axisRect()->rect();
        const int x = qRound(plot->xAxis->coordToPixel(500));
        if (!left) {
            left = area.left();
            right = area.right();
            at500 = x;
        }
        QCOMPARE(area.left(), *left);
        QCOMPARE(area.right(), *right);
        QCOMPARE(x, *at500);
    }
}
