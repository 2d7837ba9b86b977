#include "recording/replay_stream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "recording/recording_error.h"
#include "text/converter_counts.h"

namespace corvane::recording {

namespace {

constexpr std::uint16_t kFullScale = 4095;

daq::StreamFormat FormatOfRecording(const std::string& folder) {
    return ReadRecording(folder).manifest.format;
}

// Volts as a 12-bit converter gives them: beyond its range it saturates.
std::uint16_t SaturatedCount(double volts) {
    const double lowest = text::CountToVolts(0);
    const double highest = text::CountToVolts(kFullScale);
    return text::VoltsToCount(std::clamp(volts, lowest, highest));
}

std::string_view Trimmed(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t' || field.back() == '\r'))
        field.remove_suffix(1);
    return field;
}

daq::StreamChunk Ended() { return daq::StreamChunk{}; }

}  // namespace

long ChunkScans(long rate) { return std::max(1L, rate / 10); }

RecordingStream::RecordingStream(const std::string& folder)
    : format_(FormatOfRecording(folder)), samples_(folder, format_) {}

daq::StreamChunk RecordingStream::Read() {
    if (stopped_ || next_ >= samples_.Scans()) return Ended();
    daq::StreamChunk out;
    out.firstScan = next_;
    std::vector<std::uint16_t> counts = samples_.Read(next_, ChunkScans(format_.rate));
    if (const std::uint64_t lost = LostScansFrom(counts); lost > 0) {
        // One gap as it was recorded, however many chunks it spans.
        out.kind = daq::StreamChunk::Kind::Gap;
        out.lostScans = lost;
        while (next_ + out.lostScans < samples_.Scans()) {
            const auto more = samples_.Read(next_ + out.lostScans, ChunkScans(format_.rate));
            const std::uint64_t further = LostScansFrom(more);
            out.lostScans += further;
            if (further * Channels() < more.size()) break;
        }
        next_ += out.lostScans;
        return out;
    }
    std::size_t whole = 0;  // scans up to the first lost one
    while (whole * Channels() < counts.size() &&
           !IsLostScan(std::span(counts).subspan(whole * Channels(), Channels()))) {
        ++whole;
    }
    out.kind = daq::StreamChunk::Kind::Scans;
    counts.resize(whole * Channels());
    out.counts = std::move(counts);
    next_ += whole;
    return out;
}

std::size_t RecordingStream::Channels() const { return static_cast<std::size_t>(format_.Channels()); }

std::uint64_t RecordingStream::LostScansFrom(std::span<const std::uint16_t> counts) const {
    std::uint64_t lost = 0;
    while ((lost + 1) * Channels() <= counts.size() &&
           IsLostScan(counts.subspan(lost * Channels(), Channels()))) {
        ++lost;
    }
    return lost;
}

VoltsCsvStream::VoltsCsvStream(const std::string& path, long rate)
    : path_(path), in_(path, std::ios::binary) {
    if (!in_ || std::filesystem::is_directory(path)) {
        throw RecordingError(path + ": cannot be opened");
    }
    std::string header;
    std::getline(in_, header);
    const std::string_view columns = Trimmed(header);
    if (columns != kTwoChannelHeader && columns != kFiveChannelHeader) {
        throw RecordingError(path + ": line 1: the header is not " +
                             std::string(kTwoChannelHeader) + " or " +
                             std::string(kFiveChannelHeader));
    }
    format_.lowChannel = 0;
    format_.highChannel = columns == kTwoChannelHeader ? 1 : 4;
    format_.rate = rate;
}

bool VoltsCsvStream::ReadRow(const std::string& line, std::vector<std::uint16_t>& counts) {
    std::string_view rest = line;
    for (int c = 0; c < format_.Channels(); ++c) {
        const std::size_t comma = rest.find(',');
        const bool last = c + 1 == format_.Channels();
        if (last != (comma == std::string_view::npos)) {
            failure_ = "expected " + std::to_string(format_.Channels()) + " numbers";
            return false;
        }
        const std::string_view field = Trimmed(rest.substr(0, comma));
        double volts = 0.0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), volts);
        if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
            !std::isfinite(volts)) {
            failure_ = "'" + std::string(field) + "' is not a number of volts";
            return false;
        }
        counts.push_back(SaturatedCount(volts));
        rest = last ? std::string_view() : rest.substr(comma + 1);
    }
    return true;
}

daq::StreamChunk VoltsCsvStream::Read() {
    if (stopped_ || ended_) return Ended();
    if (!failure_.empty()) {
        ended_ = true;
        daq::StreamChunk failed{daq::StreamChunk::Kind::Failed, next_, 0, {}, failure_};
        return failed;
    }
    daq::StreamChunk out{daq::StreamChunk::Kind::Scans, next_, 0, {}, {}};
    std::string line;
    for (long scan = 0; scan < ChunkScans(format_.rate) && std::getline(in_, line);) {
        ++line_;
        if (Trimmed(line).empty()) continue;
        if (!ReadRow(line, out.counts)) {
            failure_ = path_ + ": line " + std::to_string(line_) + ": " + failure_;
            out.counts.resize(static_cast<std::size_t>(scan * format_.Channels()));
            break;
        }
        ++scan;
    }
    const auto scans = out.counts.size() / static_cast<std::size_t>(format_.Channels());
    next_ += scans;
    if (scans > 0) return out;
    if (failure_.empty()) {
        ended_ = true;
        return Ended();
    }
    return Read();  // the bad line came first: the failure now
}

PacedStream::PacedStream(std::unique_ptr<daq::ScanStream> source) : source_(std::move(source)) {}

daq::StreamChunk PacedStream::Read() {
    daq::StreamChunk chunk = source_->Read();
    if (!start_) start_ = std::chrono::steady_clock::now();
    const std::uint64_t upTo = chunk.firstScan + chunk.lostScans +
                               chunk.counts.size() / static_cast<std::size_t>(Format().Channels());
    const auto due = *start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(
                                       static_cast<double>(upTo) / static_cast<double>(Format().rate)));
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, due, [this] { return stopped_; });
    return chunk;
}

void PacedStream::Stop() {
    // The source first: its next Read ends the stream even while the wake-up
    // below is still on its way.
    source_->Stop();
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    wake_.notify_all();
}

std::unique_ptr<daq::ScanStream> OpenReplay(const std::string& source, long rate) {
    if (std::filesystem::is_directory(source)) return std::make_unique<RecordingStream>(source);
    return std::make_unique<VoltsCsvStream>(source, rate);
}

}  // namespace corvane::recording
