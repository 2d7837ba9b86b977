#include "report/report_document.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <algorithm>
#include <stdexcept>

#include "charts/graph_pictures.h"
#include "corvane/version.h"

namespace corvane::report {

namespace {

constexpr const char* kFontFamily = "DejaVu Sans";
constexpr double kMarginMm = 15.0;
constexpr double kFooterMm = 7.0;  // kept free at the bottom of every page
constexpr double kGraphGapMm = 3.0;
constexpr double kRowMm = 5.2;
constexpr double kHeadingMm = 7.0;
// The two columns under the heading: results (and disks) left, engine performance right.
constexpr double kResultsLabelMm = 24.0;
constexpr double kResultsValueMm = 36.0;
constexpr double kDiskColumnMm = 23.0;
constexpr double kRightColumnMm = 84.0;
constexpr double kPerformanceLabelMm = 40.0;               // at least
constexpr double kCellInsetMm = 1.2;                       // between a cell's frame and its text
constexpr double kCellPaddingMm = 2 * kCellInsetMm + 1.0;  // both insets, and a little room

const QColor kGrid(200, 200, 200);
const QColor kQuiet(90, 90, 90);
const QColor kWarning(200, 0, 0);
const QColor kSimulated(220, 110, 0);

QFont Font(double points, bool bold = false) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPointSizeF(points);
    font.setBold(bold);
    // No ligatures: "ffi" stays three letters, since the report's text is
    // searched and copied from the PDF.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Draws on the page, or only measures when there is no painter: the same
// code gives the layout (how many pages) and the drawing.
class Page {
public:
    Page(QPainter* painter, QPaintDevice& device, int dpi)
        : painter_(painter), device_(device), dpi_(dpi) {}

    double mm(double millimetres) const { return millimetres * dpi_ / 25.4; }
    double toMm(double units) const { return units * 25.4 / dpi_; }
    double width() const { return device_.width(); }
    double widthMm(const QFont& font, const QString& text) const {
        return toMm(QFontMetricsF(font, &device_).horizontalAdvance(text));
    }

    // One line of text in a box of the given height; returns the height.
    double line(double x, double y, double w, double h, const QFont& font, const QString& text,
                const QColor& colour = Qt::black, int align = Qt::AlignLeft) {
        if (painter_) {
            painter_->setFont(font);
            painter_->setPen(colour);
            painter_->drawText(QRectF(x, y, w, h), align | Qt::AlignVCenter | Qt::TextDontClip,
                               text);
        }
        return h;
    }

    // Wrapped text; returns the height it takes.
    double paragraph(double x, double y, double w, const QFont& font, const QString& text,
                     const QColor& colour) {
        if (text.isEmpty()) return 0.0;
        const QFontMetricsF metrics(font, &device_);
        const QRectF box = metrics.boundingRect(QRectF(x, y, w, 1e6), Qt::TextWordWrap, text);
        if (painter_) {
            painter_->setFont(font);
            painter_->setPen(colour);
            painter_->drawText(QRectF(x, y, w, box.height()), Qt::TextWordWrap, text);
        }
        return box.height();
    }

    // A row of cells framed by thin lines; returns its height.
    double row(double x, double y, const std::vector<double>& widthsMm,
               const std::vector<QString>& cells, bool bold = false) {
        const double h = mm(kRowMm);
        double left = x;
        for (std::size_t i = 0; i < cells.size() && i < widthsMm.size(); ++i) {
            const double w = mm(widthsMm[i]);
            if (painter_) {
                painter_->setPen(QPen(kGrid, 0));
                painter_->drawRect(QRectF(left, y, w, h));
            }
            line(left + mm(kCellInsetMm), y, w - mm(2 * kCellInsetMm), h, Font(9, bold), cells[i]);
            left += w;
        }
        return h;
    }

