// Feeds arbitrary bytes to the capture-file reader and, when they read as a
// capture, to the analysis and the batch's results line, as a batch would.
// Reading the text in small pieces must give exactly what reading it in the
// usual pieces gives, tight limits may only refuse it, and a results line is
// always one line of seven fields.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "analysis/analyse_capture.h"
#include "analysis/capture_record.h"
#include "files/batch.h"
#include "files/capture_reader.h"
#include "text/number_format.h"

namespace {

using namespace corvane;

struct Reading {
    std::unique_ptr<analysis::CaptureRecord> record = std::make_unique<analysis::CaptureRecord>();
    analysis::DiskTable disks;
    std::string error;  // empty when the text read as a capture
};

Reading Read(const std::string& text, const analysis::DiskTable& disks, std::size_t piece,
             files::LineLimits limits = {}) {
    Reading reading;
    reading.disks = disks;
    try {
        const files::OpenedCapture file = files::CheckCaptureKind(text, limits, piece);
        files::ReadCaptureData(file, *reading.record, reading.disks);
    } catch (const std::exception& error) {
        reading.error = error.what();  // a refused file is a normal outcome
        if (reading.error.empty()) reading.error = "(no message)";
    }
    return reading;
}

bool SameReading(const Reading& a, const Reading& b) {
    if (a.error != b.error || a.disks != b.disks) return false;
    const analysis::CaptureRecord& x = *a.record;
    const analysis::CaptureRecord& y = *b.record;
    return x.RawSamples == y.RawSamples && x.SampleCount == y.SampleCount &&
           x.SamplePeriod == y.SamplePeriod && x.LoTemp == y.LoTemp && x.HiTemp == y.HiTemp &&
           x.ResistorPower == y.ResistorPower && x.IsDyna == y.IsDyna;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The first byte picks the disk table: blank, or one 200 g / 100 mm disk;
    // the second how small the pieces of the text are.
    const bool withDisk = size > 0 && (data[0] & 1);
    const std::size_t piece = size > 1 ? 1 + data[1] % 61 : 1;
    analysis::DiskTable disks(5);
    if (withDisk) disks[0] = {"200", "100", "0.25"};

    Reading reading = Read(text, disks, files::kReadPiece);
    if (!SameReading(reading, Read(text, disks, piece))) std::abort();
    // Tight limits may only refuse a text (as too long), never read it otherwise.
    const Reading limited = Read(text, disks, piece, {.maxLine = 40, .maxText = 2000});
    const bool refused = limited.error == "Range check error" ||
                         limited.error == "Input file is neither \"grab\" nor \"dyna\"!";
    if (!SameReading(reading, limited) && !refused) std::abort();
    if (!reading.error.empty()) return 0;

    analysis::AnalysisInputs inputs;
    inputs.disks = reading.disks;
    inputs.format = text::PointComma();
    analysis::AnalysisResult result;
    try {
        result = analysis::AnalyseCapture(*reading.record, inputs);
    } catch (const std::exception&) {
        // Range errors end an analysis; anything undefined is caught by the sanitizers.
    }
    // The file's name comes from its text, so that it may hold any character.
    files::ResultsColumn column;
    for (std::size_t row = 0; row < column.size(); ++row) column[row] = result.table[row][1];
    const std::string name = text.substr(0, std::min<std::size_t>(size, 24));
    const std::string line = files::BatchLine(name, column);
    const bool controls = std::any_of(line.begin(), line.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    const auto commas = [](const std::string& s) { return std::count(s.begin(), s.end(), ','); };
    if (controls || commas(line) != commas(name) + 6) std::abort();
    return 0;
}
