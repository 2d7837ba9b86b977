#include "report/run_report_document.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QPdfWriter>
#include <algorithm>
#include <functional>
#include <stdexcept>

#include "charts/graph_pictures.h"
#include "corvane/version.h"
#include "report/report_texts.h"

namespace corvane::report {

namespace {

constexpr double kMarginMm = 15.0;
constexpr double kFooterMm = 7.0;
constexpr double kRowMm = 5.0;
constexpr double kHeadingMm = 8.0;
constexpr double kLabelMm = 45.0;
const QColor kGrid(200, 200, 200);
const QColor kQuiet(90, 90, 90);
const QColor kSimulated(220, 110, 0);

QFont Font(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);  // text stays searchable in the PDF
    return font;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A piece of the report that is never split across pages.
struct Block {
    double heightMm;
    std::function<void(QCPPainter&, double top)> draw;
};

class Sheet {
public:
    explicit Sheet(int dpi) : dpi_(dpi) {}
    double mm(double millimetres) const { return millimetres * dpi_ / 25.4; }

    void text(QPainter& p, QRectF box, const QFont& font, const QString& text,
              const QColor& colour = Qt::black, int align = Qt::AlignLeft) const {
        p.setFont(font);
        p.setPen(colour);
        p.drawText(box, align | Qt::AlignVCenter, p.fontMetrics().elidedText(
                                                     text, Qt::ElideRight, int(box.width())));
    }

