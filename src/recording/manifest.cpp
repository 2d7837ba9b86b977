#include "recording/manifest.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "analysis/crank_cycle.h"
#include "analysis/flywheel_holes.h"
#include "recording/recording_error.h"
#include "recording/recording_texts.h"

namespace corvane::recording {

namespace {

constexpr std::string_view kFormat = "corvane-recording 1";

// Channel 0..4 as the board wires them, with the conversions the program uses.
constexpr const char* kChannelTexts[] = {
    "pressure; volts = (count - 2048) / 204.8; kPa = volts / 0.4",
    "tachometer; volts = (count - 2048) / 204.8; a flywheel hole reads below 2 V",
    "low temperature; K = 100 x volts",
    "heater; W = 4 x volts^2",
    "high temperature; K = 100 x volts",
};

std::string Line(std::string_view key, std::string_view value) {
    return std::string(key) + '=' + std::string(value) + '\n';
}

std::string ChannelsSection(const daq::StreamFormat& format) {
    std::string text = "\n[Channels]\n";
    for (int c = format.lowChannel; c <= format.highChannel; ++c) {
        const bool known = c >= 0 && c < static_cast<int>(std::size(kChannelTexts));
        text += Line("channel" + std::to_string(c), known ? kChannelTexts[c] : "volts");
    }
    return text;
}

std::string EngineSection() {
    char amplitude[64];
    std::snprintf(amplitude, sizeof amplitude, "%.6f", analysis::VolumeAmplitude());
    char mean[64];
    std::snprintf(mean, sizeof mean, "%.6f", analysis::kMeanVolume);
    return "\n[Engine]\n" + Line("mean_volume_mm3", mean) +
           Line("volume_amplitude_mm3", amplitude) +
           Line("holes_per_revolution", std::to_string(analysis::kHolesPerRevolution)) +
           Line("crank_zero", "the wide hole, largest volume");
}

std::string DisksSection(const analysis::DiskTable& disks) {
    std::string text = "\n[Disks]\n";
    for (std::size_t row = 0; row < disks.size(); ++row) {
        text += Line("disk" + std::to_string(row + 1),
                     disks[row][0] + ';' + disks[row][1] + ';' + disks[row][2]);
    }
    return text;
}

std::map<std::string, std::string, std::less<>> Keys(std::string_view text) {
    std::map<std::string, std::string, std::less<>> keys;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(from, end - from);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && !line.starts_with('[')) {
            keys.emplace(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
        }
        from = end + 1;
    }
    return keys;
}

template <typename Number>
Number Required(const std::map<std::string, std::string, std::less<>>& keys,
                std::string_view key) {
    const auto found = keys.find(key);
    Number value{};
    if (found == keys.end()) {
        throw RecordingError(std::string(kManifestFile) + ": " + std::string(key) +
                             " is missing");
    }
    const std::string& text = found->second;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw RecordingError(std::string(kManifestFile) + ": " + std::string(key) + "=" + text +
                             " is not a number");
    }
    return value;
}

// The disk table as DisksSection wrote it: disk1, disk2, ... in order, each
// "mass;diameter;moment of inertia" (a field may be empty).
analysis::DiskTable DiskRows(const std::map<std::string, std::string, std::less<>>& keys) {
    analysis::DiskTable disks;
    for (std::size_t row = 1;; ++row) {
        const auto found = keys.find("disk" + std::to_string(row));
        if (found == keys.end()) return disks;
        analysis::DiskRow disk{};
        std::size_t from = 0;
        for (std::string& field : disk) {
            const std::size_t end = std::min(found->second.find(';', from), found->second.size());
            if (from <= found->second.size()) field = found->second.substr(from, end - from);
            from = end + 1;
        }
        disks.push_back(disk);
    }
}

}  // namespace

std::string ManifestText(const Manifest& manifest) {
    const daq::StreamFormat& format = manifest.format;
    return "[Recording]\n" + Line("format", kFormat) + Line("start_utc", manifest.startUtc) +
           Line("rate", std::to_string(format.rate)) +
           Line("low_channel", std::to_string(format.lowChannel)) +
           Line("high_channel", std::to_string(format.highChannel)) +
           Line("samples",
                "samples.u16: little-endian 16-bit converter counts (12-bit, 0..4095), "
                "channels interleaved scan after scan; 65535 in every channel: a lost scan") +
           Line("scans", std::to_string(manifest.scans)) + Line("board", manifest.board) +
           Line("simulated", manifest.simulated ? "1" : "0") +
           Line("program", manifest.program) + ChannelsSection(format) + EngineSection() +
           DisksSection(manifest.disks);
}

Manifest ParseManifest(std::string_view text) {
    const auto keys = Keys(text);
    const auto format = keys.find("format");
    if (format == keys.end() || format->second != kFormat) {
        throw RecordingError(std::string(kManifestFile) + ": not a Corvane recording");
    }
    Manifest manifest;
    manifest.format.rate = Required<long>(keys, "rate");
    manifest.format.lowChannel = Required<int>(keys, "low_channel");
    manifest.format.highChannel = Required<int>(keys, "high_channel");
    manifest.scans = Required<std::uint64_t>(keys, "scans");
    if (manifest.format.rate <= 0 || manifest.format.lowChannel < 0 ||
        manifest.format.highChannel < manifest.format.lowChannel) {
        throw RecordingError(std::string(kManifestFile) + ": no valid rate and channels");
    }
    const auto value = [&keys](std::string_view key) {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    };
    manifest.startUtc = value("start_utc");
    manifest.board = value("board");
    manifest.simulated = value("simulated") == "1";
    manifest.program = value("program");
    manifest.disks = DiskRows(keys);
    return manifest;
}

std::string UtcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            now.time_since_epoch())
                            .count() %
                        1000;
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char withMillis[48];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03dZ", text, static_cast<int>(millis));
    return withMillis;
}

}  // namespace corvane::recording
