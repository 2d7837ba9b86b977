// What the graphs hold and show: series filled from a result, the automatic
// axes, the right-axis labels, the "SIMULATED" mark and the warning picture.
#include <QLabel>
#include <QLocale>

#include "chart_fixture.h"
#include "chart_tests.h"
#include "charts/grouped_ticker.h"
#include "charts/hot_engine_picture.h"

using namespace corvane::charts;
using namespace fixture;
using corvane::analysis::SpeedHistory;

namespace {
QCPGraph* Graph(ChartStack& stack, SeriesId id) { return stack.chart(id.chart)->graph(id.index); }
}  // namespace

void ChartLookTest::resultFillsSeriesInAscendingX() {
    auto stack = ShownStack();
    const AnalysisResult result = GrabLikeResult();
    stack->showResult(result);
    QCOMPARE(stack->seriesPointCount(series::kPressure), 1000);
    QCOMPARE(stack->seriesPointCount(series::kTachometer), 1000);
    QCOMPARE(stack->seriesPointCount(series::kHoleMarks), 3);
    QCOMPARE(stack->seriesPointCount(series::kWideHoles), 5);
    QCOMPARE(stack->seriesPointCount(series::kPvPoints), 100);
    QCOMPARE(stack->seriesPointCount(series::kSpeedPoints), 3);
    // Series1 takes its x from the point number.
    QCOMPARE(Graph(*stack, series::kPressure)->data()->at(10)->key, 10.0);
    QCOMPARE(Graph(*stack, series::kPressure)->data()->at(10)->value, result.series1[10]);
    // The PV points were added in cycle order and are kept by ascending volume.
    const auto pv = Graph(*stack, series::kPvPoints)->data();
    for (int i = 1; i < pv->size(); ++i) QVERIFY(pv->at(i - 1)->key <= pv->at(i)->key);
    QCOMPARE(stack->rpmPoints(), result.rpmPoints);
}

void ChartLookTest::grabLeavesPowerCurvesStanding() {
    auto stack = ShownStack();
    AnalysisResult dyna;
    dyna.rpmPoints = {{100, 600}, {200, 650}};
    dyna.powerSeries = {{150, 1036.3}};
    dyna.torqueSeries = {{150, 15.708}};
    dyna.powerTorqueComputed = true;
    stack->showResult(dyna);
    QCOMPARE(stack->seriesPointCount(series::kPower), 1);
    QCOMPARE(stack->seriesPointCount(series::kTorque), 1);
    QCOMPARE(Graph(*stack, series::kTorque)->valueAxis(), stack->chart(kChart5)->yAxis2);

    stack->showResult(GrabLikeResult());  // a grab computes no power
    QCOMPARE(stack->seriesPointCount(series::kPower), 1);
    QCOMPARE(stack->seriesPointCount(series::kSpeedPoints), 3);

    AnalysisResult shortDyna;  // too few speed points: the curves are cleared
    shortDyna.powerTorqueComputed = true;
    stack->showResult(shortDyna);
    QCOMPARE(stack->seriesPointCount(series::kPower), 0);
    QCOMPARE(stack->seriesPointCount(series::kTorque), 0);
}

// A grab's speed points join the graph after every point at the same time or
// earlier, also where all of them come before the graph's first.
void ChartLookTest::grabsSpeedPointsMergeAfterTheirEquals() {
    auto stack = ShownStack();
    AnalysisResult before;
    before.rpmPoints = {{200, 2}, {200, 3}, {400, 4}};
    stack->showResult(before);
    SpeedHistory speed;  // the window's history: the graph draws it
    speed.replace(before.rpmPoints);
    AnalysisResult grab;
    grab.rpmPoints = {{100, 5}, {200, 9}, {500, 6}};
    speed.merge(grab.rpmPoints);
    stack->showResult(grab, speed);
    QCOMPARE(stack->rpmPoints(),
             (std::vector<Point>{{100, 5}, {200, 2}, {200, 3}, {200, 9}, {400, 4}, {500, 6}}));
    grab.rpmPoints = {{50, 7}, {100, 8}};  // all at or before the graph's first point
    speed.merge(grab.rpmPoints);
    stack->showResult(grab, speed);
    QCOMPARE(stack->rpmPoints().front(), (Point{50, 7}));
    QCOMPARE(stack->rpmPoints()[2], (Point{100, 8}));
    QCOMPARE(stack->seriesPointCount(series::kSpeedPoints), 8);
}

void ChartLookTest::automaticAxisSpansData() {
    auto stack = ShownStack();
    stack->setChartVisible(kChart4, true);
    stack->FormResize(890);
    AnalysisResult result = GrabLikeResult();
    stack->showResult(result);
    QCOMPARE(stack->chart(kChart4)->xAxis->range().lower, 100.0);
    QCOMPARE(stack->chart(kChart4)->xAxis->range().upper, 500.0);
    QCOMPARE(stack->chart(kChart4)->yAxis->range().lower, 600.0);
    QCOMPARE(stack->chart(kChart4)->yAxis->range().upper, 625.0);
    // The next capture is spanned again, hidden graphs included once shown.
    result.rpmPoints.push_back({2500, 700});
    stack->showResult(result);
    QCOMPARE(stack->chart(kChart4)->xAxis->range().upper, 2500.0);
    stack->setChartVisible(kChart5, true);
    stack->FormResize(890);
    AnalysisResult dyna;
    dyna.powerSeries = {{10, 1}, {20, 5}};
    dyna.torqueSeries = {{10, -2}, {20, 8}};
    dyna.powerTorqueComputed = true;
    stack->showResult(dyna);
    QCOMPARE(stack->chart(kChart5)->yAxis2->range().lower, -2.0);
    QCOMPARE(stack->chart(kChart5)->yAxis2->range().upper, 8.0);
}

