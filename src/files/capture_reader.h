#pragma once
// Reading a capture file back into a capture record.
//
// An import runs in three steps so that the window can do its part between them:
//   1. OpenCaptureFile(path): opens the file and checks its first line; throws
//      FileError ("File not found", ...) or WrongKindError. Nothing is changed.
//   2. The caller prepares for the kind (the window's PrepareGrab/PrepareDyna:
//      display, period, a live engine-monitor reading into the record).
//   3. ReadCaptureData(file, record, disks): reads the data lines into the given
//      record and disk table; throws ConvertError or RangeError part-way.
// Step 3 should work on copies that replace the originals only when it returns,
// so that a failed import leaves the capture as it was; ImportCaptureFile
// (capture_import.h) does exactly that.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "analysis/capture_plan.h"
#include "files/capture_lines.h"

namespace corvane::files {

using analysis::CaptureKind;

// Sample periods a file's kind implies when its time column gives none: those
// its preparation sets.
inline constexpr double kGrabSamplePeriod = analysis::kGrabPlan.preparedPeriod;
inline constexpr double kDynaSamplePeriod = analysis::kDynaPlan.preparedPeriod;

// The first line is neither "grab" nor "dyna"; the window shows this text in a
// message box.
class WrongKindError : public std::runtime_error {
public:
    WrongKindError() : std::runtime_error("Input file is neither \"grab\" nor \"dyna\"!") {}
    // The same refusal with the reason added ("... It is UTF-16 text ...").
    explicit WrongKindError(const std::string& reason)
        : std::runtime_error("Input file is neither \"grab\" nor \"dyna\"! " + reason) {}
};

// A capture file whose first line has been checked.
struct OpenedCapture {
    CaptureKind kind = CaptureKind::Grab;
    // The lines after the first, read only as step 3 asks for them (a file
    // stays open until then), so that no input, however long, is held whole.
    std::unique_ptr<LineReader> lines;
};

// Step 1 from a file: opens it and checks line 1 (a first line too long to be
// a kind is of the wrong kind).
OpenedCapture OpenCaptureFile(const std::string& path);
// Step 1 from text already in memory, read in pieces of `piece` characters.
OpenedCapture CheckCaptureKind(std::string text, LineLimits limits = {},
                               std::size_t piece = kReadPiece);

// Step 3: skips line 2, then reads every further line as a data line; reads
// the file's lines once.
// Sets RawSamples from index 0, SampleCount, IsDyna, the monitor values from
// data line 1, SamplePeriod from the time field of data line 1 (the kind's
// default when that is not a positive number) and, for a dyna file, columns 0
// and 1 of every disk row r from data line r + 1 (rows 0..4 of the window's
// five-row table), as read: leading blanks stay. Reading stops at the first
// failure: RangeError at the 4098th sample, or for a line longer than the
// reader holds (LineLimits), as a file longer than any capture.
void ReadCaptureData(const OpenedCapture& file, analysis::CaptureRecord& record,
                     analysis::DiskTable& disks);

}  // namespace corvane::files
