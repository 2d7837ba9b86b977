// The main window's captures from a running recording: the latest scans kept
// round a ring with their gaps, a Grab's newest second and a Dyna's next
// seconds as the board's capture would give them, the monitor's values from
// the newest scans, and the tap that feeds the ring from the recording's stream.

#include "recording/stream_capture.h"

#include <gtest/gtest.h>

#include <deque>
#include <future>
#include <thread>

#include "daq/engine_monitor.h"
#include "text/converter_counts.h"

namespace corvane::recording {
namespace {

using Kind = daq::StreamChunk::Kind;
using namespace std::chrono_literals;

constexpr daq::StreamFormat kEngine{0, 4, 1000};

// Scan k, channel c reads (10 k + c) mod 4096: every sample says where it came from.
std::uint16_t Count(std::uint64_t scan, int channel) {
    return static_cast<std::uint16_t>((10 * scan + static_cast<std::uint64_t>(channel)) % 4096);
}

daq::StreamChunk Scans(std::uint64_t first, std::uint64_t scans,
                       const daq::StreamFormat& format = kEngine) {
    daq::StreamChunk chunk;
    chunk.kind = Kind::Scans;
    chunk.firstScan = first;
    for (std::uint64_t k = first; k < first + scans; ++k)
        for (int c = format.lowChannel; c <= format.highChannel; ++c)
            chunk.counts.push_back(Count(k, c));
    return chunk;
}

daq::StreamChunk Gap(std::uint64_t first, std::uint64_t lost) {
    daq::StreamChunk chunk;
    chunk.kind = Kind::Gap;
    chunk.firstScan = first;
    chunk.lostScans = lost;
    return chunk;
}

std::vector<std::uint16_t> Expected(ScanSpan span, int low, int high) {
    std::vector<std::uint16_t> counts;
    for (std::uint64_t k = span.first; k < span.End(); ++k)
        for (int c = low; c <= high; ++c) counts.push_back(Count(k, c));
    return counts;
}

// A ring of 2 s (2000 scans) after scans 0..2499, a gap of 300, then 2800..3499.
TEST(LatestScans, CopiesWhatIsKeptAndUnbrokenOnly) {
    LatestScans latest(2.0);
    latest.Begin(kEngine);
    latest.Add(Scans(0, 2500));
    latest.Add(Gap(2500, 300));
    latest.Add(Scans(2800, 400));
    latest.Add(Scans(3200, 300));
    EXPECT_EQ(latest.Reached(), 3500u);
    EXPECT_EQ(latest.UnbrokenFrom(), 2800u);
    struct Case {
        ScanSpan span;
        int low, high;
        bool kept;
    } const cases[] = {
        {{1500, 1000}, 0, 4, true},  // the oldest kept scan on, round the ring's end
        {{1499, 10}, 0, 4, false},   // its first scan is overwritten
        {{2490, 10}, 1, 1, true},    // right up to the gap
        {{2490, 11}, 1, 1, false},   // one scan into it
        {{2799, 2}, 0, 1, false},    // the gap's last scan
        {{2800, 700}, 2, 4, true},   // after it, to the newest
        {{3000, 501}, 0, 4, false},  // one scan not yet come
        {{3000, 10}, 3, 5, false},   // a channel the stream does not hold
        {{3000, 10}, 2, 1, false},   // no channels
    };
    for (const Case& c : cases) {
        const auto copy = latest.Copy(c.span, c.low, c.high);
        ASSERT_EQ(copy.has_value(), c.kept) << c.span.first << "+" << c.span.count;
        if (copy) {
            EXPECT_EQ(*copy, Expected(c.span, c.low, c.high)) << c.span.first;
        }
    }
    latest.Add(Scans(3600, 100));  // past the scans reached: those between never came
    EXPECT_EQ(latest.UnbrokenFrom(), 3600u);
    EXPECT_TRUE(latest.Copy({3600, 100}, 0, 4));
    EXPECT_FALSE(latest.Copy({3499, 2}, 0, 4));
}

TEST(LatestScans, EachStreamBeginsAfreshAndEndsItsWaiters) {
    LatestScans latest(1.0);
    latest.Begin(kEngine);
    latest.Add(Scans(0, 600));
    latest.Add(Gap(600, 10));
    const std::uint64_t first = latest.Session();
    latest.Begin(daq::StreamFormat{0, 1, 500});
    EXPECT_EQ(latest.Session(), first + 1);
    EXPECT_EQ(latest.Reached(), 0u);
    EXPECT_EQ(latest.UnbrokenFrom(), 0u) << "the old stream's gap is gone with it";
    latest.Add(Scans(0, 300, daq::StreamFormat{0, 1, 500}));
    EXPECT_FALSE(latest.Copy({0, 10}, 0, 4)) << "the new stream holds two channels";
    EXPECT_EQ(*latest.Copy({299, 1}, 0, 1), Expected({299, 1}, 0, 1));

    std::atomic<bool> cancelled{false};
    auto waiter =
        std::async(std::launch::async, [&] { return latest.WaitFor(1000, cancelled, 10s); });
    std::this_thread::sleep_for(20ms);
    daq::StreamChunk failed;
    failed.kind = Kind::Failed;
    latest.Add(failed);
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready) << "a failed stream ends the wait";
    EXPECT_FALSE(waiter.get());
    EXPECT_FALSE(latest.Live());
    EXPECT_TRUE(latest.Failed());
    latest.Add(Scans(300, 100, daq::StreamFormat{0, 1, 500}));
    EXPECT_EQ(latest.Reached(), 300u) << "nothing is added after the end";
}

// Feeds the ring from another thread, a tenth of a second of the stream at a time.
class Feeder {
public:
    Feeder(LatestScans& latest, std::deque<daq::StreamChunk> chunks)
        : thread_([&latest, chunks = std::move(chunks)]() mutable {
              for (; !chunks.empty(); chunks.pop_front()) {
                  std::this_thread::sleep_for(2ms);
                  latest.Add(chunks.front());
              }
          }) {}
    ~Feeder() { thread_.join(); }

private:
    std::thread thread_;
};

std::deque<daq::StreamChunk> Tenths(std::uint64_t first, std::uint64_t end) {
    std::deque<daq::StreamChunk> chunks;
    for (; first < end; first += 100)
        chunks.push_back(Scans(first, std::min<std::uint64_t>(100, end - first)));
    return chunks;
}

TEST(StreamCapture, GrabIsTheNewestSecondInTheBoardsShape) {
    LatestScans latest;
    latest.Begin(kEngine);
    latest.Add(Scans(0, 2345));
    StreamCapture grab(latest, analysis::kGrabPlan);
    ASSERT_EQ(grab.Wait(), StreamWait::Taken);
    EXPECT_EQ(grab.Stretch().first, 1345u);
    EXPECT_EQ(grab.Stretch().count, 1000u);

    analysis::CaptureRecord record;
    record.IsDyna = true;
    record.RawSamples[2000] = 77;
    ASSERT_TRUE(grab.Into(record));
    EXPECT_FALSE(record.IsDyna);
    EXPECT_EQ(record.SampleCount, analysis::kGrabPlan.sampleCount);
    EXPECT_DOUBLE_EQ(record.SamplePeriod, 0.001);
    const auto expected = Expected({1345, 1000}, 0, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.RawSamples.begin()));
    EXPECT_EQ(record.RawSamples[2000], 77) << "nothing beyond the capture is touched";
    // Channel c of scan k reads 10 k + c (mod 4096): the monitor's means over the second.
    double low = 0, heater = 0, high = 0;
    for (std::uint64_t k = 1345; k < 2345; ++k) {
        low += daq::TemperatureKelvin(Count(k, 2));
        heater += daq::HeaterPowerWatts(Count(k, 3));
        high += daq::TemperatureKelvin(Count(k, 4));
    }
    EXPECT_NEAR(record.LoTemp, low / 1000, 1e-9);
    EXPECT_NEAR(record.ResistorPower, heater / 1000, 1e-9);
    EXPECT_NEAR(record.HiTemp, high / 1000, 1e-9);
}

