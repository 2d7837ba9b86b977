#pragma once
// What the Engine performance window shows of the figures' uncertainties: one
// line per figure ("Indicated power 249.1 ± 2.6 mW (k = 2)") and, on request,
// the table of what each source contributes.

#include <QStringList>

#include "performance/performance.h"
#include "text/number_format.h"
#include "ui/performance/performance_texts.h"

namespace corvane::ui {

// Nothing for a capture that was not evaluated.
QStringList UncertaintyLines(const performance::PerformanceResult& result,
                             const text::NumberFormat& fmt);
// Figure, source, standard uncertainty (k = 1), unit: one row per source of
// every figure, then the figure's expanded uncertainty.
TableText BudgetTable(const performance::PerformanceResult& result, const text::NumberFormat& fmt);

}  // namespace corvane::ui
