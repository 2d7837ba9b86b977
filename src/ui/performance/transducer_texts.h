#pragma once
// What the pressure transducer's calibration and drift show in the Engine
// performance window: a grab's mean gauge pressure, the loop closure of its
// cycles in a column after the cycles table's own, and a warning line when a
// cycle's loop stays open beyond the settings file's limit.

#include <QString>

#include "performance/performance.h"
#include "text/number_format.h"
#include "ui/performance/performance_texts.h"

namespace corvane::ui {

// Adds "Mean gauge pressure" to a grab's summary table (from SummaryTable).
void AddGaugePressureRow(TableText& summary, const performance::PerformanceResult& result,
                         const text::NumberFormat& fmt);

// Adds "Loop closure (%)" to a grab's cycles table (from PointsTable): each
// cycle's figure, marked "open" beyond the limit; empty for a run's last cycle.
// None when no cycle has a figure (a single revolution).
void AddLoopClosureColumn(TableText& cycles, const performance::PerformanceResult& result,
                          const text::NumberFormat& fmt);

// The warning when loops are open, or empty.
QString LoopClosureWarning(const performance::PerformanceResult& result,
                           const text::NumberFormat& fmt);

}  // namespace corvane::ui
