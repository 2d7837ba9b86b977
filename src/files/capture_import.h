#pragma once
// The whole import of one capture file, with the preparation left to the caller.

#include <functional>
#include <string>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"
#include "files/capture_reader.h"

namespace corvane::files {

// Readies the working record for a capture of the given kind: the window runs
// PrepareGrab or PrepareDyna (display, default period and a live engine-monitor
// reading into `working`); a tool without a board may do nothing.
using PrepareCapture = std::function<void(CaptureKind kind, analysis::CaptureRecord& working)>;

// Reads the capture file at path into record and disks and returns its kind.
// Throws FileError or WrongKindError before prepare runs, and ConvertError or
// RangeError from a data line; on every failure record and disks keep what they
// held before the call (the file is read into copies, committed at the end).
// The analysis is not run here.
CaptureKind ImportCaptureFile(const std::string& path, analysis::CaptureRecord& record,
                              analysis::DiskTable& disks, const PrepareCapture& prepare);

}  // namespace corvane::files
