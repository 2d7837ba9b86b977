#pragma once
// What a report is about and the figures it shows: one capture, evaluated on
// its own by the analysis of the results table and the engine-performance
// evaluation, exactly as the batch evaluates a capture file.

#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "performance/performance.h"
#include "text/number_format.h"

namespace corvane::report {

struct ReportSubject {
    // The capture file's name without its folder; empty for a capture that
    // was never saved to a file.
    std::string fileName;
    const analysis::CaptureRecord* record = nullptr;
    analysis::DiskTable disks;  // the disk table the dyna is computed with
    text::NumberFormat format = text::PointComma();
    bool simulated = false;  // taken from the simulated engine, not measured
    performance::BenchSettings bench;  // the settings file's
};

struct EvaluatedCapture {
    std::unique_ptr<analysis::CaptureRecord> record;  // the subject's, analysed
    analysis::AnalysisResult analysis;
    performance::PerformanceResult performance;
};

// Analyses a copy of the subject's record as a capture of its own: no zoom,
// no speed points of earlier captures. Throws std::runtime_error with the
// analysis' range error, as the batch does.
EvaluatedCapture Evaluate(const ReportSubject& subject);

}  // namespace corvane::report