// A continuous grab does not take the previous grab's scans again, and no grab
// takes a second with a gap in it: each waits for a whole second after.
TEST(StreamCapture, GrabWaitsForAWholeSecondAfterItsStartAndAfterAGap) {
    struct Case {
        std::uint64_t notBefore;
        bool gap;              // scans 2000..2099 lost, 2100..2399 come
        std::uint64_t feedTo;  // the stream goes on to here while the grab waits
        std::uint64_t first;
    } const cases[] = {{0, false, 2000, 1000},
                       {1500, false, 2500, 1500},
                       {0, true, 3100, 2100},
                       {2500, true, 3500, 2500}};
    for (const Case& c : cases) {
        LatestScans latest;
        latest.Begin(kEngine);
        latest.Add(Scans(0, 2000));
        if (c.gap) {
            latest.Add(Gap(2000, 100));
            latest.Add(Scans(2100, 300));
        }
        StreamCapture grab(latest, analysis::kGrabPlan, c.notBefore);
        {
            Feeder feeder(latest, Tenths(latest.Reached(), c.feedTo));
            ASSERT_EQ(grab.Wait(), StreamWait::Taken) << c.notBefore;
        }
        EXPECT_EQ(grab.Stretch().first, c.first) << c.notBefore << (c.gap ? " gap" : "");
        analysis::CaptureRecord record;
        ASSERT_TRUE(grab.Into(record));
        EXPECT_EQ(record.RawSamples[0], Count(c.first, 0));
    }
}

