#include "analysis/results_table.h"

#include "text/format.h"

namespace corvane::analysis {

const std::array<std::string, kResultRows>& FirstLabels() {
    static const std::array<std::string, kResultRows> labels = {
        "Lo Temp", "Hi Temp", "Res Pwr", "Pressure", "RPM", "Ind Pwr", "Power", "Torque"};
    return labels;
}

std::array<TableRow, 3> EngineMonitorRows(const CaptureRecord& record,
                                          const text::NumberFormat& fmt) {
    return {{
        {"Lo Tmp", text::FormatOneDecimal(record.LoTemp, fmt) + " K"},
        {"Hi Tmp", text::FormatOneDecimal(record.HiTemp, fmt) + " K"},
        {"Res Pwr", text::FormatResistorPower(record.ResistorPower, fmt) + " W"},
    }};
}

std::string TemperaturesLabel(double lowKelvin, double highKelvin, const text::NumberFormat& fmt) {
    return text::FormatOneDecimal(lowKelvin, fmt) + " K - " +
           text::FormatOneDecimal(highKelvin, fmt) + " K";
}

}  // namespace corvane::analysis
