#pragma once
// The analysis as the window shows it: the result of one analysis handed to
// every widget that shows a part of it (the error line, the results table, the
// graphs and the speed history they draw, the log, the Engine performance
// window, the PV picture). The window only asks for it.

#include <optional>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "analysis/speed_history.h"
#include "performance/performance.h"
#include "report/report_subject.h"
#include "text/number_format.h"

class QWidget;

namespace corvane::charts {
class ChartStack;
}

namespace corvane::ui {

class ControlPanel;
class PerformanceWindow;
class TForm2;
class TpvImageForm;
class UserPrompts;

// The widgets the presenter fills; all outlive it.
struct AnalysisViews {
    QWidget* window;  // the parent of its messages
    ControlPanel* panel;
    charts::ChartStack* charts;
    TForm2* log;
    PerformanceWindow* performance;
    TpvImageForm* pvPicture;
    UserPrompts* prompts;
};

class AnalysisPresenter {
public:
    AnalysisPresenter(AnalysisViews views, analysis::SpeedHistory& speed,
                      const text::NumberFormat& format);

    // Analyses the record with the window's disk table, number format and
    // Chart4's range, and the finer evaluation beside it with the bench
    // settings, and shows both. Throws the analysis' error once shown.
    void analyse(analysis::CaptureRecord& record, const performance::BenchSettings& bench);
    // The capture as the PDF report shows it: the window's file name, disk
    // table and number format; none when the record holds no samples.
    std::optional<report::ReportSubject> reportSubject(const analysis::CaptureRecord& record,
                                                       const performance::BenchSettings& bench,
                                                       bool simulatedBoard) const;

    // What the analysis of `record` shows before it first lets the window repaint.
    void starting(const analysis::CaptureRecord& record);
    // The finished analysis in every widget. A dyna's result brings the whole
    // speed history; a grab's own speed points are merged into it. Throws the
    // analysis' error once everything is shown.
    void show(const analysis::AnalysisResult& result,
              const performance::PerformanceResult& performance, bool dyna);

private:
    // What an analysis of the record takes from the window: the disk table, the
    // number format, Chart4's range and, when asked, the speed history.
    analysis::AnalysisInputs inputs(bool speedHistoryIsInput) const;
    void showSpeed(const analysis::AnalysisResult& result, bool dyna);

    AnalysisViews views_;
    analysis::SpeedHistory& speed_;
    const text::NumberFormat& format_;
};

}  // namespace corvane::ui
