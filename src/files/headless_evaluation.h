#pragma once
// Evaluating capture files without a window or a board, as the Multiple button
// does: one capture record and disk table carried over from file to file.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/batch.h"
#include "files/capture_reader.h"
#include "text/number_format.h"

namespace corvane::files {

class HeadlessEvaluation {
public:
    // disks: the disk table the first file starts with (five rows in the window).
    // numbers: the decimal mark and grouping of the table texts.
    explicit HeadlessEvaluation(analysis::DiskTable disks,
                                text::NumberFormat numbers = text::PointComma());
    ~HeadlessEvaluation();
    HeadlessEvaluation(const HeadlessEvaluation&) = delete;
    HeadlessEvaluation& operator=(const HeadlessEvaluation&) = delete;

    // Called when a dyna analysis ends with both averages zero (the window's
    // "Please consult Help for proper Dynamometer methodology" box).
    std::function<void(const std::string& path, const std::string& advice)> onDynaAdvice;

    // Imports the file and analyses it; returns the results table's column 1.
    // The preparation sets the kind's default period and, with no board, leaves
    // the monitor values as they were; a grab keeps the speed points, a dyna
    // clears them. Throws the import's errors (the capture stays as it was), or
    // the analysis' range error after the capture was taken in.
    ResultsColumn Evaluate(const std::string& path);

    analysis::CaptureRecord& record() { return *record_; }
    const analysis::DiskTable& disks() const { return disks_; }
    analysis::DiskTable& disks() { return disks_; }

private:
    ResultsColumn Analyse(const std::string& path);

    std::unique_ptr<analysis::CaptureRecord> record_;  // large: keep it off the stack
    analysis::DiskTable disks_;
    text::NumberFormat numbers_;
    std::vector<analysis::Point> rpmPoints_;
};

using analysis::kDynaAdvice;

}  // namespace corvane::files
