#pragma once
// Every text of a report, in the order the page shows them. The results table
// holds exactly the window's texts; the engine-performance figures have the
// digits of the batch's details file (rpm to 0.1, the others to 0.01).

#include <array>
#include <string>
#include <vector>

#include "analysis/results_table.h"
#include "report/report_subject.h"

namespace corvane::report {

struct ReportLine {
    std::string label;
    std::string value;
};

struct ReportTexts {
    bool isDyna = false;
    std::string title;          // the file name, or what the capture was
    std::string subtitle;       // kind, date and time of the report, program and version
    std::string simulatedNote;  // empty for a measurement
    std::string monitor;        // the engine monitor values taken with the capture
    std::array<analysis::TableRow, analysis::kResultRows> results{};
    std::vector<std::string> notes;  // the analysis' status and advice
    std::vector<ReportLine> performance;
    std::string performanceNote;          // why figures are missing or left out
    std::vector<ReportLine> uncertainty;  // "249.1 ± 2.6 mW (k = 2)" per figure
    // A grab with the bench's friction known: heater → indicated → shaft + friction.
    std::string energySummary;
    std::vector<ReportLine> energy;
    // Dyna: the disk table's filled rows (mass, diameter, moment of inertia)
    // and the total moment of inertia.
    std::vector<analysis::DiskRow> disks;
    std::string diskTotal;
    std::string footer;  // beside the page number on every page
};

inline constexpr const char* kProgramName = "Corvane Data Logger";
inline constexpr const char* kSimulatedNote = "SIMULATED engine: no real measurement";
inline constexpr const char* kShaftEfficiencyLabel = "Maximum power / heater power";
inline constexpr const char* kNoFigure = "\u2014";  // an em dash: no figure to give

// created: the report's date and time as the user reads it ("2025-03-14 09:26").
ReportTexts MakeReportTexts(const ReportSubject& subject, const EvaluatedCapture& evaluated,
                            const std::string& created);

}  // namespace corvane::report
