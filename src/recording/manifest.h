#pragma once
// The recording's manifest.ini: what a reader needs to take the samples back
// (rate, channels, their conversions), and what was in force while recording
// (start, board, disk table, engine geometry, program). Plain key=value lines
// under INI sections, so any INI or line reader takes it.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "analysis/moment_of_inertia.h"
#include "daq/scan_stream.h"

namespace corvane::recording {

struct Manifest {
    std::string startUtc;  // ISO 8601, e.g. 2026-12-08T19:30:00.250Z
    daq::StreamFormat format;
    std::string board;  // "simulated", the hardware's name, or "replay of SOURCE"
    bool simulated = false;
    std::string program;  // name and version
    analysis::DiskTable disks;
    std::uint64_t scans = 0;  // scans written when the manifest was last written
};

std::string ManifestText(const Manifest& manifest);

// Throws RecordingError naming what is missing or wrong.
Manifest ParseManifest(std::string_view text);

// The present moment as ISO 8601 UTC with milliseconds.
std::string UtcNow();

}  // namespace corvane::recording
