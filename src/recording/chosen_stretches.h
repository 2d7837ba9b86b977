#pragma once
// The stretches the user chose on the trends, kept in the recording folder so
// that reopening the recording and its report show them too:
// chosen_stretches.csv, the header "start_s,end_s" and one stretch a line
// (seconds from scan 0, point decimal), replaced whole at every change. A
// recording without the file (older ones) has none chosen.

#include <string>
#include <string_view>
#include <vector>

#include "recording/operating_points.h"

namespace corvane::recording {

inline constexpr const char* kChosenStretchesFile = "chosen_stretches.csv";
inline constexpr std::string_view kChosenStretchesHeader = "start_s,end_s";

// A stretch of the run in time: the cycles that start in [startS, endS).
struct ChosenStretch {
    double startS = 0.0;
    double endS = 0.0;
    friend bool operator==(const ChosenStretch&, const ChosenStretch&) = default;
};

// The stretch from fromS to toS as the file keeps it, to the millisecond.
ChosenStretch ChosenBetween(double fromS, double toS);

// The cycles of a chosen stretch.
Stretch CyclesOf(const std::vector<CycleRow>& cycles, const ChosenStretch& chosen);

// The file's text: the header and one line per stretch, LF.
std::string ChosenStretchesText(const std::vector<ChosenStretch>& stretches);

// The file's text read back. Throws RecordingError naming `path` and the line
// that is not the header, not two numbers, or not a stretch forward in time.
std::vector<ChosenStretch> ParseChosenStretches(std::string_view text, const std::string& path);

// None when the folder holds no such file; throws RecordingError as above,
// or when the file cannot be read.
std::vector<ChosenStretch> ReadChosenStretches(const std::string& folder);

// Replaces the folder's file whole (a crash leaves the old one or the new
// one). Throws files::FileError.
void WriteChosenStretches(const std::string& folder, const std::vector<ChosenStretch>& stretches);

}  // namespace corvane::recording
