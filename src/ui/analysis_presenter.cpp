#include "ui/analysis_presenter.h"

#include <QCoreApplication>
#include <stdexcept>

#include "charts/chart_data.h"
#include "charts/chart_stack.h"
#include "ui/control_panel.h"
#include "ui/disk_table.h"
#include "ui/main_window_texts.h"
#include "ui/performance/performance_window.h"
#include "ui/results_table.h"
#include "ui/user_prompts.h"
#include "ui/windows/memo_form.h"
#include "ui/windows/pv_image_form.h"

namespace corvane::ui {

AnalysisPresenter::AnalysisPresenter(AnalysisViews views, analysis::SpeedHistory& speed,
                                     const text::NumberFormat& format)
    : views_(views), speed_(speed), format_(format) {}

analysis::AnalysisInputs AnalysisPresenter::inputs(bool speedHistoryIsInput) const {
    analysis::AnalysisInputs inputs;
    inputs.disks = views_.panel->MOISG->table();
    inputs.format = format_;
    inputs.speedRange = views_.charts->speedRange();
    if (speedHistoryIsInput) inputs.rpmPoints = speed_.points();
    // The window repaints during a long analysis; the busy gate keeps every
    // other operation on the capture out meanwhile.
    inputs.processEvents = [] { QCoreApplication::processEvents(); };
    return inputs;
}

void AnalysisPresenter::analyse(analysis::CaptureRecord& record,
                                const performance::BenchSettings& bench) {
    // The speed history is an input only of a dyna's power and torque, which
    // brings it back whole; a grab's own points are merged into it.
    const bool dyna = record.IsDyna;
    analysis::AnalysisInputs analysisInputs = inputs(dyna);
    const analysis::DiskTable disks = analysisInputs.disks;
    starting(record);
    const analysis::AnalysisResult result =
        analysis::AnalyseCapture(record, std::move(analysisInputs));
    // The finer evaluation beside the specified figures, of the same capture
    // and disk table; it changes nothing the analysis shows.
    const performance::PerformanceResult performance =
        performance::AnalysePerformance(record, disks, format_, bench);
    show(result, performance, dyna);
}

std::optional<report::ReportSubject> AnalysisPresenter::reportSubject(
    const analysis::CaptureRecord& record, const performance::BenchSettings& bench,
    bool simulatedBoard) const {
    if (record.SampleCount <= 0) return std::nullopt;
    report::ReportSubject subject;
    subject.fileName = FileNameInCaption(views_.window->windowTitle()).toStdString();
    subject.record = &record;
    subject.disks = views_.panel->MOISG->table();
    subject.format = format_;
    subject.bench = bench;
    // A capture of a file was made wherever the file came from.
    subject.simulated = simulatedBoard && subject.fileName.empty();
    return subject;
}

void AnalysisPresenter::starting(const analysis::CaptureRecord& record) {
    views_.panel->setLabelText(views_.panel->lError, "");
    views_.panel->SG->startAnalysis();
    views_.panel->SG->setMonitorRows(record, format_);
}

void AnalysisPresenter::show(const analysis::AnalysisResult& result,
                             const performance::PerformanceResult& performance, bool dyna) {
    views_.panel->setLabelText(views_.panel->lError, QString::fromStdString(result.status));
    views_.panel->SG->setTable(result.table);
    // Drawn with the result.
    views_.charts->setAveragedLoop(charts::AveragedLoopLine(performance));
    showSpeed(result, dyna);
    views_.log->setLines(result.log);
    views_.performance->showResult(performance);
    if (result.pvPicture) views_.pvPicture->showPicture(*result.pvPicture);
    if (result.error) throw std::runtime_error(*result.error);
    if (result.dynaAdvice)
        views_.prompts->message(views_.window, ApplicationTitle(), analysis::kDynaAdvice);
}

void AnalysisPresenter::showSpeed(const analysis::AnalysisResult& result, bool dyna) {
    if (dyna)
        speed_.replace(result.rpmPoints);
    else
        speed_.merge(result.rpmPoints);
    views_.charts->showResult(result, speed_);
}

}  // namespace corvane::ui