    void rule(double y) {
        if (!painter_) return;
        painter_->setPen(QPen(kGrid, mm(0.3)));
        painter_->drawLine(QPointF(0, y), QPointF(width(), y));
    }

private:
    QPainter* painter_;
    QPaintDevice& device_;
    int dpi_;
};

// Title, subtitle and monitor line; returns the height.
double DrawHeading(Page& page, const ReportTexts& texts) {
    double y = 0;
    y += page.line(0, y, page.width(), page.mm(9), Font(15, true), Q(texts.title));
    y += page.line(0, y, page.width(), page.mm(5.5), Font(9), Q(texts.subtitle), kQuiet);
    if (!texts.simulatedNote.empty())
        y += page.line(0, y, page.width(), page.mm(5.5), Font(9, true), Q(texts.simulatedNote),
                       kSimulated);
    y += page.line(0, y, page.width(), page.mm(5.5), Font(9), Q(texts.monitor));
    y += page.mm(1.5);
    page.rule(y);
    return y + page.mm(2.5);
}

// The results table, the analysis' notes and a dyna's disks, from `top`.
double DrawLeftColumn(Page& page, const ReportTexts& texts, double top) {
    double y = top;
    y += page.line(0, y, page.mm(60), page.mm(kHeadingMm), Font(10, true), "Results");
    for (const analysis::TableRow& row : texts.results)
        y += page.row(0, y, {kResultsLabelMm, kResultsValueMm}, {Q(row[0]), Q(row[1])});
    y += page.mm(1);
    for (const std::string& note : texts.notes)
        y += page.paragraph(0, y, page.mm(kResultsLabelMm + kResultsValueMm), Font(9, true),
                            Q(note), kWarning);
    if (!texts.isDyna) return y;
    y += page.mm(2);
    y += page.line(0, y, page.mm(3 * kDiskColumnMm), page.mm(kHeadingMm), Font(10, true),
                   "Flywheel disks");
    const std::vector<double> widths(3, kDiskColumnMm);
    y += page.row(0, y, widths, {"Mass (g)", "Diam (mm)", "MOI (g\u00b7m\u00b2)"}, true);
    for (const analysis::DiskRow& disk : texts.disks)
        y += page.row(0, y, widths, {Q(disk[0]), Q(disk[1]), Q(disk[2])});
    y += page.row(0, y, {2 * kDiskColumnMm, kDiskColumnMm}, {"Total", Q(texts.diskTotal)}, true);
    return y;
}

// The label column of a table of figures: wide enough that its longest label
// stays on one line beside its figure, as far as the longest figure leaves room.
double LabelMm(const Page& page, const std::vector<ReportLine>& lines, double columnMm) {
    double label = 0.0, value = 0.0;
    for (const ReportLine& figure : lines) {
        label = std::max(label, page.widthMm(Font(9), Q(figure.label)));
        value = std::max(value, page.widthMm(Font(9), Q(figure.value)));
    }
    const double most = columnMm - value - kCellPaddingMm;
    return std::max(kPerformanceLabelMm, std::min(label + kCellPaddingMm, most));
}

// A table of figures in the column from `x`; returns its height.
double FigureRows(Page& page, const std::vector<ReportLine>& lines, double x, double y) {
    const double columnMm = page.toMm(page.width() - x);
    const double labelMm = LabelMm(page, lines, columnMm);
    double height = 0.0;
    for (const ReportLine& figure : lines)
        height += page.row(x, y + height, {labelMm, columnMm - labelMm},
                           {Q(figure.label), Q(figure.value)});
    return height;
}

// A grab's energy chain, when the bench's friction is known.
double DrawEnergyChain(Page& page, const ReportTexts& texts, double x, double y) {
    if (texts.energy.empty()) return y;
    y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true), "Energy chain");
    y += page.paragraph(x, y, page.width() - x, Font(9), Q(texts.energySummary), kQuiet);
    return y + FigureRows(page, texts.energy, x, y);
}

// The engine-performance figures, from `top`.
double DrawRightColumn(Page& page, const ReportTexts& texts, double top) {
    const double x = page.mm(kRightColumnMm);
    double y = top;
    y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true),
                   "Engine performance");
    y += FigureRows(page, texts.performance, x, y);
    y += page.mm(1);
    y += page.paragraph(x, y, page.width() - x, Font(9), Q(texts.performanceNote), kQuiet);
    if (!texts.uncertainty.empty()) {
        y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true),
                       "Uncertainty (k = 2)");
        y += FigureRows(page, texts.uncertainty, x, y);
    }
    return DrawEnergyChain(page, texts, x, y);
}

double DrawTexts(Page& page, const ReportTexts& texts) {
    const double top = DrawHeading(page, texts);
    const double left = DrawLeftColumn(page, texts, top);
    const double right = DrawRightColumn(page, texts, top);
    return std::max(left, right) + page.mm(4);
}

struct Placement {
    int page = 0;
    double top = 0.0;
    double height = 0.0;
};

// A graph's height on the page: what it asks for, and the least it may be drawn at.
struct Height {
    double wanted = 0.0;
    double least = 0.0;
};