TEST(StreamCapture, DynaIsTheNextFourSecondsOfTheTachometer) {
    LatestScans latest;
    latest.Begin(kEngine);
    latest.Add(Scans(0, 700));
    StreamCapture dyna(latest, analysis::kDynaPlan);
    {
        Feeder feeder(latest, Tenths(700, 5000));
        const auto asked = std::chrono::steady_clock::now();
        ASSERT_EQ(dyna.Wait(20s), StreamWait::Taken);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 10s)
            << "woken by the scans as they come, not by its timeout";
    }
    EXPECT_EQ(dyna.Stretch().first, 700u) << "from the scan reached when it was asked for";
    analysis::CaptureRecord record;
    ASSERT_TRUE(dyna.Into(record));
    EXPECT_TRUE(record.IsDyna);
    EXPECT_EQ(record.SampleCount, 4000);
    EXPECT_DOUBLE_EQ(record.SamplePeriod, 0.001);
    const auto expected = Expected({700, 4000}, 1, 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.RawSamples.begin()));
}

// How a wait ends without its scans; the record stays as it was.
TEST(StreamCapture, AWaitThatCannotBeTakenSaysWhy) {
    enum class Then { Gap, End, Fail, Cancel, Silence, NewStream, OtherRate };
    struct Case {
        Then then;
        analysis::CaptureKind kind;
        StreamWait expected;
    } const cases[] = {
        {Then::Gap, analysis::CaptureKind::Dyna, StreamWait::Lost},
        {Then::End, analysis::CaptureKind::Dyna, StreamWait::Ended},
        {Then::Fail, analysis::CaptureKind::Grab, StreamWait::Failed},
        {Then::Cancel, analysis::CaptureKind::Grab, StreamWait::Cancelled},
        {Then::Silence, analysis::CaptureKind::Grab, StreamWait::Failed},
        {Then::NewStream, analysis::CaptureKind::Dyna, StreamWait::Ended},
        {Then::OtherRate, analysis::CaptureKind::Grab, StreamWait::Unsuited},
    };
    for (const Case& c : cases) {
        LatestScans latest;
        latest.Begin(c.then == Then::OtherRate ? daq::StreamFormat{0, 4, 500} : kEngine);
        latest.Add(Scans(0, 500));
        StreamCapture capture(latest, analysis::PlanOf(c.kind));
        auto waited = std::async(std::launch::async, [&] { return capture.Wait(200ms); });
        std::this_thread::sleep_for(20ms);
        daq::StreamChunk end;
        end.kind = c.then == Then::Fail ? Kind::Failed : Kind::End;
        switch (c.then) {
            case Then::Gap:
                latest.Add(Gap(500, 1));
                latest.Add(Scans(501, 4000));
                break;
            case Then::End:
            case Then::Fail:
                latest.Add(end);
                break;
            case Then::Cancel:
                capture.Cancel();
                break;
            case Then::NewStream:
                latest.Begin(kEngine);
                latest.Add(Scans(0, 5000));
                break;
            case Then::Silence:
            case Then::OtherRate:
                break;
        }
        ASSERT_EQ(waited.wait_for(6s), std::future_status::ready);
        EXPECT_EQ(waited.get(), c.expected) << static_cast<int>(c.then);
        analysis::CaptureRecord record;
        record.SampleCount = 123;
        EXPECT_FALSE(capture.Into(record));
        EXPECT_EQ(record.SampleCount, 123) << static_cast<int>(c.then);
    }
}

