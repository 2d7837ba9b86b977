#include "charts/chart_setup.h"

#include <QLocale>
#include <memory>

#include "charts/graph_plot.h"
#include "charts/graph_table.h"
#include "charts/grouped_ticker.h"

namespace corvane::charts {

namespace {

// Left and right room for axis labels at least; the stack then gives the
// visible time graphs the widest margins among them, so their plot areas line up.
constexpr int kLeftMargin = 74;
constexpr int kRightMargin = 62;

// A line: no markers, adaptive sampling for long traces.
void AddLine(GraphPlot& plot, const SeriesLook& look, QCPAxis* valueAxis) {
    QCPGraph* graph = plot.addGraph(plot.xAxis, valueAxis);
    QPen pen{QColor(look.colour)};
    pen.setWidthF(look.width);
    pen.setStyle(look.dotted ? Qt::DotLine : Qt::SolidLine);
    graph->setPen(pen);
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    graph->setAdaptiveSampling(true);
}

void AddSquares(GraphPlot& plot, const SeriesLook& look, QCPAxis* valueAxis) {
    QCPGraph* graph = plot.addGraph(plot.xAxis, valueAxis);
    graph->setLineStyle(QCPGraph::lsNone);
    const QColor colour(look.colour);
    graph->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(colour), QBrush(colour), look.width));
}

}  // namespace

void SetUpPlotLook(GraphPlot& plot, const PlotTitles& titles) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    plot.setLocale(locale);
    plot.setNoAntialiasingOnDrag(true);

    plot.plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(&plot, QString::fromLatin1(titles.title),
                                     QFont(plot.font().family(), 9, QFont::Bold));
    plot.plotLayout()->addElement(0, 0, title);
    plot.xAxis->setLabel(QString::fromLatin1(titles.horizontal));
    plot.yAxis->setLabel(QString::fromLatin1(titles.left));
    plot.yAxis->setLabelColor(QColor(titles.leftColour));
    plot.axisRect()->setMinimumMargins(QMargins(kLeftMargin, 4, kRightMargin, 4));

    if (titles.right[0] != '\0') {
        plot.yAxis2->setVisible(true);
        plot.yAxis2->setTickLabels(true);
        plot.yAxis2->setLabel(QString::fromLatin1(titles.right));
        plot.yAxis2->setLabelColor(QColor(titles.rightColour));
        plot.yAxis2->setTicker(QSharedPointer<QCPAxisTicker>(new GroupedTicker));
        // The right axis zooms and scrolls with the left one.
        plot.axisRect()->setRangeZoomAxes({plot.xAxis}, {plot.yAxis, plot.yAxis2});
    }
}

void AddSeries(GraphPlot& plot, const SeriesLook& look) {
    QCPAxis* valueAxis = look.rightAxis ? plot.yAxis2 : plot.yAxis;
    if (look.kind == SeriesKind::Squares)
        AddSquares(plot, look, valueAxis);
    else
        AddLine(plot, look, valueAxis);
}

QCPItemText* AddSimulatedMark(GraphPlot& plot) {
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

QCPItemText* SetUpChart(GraphPlot& plot, int index) {
    const GraphEntry& entry = kGraphs.at(static_cast<std::size_t>(index));
    SetUpPlotLook(
        plot, PlotTitles{entry.title, entry.horizontalTitle, entry.leftTitle, entry.leftTitleColour,
                         entry.rightTitle, entry.rightTitleColour});
    for (const SeriesLook& look : entry.series) AddSeries(plot, look);
    return AddSimulatedMark(plot);
}

}  // namespace corvane::charts