// The graphs from `first` to `last` one under the other from `top`, each
// between its least and its wanted height as `share` (0 to 1) says.
void StackGraphs(const std::vector<Height>& heights, std::size_t first, std::size_t last,
                 double top, double share, double gap, int number, std::vector<Placement>& placed) {
    placed.resize(first);
    for (std::size_t i = first; i <= last; ++i) {
        const double h = heights[i].least + share * (heights[i].wanted - heights[i].least);
        placed.push_back({number, top, h});
        top += h + gap;
    }
}

// How far above their least heights a page's graphs can be drawn in `room`:
// 1 for their wanted heights, below 0 when even their least do not fit.
double ShareOf(double room, const Height& sum) {
    if (sum.wanted <= sum.least) return room >= sum.least ? 1.0 : -1.0;
    return std::min(1.0, (room - sum.least) / (sum.wanted - sum.least));
}

// Graphs flow down the pages after the texts. A page takes the next graph
// while its graphs, made smaller alike down to their least heights, fit; the
// graph that does not fit starts the next page.
std::vector<Placement> PlaceGraphs(const std::vector<ReportGraph>& graphs, double textsHeight,
                                   double pageHeight, const Page& page) {
    std::vector<Height> heights;
    for (const ReportGraph& graph : graphs) {
        const double wanted = std::min(page.mm(graph.heightMm), pageHeight);
        heights.push_back({wanted, std::min(page.mm(graph.leastHeightMm), wanted)});
    }
    const double gap = page.mm(kGraphGapMm);
    std::vector<Placement> placed;
    int number = 0;
    double top = textsHeight;
    std::size_t first = 0;  // the first graph on this page
    Height sum;             // of this page's graphs so far
    for (std::size_t i = 0; i < heights.size(); ++i) {
        sum = {sum.wanted + heights[i].wanted, sum.least + heights[i].least};
        double share = ShareOf(pageHeight - top - gap * static_cast<double>(i - first), sum);
        if (share < 0.0 && (i > first || top > 0.0)) {
            ++number;
            top = 0.0;
            first = i;
            sum = heights[i];
            share = 1.0;
        }
        StackGraphs(heights, first, i, top, std::max(share, 0.0), gap, number, placed);
    }
    return placed;
}

// A4 pages at the screen's resolution, room for the footer, the report's title.
void SetUpPdf(QPdfWriter& pdf, const ReportTexts& texts, int dpi) {
    pdf.setResolution(dpi);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm - kFooterMm / 2),
                       QPageLayout::Millimeter);
    pdf.setTitle(Q(texts.title) + " \u2013 lab report");
    pdf.setCreator(Q(VersionLine(kProgramName)));
}

}  // namespace

QByteArray ReportPdf(const ReportTexts& texts, const std::vector<ReportGraph>& graphs) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    // Text and lines keep the proportions they have on the screen only at its resolution.
    const int dpi = graphs.empty() ? 96 : charts::ScreenDpi(*graphs.front().plot);
    SetUpPdf(pdf, texts, dpi);

    Page measure(nullptr, pdf, dpi);
    const double pageHeight = pdf.height() - measure.mm(kFooterMm);
    const std::vector<Placement> placed =
        PlaceGraphs(graphs, DrawTexts(measure, texts), pageHeight, measure);
    const int pages = placed.empty() ? 1 : placed.back().page + 1;

    QCPPainter painter;
    if (!painter.begin(&pdf)) throw std::runtime_error("The PDF could not be started");
    Page page(&painter, pdf, dpi);
    auto footer = [&](int number) {
        page.line(0, pageHeight + page.mm(2), page.width(), page.mm(kFooterMm - 2), Font(7.5),
                  Q(texts.footer) + QStringLiteral(" \u00b7 page %1 of %2").arg(number).arg(pages),
                  kQuiet, Qt::AlignRight);
    };
    DrawTexts(page, texts);
    int current = 0;
    for (std::size_t i = 0; i < graphs.size(); ++i) {
        while (current < placed[i].page) {
            footer(current + 1);
            pdf.newPage();
            ++current;
        }
        const QSize size(static_cast<int>(page.width()), static_cast<int>(placed[i].height));
        charts::DrawGraph(painter, *graphs[i].plot, size,
                          QRectF(QPointF(0, placed[i].top), QSizeF(size)));
    }
    footer(current + 1);
    painter.end();
    return bytes;
}

}  // namespace corvane::report