void ChartLookTest::clearingSeries() {
    auto stack = ShownStack();
    AnalysisResult result = GrabLikeResult();
    result.powerSeries = {{1, 1}};
    result.powerTorqueComputed = true;
    stack->showResult(result);
    stack->clearTraces();
    for (SeriesId id : {series::kPressure, series::kTachometer, series::kHoleMarks,
                        series::kWideHoles, series::kPvPoints})
        QCOMPARE(stack->seriesPointCount(id), 0);
    QCOMPARE(stack->seriesPointCount(series::kSpeedPoints), 3);  // left standing
    QCOMPARE(stack->seriesPointCount(series::kPower), 1);
    stack->clearAllSeries();
    QCOMPARE(stack->seriesPointCount(series::kSpeedPoints), 0);
    QCOMPARE(stack->seriesPointCount(series::kPower), 0);
}

void ChartLookTest::oneDrawingPerChange() {
    auto stack = ShownStack();
    QCoreApplication::processEvents();
    std::array<int, kChartCount> drawn{};
    for (int i = 0; i < kChartCount; ++i)
        QObject::connect(stack->chart(i), &QCustomPlot::afterReplot, [&drawn, i] { ++drawn[i]; });
    // What a Grab's preparation and analysis do within one handler.
    stack->undoZoom();
    stack->clearTraces();
    stack->showResult(GrabLikeResult());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(drawn, (std::array<int, kChartCount>{1, 1, 1, 0, 0}));
    // Changes without new data are drawn once, later.
    stack->undoZoom();
    stack->clearTraces();
    QCOMPARE(drawn[kChart1], 1);
    QCoreApplication::processEvents();
    QCOMPARE(drawn, (std::array<int, kChartCount>{2, 2, 2, 0, 0}));
    // A hidden graph is drawn when it is shown again.
    stack->setChartVisible(kChart4, true);
    stack->FormResize(890);
    QCoreApplication::processEvents();
    QVERIFY(drawn[kChart4] >= 1);
}

void ChartLookTest::groupedLabels_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");
    QTest::newRow("zero") << 0.0 << "0"
                          << "0";
    QTest::newRow("integer") << 25.0 << "25"
                             << "25";
    QTest::newRow("grouped") << 1234.5 << "1,234.5"
                             << "1.234,5";
    QTest::newRow("three decimals") << 15.708 << "15.708"
                                    << "15,708";
    QTest::newRow("six decimals at most") << 1234567.1234567 << "1,234,567.123457"
                                          << "1.234.567,123457";
    QTest::newRow("tick noise") << 0.30000000000000004 << "0.3"
                                << "0,3";
    QTest::newRow("negative") << -2500.25 << "-2,500.25"
                              << "-2.500,25";
    QTest::newRow("negative nearly zero") << -0.0000001 << "0"
                                          << "0";
}

void ChartLookTest::groupedLabels() {
    QFETCH(double, value);
    QFETCH(QString, english);
    QFETCH(QString, german);
    QCOMPARE(FormatGroupedLabel(value, QLocale(QLocale::English, QLocale::UnitedStates)), english);
    QCOMPARE(FormatGroupedLabel(value, QLocale(QLocale::German, QLocale::Germany)), german);
}

void ChartLookTest::simulatedMarkOnEveryGraph() {
    auto stack = ShownStack();
    auto marks = [&](bool visible) {
        int count = 0;
        for (int i = 0; i < kChartCount; ++i) {
            for (int k = 0; k < stack->chart(i)->itemCount(); ++k) {
                auto* text = qobject_cast<QCPItemText*>(stack->chart(i)->item(k));
                if (text && text->text() == "SIMULATED" && text->visible() == visible) ++count;
            }
        }
        return count;
    };
    QCOMPARE(marks(false), 5);
    stack->setSimulated(true);
    QVERIFY(stack->simulated());
    QCOMPARE(marks(true), 5);
    stack->setSimulated(false);
    QCOMPARE(marks(false), 5);
}

void ChartLookTest::hotEnginePicture() {
    const QImage image = DrawHotEnginePicture().toImage();
    QCOMPARE(image.size(), QSize(400, 100));
    QRect red;
    int others = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(255, 0, 0)) {
                red |= QRect(x, y, 1, 1);
            } else if (pixel != qRgb(255, 255, 255) &&
                       (qGreen(pixel) != qBlue(pixel) || qRed(pixel) != 255)) {
                ++others;  // anything but white, red and their blends
            }
        }
    }
    QCOMPARE(others, 0);
    // The words fill roughly x 22..364 and y 33..66.
    QVERIFY2(red.left() >= 15 && red.left() <= 40, qPrintable(QString::number(red.left())));
    QVERIFY2(red.right() >= 330 && red.right() <= 372, qPrintable(QString::number(red.right())));
    QVERIFY2(red.top() >= 25 && red.bottom() <= 78,
             qPrintable(QString("%1 %2").arg(red.top()).arg(red.bottom())));
    QVERIFY(red.height() >= 25);
}