TEST(StreamMonitor, NewestScansGiveTheMonitorsValues) {
    LatestScans latest;
    latest.Begin(kEngine);
    EXPECT_FALSE(NewestReading(latest)) << "no scan yet";
    EXPECT_FALSE(NewestTick(latest));
    latest.Add(Scans(0, 1000));
    latest.Add(Gap(1000, 50));
    latest.Add(Scans(1050, 100));
    // The newest 0.2 s would reach into the gap: only the 100 scans after it count.
    double low = 0, heater = 0, high = 0;
    for (std::uint64_t k = 1050; k < 1150; ++k) {
        low += daq::TemperatureKelvin(Count(k, 2));
        heater += daq::HeaterPowerWatts(Count(k, 3));
        high += daq::TemperatureKelvin(Count(k, 4));
    }
    const auto reading = NewestReading(latest, 0.2);
    ASSERT_TRUE(reading);
    EXPECT_NEAR(reading->loTemp, low / 100, 1e-9);
    EXPECT_NEAR(reading->resistorPower, heater / 100, 1e-9);
    EXPECT_NEAR(reading->hiTemp, high / 100, 1e-9);
    const auto tick = NewestTick(latest, 0.05);
    ASSERT_TRUE(tick);
    EXPECT_NEAR(tick->lowK, NewestReading(latest, 0.05)->loTemp, 1e-12);
    EXPECT_NEAR(tick->highK, NewestReading(latest, 0.05)->hiTemp, 1e-12);
    EXPECT_EQ(tick->pressureCount, Count(1149, 0)) << "the newest scan's pressure";

    LatestScans pressureOnly;
    pressureOnly.Begin(daq::StreamFormat{0, 1, 1000});
    pressureOnly.Add(Scans(0, 100, daq::StreamFormat{0, 1, 1000}));
    EXPECT_FALSE(NewestReading(pressureOnly)) << "a stream without the monitor's channels";
}

// A stream of given chunks, then End.
class ListedStream : public daq::ScanStream {
public:
    explicit ListedStream(std::deque<daq::StreamChunk> chunks) : chunks_(std::move(chunks)) {}
    daq::StreamFormat Format() const override { return kEngine; }
    daq::StreamChunk Read() override {
        if (chunks_.empty()) return daq::StreamChunk{};
        daq::StreamChunk chunk = chunks_.front();
        chunks_.pop_front();
        return chunk;
    }
    void Stop() override { stopped = true; }
    bool stopped = false;

private:
    std::deque<daq::StreamChunk> chunks_;
};

TEST(TapStream, PassesEveryChunkOnAndKeepsItsScans) {
    auto latest = std::make_shared<LatestScans>();
    auto inner =
        std::make_unique<ListedStream>(std::deque<daq::StreamChunk>{Scans(0, 300), Gap(300, 20)});
    ListedStream* listed = inner.get();
    auto tapped = TapStream(std::move(inner), latest);
    EXPECT_TRUE(latest->Live());
    EXPECT_EQ(tapped->Format().Channels(), 5);
    EXPECT_EQ(tapped->Read().counts, Scans(0, 300).counts);
    EXPECT_EQ(tapped->Read().lostScans, 20u);
    EXPECT_EQ(latest->Reached(), 320u);
    EXPECT_EQ(*latest->Copy({0, 300}, 0, 4), Expected({0, 300}, 0, 4));
    tapped->Stop();
    EXPECT_TRUE(listed->stopped);
    EXPECT_EQ(tapped->Read().kind, Kind::End);
    EXPECT_FALSE(latest->Live());
    EXPECT_FALSE(latest->Failed());

    auto again = TapStream(std::make_unique<ListedStream>(std::deque<daq::StreamChunk>{}), latest);
    EXPECT_TRUE(latest->Live());
    again.reset();
    EXPECT_FALSE(latest->Live()) << "a stream destroyed unread ends too";
}

}  // namespace
}  // namespace corvane::recording
