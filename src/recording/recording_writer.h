#pragma once
// Writes one recording folder as the scans arrive. Every file only grows
// (the manifest is replaced whole), so a crash can tear at most the last
// line or scan, which readers leave out; nothing earlier is touched.
// Flush hands what is buffered to the system (it then outlives the program);
// Sync also puts it on the disk (it then outlives a power cut).

#include <cstdint>
#include <span>
#include <string>

#include "recording/manifest.h"
#include "recording/recording_texts.h"

namespace corvane::recording {

class RecordingWriter {
public:
    // Creates the folder (its parent must exist; an existing folder must be
    // empty) with the manifest and the headers of cycles.csv and events.csv,
    // first as "FOLDER.new-..." beside it, renamed once they are written.
    // Throws RecordingError naming the folder and the reason.
    RecordingWriter(const std::string& folder, Manifest manifest);
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // The next whole scans, channels interleaved as the manifest says.
    void AddScans(std::span<const std::uint16_t> counts);
    // Scans that never arrived: 65535 in every channel, so that every later
    // scan's index over the rate stays its time.
    void AddLostScans(std::uint64_t scans);
    void AddCycle(const CycleRow& row);
    void AddEvent(const Event& event);

    // Both throw RecordingError ("FOLDER/samples.u16: Disk full"); after a
    // failed write nothing more is added to that file, so no later scan can
    // land out of place.
    void Flush();
    void Sync();

    std::uint64_t Scans() const { return scans_; }
    std::uint64_t BytesWritten() const { return bytes_; }
    const std::string& Folder() const { return folder_; }

private:
    struct Output {
        std::string path;
        int fd = -1;
        std::string buffer;
        bool failed = false;
    };
    void Open(Output& output, const char* name, std::string_view header);
    void Write(Output& output);
    void WriteManifest();
    void MoveInto(const std::string& folder);
    void CloseFiles();

    std::string folder_;
    Manifest manifest_;
    Output samples_, cycles_, events_;
    std::uint64_t scans_ = 0;
    std::uint64_t bytes_ = 0;
};

}  // namespace corvane::recording