    // Framed cells from x; the widths in millimetres.
    void cells(QPainter& p, double y, const std::vector<double>& widthsMm,
               const std::vector<QString>& texts, const QFont& font) const {
        double x = 0;
        for (std::size_t i = 0; i < texts.size() && i < widthsMm.size(); ++i) {
            const QRectF box(x, y, mm(widthsMm[i]), mm(kRowMm));
            p.setPen(QPen(kGrid, 0));
            p.drawRect(box);
            text(p, box.adjusted(mm(1), 0, -mm(1), 0), font, texts[i]);
            x += box.width();
        }
    }

private:
    int dpi_;
};

Block Heading(const Sheet& s, const QString& title, double points = 10.5) {
    return {kHeadingMm, [&s, title, points](QCPPainter& p, double top) {
                s.text(p, QRectF(0, top + s.mm(1.5), s.mm(180), s.mm(kHeadingMm - 1.5)),
                       Font(points, true), title);
            }};
}

Block Row(const Sheet& s, const recording::RunReportLine& line) {
    return {kRowMm, [&s, line](QCPPainter& p, double top) {
                s.cells(p, top, {kLabelMm, 180 - kLabelMm}, {Q(line.label), Q(line.value)},
                        Font(8.5));
            }};
}

Block TitleBlock(const Sheet& s, const recording::RunReport& r, const std::string& created) {
    const QString subtitle = QStringLiteral("Recording report \u00b7 %1 \u00b7 %2")
                                 .arg(Q(created), Q(VersionLine(kProgramName)));
    return {r.simulated ? 22.0 : 16.5, [&s, &r, subtitle](QCPPainter& p, double top) {
                s.text(p, QRectF(0, top, s.mm(180), s.mm(9)), Font(15, true),
                       "Recording " + Q(r.title));
                s.text(p, QRectF(0, top + s.mm(9), s.mm(180), s.mm(5.5)), Font(9), subtitle,
                       kQuiet);
                if (r.simulated)
                    s.text(p, QRectF(0, top + s.mm(14.5), s.mm(180), s.mm(5.5)), Font(9, true),
                           kSimulatedNote, kSimulated);
            }};
}

void AddLines(std::vector<Block>& blocks, const Sheet& s, const char* title,
              const std::vector<recording::RunReportLine>& lines) {
    blocks.push_back(Heading(s, title));
    for (const recording::RunReportLine& line : lines) blocks.push_back(Row(s, line));
}

// Marks and gaps in the order of their times.
void AddEvents(std::vector<Block>& blocks, const Sheet& s, const recording::RunReport& r) {
    std::vector<recording::RunReportLine> lines;
    std::vector<recording::Event> events = r.marks;
    events.insert(events.end(), r.gaps.begin(), r.gaps.end());
    std::stable_sort(events.begin(), events.end(),
                     [](const auto& a, const auto& b) { return a.timeS < b.timeS; });
    for (const recording::Event& e : events)
        lines.push_back({recording::ClockText(e.timeS), e.text});
    if (lines.empty()) lines.push_back({"\u2014", "no mark, no gap"});
    AddLines(blocks, s, "Marks and gaps", lines);
}

}  // namespace

std::string SpreadText(const std::optional<recording::Spread>& spread, int decimals) {
    if (!spread) return kNoFigure;
    return QStringLiteral("%1 \u00b1 %2")
        .arg(spread->mean, 0, 'f', decimals)
        .arg(spread->sd, 0, 'f', decimals)
        .toStdString();
}

namespace {

constexpr double kPointColumnsMm[] = {11, 14, 14, 11, 20, 22, 16, 16, 17, 18, 19};

std::vector<QString> PointCells(const recording::OperatingPoint& p) {
    return {p.chosen ? "chosen" : "steady",
            QString::number(p.startS / 60, 'f', 2),
            QString::number(p.lengthS, 'f', 1),
            QString::number(p.cycles),
            Q(SpreadText(p.rpm, 1)),
            Q(SpreadText(p.indicatedPowerMilliW, 2)),
            Q(SpreadText(p.loTempK, 1)),
            Q(SpreadText(p.hiTempK, 1)),
            Q(SpreadText(p.heaterPowerW, 2)),
            Q(SpreadText(p.indicatedEfficiencyPercent, 2)),
            Q(SpreadText(p.carnotPercent, 2))};
}

Block PointRow(const Sheet& s, std::vector<QString> cells, bool bold) {
    return {kRowMm, [&s, cells = std::move(cells), bold](QCPPainter& p, double top) {
                s.cells(p, top, {std::begin(kPointColumnsMm), std::end(kPointColumnsMm)}, cells,
                        Font(6.5, bold));
            }};
}

void AddPoints(std::vector<Block>& blocks, const Sheet& s, const recording::RunReport& r) {
    blocks.push_back(
        Heading(s, "Operating points (start in min, length in s; mean \u00b1 sd of their cycles)"));
    if (r.points.empty()) {
        blocks.push_back(Row(s, {"\u2014", "no steady stretch: no operating point"}));
        return;
    }
    blocks.push_back(PointRow(s,
                              {"Kind", "Start", "Length", "Cycles", "Speed (rpm)", "Power (mW)",
                               "Low T (K)", "High T (K)", "Heater (W)", "Eff. (%)", "Carnot (%)"},
                              true));
    for (const recording::OperatingPoint& p : r.points) blocks.push_back(PointRow(s, PointCells(p), false));
}

Block GraphBlock(const Sheet& s, const ReportGraph& graph) {
    return {graph.heightMm + 3, [&s, &graph](QCPPainter& p, double top) {
                const QSize size(int(s.mm(180)), int(s.mm(graph.heightMm)));
                charts::DrawGraph(p, *graph.plot, size, QRectF(QPointF(0, top), QSizeF(size)));
            }};
}

// Two graphs side by side, the second one optional.
Block GraphPair(const Sheet& s, const ReportGraph& left, const ReportGraph* right) {
    constexpr double kWidthMm = 88.0, kGutterMm = 4.0;
    return {left.heightMm + 3, [&s, &left, right](QCPPainter& p, double top) {
                const QSize size(int(s.mm(kWidthMm)), int(s.mm(left.heightMm)));
                charts::DrawGraph(p, *left.plot, size, QRectF(QPointF(0, top), QSizeF(size)));
                if (!right) return;
                const QPointF at(s.mm(kWidthMm + kGutterMm), top);
                charts::DrawGraph(p, *right->plot, size, QRectF(at, QSizeF(size)));
            }};
}

// A heading kept on the page of what follows it.
Block Together(const Sheet& s, Block first, Block second) {
    const double below = first.heightMm;
    return {first.heightMm + second.heightMm,
            [&s, first = std::move(first), second = std::move(second), below](QCPPainter& p,
                                                                               double top) {
                first.draw(p, top);
                second.draw(p, top + s.mm(below));
            }};
}

void AddLoops(std::vector<Block>& blocks, const Sheet& s, const std::vector<ReportGraph>& loops) {
    for (std::size_t i = 0; i < loops.size(); i += 2) {
        Block pair = GraphPair(s, loops[i], i + 1 < loops.size() ? &loops[i + 1] : nullptr);
        if (i == 0)
            pair = Together(s, Heading(s, "Averaged loop of each operating point"), std::move(pair));
        blocks.push_back(std::move(pair));
    }
}

std::vector<Block> Blocks(const Sheet& s, const recording::RunReport& r,
                          const std::vector<ReportGraph>& graphs,
                          const std::vector<ReportGraph>& loops, const std::string& created) {
    std::vector<Block> blocks{TitleBlock(s, r, created)};
    AddLines(blocks, s, "The run", r.facts);
    AddLines(blocks, s, "Warm-up", r.warmUp);
    AddLines(blocks, s, "Settings in force", r.settings);
    AddEvents(blocks, s, r);
    // The trends, then the points and their curve (the last graph).
    for (std::size_t i = 0; i + 1 < graphs.size(); ++i) blocks.push_back(GraphBlock(s, graphs[i]));
    AddPoints(blocks, s, r);
    if (!graphs.empty()) blocks.push_back(GraphBlock(s, graphs.back()));
    AddLoops(blocks, s, loops);
    return blocks;
}

// The page of each block and its top on it: a block that does not fit on
// what is left of a page starts the next.
std::vector<std::pair<int, double>> Place(const std::vector<Block>& blocks, double pageMm) {
    std::vector<std::pair<int, double>> placed;
    int page = 0;
    double y = 0;
    for (const Block& b : blocks) {
        if (y + b.heightMm > pageMm && y > 0) {
            ++page;
            y = 0;
        }
        placed.emplace_back(page, y);
        y += b.heightMm;
    }
    return placed;
}

void SetUp(QPdfWriter& pdf, const recording::RunReport& r, int dpi) {
    pdf.setResolution(dpi);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm - kFooterMm / 2),
                       QPageLayout::Millimeter);
    pdf.setTitle("Recording " + Q(r.title) + " \u2013 recording report");
    pdf.setCreator(Q(VersionLine(kProgramName)));
}

}  // namespace

