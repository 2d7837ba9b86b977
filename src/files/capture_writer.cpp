#include "files/capture_writer.h"

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "files/scientific_format.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number_format.h"

namespace corvane::files {

namespace {

constexpr const char* kLineEnd = "\r\n";
// Per data line: up to three 23-character numbers, the monitor values and disk texts.
constexpr std::size_t kLineEstimate = 80;

void AppendTime(std::string& out, const analysis::CaptureRecord& record, int line) {
    // k x SamplePeriod at full precision, rounded only by the written form.
    AppendScientific(
        out, static_cast<long double>(line) * static_cast<long double>(record.SamplePeriod));
}

void AppendVolts(std::string& out, const analysis::CaptureRecord& record, int index) {
    AppendScientific(out,
                     analysis::CountToVolts(record.RawSamples[static_cast<std::size_t>(index)]));
}

void AppendMonitorValues(std::string& out, const analysis::CaptureRecord& record) {
    const text::NumberFormat numbers = text::PointOnly();
    out += ',';
    out += text::FormatOneDecimal(record.LoTemp, numbers);
    out += ',';
    out += text::FormatOneDecimal(record.HiTemp, numbers);
    out += ',';
    out += text::FormatResistorPower(record.ResistorPower, numbers);
}

const std::string& DiskCell(const analysis::DiskTable& disks, std::size_t row, std::size_t column) {
    static const std::string kEmpty;
    return row < disks.size() ? disks[row][column] : kEmpty;
}

// Two samples a line (pressure, then the flywheel), the monitor values on the
// first.
void AppendGrabLines(std::string& out, const analysis::CaptureRecord& record) {
    for (int i = 0; i < record.SampleCount; ++i) {
        if (i % 2 == 0) {
            AppendTime(out, record, i / 2 + 1);
            out += ',';
            AppendVolts(out, record, i);
            out += ',';
        } else {
            AppendVolts(out, record, i);
            if (i == 1) AppendMonitorValues(out, record);
            out += kLineEnd;
        }
    }
}

// One sample a line; the monitor values and the first disk on the first, each
// further disk on a line of its own.
void AppendDynaLines(std::string& out, const analysis::CaptureRecord& record,
                     const analysis::DiskTable& disks) {
    for (int i = 0; i < record.SampleCount; ++i) {
        const auto row = static_cast<std::size_t>(i);
        AppendTime(out, record, i + 1);
        out += ',';
        AppendVolts(out, record, i);
        if (i == 0) {
            AppendMonitorValues(out, record);
            out += ',';
            out += DiskCell(disks, 0, 0);
            out += ", ";
            out += DiskCell(disks, 0, 1);
        } else if (row < disks.size()) {
            out += ", , , , ";
            out += disks[row][0];
            out += ", ";
            out += disks[row][1];
        }
        out += kLineEnd;
    }
}

}  // namespace

std::string CaptureFileText(const analysis::CaptureRecord& record,
                            const analysis::DiskTable& disks) {
    const int count = record.SampleCount;
    if (count > analysis::kRawCapacity) throw RangeError();
    std::string out;
    out.reserve(128 + static_cast<std::size_t>(count > 0 ? count : 0) * kLineEstimate);
    out += record.IsDyna ? "dyna" : "grab";
    out += kLineEnd;
    out += record.IsDyna ? kDynaCaption : kGrabCaption;
    out += kLineEnd;
    if (record.IsDyna) {
        AppendDynaLines(out, record, disks);
    } else {
        AppendGrabLines(out, record);
    }
    return out;
}

void WriteCaptureFile(const std::string& path, const analysis::CaptureRecord& record,
                      const analysis::DiskTable& disks) {
    ReplaceFileContents(path, CaptureFileText(record, disks));
}

}  // namespace corvane::files
