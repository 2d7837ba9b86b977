#pragma once
// corvane-report RUN_FOLDER: a recording folder among the inputs gets the
// report of the whole recording instead of a capture's.

#include <QDateTime>
#include <string>
#include <vector>

#include "performance/performance.h"

namespace corvane::tools {

// True when every input names a recording folder (then -o may be left out).
bool AllRecordingFolders(const std::vector<std::string>& inputs);

// A recording folder written "run/" is named as "run" is.
void TrimRecordingFolders(std::vector<std::string>& inputs);

// The recording's report into outputFolder/name, or with no output folder
// beside the recording as RUN_FOLDER.pdf; the operating points' loops are
// evaluated with `bench`. False when it could not be made, said on standard
// error as "PATH: message".
bool ReportRecording(const std::string& runFolder, const std::string& outputFolder,
                     const std::string& name, const std::string& settingsPath,
                     const performance::BenchSettings& bench, const QDateTime& created);

}  // namespace corvane::tools
