#include "files/capture_import.h"

#include <utility>

namespace corvane::files {

CaptureKind ImportCaptureFile(const std::string& path, analysis::CaptureRecord& record,
                              analysis::DiskTable& disks, const PrepareCapture& prepare) {
    const OpenedCapture file = OpenCaptureFile(path);
    analysis::CaptureRecord working = record;
    working.IsDyna = file.kind == CaptureKind::Dyna;
    if (prepare) prepare(file.kind, working);
    analysis::DiskTable workingDisks = disks;
    ReadCaptureData(file, working, workingDisks);
    record = std::move(working);
    disks = std::move(workingDisks);
    return file.kind;
}

}  // namespace corvane::files
