#include "ui/analysis_presenter.h"

#include <stdexcept>

#include "charts/chart_data.h"
#include "charts/chart_stack.h"
#include "ui/control_panel.h"
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