QByteArray RunReportPdf(const recording::RunReport& report, const std::vector<ReportGraph>& graphs,
                        const std::vector<ReportGraph>& loops, const std::string& created) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    const int dpi = graphs.empty() ? 96 : charts::ScreenDpi(*graphs.front().plot);
    SetUp(pdf, report, dpi);
    const Sheet sheet(dpi);
    const double pageMm = pdf.height() * 25.4 / dpi - kFooterMm;
    const std::vector<Block> blocks = Blocks(sheet, report, graphs, loops, created);
    const auto placed = Place(blocks, pageMm);
    const int pages = placed.empty() ? 1 : placed.back().first + 1;
    QCPPainter painter;
    if (!painter.begin(&pdf)) throw std::runtime_error("The PDF could not be started");
    const auto footer = [&](int number) {
        sheet.text(painter, QRectF(0, sheet.mm(pageMm + 2), sheet.mm(180), sheet.mm(kFooterMm - 2)),
                   Font(7.5), QStringLiteral("Recording %1 \u00b7 page %2 of %3")
                                  .arg(Q(report.title)).arg(number).arg(pages),
                   kQuiet, Qt::AlignRight);
    };
    int current = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        for (; current < placed[i].first; ++current) {
            footer(current + 1);
            pdf.newPage();
        }
        blocks[i].draw(painter, sheet.mm(placed[i].second));
    }
    footer(current + 1);
    painter.end();
    return bytes;
}

}  // namespace corvane::report
