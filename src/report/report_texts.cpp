#include "report/report_texts.h"

#include <optional>

#include "corvane/version.h"
#include "performance/energy_text.h"
#include "performance/efficiency.h"
#include "performance/power_names.h"
#include "performance/uncertainty_text.h"
#include "text/decimal_text.h"
#include "text/format.h"

namespace corvane::report {

namespace {

using performance::PerformanceResult;
using performance::Status;

// A figure with the given decimals in the subject's decimal mark, never
// grouped (as the details file writes it), and its unit.
struct Figures {
    const text::NumberFormat& format;

    std::string operator()(std::optional<double> value, int decimals,
                           const std::string& unit) const {
        if (!value) return kNoFigure;
        return text::FixedText(*value, decimals, format.decimalMark, "") + " " + unit;
    }
};

void GrabFigures(const PerformanceResult& result, const Figures& figure, ReportTexts& texts) {
    const performance::CycleSummary& s = *result.summary;
    const performance::Efficiency& e = result.efficiency;
    std::string power = figure(s.meanIndicatedPowerMilliW, 2, "mW");
    if (s.indicatedPowerSdMilliW)
        power = figure(s.meanIndicatedPowerMilliW, 2, "") + "\u00b1 " +
                figure(s.indicatedPowerSdMilliW, 2, "mW");
    texts.performance = {
        {"Cycles", std::to_string(s.cycles)},
        {"Mean speed", figure(s.meanRpm, 1, "rpm")},
        {"Work per cycle", figure(s.meanWorkMilliJ, 2, "mJ")},
        {performance::kCycleResolvedPowerLabel, power},
        {"COV", figure(s.covPercent, 2, "%")},
        {"Heater power", figure(e.heaterPowerW, 2, "W")},
        {"Indicated efficiency", figure(e.indicatedEfficiencyPercent, 2, "%")},
        {"Carnot limit", figure(e.carnotPercent, 2, "%")},
        {"Share of Carnot limit", figure(e.percentOfCarnot, 2, "%")},
    };
    texts.performanceNote = performance::kCycleResolvedPowerNote;
    if (!s.indicatedPowerSdMilliW) texts.performanceNote += " One cycle has no spread.";
}

void DynaFigures(const PerformanceResult& result, const Figures& figure, ReportTexts& texts) {
    const performance::DynaSummary& d = *result.dyna;
    const performance::Efficiency& e = result.efficiency;
    const bool curve = !result.dynaPoints.empty();
    texts.performance = {
        {"Mean speed", figure(d.meanRpm, 1, "rpm")},
        {"Maximum power",
         curve ? figure(d.maxPowerMilliW, 2, "mW at ") + figure(d.rpmAtMaxPower, 1, "rpm")
               : kNoFigure},
        {"Torque at maximum power",
         curve ? figure(d.torqueAtMaxPowerMilliNm, 2, "mNm") : kNoFigure},
        {"Heater power", figure(e.heaterPowerW, 2, "W")},
        {"Carnot limit", figure(e.carnotPercent, 2, "%")},
        // What the engine reached, to be read against the limit above it.
        {kShaftEfficiencyLabel,
         curve ? figure(performance::ShaftEfficiencyPercent(e, d.maxPowerMilliW), 2, "%")
               : kNoFigure},
    };
}

void EnergyTexts(const PerformanceResult& result, const text::NumberFormat& format,
                 ReportTexts& texts) {
    if (!result.energy) return;
    const text::NumberFormat ungrouped{format.decimalMark, ""};
    texts.energySummary = performance::EnergyChainSummary(*result.energy, ungrouped);
    for (const auto& line : performance::EnergyChainLines(*result.energy, ungrouped)) {
        texts.energy.push_back({line.label, line.value});
    }
}

void PerformanceTexts(const PerformanceResult& result, const text::NumberFormat& format,
                      ReportTexts& texts) {
    const Figures figure{format};
    const bool evaluated = result.status == Status::Evaluated;
    if (evaluated && !result.isDyna && result.summary) {
        GrabFigures(result, figure, texts);
    } else if (evaluated && result.isDyna && result.dyna) {
        DynaFigures(result, figure, texts);
    } else {
        texts.performanceNote =
            "Not evaluated: " + std::string(performance::StatusText(result.status)) + ".";
        return;
    }
    for (const performance::NamedFigure& f : performance::UncertainFigures(result.uncertainty)) {
        texts.uncertainty.push_back(
            {std::string(f.name),
             performance::UncertainText(*f.figure, f.unit, f.usualDecimals,
                                        text::NumberFormat{format.decimalMark, ""})});
    }
    EnergyTexts(result, format, texts);
    if (result.skippedRevolutions > 0) {
        const int n = result.skippedRevolutions;
        const std::string note = std::to_string(n) + (n == 1 ? " revolution" : " revolutions") +
                                 " without all 16 flywheel holes left out.";
        texts.performanceNote =
            texts.performanceNote.empty() ? note : texts.performanceNote + " " + note;
    }
}

void DiskTexts(const ReportSubject& subject, ReportTexts& texts) {
    for (std::size_t i = 0; i < subject.disks.size(); ++i) {
        analysis::DiskRow row = subject.disks[i];
        if (text::IsBlank(row[0]) && text::IsBlank(row[1]) && text::IsBlank(row[2])) continue;
        // A row with mass and diameter shows the moment of inertia the
        // analysis computes from them, as the disk table does.
        if (!text::IsBlank(row[0]) && !text::IsBlank(row[1]))
            row[2] = text::FormatAdaptive(
                analysis::DiskMomentOfInertia(subject.disks, static_cast<int>(i), subject.format),
                subject.format);
        texts.disks.push_back(row);
    }
    texts.diskTotal =
        text::FormatAdaptive(analysis::TotalMomentOfInertia(subject.disks, subject.format),
                             subject.format) +
        " g\u00b7m\u00b2";
}

}  // namespace

ReportTexts MakeReportTexts(const ReportSubject& subject, const EvaluatedCapture& evaluated,
                            const std::string& created) {
    const analysis::CaptureRecord& record = *evaluated.record;
    const analysis::AnalysisResult& result = evaluated.analysis;
    ReportTexts texts;
    texts.isDyna = record.IsDyna;
    const std::string kind = record.IsDyna ? "Dyna" : "Grab";
    texts.title =
        subject.fileName.empty() ? kind + " capture (not saved to a file)" : subject.fileName;
    const std::string program = VersionLine(kProgramName);
    texts.subtitle = kind + " capture \u00b7 report of " + created + " \u00b7 " + program;
    if (subject.simulated) texts.simulatedNote = kSimulatedNote;

    const auto monitor = analysis::EngineMonitorRows(record, subject.format);
    texts.monitor = "Engine monitor with the capture: low temperature " + monitor[0][1] +
                    ", high temperature " + monitor[1][1] + ", heater power " + monitor[2][1];
    texts.results = result.table;
    if (!result.status.empty()) texts.notes.push_back("Analysis: " + result.status);
    if (result.dynaAdvice) texts.notes.push_back(analysis::kDynaAdvice);

    PerformanceTexts(evaluated.performance, subject.format, texts);
    if (record.IsDyna) DiskTexts(subject, texts);
    texts.footer = texts.title + " \u00b7 " + program;
    return texts;
}

}  // namespace corvane::report
