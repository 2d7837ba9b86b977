#pragma once
// Evaluating capture files without a window or a board, as the Multiple button
// does, except that nothing carries over from one file to the next: each file
// is read into a fresh capture record and starts from the given disk table, so
// that a results line describes its own capture only.

#include <functional>
#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/batch.h"
#include "files/capture_reader.h"
#include "text/number_format.h"

namespace corvane::files {

class HeadlessEvaluation {
public:
    // disks: the disk table each file starts with (five rows in the window).
    // numbers: the decimal mark and grouping of the table texts.
    explicit HeadlessEvaluation(analysis::DiskTable disks,
                                text::NumberFormat numbers = text::PointComma());
    ~HeadlessEvaluation();
    HeadlessEvaluation(const HeadlessEvaluation&) = delete;
    HeadlessEvaluation& operator=(const HeadlessEvaluation&) = delete;

    // Called when a dyna analysis ends with both averages zero (the window's
    // "Please consult Help for proper Dynamometer methodology" box).
    std::function<void(const std::string& path, const std::string& advice)> onDynaAdvice;

    // Imports the file into a fresh record and analyses it; returns the results
    // table's column 1. With no board the monitor values are those of the
    // file, or 0 for a file without data lines; no speed points are kept
    // between files. Throws the import's errors, or the analysis' range error.
    ResultsColumn Evaluate(const std::string& path);

    analysis::CaptureRecord& record() { return *record_; }
    // The disk table after the last file (a dyna file brings its own rows).
    const analysis::DiskTable& disks() const { return disks_; }

private:
    ResultsColumn Analyse(const std::string& path);

    std::unique_ptr<analysis::CaptureRecord> record_;  // large: keep it off the stack
    const analysis::DiskTable startDisks_;
    analysis::DiskTable disks_;
    text::NumberFormat numbers_;
};

using analysis::kDynaAdvice;

}  // namespace corvane::files
