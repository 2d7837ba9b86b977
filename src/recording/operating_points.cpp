#include "recording/operating_points.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "performance/efficiency.h"

namespace corvane::recording {

namespace {

class Accumulator {
public:
    void Add(std::optional<double> value) {
        if (value && std::isfinite(*value)) values_.push_back(*value);
    }
    std::optional<Spread> Result() const {
        if (values_.empty()) return std::nullopt;
        double sum = 0.0;
        for (double v : values_) sum += v;
        const double mean = sum / static_cast<double>(values_.size());
        if (values_.size() < 2) return Spread{mean, 0.0};
        double squares = 0.0;
        for (double v : values_) squares += (v - mean) * (v - mean);
        return Spread{mean, std::sqrt(squares / static_cast<double>(values_.size() - 1))};
    }

private:
    std::vector<double> values_;
};

std::string Number(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string();
}

struct Column {
    const char* name;
    std::optional<Spread> OperatingPoint::*spread;
    int decimals;
};

constexpr Column kColumns[] = {
    {"rpm", &OperatingPoint::rpm, 2},
    {"indicated_power_mw", &OperatingPoint::indicatedPowerMilliW, 3},
    {"lo_temp_k", &OperatingPoint::loTempK, 2},
    {"hi_temp_k", &OperatingPoint::hiTempK, 2},
    {"heater_power_w", &OperatingPoint::heaterPowerW, 3},
    {"indicated_efficiency_percent", &OperatingPoint::indicatedEfficiencyPercent, 4},
    {"carnot_percent", &OperatingPoint::carnotPercent, 3},
};

std::string Header(char separator) {
    std::string line = "kind";
    for (const char* name : {"start_s", "length_s", "cycles"}) line += separator + std::string(name);
    for (const Column& column : kColumns) {
        line += separator + std::string(column.name) + "_mean";
        line += separator + std::string(column.name) + "_sd";
    }
    return line + '\n';
}

std::string Line(const OperatingPoint& point, char separator) {
    std::string line = point.chosen ? "chosen" : "steady";
    line += separator + Number(point.startS, 3) + separator + Number(point.lengthS, 3) +
            separator + std::to_string(point.cycles);
    for (const Column& column : kColumns) {
        const std::optional<Spread>& spread = point.*column.spread;
        line += separator + (spread ? Number(spread->mean, column.decimals) : std::string());
        line += separator + (spread ? Number(spread->sd, column.decimals) : std::string());
    }
    return line + '\n';
}

}  // namespace

std::vector<Stretch> SteadyStretches(const std::vector<bool>& steady) {
    std::vector<Stretch> stretches;
    for (std::size_t i = 0; i < steady.size(); ++i) {
        if (!steady[i]) continue;
        if (i > 0 && steady[i - 1]) {
            ++stretches.back().count;
        } else {
            stretches.push_back({i, 1});
        }
    }
    return stretches;
}

std::vector<Stretch> SteadyStretches(const std::vector<CycleRow>& cycles, double windowSeconds) {
    std::vector<bool> flags;
    flags.reserve(cycles.size());
    for (const CycleRow& c : cycles) flags.push_back(c.steady);
    std::vector<Stretch> trimmed;
    for (Stretch s : SteadyStretches(flags)) {
        if (s.first + s.count < cycles.size()) {
            const double lastWindow =
                std::floor(cycles[s.first + s.count - 1].timeS / windowSeconds) * windowSeconds;
            while (s.count > 0 && cycles[s.first + s.count - 1].timeS >= lastWindow) --s.count;
        }
        if (s.count > 0) trimmed.push_back(s);
    }
    return trimmed;
}

Stretch StretchBetween(const std::vector<CycleRow>& cycles, double fromS, double toS) {
    const auto starts = [](const CycleRow& row, double t) { return row.timeS < t; };
    const auto first = std::lower_bound(cycles.begin(), cycles.end(), fromS, starts);
    const auto last = std::lower_bound(first, cycles.end(), toS, starts);
    return {static_cast<std::size_t>(first - cycles.begin()),
            static_cast<std::size_t>(last - first)};
}

OperatingPoint OperatingPointOf(const std::vector<CycleRow>& cycles, Stretch stretch, bool chosen) {
    OperatingPoint point;
    point.chosen = chosen;
    const std::size_t end = std::min(cycles.size(), stretch.first + stretch.count);
    if (stretch.first >= end) return point;
    Accumulator rpm, power, lo, hi, heater, efficiency, carnot;
    for (std::size_t i = stretch.first; i < end; ++i) {
        const CycleRow& c = cycles[i];
        rpm.Add(c.rpm);
        power.Add(c.indicatedPowerMilliW);
        lo.Add(c.loTempK);
        hi.Add(c.hiTempK);
        heater.Add(c.heaterPowerW);
        const performance::Efficiency e = performance::EfficiencyOf(
            c.heaterPowerW.value_or(NAN), c.loTempK.value_or(NAN), c.hiTempK.value_or(NAN),
            c.indicatedPowerMilliW);
        efficiency.Add(e.indicatedEfficiencyPercent);
        carnot.Add(e.carnotPercent);
    }
    const CycleRow& last = cycles[end - 1];
    point.startS = cycles[stretch.first].timeS;
    point.lengthS = last.timeS + (last.rpm > 0 ? 60.0 / last.rpm : 0.0) - point.startS;
    point.cycles = end - stretch.first;
    point.rpm = rpm.Result();
    point.indicatedPowerMilliW = power.Result();
    point.loTempK = lo.Result();
    point.hiTempK = hi.Result();
    point.heaterPowerW = heater.Result();
    point.indicatedEfficiencyPercent = efficiency.Result();
    point.carnotPercent = carnot.Result();
    return point;
}

std::string OperatingPointTable(const std::vector<OperatingPoint>& points, char separator) {
    std::string text = Header(separator);
    for (const OperatingPoint& point : points) text += Line(point, separator);
    return text;
}

}  // namespace corvane::recording
