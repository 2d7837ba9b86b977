#pragma once
// Writing the capture record to a capture file (Export).

#include <string>

#include "analysis/capture_record.h"
#include "analysis/moment_of_inertia.h"

namespace corvane::files {

inline constexpr const char* kGrabCaption =
    "Pressure, Tachometer, Low Temp, High Temp, Resistor Power";
inline constexpr const char* kDynaCaption =
    "Pressure, Tachometer, Low Temp, High Temp, Resistor Power, Flywheel Mass, "
    "Flywheel Diameter";

// The whole file text, CR LF line ends. The monitor values are written with one
// decimal, a point and no grouping, so the file reads back as written; a dyna
// file carries columns 0 and 1 of the disk rows on its first data lines.
// Throws RangeError when SampleCount exceeds the 4097 raw samples.
std::string CaptureFileText(const analysis::CaptureRecord& record,
                            const analysis::DiskTable& disks);

// Export: writes the text through a temporary file beside path that replaces
// path only when complete. Throws FileError ("File access denied", ...).
void WriteCaptureFile(const std::string& path, const analysis::CaptureRecord& record,
                      const analysis::DiskTable& disks);

}  // namespace corvane::files
