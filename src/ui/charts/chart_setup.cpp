#include "ui/charts/chart_setup.h"

#include <QLocale>
#include <memory>

#include "ui/charts/graph_plot.h"
#include "ui/charts/grouped_ticker.h"

namespace corvane::ui {

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kGrey(128, 128, 128);
const QColor kBlue(0, 0, 255);

// Left and right room for axis labels, the same on every graph, so the plot
// areas of the stacked time graphs line up.
constexpr int kLeftMargin = 74;
constexpr int kRightMargin = 62;

struct ChartText {
    const char* title;
    const char* horizontal;
    const char* left;  // empty: no title on the vertical axis
};

constexpr std::array<ChartText, 5> kTexts{{
    {"Pressure (kPa)", "Time (milliseconds)", ""},
    {"Tachometer", "Time (milliseconds)", ""},
    {"Pressure vs Volume", "Volume (cu mm)", "Pressure (kPa)"},
    {"Instantaneous RPM (Angular Velocity)", "Time (milliseconds)", ""},
    {"Power and Torque Data", "Time (milliseconds)", "Power (milli watts)"},
}};

// A fast line: no markers, adaptive sampling for long traces.
QCPGraph* AddLine(GraphPlot& plot, const QColor& colour, double width = 1.0,
                  Qt::PenStyle style = Qt::SolidLine, QCPAxis* valueAxis = nullptr) {
    QCPGraph* graph = plot.addGraph(plot.xAxis, valueAxis ? valueAxis : plot.yAxis);
    QPen pen(colour);
    pen.setWidthF(width);
    pen.setStyle(style);
    graph->setPen(pen);
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    graph->setAdaptiveSampling(true);
    return graph;
}

QCPGraph* AddSquares(GraphPlot& plot, const QColor& colour, double size) {
    QCPGraph* graph = plot.addGraph(plot.xAxis, plot.yAxis);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(colour), QBrush(colour), size));
    return graph;
}

}  // namespace

QCPItemText* SetUpChart(GraphPlot& plot, int index) {
    const ChartText& text = kTexts.at(static_cast<std::size_t>(index));
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    plot.setLocale(locale);
    plot.setNoAntialiasingOnDrag(true);

    plot.plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(&plot, QString::fromLatin1(text.title),
                                     QFont(plot.font().family(), 9, QFont::Bold));
    plot.plotLayout()->addElement(0, 0, title);
    plot.xAxis->setLabel(QString::fromLatin1(text.horizontal));
    plot.yAxis->setLabel(QString::fromLatin1(text.left));
    plot.axisRect()->setMinimumMargins(QMargins(kLeftMargin, 4, kRightMargin, 4));

    switch (index) {
        case 0:
            AddLine(plot, kRed);  // Series1
            break;
        case 1:
            AddLine(plot, kBlack);        // Series2
            AddSquares(plot, kGreen, 5);  // Series4
            AddLine(plot, kRed);          // Series5
            break;
        case 2:
            AddSquares(plot, kRed, 4);  // Series3
            break;
        case 3:
            AddLine(plot, kGrey);  // RPMDataSeries
            break;
        case 4: {
            plot.yAxis->setLabelColor(kBlue);
            plot.yAxis2->setVisible(true);
            plot.yAxis2->setTickLabels(true);
            plot.yAxis2->setLabel(QStringLiteral("Torque (milli Nm)"));
            plot.yAxis2->setLabelColor(kRed);
            plot.yAxis2->setTicker(QSharedPointer<QCPAxisTicker>(new GroupedTicker));
            AddLine(plot, kBlue, 1.0, Qt::DotLine);                // PowerSeries
            AddLine(plot, kRed, 1.0, Qt::DotLine, plot.yAxis2);    // TorqueSeries
            AddLine(plot, kBlue, 3.0);                             // SmoothedPowerSeries
            AddLine(plot, kRed, 3.0, Qt::SolidLine, plot.yAxis2);  // SmoothedTorqueSeries
            // The right axis zooms and scrolls with the left one.
            plot.axisRect()->setRangeZoomAxes({plot.xAxis}, {plot.yAxis, plot.yAxis2});
            break;
        }
        default:
            break;
    }

    auto* mark = new QCPItemText(&plot);
    mark->position->setType(QCPItemPosition::ptAxisRectRatio);
    mark->position->setCoords(0.99, 0.03);
    mark->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    mark->setText(QStringLiteral("SIMULATED"));
    mark->setFont(QFont(plot.font().family(), 10, QFont::Bold));
    mark->setColor(QColor(220, 110, 0));
    mark->setPen(QPen(QColor(220, 110, 0)));
    mark->setBrush(QBrush(QColor(255, 255, 255, 200)));
    mark->setPadding(QMargins(4, 1, 4, 1));
    mark->setVisible(false);
    return mark;
}

}  // namespace corvane::ui
