#include "ui/performance/transducer_texts.h"

#include <algorithm>
#include <cmath>

#include "performance/loop_closure.h"
#include "text/decimal_text.h"

namespace corvane::ui {

namespace {

// Closures are small shares of the swing: to 0.01 %.
constexpr int kClosureDecimals = 2;

QString Fixed(double value, const text::NumberFormat& fmt, bool grouped) {
    return QString::fromStdString(
        text::FixedText(value, kClosureDecimals, fmt.decimalMark, grouped ? fmt.grouping : ""));
}

}  // namespace

void AddGaugePressureRow(TableText& summary, const performance::PerformanceResult& r,
                         const text::NumberFormat& fmt) {
    if (!r.meanGaugePressureKpa) return;
    const double kpa = *r.meanGaugePressureKpa;
    summary.rows.push_back({{QStringLiteral("Mean gauge pressure"), QStringLiteral("Mean gauge pressure")},
                            {Fixed(kpa, fmt, true), Fixed(kpa, fmt, false)},
                            {QStringLiteral("kPa"), QStringLiteral("kPa")}});
}

void AddLoopClosureColumn(TableText& cycles, const performance::PerformanceResult& r,
                          const text::NumberFormat& fmt) {
    const bool any = std::any_of(r.cycles.begin(), r.cycles.end(), [](const auto& c) {
        return c.loopClosurePercent.has_value();
    });
    if (r.isDyna || !any || cycles.rows.size() != r.cycles.size()) return;
    cycles.headers << QStringLiteral("Loop closure (%)");
    for (std::size_t i = 0; i < r.cycles.size(); ++i) {
        const std::optional<double> closure = r.cycles[i].loopClosurePercent;
        TableCell cell;
        if (closure) {
            cell = {Fixed(*closure, fmt, true), Fixed(*closure, fmt, false)};
            if (performance::IsLoopOpen(closure, r.loopClosureLimitPercent)) cell.shown += " open";
        }
        cycles.rows[i].push_back(cell);
    }
}

QString LoopClosureWarning(const performance::PerformanceResult& r,
                           const text::NumberFormat& fmt) {
    const int open = performance::OpenLoops(r);
    if (open == 0) return {};
    double largest = 0;
    for (const performance::CycleFigures& c : r.cycles) {
        if (c.loopClosurePercent && std::abs(*c.loopClosurePercent) > std::abs(largest))
            largest = *c.loopClosurePercent;
    }
    return QString("Loop not closed in %1 of %2 cycles: the pressure a revolution later misses by "
                   "up to %3 % of its swing (limit %4 %). Is the transducer's zero drifting?")
        .arg(open)
        .arg(r.cycles.size())
        .arg(Fixed(largest, fmt, true), Fixed(r.loopClosureLimitPercent, fmt, true));
}

}  // namespace corvane::ui
