#pragma once
// The report of a whole recording as a PDF: corvane-report RUN_FOLDER and the
// Recorder window's "Save report…" make it the same way, from the folder.

#include <QDateTime>
#include <string>

#include <vector>

#include "performance/performance.h"
#include "recording/operating_points.h"
#include "recording/steady_state.h"

namespace corvane::report {

// A folder that holds a recording's manifest: it gets a recording's report.
bool IsRecordingFolder(const std::string& path);

// The recording folder's own name ("run-20261208-193000"), also when the
// path ends in a separator.
std::string RecordingName(const std::string& runFolder);

// Where a report goes when no folder is given: beside the recording folder,
// named after it ("…/run-20261208-193000.pdf"); the folder itself is left as
// the recorder wrote it.
std::string ReportBesideRecording(const std::string& runFolder);

// Reads the recording (finished or cut short), lays out its report and
// replaces the file with it whole. Throws recording::RecordingError when the
// recording cannot be read, files::FileError when the file cannot be written.
// `chosen`: stretches the user chose in the Recorder window; `bench`: the
// phase and calibration the operating points' loops are evaluated with.
void WriteRunReport(const std::string& pdfPath, const std::string& runFolder,
                    const recording::SteadyCriteria& criteria,
                    const performance::BenchSettings& bench,
                    const std::vector<recording::Stretch>& chosen = {},
                    const QDateTime& created = QDateTime::currentDateTime());

}  // namespace corvane::report
