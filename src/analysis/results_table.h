#pragma once
// The results table SG (label and value per row) and the engine monitor texts.

#include <array>
#include <string>

#include "analysis/capture_record.h"
#include "text/number_format.h"

namespace corvane::analysis {

using TableRow = std::array<std::string, 2>;  // [0] label, [1] value

inline constexpr int kResultRows = 8;
enum ResultRow {
    kRowLoTemp,
    kRowHiTemp,
    kRowResPwr,
    kRowPressure,
    kRowRpm,
    kRowIndPwr,
    kRowPower,
    kRowTorque
};

// The labels an analysis writes first, before the monitor rows and "Press" replace theirs.
const std::array<std::string, kResultRows>& FirstLabels();

// Rows 0..2 as ShowEngineMonitor writes them: "Lo Tmp", "Hi Tmp", "Res Pwr" and values with units.
std::array<TableRow, 3> EngineMonitorRows(const CaptureRecord& record,
                                          const text::NumberFormat& fmt);

// The monitor label under the buttons: low + " K - " + high + " K".
std::string TemperaturesLabel(double lowKelvin, double highKelvin, const text::NumberFormat& fmt);

}  // namespace corvane::analysis
