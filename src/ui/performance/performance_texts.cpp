#include "ui/performance/performance_texts.h"

#include <optional>

#include "performance/power_names.h"
#include "text/decimal_text.h"
#include "text/format.h"

namespace corvane::ui {

namespace {

using performance::PerformanceResult;
using performance::Status;

// Digits as in the batch's details file: rpm and times to 0.1, the rest to 0.01.
constexpr int kRpmDecimals = 1;
constexpr int kTimeDecimals = 1;
constexpr int kFigureDecimals = 2;

QString Fixed(double value, int decimals, const text::NumberFormat& fmt, bool grouped) {
    return QString::fromStdString(
        text::FixedText(value, decimals, fmt.decimalMark, grouped ? fmt.grouping : ""));
}

TableCell Number(std::optional<double> value, int decimals, const text::NumberFormat& fmt) {
    if (!value) return {};
    return {Fixed(*value, decimals, fmt, true), Fixed(*value, decimals, fmt, false)};
}

TableCell Count(int value) { return {QString::number(value), QString::number(value)}; }

TableCell Word(const QString& text) { return {text, text}; }

void AddRow(TableText& table, const QString& figure, TableCell value, const QString& unit) {
    table.rows.push_back({Word(figure), std::move(value), Word(unit)});
}

bool Evaluated(const PerformanceResult& r) { return r.status == Status::Evaluated; }

}  // namespace

QString PerformanceStatusText(const PerformanceResult& result) {
    if (Evaluated(result)) return {};
    return QString::fromUtf8(performance::StatusText(result.status));
}

QStringList HeadlineLines(const PerformanceResult& r, const text::NumberFormat& fmt) {
    const auto shown = [&fmt](double value, int decimals) {
        return Fixed(value, decimals, fmt, true);
    };
    QStringList lines;
    const performance::Efficiency& e = r.efficiency;
    if (!Evaluated(r)) {
        lines << (r.isDyna ? "Dyna: not evaluated." : "Grab: not evaluated.");
    } else if (!r.isDyna && r.summary) {
        const performance::CycleSummary& s = *r.summary;
        QString power = QString("Grab: ") + performance::kCycleResolvedPowerLabel + " " +
                        shown(s.meanIndicatedPowerMilliW, 2);
        if (s.indicatedPowerSdMilliW) power += " ± " + shown(*s.indicatedPowerSdMilliW, 2);
        power += " mW";
        if (s.covPercent) power += " (COV " + shown(*s.covPercent, 2) + " %)";
        power += QString(" over %1 %2 at %3 rpm")
                     .arg(s.cycles)
                     .arg(s.cycles == 1 ? "cycle" : "cycles")
                     .arg(shown(s.meanRpm, kRpmDecimals));
        lines << power << performance::kCycleResolvedPowerNote;
    } else if (r.isDyna && r.dyna) {
        const performance::DynaSummary& d = *r.dyna;
        lines << "Dyna: maximum power " + shown(d.maxPowerMilliW, 2) + " mW at " +
                     shown(d.rpmAtMaxPower, kRpmDecimals) + " rpm, torque " +
                     shown(d.torqueAtMaxPowerMilliNm, 2) + " mNm there";
    }
    if (e.indicatedEfficiencyPercent && e.carnotPercent) {
        QString line = "Indicated efficiency " + shown(*e.indicatedEfficiencyPercent, 2) +
                       " % beside the Carnot limit of " + shown(*e.carnotPercent, 2) + " %";
        if (e.percentOfCarnot) line += " (" + shown(*e.percentOfCarnot, 2) + " % of the limit)";
        lines << line;
    } else if (e.carnotPercent) {
        lines << "Carnot limit " + shown(*e.carnotPercent, 2) + " %";
    }
    return lines;
}

namespace {

// A grab's figures over its cycles.
void AddCycleRows(TableText& table, const PerformanceResult& r, const text::NumberFormat& fmt) {
    if (!Evaluated(r) || r.isDyna || !r.summary) return;
    const performance::CycleSummary& s = *r.summary;
    AddRow(table, "Cycles", Count(s.cycles), "");
    AddRow(table, "Mean speed", Number(s.meanRpm, kRpmDecimals, fmt), "rpm");
    AddRow(table, "Mean work per cycle", Number(s.meanWorkMilliJ, kFigureDecimals, fmt), "mJ");
    AddRow(table, QString(performance::kCycleResolvedPowerLabel) + ", mean",
           Number(s.meanIndicatedPowerMilliW, kFigureDecimals, fmt), "mW");
    AddRow(table, "Indicated power, standard deviation",
           Number(s.indicatedPowerSdMilliW, kFigureDecimals, fmt), "mW");
    AddRow(table, "Coefficient of variation (COV)", Number(s.covPercent, kFigureDecimals, fmt),
           "%");
}

// A dyna's figures of its power curve.
void AddDynaRows(TableText& table, const PerformanceResult& r, const text::NumberFormat& fmt) {
    if (!Evaluated(r) || !r.isDyna || !r.dyna) return;
    const performance::DynaSummary& d = *r.dyna;
    const QString inertia = QString::fromStdString(text::FormatAdaptive(d.momentOfInertiaGm2, fmt));
    const QString inertiaCopied = QString::fromStdString(
        text::FormatAdaptive(d.momentOfInertiaGm2, text::NumberFormat{fmt.decimalMark, ""}));
    AddRow(table, "Mean speed", Number(d.meanRpm, kRpmDecimals, fmt), "rpm");
    AddRow(table, "Moment of inertia", {inertia, inertiaCopied}, "g·m²");
    AddRow(table, "Maximum power", Number(d.maxPowerMilliW, kFigureDecimals, fmt), "mW");
    AddRow(table, "Speed at maximum power", Number(d.rpmAtMaxPower, kRpmDecimals, fmt), "rpm");
    AddRow(table, "Torque at maximum power",
           Number(d.torqueAtMaxPowerMilliNm, kFigureDecimals, fmt), "mNm");
    AddRow(table, "Time of maximum power", Number(d.timeAtMaxPowerMs, kTimeDecimals, fmt), "ms");
}

// The heater's power and what share of it the engine turns into work.
void AddEfficiencyRows(TableText& table, const PerformanceResult& r,
                       const text::NumberFormat& fmt) {
    const performance::Efficiency& e = r.efficiency;
    AddRow(table, "Heater power", Number(e.heaterPowerW, kFigureDecimals, fmt), "W");
    if (!r.isDyna) {
        AddRow(table, "Indicated efficiency",
               Number(e.indicatedEfficiencyPercent, kFigureDecimals, fmt), "%");
    }
    AddRow(table, "Carnot limit", Number(e.carnotPercent, kFigureDecimals, fmt), "%");
    if (!r.isDyna) {
        AddRow(table, "Share of the Carnot limit", Number(e.percentOfCarnot, kFigureDecimals, fmt),
               "%");
    }
}

}  // namespace

TableText SummaryTable(const PerformanceResult& r, const text::NumberFormat& fmt) {
    TableText table;
    table.headers = QStringList{"Figure", "Value", "Unit"};
    AddCycleRows(table, r, fmt);
    AddDynaRows(table, r, fmt);
    AddEfficiencyRows(table, r, fmt);
    if (Evaluated(r))
        AddRow(table, "Revolutions left out (missed hole)", Count(r.skippedRevolutions), "");
    return table;
}

TableText PointsTable(const PerformanceResult& r, const text::NumberFormat& fmt) {
    TableText table;
    if (r.isDyna) {
        table.headers = QStringList{"Time (ms)", "rpm", "Torque (mNm)", "Power (mW)"};
        for (const performance::DynaPoint& p : r.dynaPoints) {
            table.rows.push_back({Number(p.timeMs, kTimeDecimals, fmt),
                                  Number(p.rpm, kRpmDecimals, fmt),
                                  Number(p.torqueMilliNm, kFigureDecimals, fmt),
                                  Number(p.powerMilliW, kFigureDecimals, fmt)});
        }
        return table;
    }
    table.headers = QStringList{"Cycle", "rpm", "Work (mJ)", "Indicated power (mW)"};
    for (const performance::CycleFigures& c : r.cycles) {
        table.rows.push_back({Count(c.number), Number(c.rpm, kRpmDecimals, fmt),
                              Number(c.workMilliJ, kFigureDecimals, fmt),
                              Number(c.indicatedPowerMilliW, kFigureDecimals, fmt)});
    }
    return table;
}

}  // namespace corvane::ui
