// Feeds arbitrary bytes to the capture-file reader and, when they read as a
// capture, to the analysis, as an import would.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "files/capture_reader.h"
#include "text/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane;
    // The first byte picks the disk table: blank, or one 200 g / 100 mm disk.
    const bool withDisk = size > 0 && (data[0] & 1);
    analysis::DiskTable disks(5);
    if (withDisk) disks[0] = {"200", "100", "0.25"};
    static auto record = std::make_unique<analysis::CaptureRecord>();
    *record = analysis::CaptureRecord{};
    try {
        files::OpenedCapture file =
            files::CheckCaptureKind(std::string(reinterpret_cast<const char*>(data), size));
        files::ReadCaptureData(file, *record, disks);
    } catch (const std::exception&) {
        return 0;  // a refused file is a normal outcome
    }
    analysis::AnalysisInputs inputs;
    inputs.disks = disks;
    inputs.format = text::PointComma();
    try {
        analysis::AnalyseCapture(*record, inputs);
    } catch (const std::exception&) {
        // Range errors end an analysis; anything undefined is caught by the sanitizers.
    }
    return 0;
}
