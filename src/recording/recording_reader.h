#pragma once
// Reads a recording folder back, finished or cut short by a crash: whole
// scans only, whole lines only. For the export of one second, the replay of
// a recording and the Recorder window.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/chosen_stretches.h"
#include "recording/manifest.h"
#include "recording/recording_texts.h"

namespace corvane::recording {

inline constexpr std::uint16_t kLostScanCount = 0xFFFF;

struct RecordingContents {
    Manifest manifest;
    std::uint64_t scans = 0;  // whole scans in samples.u16, lost ones included
    std::vector<CycleRow> cycles;
    std::vector<Event> events;
    std::vector<ChosenStretch> chosen;  // chosen_stretches.csv; none without the file
};

// Throws RecordingError naming the file (and the line) that cannot be read,
// chosen_stretches.csv included.
RecordingContents ReadRecording(const std::string& folder);

// The samples of a recording, read a stretch at a time.
class SampleFile {
public:
    // Throws RecordingError.
    SampleFile(const std::string& folder, const daq::StreamFormat& format);
    ~SampleFile();
    SampleFile(const SampleFile&) = delete;
    SampleFile& operator=(const SampleFile&) = delete;

    std::uint64_t Scans() const { return scans_; }
    // Scans first .. first + count - 1 (fewer at the end), channels interleaved.
    std::vector<std::uint16_t> Read(std::uint64_t first, std::uint64_t count) const;

private:
    std::string path_;
    int fd_ = -1;
    int channels_ = 0;
    std::uint64_t scans_ = 0;
};

// True when every channel of the scan holds the lost-scan mark.
bool IsLostScan(std::span<const std::uint16_t> scan);

}  // namespace corvane::recording
