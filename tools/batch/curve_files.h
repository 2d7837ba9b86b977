#pragma once
// corvane-batch --curves DIR: the pointwise power curve of each dyna as
// DIR/NAME.curve.csv (NAME: the capture file's name without its extension).

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "files/batch.h"
#include "files/headless_evaluation.h"
#include "performance/performance.h"

namespace corvane::batch {

// Why the batch may not write its curves into `folder`, or "" when it may: it
// is not a folder, it is one of the inputs (a capture, a folder or a list
// named, on the command line or in a list), or with `recursive` it lies
// inside a folder named; or two captures share a NAME and so a curve file.
std::string CurvesRefusal(const std::string& folder, const std::vector<std::string>& inputs,
                          bool recursive, const std::vector<std::string>& captures);

// DIR/NAME.curve.csv for a capture file.
std::string CurvePathOf(const std::string& folder, const std::string& capture);

class CurveFiles {
public:
    // folder empty: no curves are written.
    CurveFiles(std::string folder, performance::BenchSettings bench);

    // The evaluation of one thread, writing each evaluated dyna's curve after
    // it; a curve that cannot be written becomes a note on that capture.
    files::EvaluateCapture Evaluating(const std::shared_ptr<files::HeadlessEvaluation>& headless);

    // A curve could not be written.
    bool Failed() const { return failed_; }

private:
    void WriteCurve(files::HeadlessEvaluation& headless, const std::string& path,
                    files::CaptureOutcome& outcome);

    std::string folder_;
    performance::BenchSettings bench_;
    std::atomic<bool> failed_{false};
};

}  // namespace corvane::batch
