// Replayed sources: a CSV of volts (with its bad lines named), a recording
// with its gaps given back, and the pace of real time.

#include "recording/replay_stream.h"

#include <gtest/gtest.h>

#include <chrono>

#include "recording/recording_error.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"
#include "text/converter_counts.h"

namespace corvane::recording {
namespace {

using Kind = daq::StreamChunk::Kind;

std::vector<daq::StreamChunk> ReadAll(daq::ScanStream& stream) {
    std::vector<daq::StreamChunk> chunks;
    for (;;) {
        chunks.push_back(stream.Read());
        if (chunks.back().kind == Kind::End || chunks.back().kind == Kind::Failed) return chunks;
    }
}

TEST(VoltsCsvReplay, TakesTwoOrFiveColumnsAndSaturatesLikeTheConverter) {
    testing::TempDir dir;
    testing::WriteText(dir.File("two.csv"), "pressure_v,tach_v\r\n1.0, 4.5\r\n\r\n-12,10.5\r\n0,0");
    VoltsCsvStream two(dir.File("two.csv"), 500);
    EXPECT_EQ(two.Format().highChannel, 1);
    EXPECT_EQ(two.Format().rate, 500);
    const auto chunks = ReadAll(two);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].counts, (std::vector<std::uint16_t>{text::VoltsToCount(1.0),
                                                            text::VoltsToCount(4.5), 0, 4095,
                                                            2048, 2048}));
    EXPECT_EQ(chunks[1].kind, Kind::End);

    testing::WriteText(dir.File("five.csv"),
                       "pressure_v,tach_v,lo_temp_v,heater_v,hi_temp_v\n1,2,3,4,5\n");
    VoltsCsvStream five(dir.File("five.csv"), 1000);
    EXPECT_EQ(five.Format().highChannel, 4);
    EXPECT_EQ(five.Read().counts.size(), 5u);
}

TEST(VoltsCsvReplay, ABadLineEndsTheStreamNamingItAfterTheScansBefore) {
    struct Case {
        const char* line;
        const char* why;
    };
    for (const Case c : {Case{"1.0,x", "line 252: 'x' is not a number of volts"},
                         Case{"1.0", "line 252: expected 2 numbers"},
                         Case{"1.0,2.0,3.0", "line 252: expected 2 numbers"},
                         Case{"nan,1", "line 252: 'nan' is not a number of volts"}}) {
        SCOPED_TRACE(c.line);
        testing::TempDir dir;
        std::string csv = "pressure_v,tach_v\n";
        for (int i = 0; i < 250; ++i) csv += "0.5,4.0\n";
        testing::WriteText(dir.File("bad.csv"), csv + c.line + "\n0.5,4.0\n");
        VoltsCsvStream stream(dir.File("bad.csv"), 1000);
        const auto chunks = ReadAll(stream);
        std::size_t scans = 0;
        for (const auto& chunk : chunks) scans += chunk.counts.size() / 2;
        EXPECT_EQ(scans, 250u);
        EXPECT_EQ(chunks.back().kind, Kind::Failed);
        EXPECT_EQ(chunks.back().message, dir.File("bad.csv") + ": " + c.why);
        EXPECT_EQ(stream.Read().kind, Kind::End);
    }
}

TEST(VoltsCsvReplay, RefusesAnotherHeaderOrAMissingFile) {
    testing::TempDir dir;
    testing::WriteText(dir.File("other.csv"), "time,pressure\n0,1\n");
    EXPECT_THROW(VoltsCsvStream(dir.File("other.csv"), 1000), RecordingError);
    EXPECT_THROW(VoltsCsvStream(dir.File("missing.csv"), 1000), RecordingError);
    EXPECT_THROW(OpenReplay(dir.File("missing.csv"), 1000), RecordingError);
}

TEST(RecordingReplay, GivesBackScansAndGapsAsRecorded) {
    testing::TempDir dir;
    Manifest manifest;
    manifest.format = {0, 1, 100};
    {
        RecordingWriter writer(dir.File("run"), manifest);
        std::vector<std::uint16_t> counts(2 * 25, 1000);
        writer.AddScans(counts);
        writer.AddLostScans(30);
        writer.AddScans(std::vector<std::uint16_t>(2 * 5, 3000));
        writer.Sync();
    }
    const auto stream = OpenReplay(dir.File("run"), 1000);
    EXPECT_EQ(stream->Format().rate, 100);
    const auto chunks = ReadAll(*stream);
    std::vector<std::string> seen;
    for (const auto& c : chunks) {
        seen.push_back(std::to_string(static_cast<int>(c.kind)) + "@" + std::to_string(c.firstScan) +
                       ":" + std::to_string(c.kind == Kind::Gap ? c.lostScans : c.counts.size() / 2));
    }
    // Chunks of a tenth of a second, a gap as long as it was.
    EXPECT_EQ(seen, (std::vector<std::string>{"0@0:10", "0@10:10", "0@20:5", "1@25:30",
                                              "0@55:5", "2@0:0"}));
}

TEST(PacedReplay, KeepsToTheClockAndStopsAtOnce) {
    testing::TempDir dir;
    std::string csv = "pressure_v,tach_v\n";
    for (int i = 0; i < 400; ++i) csv += "0,4\n";
    testing::WriteText(dir.File("trace.csv"), csv);
    PacedStream paced(std::make_unique<VoltsCsvStream>(dir.File("trace.csv"), 1000));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) paced.Read();  // 0.3 s of scans
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(290));
    paced.Stop();
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(paced.Read().kind, Kind::End);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(50));
}

}  // namespace
}  // namespace corvane::recording
