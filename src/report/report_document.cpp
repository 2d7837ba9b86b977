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
constexpr double kPerformanceLabelMm = 46.0;

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
            line(left + mm(1.2), y, w - mm(2.4), h, Font(9, bold), cells[i]);
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

// A grab's energy chain, when the bench's friction is known.
double DrawEnergyChain(Page& page, const ReportTexts& texts, double x, double y) {
    if (texts.energy.empty()) return y;
    const double valueMm = page.toMm(page.width() - x) - kPerformanceLabelMm;
    y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true), "Energy chain");
    y += page.paragraph(x, y, page.width() - x, Font(9), Q(texts.energySummary), kQuiet);
    for (const ReportLine& line : texts.energy)
        y += page.row(x, y, {kPerformanceLabelMm, valueMm}, {Q(line.label), Q(line.value)});
    return y;
}

// The engine-performance figures, from `top`.
double DrawRightColumn(Page& page, const ReportTexts& texts, double top) {
    const double x = page.mm(kRightColumnMm);
    const double valueMm = page.toMm(page.width() - x) - kPerformanceLabelMm;
    double y = top;
    y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true),
                   "Engine performance");
    for (const ReportLine& figure : texts.performance)
        y += page.row(x, y, {kPerformanceLabelMm, valueMm}, {Q(figure.label), Q(figure.value)});
    y += page.mm(1);
    y += page.paragraph(x, y, page.width() - x, Font(9), Q(texts.performanceNote), kQuiet);
    if (!texts.uncertainty.empty()) {
        y += page.line(x, y, page.width() - x, page.mm(kHeadingMm), Font(10, true),
                       "Uncertainty (k = 2)");
        for (const ReportLine& figure : texts.uncertainty)
            y += page.row(x, y, {kPerformanceLabelMm, valueMm}, {Q(figure.label), Q(figure.value)});
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

// Graphs flow down the pages after the texts; one that does not fit on what
// is left of a page starts the next.
std::vector<Placement> PlaceGraphs(const std::vector<ReportGraph>& graphs, double textsHeight,
                                   double pageHeight, const Page& page) {
    std::vector<Placement> placed;
    int number = 0;
    double y = textsHeight;
    for (const ReportGraph& graph : graphs) {
        const double h = std::min(page.mm(graph.heightMm), pageHeight);
        if (y + h > pageHeight && y > 0) {
            ++number;
            y = 0;
        }
        placed.push_back({number, y, h});
        y += h + page.mm(kGraphGapMm);
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
