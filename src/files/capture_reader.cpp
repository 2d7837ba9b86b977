#include "files/capture_reader.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
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

// Data lines as the writer lays them out: the time and the samples, each 23
// characters, a comma between them, and nothing or a comma after the last.
constexpr std::size_t kFieldWidth = 23;

bool HoldsNoComma(const char* text) {  // kFieldWidth characters
    if constexpr (std::endian::native == std::endian::little) {
        // Three overlapping words; a byte equal to ',' becomes zero and is found.
        for (const std::size_t at : {std::size_t{0}, std::size_t{8}, kFieldWidth - 8}) {
            std::uint64_t word;
            std::memcpy(&word, text + at, sizeof word);
            word ^= 0x2C2C2C2C2C2C2C2CULL;
            if ((word - 0x0101010101010101ULL) & ~word & 0x8080808080808080ULL) return false;
        }
        return true;
    } else {
        return std::memchr(text, ',', kFieldWidth) == nullptr;
    }
}

// The counts of the `samples` sample fields (fields 2, 3, ...) of a line laid
// out as above, found at their places without searching. False when the line
// is laid out otherwise or a field is not in our own form: the line then goes
// the general way, which gives the same counts and errors.
bool ReadWrittenSamples(std::string_view line, int samples, std::uint16_t* counts) {
    const std::size_t end = (kFieldWidth + 1) * static_cast<std::size_t>(samples + 1) - 1;
    if (line.size() < end || (line.size() > end && line[end] != ',')) return false;
    // Field 1, the time, holds no comma: the samples are fields 2, 3, ...
    if (line[0] == ',' || !HoldsNoComma(line.data())) return false;
    double volts[2];
    for (int i = 0; i < samples; ++i) {
        const std::size_t comma = (kFieldWidth + 1) * static_cast<std::size_t>(i + 1) - 1;
        if (line[comma] != ',') return false;
        // Our form holds no comma and does not begin with one.
        const auto value = text::ReadFixedFormNumber(line.substr(comma + 1, kFieldWidth));
        if (!value) return false;
        volts[i] = *value;
    }
    for (int i = 0; i < samples; ++i) counts[i] = text::VoltsToCount(volts[i]);
    return true;
}

void PutDiskRow(std::string_view line, analysis::DiskTable& disks, int row) {
    if (row < 0 || row >= static_cast<int>(disks.size())) return;
    disks[static_cast<std::size_t>(row)][0] = std::string(ExtractField(line, 6));
    disks[static_cast<std::size_t>(row)][1] = std::string(ExtractField(line, 7));
}

}  // namespace

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// "grab" or "dyna" as UTF-16 without a byte-order mark: a NUL beside each letter.
bool KindInUtf16(std::string_view first) {
    std::string letters;
    for (char c : first) {
        if (c != '\0' && c != '\r') letters += c;
    }
    return letters.size() < first.size() && (letters == "grab" || letters == "dyna");
}

// A spreadsheet program's UTF-8 byte-order mark is no part of the kind; a
// file saved as UTF-16 is told as such, since it looks like "grab" on screen.
std::string_view KindLine(std::string_view first) {
    if (first.substr(0, kUtf8Mark.size()) == kUtf8Mark) first.remove_prefix(kUtf8Mark.size());
    const bool utf16Mark = first.substr(0, 2) == "\xFF\xFE" || first.substr(0, 2) == "\xFE\xFF";
    if (utf16Mark || KindInUtf16(first)) {
        throw WrongKindError("It is UTF-16 text: save it as UTF-8 or ANSI text.");
    }
    return first;
}

OpenedCapture CheckKind(std::unique_ptr<LineReader> lines) {
    std::string_view first;
    try {
        lines->Next(first);  // an empty file gives an empty first line
    } catch (const RangeError&) {
        throw WrongKindError();  // megabytes without a line end are no kind line
    }
    first = KindLine(first);
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
    return CheckKind(std::make_unique<LineReader>(ReadInPieces(path, Kinds::Files)));
}

namespace {

// A data line read field by field: its samples, and on the first data line the
// monitor values and the sample period as well; a Dyna line also its disk row
// (rows 0..4 from data lines 1..5).
void ReadLineByFields(std::string_view line, bool dyna, analysis::CaptureRecord& record,
                      analysis::DiskTable& disks, int& n, double& period) {
    // Field 1 is the time, read from data line 1 only.
    FieldCursor fields(line);
    const std::string_view time = fields.Next();
    StoreSample(fields.Next(), record, n);
    if (!dyna) StoreSample(fields.Next(), record, n);
    if (n == (dyna ? 1 : 2)) {
        const int monitorField = dyna ? 3 : 4;
        record.LoTemp = ReadNumber(line, monitorField);
        record.HiTemp = ReadNumber(line, monitorField + 1);
        record.ResistorPower = ReadNumber(line, monitorField + 2);
        period = PeriodFromTimeField(time, period);
    }
    if (dyna) PutDiskRow(line, disks, n - 1);
}

}  // namespace

void ReadCaptureData(const OpenedCapture& file, analysis::CaptureRecord& record,
                     analysis::DiskTable& disks) {
    const bool dyna = file.kind == CaptureKind::Dyna;
    record.IsDyna = dyna;
    double period = dyna ? kDynaSamplePeriod : kGrabSamplePeriod;

    LineReader& lines = *file.lines;
    std::string_view line;
    lines.Next(line);  // the caption line, whatever it holds
    int n = 0;
    const int samplesPerLine = dyna ? 1 : 2;
    while (lines.Next(line)) {
        std::uint16_t counts[2];
        // Past the first line, the form this program writes is read at once.
        if (n >= samplesPerLine && ReadWrittenSamples(line, samplesPerLine, counts)) {
            for (int i = 0; i < samplesPerLine; ++i) StoreCount(counts[i], record, n);
            if (dyna) PutDiskRow(line, disks, n - 1);
            continue;
        }
        ReadLineByFields(line, dyna, record, disks, n, period);
    }
    record.SampleCount = n;
    record.SamplePeriod = period;
}

}  // namespace corvane::files
