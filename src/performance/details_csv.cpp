#include "performance/details_csv.h"

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "text/decimal_text.h"

namespace corvane::performance {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string Number(std::optional<double> value, int decimals) {
    if (!value) return "";
    return text::FixedText(*value, decimals, ".", "");
}

// The figure columns after file and kind: each names its header and how a
// grab and a dyna fill it (a kind that has no such figure leaves it empty).
using Field = std::string (*)(const PerformanceResult&);
struct FigureColumn {
    std::string_view header;
    Field grab;
    Field dyna;
};
std::string Empty(const PerformanceResult&) { return ""; }
bool HasCurve(const PerformanceResult& r) { return !r.dynaPoints.empty(); }
constexpr FigureColumn kFigureColumns[] = {
    {"cycles", [](const PerformanceResult& r) { return std::to_string(r.summary->cycles); }, Empty},
    {"rpm", [](const PerformanceResult& r) { return Number(r.summary->meanRpm, 1); },
     [](const PerformanceResult& r) { return Number(r.dyna->meanRpm, 1); }},
    {"work_mj", [](const PerformanceResult& r) { return Number(r.summary->meanWorkMilliJ, 2); },
     Empty},
    {"indicated_power_mw",
     [](const PerformanceResult& r) { return Number(r.summary->meanIndicatedPowerMilliW, 2); },
     Empty},
    {"indicated_power_sd_mw",
     [](const PerformanceResult& r) { return Number(r.summary->indicatedPowerSdMilliW, 2); },
     Empty},
    {"cov_percent", [](const PerformanceResult& r) { return Number(r.summary->covPercent, 2); },
     Empty},
    {"heater_power_w",
     [](const PerformanceResult& r) { return Number(r.efficiency.heaterPowerW, 2); },
     [](const PerformanceResult& r) { return Number(r.efficiency.heaterPowerW, 2); }},
    {"indicated_efficiency_percent",
     [](const PerformanceResult& r) { return Number(r.efficiency.indicatedEfficiencyPercent, 2); },
     Empty},
    {"carnot_percent",
     [](const PerformanceResult& r) { return Number(r.efficiency.carnotPercent, 2); },
     [](const PerformanceResult& r) { return Number(r.efficiency.carnotPercent, 2); }},
    {"max_power_mw", Empty,
     [](const PerformanceResult& r) {
         return HasCurve(r) ? Number(r.dyna->maxPowerMilliW, 2) : "";
     }},
    {"rpm_at_max_power", Empty,
     [](const PerformanceResult& r) {
         return HasCurve(r) ? Number(r.dyna->rpmAtMaxPower, 1) : "";
     }},
    {"torque_at_max_power_mnm", Empty,
     [](const PerformanceResult& r) {
         return HasCurve(r) ? Number(r.dyna->torqueAtMaxPowerMilliNm, 2) : "";
     }},
};

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
// A grab's energy chain once the bench's friction is known, and its expanded
// uncertainties: after all the columns above, so that those keep their places.
using EnergyField = std::optional<double> (*)(const EnergyChain&);
struct EnergyColumn {
    std::string_view header;
    EnergyField figure;
};
constexpr EnergyColumn kEnergyColumns[] = {
    {"friction_power_mw",
     [](const EnergyChain& e) { return std::optional(e.frictionPowerMilliW); }},
    {"shaft_power_mw", [](const EnergyChain& e) { return std::optional(e.shaftPowerMilliW); }},
    {"mechanical_efficiency_percent",
     [](const EnergyChain& e) { return e.mechanicalEfficiencyPercent; }},
};
constexpr UncertaintyColumn kEnergyUncertaintyColumns[] = {
    {"friction_power_u_mw", &PerformanceUncertainty::frictionPowerMilliW, 2},
    {"shaft_power_u_mw", &PerformanceUncertainty::shaftPowerMilliW, 2},
    {"mechanical_efficiency_u_percent", &PerformanceUncertainty::mechanicalEfficiencyPercent, 2},
};
constexpr int kColumnsAfterKind =
    static_cast<int>(std::size(kFigureColumns) + std::size(kUncertaintyColumns) +
                     std::size(kEnergyColumns) + std::size(kEnergyUncertaintyColumns));

// The figures of an evaluated capture whose kind's summary is present.
std::vector<std::string> FigureFields(const PerformanceResult& result, bool isDyna) {
    std::vector<std::string> fields;
    for (const FigureColumn& column : kFigureColumns)
        fields.push_back((isDyna ? column.dyna : column.grab)(result));
    return fields;
}

template <std::size_t N>
void AddUncertaintyFields(const PerformanceResult& result, const UncertaintyColumn (&columns)[N],
                          std::vector<std::string>& fields) {
    for (const UncertaintyColumn& column : columns) {
        const auto& figure = result.uncertainty.*column.figure;
        fields.push_back(figure ? Number(figure->expanded, column.decimals) : "");
    }
}

// Empty without a chain (a dyna, or the friction unknown).
void AddEnergyFields(const PerformanceResult& result, std::vector<std::string>& fields) {
    for (const EnergyColumn& column : kEnergyColumns) {
        fields.push_back(result.energy ? Number(column.figure(*result.energy), 2) : "");
    }
    AddUncertaintyFields(result, kEnergyUncertaintyColumns, fields);
}

template <typename Columns>
std::string NamesOf(const Columns& columns) {
    std::string names;
    for (const auto& column : columns) {
        if (!names.empty()) names += ',';
        names += column.header;
    }
    return names;
}

}  // namespace

std::string DetailsFigureColumnNames() {
    std::string names = "file,kind";
    for (const FigureColumn& column : kFigureColumns) {
        names += ',';
        names += column.header;
    }
    return names;
}

std::string DetailsUncertaintyColumnNames() { return NamesOf(kUncertaintyColumns); }

std::string DetailsEnergyColumnNames() {
    return NamesOf(kEnergyColumns) + "," + NamesOf(kEnergyUncertaintyColumns);
}

std::string DetailsHeader() {
    return DetailsFigureColumnNames() + "," + DetailsUncertaintyColumnNames() + "," +
           DetailsEnergyColumnNames() + std::string(kLineEnd);
}

std::string DetailsLine(std::string_view fileName, bool isDyna, const PerformanceResult* result) {
    std::vector<std::string> fields(kColumnsAfterKind);
    const bool evaluated = result && result->status == Status::Evaluated &&
                           (isDyna ? result->dyna.has_value() : result->summary.has_value());
    if (evaluated) {
        fields = FigureFields(*result, isDyna);
        AddUncertaintyFields(*result, kUncertaintyColumns, fields);
        AddEnergyFields(*result, fields);
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
