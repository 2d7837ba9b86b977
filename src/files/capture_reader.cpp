#include "files/capture_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

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

// TextToCount is a pure function and a capture holds few distinct field texts
// (the tachometer sits on two levels, the pressure on a few hundred counts), so
// the reader remembers recent conversions: same results, a fraction of the work.
class CountCache {
public:
    std::uint16_t Convert(std::string_view field) {
        if (field.size() > kMaxText) return Fresh(field);
        Entry& entry = entries_[Hash(field) % kEntries];
        if (entry.length == field.size() && entry.length > 0 &&
            std::memcmp(entry.text, field.data(), field.size()) == 0) {
            return entry.count;
        }
        const std::uint16_t count = Fresh(field);  // throws before anything is remembered
        entry.length = static_cast<std::uint8_t>(field.size());
        std::memcpy(entry.text, field.data(), field.size());
        entry.count = count;
        return count;
    }

private:
    static constexpr std::size_t kMaxText = 31;
    static constexpr std::size_t kEntries = 1024;
    struct Entry {
        char text[kMaxText];
        std::uint8_t length = 0;
        std::uint16_t count = 0;
    };
    static std::uint64_t Hash(std::string_view field) {
        std::uint64_t hash = field.size();
        std::size_t i = 0;
        for (; i + 8 <= field.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, field.data() + i, 8);
            hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
        }
        for (; i < field.size(); ++i) {
            hash = (hash ^ static_cast<unsigned char>(field[i])) * 0x100000001B3ull;
        }
        return hash ^ (hash >> 29);
    }
    static std::uint16_t Fresh(std::string_view field) {
        return text::TextToCount(field, FileNumbers());
    }
    std::array<Entry, kEntries> entries_{};
};

void StoreSample(std::string_view line, int field, analysis::CaptureRecord& record, int& n,
                 CountCache* cache) {
    const std::string_view text = ExtractField(line, field);
    const std::uint16_t count =
        cache ? cache->Convert(text) : text::TextToCount(text, FileNumbers());
    if (n < 0 || n >= analysis::kRawCapacity) throw RangeError();
    record.RawSamples[static_cast<std::size_t>(n)] = count;
    ++n;
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
    StoreSample(line, field, record, n, nullptr);
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
    auto cache = std::make_unique<CountCache>();
    while (lines.Next(line)) {
        if (!dyna) {
            StoreSample(line, 2, record, n, cache.get());
            StoreSample(line, 3, record, n, cache.get());
            if (n == 2) {
                record.LoTemp = ReadNumber(line, 4);
                record.HiTemp = ReadNumber(line, 5);
                record.ResistorPower = ReadNumber(line, 6);
                period = PeriodFromTimeField(line, period);
            }
        } else {
            StoreSample(line, 2, record, n, cache.get());
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
