#include "report/report_subject.h"

#include <stdexcept>

namespace corvane::report {

EvaluatedCapture Evaluate(const ReportSubject& subject) {
    if (!subject.record) throw std::invalid_argument("a report needs a capture");
    EvaluatedCapture evaluated;
    evaluated.record = std::make_unique<analysis::CaptureRecord>(*subject.record);
    analysis::AnalysisInputs inputs;
    inputs.disks = subject.disks;
    inputs.format = subject.format;
    evaluated.analysis = analysis::AnalyseCapture(*evaluated.record, inputs);
    if (evaluated.analysis.error) throw std::runtime_error(*evaluated.analysis.error);
    evaluated.performance =
        performance::AnalysePerformance(*evaluated.record, subject.disks, subject.format,
                                        subject.bench);
    return evaluated;
}

}  // namespace corvane::report
