// One second of a recording made the working capture: exactly the scans of
// that second (to the nearest scan), the monitor values their means; a second
// holding a gap or reaching past either end of the run is refused with the
// reason, and the capture is left as it was.

#include "recording/grab_export.h"

#include <gtest/gtest.h>

#include "daq/engine_monitor.h"
#include "engine_trace.h"
#include "recording/recorder.h"
#include "recording/recording_error.h"
#include "recording/recording_writer.h"
#include "temp_dir.h"

namespace corvane::recording {
namespace {

constexpr long kRate = 1000;
const daq::StreamFormat kFiveChannels{0, 4, kRate};

daq::EngineModel Engine() { return daq::EngineModel(daq::EngineParameters{}); }

// 4 s of the engine, scans 4000..4299 lost, then scans 4300..7299.
std::string RecordWithAGap(const testing::TempDir& dir) {
    auto chunks = testing::ChunksOf(testing::EngineScans(Engine(), kRate, 0, 4000), 5, 0, 250);
    for (auto& c :
         testing::ChunksOf(testing::EngineScans(Engine(), kRate, 4300, 3000), 5, 4300, 250))
        chunks.push_back(std::move(c));
    testing::ScriptedStream stream(kFiveChannels, std::move(chunks));
    RecordingWriter writer(
        dir.File("run"),
        Manifest{"2026-12-08T19:30:00.000Z", kFiveChannels, "script", false, "test", {}, 0});
    Record(stream, writer, {});
    return dir.File("run");
}

TEST(ImportSecond, TakesExactlyThatSecondsScansAsAGrab) {
    const testing::TempDir dir;
    const std::string run = RecordWithAGap(dir);
    struct Case {
        double atSeconds;
        std::uint64_t firstScan;
    };
    for (const Case c :
         {Case{0.0, 0}, Case{1.2346, 1235}, Case{2.9999, 3000}, Case{4.3, 4300}, Case{6.3, 6300}}) {
        analysis::CaptureRecord record;
        record.IsDyna = true;
        int prepared = 0;
        ImportSecond(run, c.atSeconds, record,
                     [&](files::CaptureKind kind, analysis::CaptureRecord& r) {
                         EXPECT_EQ(kind, files::CaptureKind::Grab);
                         EXPECT_FALSE(r.IsDyna);
                         r.LoTemp = -1;  // a live reading the second's mean replaces
                         ++prepared;
                     });
        EXPECT_EQ(prepared, 1);
        const auto scans = testing::EngineScans(Engine(), kRate, c.firstScan, kRate);
        ASSERT_EQ(record.SampleCount, 2 * kRate);
        EXPECT_EQ(record.SamplePeriod, 1.0 / kRate);
        double low = 0, heater = 0, high = 0;
        for (std::size_t scan = 0; scan < static_cast<std::size_t>(kRate); ++scan) {
            ASSERT_EQ(record.RawSamples[2 * scan], scans[5 * scan]) << c.atSeconds << " " << scan;
            ASSERT_EQ(record.RawSamples[2 * scan + 1], scans[5 * scan + 1]) << c.atSeconds;
            low += daq::TemperatureKelvin(scans[5 * scan + 2]);
            heater += daq::HeaterPowerWatts(scans[5 * scan + 3]);
            high += daq::TemperatureKelvin(scans[5 * scan + 4]);
        }
        EXPECT_EQ(record.RawSamples[2 * kRate], 0);  // nothing beyond the second
        EXPECT_DOUBLE_EQ(record.LoTemp, low / kRate);
        EXPECT_DOUBLE_EQ(record.ResistorPower, heater / kRate);
        EXPECT_DOUBLE_EQ(record.HiTemp, high / kRate);
        EXPECT_FALSE(record.IsDyna);
    }
}

TEST(ImportSecond, RefusesAGapAndTheRunsEndsLeavingTheCaptureAsItWas) {
    const testing::TempDir dir;
    const std::string run = RecordWithAGap(dir);
    struct Case {
        double atSeconds;
        std::string message;
    };
    const std::string beyond = " s (it holds 7.300 s)";
    for (const Case& c : {Case{3.0006, "the second from 3.001 s holds lost scans"},
                          Case{4.2994, "the second from 4.299 s holds lost scans"},
                          Case{6.3006, "holds no whole second from 6.301" + beyond},
                          Case{-0.001, "holds no whole second from -0.001" + beyond},
                          Case{1e300, "holds no whole second from"}}) {
        analysis::CaptureRecord record;
        record.SampleCount = 4;
        record.RawSamples[0] = 17;
        bool prepared = false;
        try {
            ImportSecond(run, c.atSeconds, record,
                         [&](files::CaptureKind, analysis::CaptureRecord&) { prepared = true; });
            ADD_FAILURE() << c.atSeconds << " was taken";
        } catch (const RecordingError& error) {
            EXPECT_NE(std::string(error.what()).find(run + ": " + c.message), std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(prepared);
        EXPECT_EQ(record.SampleCount, 4);
        EXPECT_EQ(record.RawSamples[0], 17);
    }
}

TEST(ImportSecond, RefusesARecordingWithoutPressureOrTachometer) {
    const testing::TempDir dir;
    for (const daq::StreamFormat format :
         {daq::StreamFormat{1, 4, kRate}, daq::StreamFormat{0, 0, kRate}}) {
        const std::string run = dir.File("run" + std::to_string(format.lowChannel));
        {
            RecordingWriter writer(
                run, Manifest{"2026-12-08T19:30:00.000Z", format, "script", false, "test", {}, 0});
            writer.AddScans(std::vector<std::uint16_t>(
                static_cast<std::size_t>(2 * kRate * format.Channels()), 2048));
            writer.Sync();
        }
        analysis::CaptureRecord record;
        EXPECT_THROW(
            {
                try {
                    ImportSecond(run, 0, record, {});
                } catch (const RecordingError& error) {
                    EXPECT_EQ(std::string(error.what()),
                              run + ": holds no pressure and tachometer");
                    throw;
                }
            },
            RecordingError);
    }
}

}  // namespace
}  // namespace corvane::recording
