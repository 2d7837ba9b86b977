#include "files/headless_evaluation.h"

#include <stdexcept>
#include <utility>

#include "files/capture_import.h"

namespace corvane::files {

HeadlessEvaluation::HeadlessEvaluation(analysis::DiskTable disks, text::NumberFormat numbers)
    : record_(std::make_unique<analysis::CaptureRecord>()),
      startDisks_(std::move(disks)),
      numbers_(std::move(numbers)) {}

HeadlessEvaluation::~HeadlessEvaluation() = default;

ResultsColumn HeadlessEvaluation::Evaluate(const std::string& path) {
    *record_ = analysis::CaptureRecord{};
    disks_ = startDisks_;
    ImportCaptureFile(path, *record_, disks_, [](CaptureKind k, analysis::CaptureRecord& r) {
        // No board: the monitor reading fails and leaves the fresh record's zeros.
        r.SamplePeriod = k == CaptureKind::Dyna ? kDynaSamplePeriod : kGrabSamplePeriod;
    });
    return Analyse(path);
}

ResultsColumn HeadlessEvaluation::Analyse(const std::string& path) {
    analysis::AnalysisInputs inputs;
    inputs.disks = disks_;
    inputs.format = numbers_;
    const analysis::AnalysisResult result = analysis::AnalyseCapture(*record_, inputs);
    if (result.error) throw std::runtime_error(*result.error);
    if (result.dynaAdvice && onDynaAdvice) onDynaAdvice(path, kDynaAdvice);
    ResultsColumn column;
    for (std::size_t row = 0; row < column.size(); ++row) column[row] = result.table[row][1];
    return column;
}

}  // namespace corvane::files
