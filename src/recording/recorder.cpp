#include "recording/recorder.h"

#include <algorithm>

#include "recording/recording_error.h"

namespace corvane::recording {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSyncEvery = std::chrono::seconds(1);
constexpr auto kFlushEvery = std::chrono::milliseconds(500);

std::string GapText(std::uint64_t lost, long rate) {
    return "gap: " + std::to_string(lost) + " scans lost (" +
           SecondsText(static_cast<double>(lost) / static_cast<double>(rate)) + " s)";
}

class Pipeline {
public:
    Pipeline(daq::ScanStream& stream, RecordingWriter& writer, const RecorderOptions& options)
        : writer_(writer),
          options_(options),
          format_(stream.Format()),
          tracker_(format_),
          steady_(options.steady),
          lastFlush_(Clock::now()),
          lastSync_(lastFlush_),
          lastStatus_(lastFlush_) {}

    // True while the stream goes on.
    bool Take(const daq::StreamChunk& chunk) {
        // Marks made before a stop still go in, at the time the stream has reached.
        if (options_.marks) {
            for (const std::string& text : options_.marks()) Note(text);
        }
        switch (chunk.kind) {
            case daq::StreamChunk::Kind::Scans:
                AddScans(chunk);
                break;
            case daq::StreamChunk::Kind::Gap:
                AddGap(chunk.firstScan, chunk.lostScans);
                break;
            case daq::StreamChunk::Kind::End:
                return false;
            case daq::StreamChunk::Kind::Failed:
                failure_ = chunk.message.empty() ? "the stream failed" : chunk.message;
                Note("failed: " + failure_);
                return false;
        }
        if (options_.scanLimit && writer_.Scans() >= *options_.scanLimit) return false;
        Keep();
        return true;
    }

    void Close() {
        Note("stop");
        writer_.Sync();
    }

    void Note(const std::string& text) { writer_.AddEvent({Now(), text}); }
    const std::string& Failure() const { return failure_; }
    RecordingStatus Status() {
        status_.seconds = Now();
        status_.scans = writer_.Scans();
        status_.bytes = writer_.BytesWritten();
        return status_;
    }

private:
    double Now() const {
        return static_cast<double>(writer_.Scans()) / static_cast<double>(format_.rate);
    }

    void AddScans(const daq::StreamChunk& chunk) {
        const auto channels = static_cast<std::uint64_t>(format_.Channels());
        std::uint64_t first = chunk.firstScan;
        std::span<const std::uint16_t> counts(chunk.counts);
        // Scans already written are not written twice; missing ones are a gap.
        if (first < writer_.Scans()) {
            const std::uint64_t again = std::min<std::uint64_t>(writer_.Scans() - first, counts.size() / channels);
            counts = counts.subspan(again * channels);
            first += again;
        }
        if (first > writer_.Scans()) AddGap(writer_.Scans(), first - writer_.Scans());
        if (options_.scanLimit) {
            const std::uint64_t room = *options_.scanLimit - std::min(*options_.scanLimit, first);
            counts = counts.first(std::min<std::uint64_t>(counts.size(), room * channels));
        }
        std::vector<CycleRow> cycles;
        tracker_.Add(first, counts, cycles);
        writer_.AddScans(counts);
        AddCycles(cycles, tracker_.LoopsOfLastAdd());
    }

    void AddGap(std::uint64_t first, std::uint64_t lost) {
        if (first < writer_.Scans()) return;  // a gap in what is already written: nothing new
        if (first > writer_.Scans()) lost += first - writer_.Scans();
        if (options_.scanLimit) lost = std::min(lost, *options_.scanLimit - writer_.Scans());
        tracker_.Gap();
        steady_.Gap();
        Note(GapText(lost, format_.rate));
        writer_.AddLostScans(lost);
        status_.lostScans += lost;
        ++status_.gaps;
    }

    void AddCycles(const std::vector<CycleRow>& cycles, const std::vector<CycleLoop>& loops) {
        for (std::size_t i = 0; i < cycles.size(); ++i) {
            CycleRow cycle = cycles[i];
            cycle.steady = steady_.Add(cycle);
            writer_.AddCycle(cycle);
            if (options_.cycle) options_.cycle(cycle);
            if (options_.loop) TellLoop(loops[i], cycle.timeS);
            ++status_.cycles;
            status_.lastCycle = cycle;
        }
    }

    void TellLoop(CycleLoop loop, double timeS) const {
        loop.cycle = status_.cycles;
        loop.timeS = timeS;
        options_.loop(loop);
    }

    // Half a second of the stream or of the clock since the last flush: to
    // the system; a second of the clock: to the disk.
    void Keep() {
        const auto now = Clock::now();
        const double unflushed = Now() - flushedAt_;
        if (now - lastSync_ >= kSyncEvery) {
            writer_.Sync();
            lastSync_ = lastFlush_ = now;
            flushedAt_ = Now();
        } else if (unflushed >= 0.5 || now - lastFlush_ >= kFlushEvery) {
            writer_.Flush();
            lastFlush_ = now;
            flushedAt_ = Now();
        }
        if (options_.everySecond && now - lastStatus_ >= std::chrono::seconds(1)) {
            lastStatus_ = now;
            options_.everySecond(Status());
        }
    }

    RecordingWriter& writer_;
    const RecorderOptions& options_;
    daq::StreamFormat format_;
    CycleTracker tracker_;
    SteadyDetector steady_;
    RecordingStatus status_;
    std::string failure_;
    Clock::time_point lastFlush_, lastSync_, lastStatus_;
    double flushedAt_ = 0.0;
};

}  // namespace

RecordingEnd Record(daq::ScanStream& stream, RecordingWriter& writer,
                    const RecorderOptions& options) {
    Pipeline pipeline(stream, writer, options);
    RecordingEnd end;
    try {
        pipeline.Note("start");
        writer.Flush();
        while (pipeline.Take(stream.Read())) {
        }
        stream.Stop();
        pipeline.Close();
        end.failed = !pipeline.Failure().empty();
        end.message = pipeline.Failure();
    } catch (const RecordingError& error) {
        stream.Stop();
        end.failed = true;
        end.message = error.what();
        // The note may still fit where the samples did not.
        try {
            pipeline.Note(std::string("stopped: ") + error.what());
            writer.Sync();
        } catch (const RecordingError&) {
        }
    }
    end.status = pipeline.Status();
    return end;
}

}  // namespace corvane::recording
