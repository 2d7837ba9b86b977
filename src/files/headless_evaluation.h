#pragma once
// Evaluating capture files without a window or a board, as the Multiple button
// does, except that nothing carries over from one file to the next: each file
// is read into a fresh capture record and starts from the given disk table, so
// that a results line describes its own capture only. Nobody sees a text
// window here, so its lines are never built. One evaluation per thread.
// The engine-performance analysis runs only for a batch that writes a details
// file; a plain batch pays nothing for it.

#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/batch.h"
#include "performance/performance.h"
#include "text/number_format.h"

namespace corvane::files {

using analysis::kDynaAdvice;  // what a dyna's note says when both averages are zero

// The note of a dyna whose Power and Torque stay empty although its analysis ran to its end.
inline constexpr const char* kNoPowerFromDisks =
    "Power and Torque left empty: the disk table gives no moment of inertia that can be "
    "calculated (check each disk's mass and diameter)";

class HeadlessEvaluation {
public:
    // disks: the disk table each file starts with (five rows in the window).
    // numbers: the decimal mark and grouping of the table texts.
    // details: also give each capture its details-file line, evaluated with
    // the bench's settings.
    enum class Details { No, Yes };
    explicit HeadlessEvaluation(analysis::DiskTable disks,
                                text::NumberFormat numbers = text::PointComma(),
                                Details details = Details::No,
                                performance::BenchSettings bench = {});
    ~HeadlessEvaluation();
    HeadlessEvaluation(const HeadlessEvaluation&) = delete;
    HeadlessEvaluation& operator=(const HeadlessEvaluation&) = delete;

    // Imports the file into a fresh record and analyses it; returns the results
    // table's column 1, and as a note the window's dynamometer advice when a
    // dyna analysis ends with both averages zero. With no board the monitor
    // values are those of the file, or 0 for a file without data lines; no
    // speed points are kept between files. Throws the import's errors, or the
    // analysis' range error. With Details::Yes the outcome also holds the
    // capture's details line; a capture whose engine performance cannot be
    // evaluated gets its name and kind only, and the reason as a note
    // ("details left empty: Engine not turning: ..."); a capture that fails
    // throws UnevaluatedCapture, whose details line gives its name and kind.
    CaptureOutcome Evaluate(const std::string& path);

    // Why the analysis of the last file stopped early ("No samples", "Bad red
    // spikes", ...), or "" when it ran to its end.
    const std::string& status() const { return status_; }

    // The record of the last file (unspecified after a failed one).
    analysis::CaptureRecord& record() { return *record_; }
    // The disk table after the last file (a dyna file brings its own rows).
    const analysis::DiskTable& disks() const { return disks_; }

private:
    // Evaluate's work; *kind is "grab" or "dyna" once the file's first line was read.
    CaptureOutcome EvaluateFile(const std::string& path, std::string& kind);
    // The file read into the record and the disk table, as the window imports it.
    void Import(const std::string& path, std::string& kind);
    // The details line of the figures and, when they are left empty, why.
    void AddDetails(const std::string& path, CaptureOutcome& outcome) const;

    std::unique_ptr<analysis::CaptureRecord> record_;  // large: keep it off the stack
    const analysis::DiskTable startDisks_;
    analysis::DiskTable disks_;
    text::NumberFormat numbers_;
    Details details_;
    performance::BenchSettings bench_;
    std::string status_;
};

}  // namespace corvane::files
