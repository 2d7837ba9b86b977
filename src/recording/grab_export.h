#pragma once
// One second of a recording as a grab capture: pressure and tachometer as
// they were scanned, the monitor values the means over that second, so that
// Import, Multiple, corvane-batch and corvane-report take it as a grab.

#include <optional>
#include <string>

#include "analysis/capture_record.h"
#include "files/capture_import.h"
#include "recording/recording_reader.h"

namespace corvane::recording {

// The second of scans from atSeconds (rounded to the nearest scan) on.
// Throws RecordingError when the second does not lie wholly in the
// recording, holds a lost scan, or does not fit a capture.
analysis::CaptureRecord GrabAt(const std::string& folder, double atSeconds);

// The same from contents already read; nothing when the second holds a lost
// scan (throws RecordingError for the rest, as GrabAt does).
std::optional<analysis::CaptureRecord> GrabWithoutGap(const std::string& folder,
                                                      const RecordingContents& contents,
                                                      double atSeconds);

// The same second made the working capture, as an imported grab file would
// be: `prepare` readies a copy of `record` for a grab, then the second's
// samples and monitor means go into it. Throws RecordingError before
// `prepare` runs; `record` changes only when the second was read whole.
void ImportSecond(const std::string& folder, double atSeconds, analysis::CaptureRecord& record,
                  const files::PrepareCapture& prepare);

}  // namespace corvane::recording
