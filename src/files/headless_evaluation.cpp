#include "files/headless_evaluation.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "analysis/analyse_capture.h"
#include "files/capture_reader.h"
#include "performance/details_csv.h"
#include "performance/performance.h"

namespace corvane::files {

namespace {

// As a new record is, without building a 100 KB one to copy from; the hole
// table keeps its room for the next file.
void MakeFresh(analysis::CaptureRecord& record) {
    record.RawSamples.fill(0);
    record.Tach.fill(0.0);
    record.Pressure.fill(0.0);
    record.Angle.fill(0.0);
    record.SampleCount = 0;
    record.SamplePeriod = 0.0;
    record.LoTemp = 0.0;
    record.ResistorPower = 0.0;
    record.HiTemp = 0.0;
    record.IsDyna = false;
    record.FlyHoles.assign(1, analysis::FlyHole{});
    record.FlyHoleCount = 0;
}

// The results column of the analysis and the notes it calls for.
CaptureOutcome OutcomeOf(const analysis::AnalysisResult& result, bool dyna) {
    CaptureOutcome outcome;
    for (std::size_t row = 0; row < outcome.column.size(); ++row) {
        outcome.column[row] = result.table[row][1];
    }
    if (result.dynaAdvice) outcome.notes.emplace_back(kDynaAdvice);
    // A dyna analysed to its end with no power: the disks gave no usable
    // moment of inertia (a mass or diameter beyond what can be calculated).
    if (dyna && result.status.empty() && KeepDigits(outcome.column[6]).empty() &&
        KeepDigits(outcome.column[7]).empty()) {
        outcome.notes.emplace_back(kNoPowerFromDisks);
    }
    return outcome;
}

}  // namespace

HeadlessEvaluation::HeadlessEvaluation(analysis::DiskTable disks, text::NumberFormat numbers,
                                       Details details, performance::BenchSettings bench)
    : record_(std::make_unique<analysis::CaptureRecord>()),
      startDisks_(std::move(disks)),
      numbers_(std::move(numbers)),
      details_(details),
      bench_(bench) {}

HeadlessEvaluation::~HeadlessEvaluation() = default;

CaptureOutcome HeadlessEvaluation::Evaluate(const std::string& path) {
    std::string kind;
    if (details_ == Details::No) return EvaluateFile(path, kind);
    try {
        return EvaluateFile(path, kind);
    } catch (const std::exception& error) {
        throw UnevaluatedCapture(error.what(), performance::UnevaluatedDetailsLine(
                                                   PrintableName(FileNameOf(path)), kind));
    }
}

CaptureOutcome HeadlessEvaluation::EvaluateFile(const std::string& path, std::string& kind) {
    Import(path, kind);
    analysis::AnalysisInputs inputs;
    inputs.disks = disks_;
    inputs.format = numbers_;
    inputs.buildLog = false;
    const analysis::AnalysisResult result = analysis::AnalyseCapture(*record_, std::move(inputs));
    if (result.error) throw std::runtime_error(*result.error);
    status_ = result.status;
    CaptureOutcome outcome = OutcomeOf(result, record_->IsDyna);
    if (details_ == Details::Yes) AddDetails(path, outcome);
    return outcome;
}

void HeadlessEvaluation::Import(const std::string& path, std::string& kind) {
    // The import, read straight into the record: nothing is kept from a file
    // that fails, so there is nothing to keep safe in a copy either.
    status_.clear();
    const OpenedCapture file = OpenCaptureFile(path);
    kind = file.kind == CaptureKind::Dyna ? "dyna" : "grab";
    MakeFresh(*record_);
    disks_ = startDisks_;
    // No board: no monitor reading, the fresh record's zeros stand.
    record_->IsDyna = file.kind == CaptureKind::Dyna;
    record_->SamplePeriod = record_->IsDyna ? kDynaSamplePeriod : kGrabSamplePeriod;
    ReadCaptureData(file, *record_, disks_);
}

void HeadlessEvaluation::AddDetails(const std::string& path, CaptureOutcome& outcome) const {
    // The disk table as the analysis had it: a dyna file brings its own rows.
    const performance::PerformanceResult figures =
        performance::AnalysePerformance(*record_, disks_, numbers_, bench_);
    outcome.details =
        performance::DetailsLine(PrintableName(FileNameOf(path)), record_->IsDyna, &figures);
    if (figures.status != performance::Status::Evaluated) {
        outcome.notes.push_back("details left empty: " +
                                std::string(performance::StatusText(figures.status)));
    }
}

}  // namespace corvane::files
