#include "files/capture_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "files/capture_lines.h"
#include "files/file_error.h"
#include "text/errors.h"
#include "text/fixed_form_number.h"
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
double PeriodFromTimeField(std::string_view time, double fallback) {
    try {
        double period = text::TextToFloat(time, FileNumbers());
        if (std::isfinite(period) && period > 0) return period;
    } catch (const std::exception&) {
        // Not a number: the kind's default stands.
    }
    return fallback;
}

// A sample field as a count: our own 23-character form straight away, any
// other text by TextToCount, which gives the same count for ours.
std::uint16_t SampleCount(std::string_view field) {
    if (const auto volts = text::ReadFixedFormNumber(field)) return text::VoltsToCount(*volts);
    return text::TextToCount(field, FileNumbers());
}

void StoreCount(std::uint16_t count, analysis::CaptureRecord& record, int& n) {
    if (n < 0 || n >= analysis::kRawCapacity) throw RangeError();
    record.RawSamples[static_cast<std::size_t>(n)] = count;
    ++n;
}

void StoreSample(std::string_view field, analysis::CaptureRecord& record, int& n) {
    StoreCount(SampleCount(field), record, n);
}

void PutDiskRow(std::string_view line, analysis::DiskTable& disks, int row) {
    if (row < 0 || row >= static_cast<int>(disks.size())) return;
    disks[static_cast<std::size_t>(row)][0] = std::string(ExtractField(line, 6));
    disks[static_cast<std::size_t>(row)][1] = std::string(ExtractField(line, 7));
}

}  // namespace

namespace {

OpenedCapture CheckKind(std::unique_ptr<LineReader> lines) {
    std::string_view first;
    try {
        lines->Next(first);  // an empty file gives an empty first line
    } catch (const RangeError&) {
        throw WrongKindError();  // megabytes without a line end are no kind line
    }
    OpenedCapture file;
    if (first == "grab") {
        file.kind = CaptureKind::Grab;
    } else if (first == "dyna") {
        file.kind = CaptureKind::Dyna;
    } else {
        throw WrongKindError();
    }
    file.lines = std::move(lines);
    return file;
}

}  // namespace

OpenedCapture CheckCaptureKind(std::string text, LineLimits limits, std::size_t piece) {
    return CheckKind(std::make_unique<LineReader>(std::move(text), limits, piece));
}

OpenedCapture OpenCaptureFile(const std::string& path) {
    return CheckKind(std::make_unique<LineReader>(ReadInPieces(path)));
}

void ReadSample(std::string_view line, int field, analysis::CaptureRecord& record, int& n) {
    StoreSample(ExtractField(line, field), record, n);
}

void ReadCaptureData(const OpenedCapture& file, analysis::CaptureRecord& record,
                     analysis::DiskTable& disks) {
    const bool dyna = file.kind == CaptureKind::Dyna;
    record.IsDyna = dyna;
    double period = dyna ? kDynaSamplePeriod : kGrabSamplePeriod;

    LineReader& lines = *file.lines;
    std::string_view line;
    lines.Next(line);  // the caption line, whatever it holds
    int n = 0;
    while (lines.Next(line)) {
        // Field 1 is the time, read from data line 1 only.
        FieldCursor fields(line);
        const std::string_view time = fields.Next();
        if (!dyna) {
            StoreSample(fields.Next(), record, n);
            StoreSample(fields.Next(), record, n);
            if (n == 2) {
                record.LoTemp = ReadNumber(line, 4);
                record.HiTemp = ReadNumber(line, 5);
                record.ResistorPower = ReadNumber(line, 6);
                period = PeriodFromTimeField(time, period);
            }
        } else {
            StoreSample(fields.Next(), record, n);
            if (n == 1) {
                record.LoTemp = ReadNumber(line, 3);
                record.HiTemp = ReadNumber(line, 4);
                record.ResistorPower = ReadNumber(line, 5);
                period = PeriodFromTimeField(time, period);
            }
            PutDiskRow(line, disks, n - 1);  // rows 0..4 from data lines 1..5
        }
    }
    record.SampleCount = n;
    record.SamplePeriod = period;
}

}  // namespace corvane::files
