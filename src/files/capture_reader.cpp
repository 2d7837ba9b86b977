#include "files/capture_reader.h"

#include <cmath>

#include "files/capture_lines.h"
#include "files/file_error.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/number_format.h"

namespace corvane::files {

namespace {

// Files always carry a point as decimal mark, whatever the user's settings.
const text::NumberFormat& FileNumbers() {
    static const text::NumberFormat format = text::PointOnly();
    return format;
}

double ReadNumber(std::string_view line, int field) {
    return text::TextToFloat(ExtractField(line, field), FileNumbers());
}

// The period the time column gives: data line 1 holds 1 x SamplePeriod.
double PeriodFromTimeField(std::string_view line, double fallback) {
    try {
        double period = ReadNumber(line, 1);
        if (std::isfinite(period) && period > 0) return period;
    } catch (const std::exception&) {
        // Not a number: the kind's default stands.
    }
    return fallback;
}

void PutDiskRow(std::string_view line, analysis::DiskTable& disks, int row) {
    if (row < 0 || row >= static_cast<int>(disks.size())) return;
    disks[static_cast<std::size_t>(row)][0] = std::string(ExtractField(line, 6));
    disks[static_cast<std::size_t>(row)][1] = std::string(ExtractField(line, 7));
}

}  // namespace

OpenedCapture CheckCaptureKind(std::string text) {
    LineReader lines(text);
    std::string_view first;
    lines.Next(first);  // an empty file gives an empty first line
    OpenedCapture file;
    if (first == "grab") {
        file.kind = CaptureKind::Grab;
    } else if (first == "dyna") {
        file.kind = CaptureKind::Dyna;
    } else {
        throw WrongKindError();
    }
    file.text = std::move(text);
    return file;
}

OpenedCapture OpenCaptureFile(const std::string& path) {
    return CheckCaptureKind(ReadWholeFile(path));
}

void ReadSample(std::string_view line, int field, analysis::CaptureRecord& record, int& n) {
    const std::uint16_t count = text::TextToCount(ExtractField(line, field), FileNumbers());
    if (n < 0 || n >= analysis::kRawCapacity) throw RangeError();
    record.RawSamples[static_cast<std::size_t>(n)] = count;
    ++n;
}

void ReadCaptureData(const OpenedCapture& file, analysis::CaptureRecord& record,
                     analysis::DiskTable& disks) {
    const bool dyna = file.kind == CaptureKind::Dyna;
    record.IsDyna = dyna;
    double period = dyna ? kDynaSamplePeriod : kGrabSamplePeriod;

    LineReader lines(file.text);
    std::string_view line;
    lines.Next(line);  // the kind, checked when the file was opened
    lines.Next(line);  // the caption line, whatever it holds
    int n = 0;
    while (lines.Next(line)) {
        if (!dyna) {
            ReadSample(line, 2, record, n);
            ReadSample(line, 3, record, n);
            if (n == 2) {
                record.LoTemp = ReadNumber(line, 4);
                record.HiTemp = ReadNumber(line, 5);
                record.ResistorPower = ReadNumber(line, 6);
                period = PeriodFromTimeField(line, period);
            }
        } else {
            ReadSample(line, 2, record, n);
            if (n == 1) {
                record.LoTemp = ReadNumber(line, 3);
                record.HiTemp = ReadNumber(line, 4);
                record.ResistorPower = ReadNumber(line, 5);
                period = PeriodFromTimeField(line, period);
            }
            PutDiskRow(line, disks, n - 1);  // rows 0..4 from data lines 1..5
        }
    }
    record.SampleCount = n;
    record.SamplePeriod = period;
}

}  // namespace corvane::files
