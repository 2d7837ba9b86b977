#pragma once
// What the Recorder window says in words and tables: the elapsed time, the
// engine monitor's values of the newest cycle, the counts of an opened
// recording and the operating-point table as the window shows it.

#include <QString>
#include <string>
#include <optional>
#include <vector>

#include "recording/operating_points.h"
#include "recording/recorder.h"
#include "recording/recording_reader.h"
#include "ui/performance/performance_texts.h"

class QCustomPlot;

namespace corvane::ui {


QString ElapsedText(double seconds);  // h:mm:ss
QString MonitorText(const std::optional<recording::CycleRow>& newest);
// The size is that of the folder's files.
recording::RecordingStatus CountsOf(const recording::RecordingContents& contents,
                                    const std::string& folder);
TableText OperatingPointTableText(const std::vector<recording::OperatingPoint>& points);

// The power curve: indicated power with its ± sd bars against speed.
void SetUpPowerCurve(QCustomPlot& plot);
void ShowPowerCurve(QCustomPlot& plot, const std::vector<recording::OperatingPoint>& points);

}  // namespace corvane::ui
