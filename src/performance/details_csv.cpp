#include "performance/details_csv.h"

#include <iterator>
#include <optional>
#include <vector>

#include "text/decimal_text.h"

namespace corvane::performance {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kFigureColumns = 12;  // every column after file and kind

// The expanded uncertainties (k = 2), after the figures, to the figures' digits.
struct UncertaintyColumn {
    std::string_view header;
    std::optional<UncertainFigure> PerformanceUncertainty::*figure;
    int decimals;
};
constexpr UncertaintyColumn kUncertaintyColumns[] = {
    {"work_u_mj", &PerformanceUncertainty::workMilliJ, 2},
    {"indicated_power_u_mw", &PerformanceUncertainty::indicatedPowerMilliW, 2},
    {"rpm_u", &PerformanceUncertainty::rpm, 1},
    {"indicated_efficiency_u_percent", &PerformanceUncertainty::indicatedEfficiencyPercent, 2},
    {"carnot_u_percent", &PerformanceUncertainty::carnotPercent, 2},
    {"max_power_u_mw", &PerformanceUncertainty::maxPowerMilliW, 2},
    {"torque_at_max_power_u_mnm", &PerformanceUncertainty::torqueAtMaxPowerMilliNm, 2},
};
constexpr int kColumnsAfterKind = kFigureColumns + static_cast<int>(std::size(kUncertaintyColumns));

std::string Number(std::optional<double> value, int decimals) {
    if (!value) return "";
    return text::FixedText(*value, decimals, ".", "");
}

std::vector<std::string> GrabFields(const PerformanceResult& result) {
    const CycleSummary& s = *result.summary;
    const Efficiency& e = result.efficiency;
    return {std::to_string(s.cycles),
            Number(s.meanRpm, 1),
            Number(s.meanWorkMilliJ, 2),
            Number(s.meanIndicatedPowerMilliW, 2),
            Number(s.indicatedPowerSdMilliW, 2),
            Number(s.covPercent, 2),
            Number(e.heaterPowerW, 2),
            Number(e.indicatedEfficiencyPercent, 2),
            Number(e.carnotPercent, 2),
            "",
            "",
            ""};
}

std::vector<std::string> DynaFields(const PerformanceResult& result) {
    const DynaSummary& d = *result.dyna;
    const Efficiency& e = result.efficiency;
    const bool curve = !result.dynaPoints.empty();
    return {"",
            Number(d.meanRpm, 1),
            "",
            "",
            "",
            "",
            Number(e.heaterPowerW, 2),
            "",
            Number(e.carnotPercent, 2),
            curve ? Number(d.maxPowerMilliW, 2) : "",
            curve ? Number(d.rpmAtMaxPower, 1) : "",
            curve ? Number(d.torqueAtMaxPowerMilliNm, 2) : ""};
}

std::vector<std::string> UncertaintyFields(const PerformanceResult& result) {
    std::vector<std::string> fields;
    for (const UncertaintyColumn& column : kUncertaintyColumns) {
        const auto& figure = result.uncertainty.*column.figure;
        fields.push_back(figure ? Number(figure->expanded, column.decimals) : "");
    }
    return fields;
}

std::string UncertaintyHeaders() {
    std::string headers;
    for (const UncertaintyColumn& column : kUncertaintyColumns) {
        headers += ',';
        headers += column.header;
    }
    return headers;
}

}  // namespace

std::string DetailsHeader() {
    return "file,kind,cycles,rpm,work_mj,indicated_power_mw,indicated_power_sd_mw,cov_percent,"
           "heater_power_w,indicated_efficiency_percent,carnot_percent,max_power_mw,"
           "rpm_at_max_power,torque_at_max_power_mnm" +
           UncertaintyHeaders() + std::string(kLineEnd);
}

std::string DetailsLine(std::string_view fileName, bool isDyna, const PerformanceResult* result) {
    std::vector<std::string> fields(kColumnsAfterKind);
    if (result && result->status == Status::Evaluated) {
        if (isDyna && result->dyna) fields = DynaFields(*result);
        if (!isDyna && result->summary) fields = GrabFields(*result);
        if (fields.size() == static_cast<std::size_t>(kFigureColumns)) {
            const auto uncertain = UncertaintyFields(*result);
            fields.insert(fields.end(), uncertain.begin(), uncertain.end());
        }
    }
    std::string line = CsvField(fileName);
    line += isDyna ? ",dyna" : ",grab";
    for (const std::string& field : fields) {
        line += ',';
        line += field;
    }
    return line + std::string(kLineEnd);
}

std::string UnevaluatedDetailsLine(std::string_view fileName, std::string_view kind) {
    return CsvField(fileName) + "," + std::string(kind) + std::string(kColumnsAfterKind, ',') +
           std::string(kLineEnd);
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace corvane::performance
