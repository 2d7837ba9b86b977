#include "ui/performance/uncertainty_texts.h"

#include "performance/uncertainty_text.h"
#include "text/decimal_text.h"

namespace corvane::ui {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

TableCell Cell(double value, int decimals, const text::NumberFormat& fmt) {
    return {QString::fromStdString(text::FixedText(value, decimals, fmt.decimalMark, fmt.grouping)),
            QString::fromStdString(text::FixedText(value, decimals, fmt.decimalMark, ""))};
}

TableCell Word(const QString& text) { return {text, text}; }

}  // namespace

QStringList UncertaintyLines(const performance::PerformanceResult& result,
                             const text::NumberFormat& fmt) {
    QStringList lines;
    if (result.status != performance::Status::Evaluated) return lines;
    for (const performance::NamedFigure& f : performance::UncertainFigures(result.uncertainty)) {
        lines << Text(f.name) + " " +
                     QString::fromStdString(
                         performance::UncertainText(*f.figure, f.unit, f.usualDecimals, fmt));
    }
    return lines;
}

TableText BudgetTable(const performance::PerformanceResult& result, const text::NumberFormat& fmt) {
    TableText table;
    table.headers = QStringList{"Figure", "Source", "Uncertainty", "Unit"};
    if (result.status != performance::Status::Evaluated) return table;
    for (const performance::NamedFigure& f : performance::UncertainFigures(result.uncertainty)) {
        // One digit more than the expanded uncertainty shows, so small shares stay visible.
        const int decimals = performance::UncertaintyDecimals(f.figure->expanded, f.usualDecimals) + 1;
        for (const performance::Contribution& c : f.figure->contributions) {
            table.rows.push_back({Word(Text(f.name)), Word(Text(performance::SourceText(c.source))),
                                  Cell(c.standard, decimals, fmt), Word(Text(f.unit))});
        }
        table.rows.push_back({Word(Text(f.name)), Word(QStringLiteral("Expanded (k = 2)")),
                              Cell(f.figure->expanded, decimals - 1, fmt), Word(Text(f.unit))});
    }
    return table;
}

}  // namespace corvane::ui
