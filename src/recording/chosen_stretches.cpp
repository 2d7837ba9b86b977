#include "recording/chosen_stretches.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "files/atomic_file.h"
#include "files/file_error.h"
#include "recording/recording_error.h"

namespace corvane::recording {

namespace {

std::string PathIn(const std::string& folder) {
    return (std::filesystem::path(folder) / kChosenStretchesFile).string();
}

double Millisecond(double seconds) { return std::round(seconds * 1000.0) / 1000.0; }

std::string Fixed(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    return std::string(buffer, result.ptr);
}

std::optional<double> Number(std::string_view field) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The lines of the text without their line ends (LF or CR LF); a last line
// without its LF counts (the file may have been edited by hand).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Nothing when the line is not two numbers, the first not below the second.
std::optional<ChosenStretch> StretchOf(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto start = Number(line.substr(0, comma));
    const auto end = Number(line.substr(comma + 1));
    if (!start || !end || *start < 0 || !(*start < *end)) return std::nullopt;
    return ChosenStretch{*start, *end};
}

}  // namespace

ChosenStretch ChosenBetween(double fromS, double toS) {
    return {Millisecond(fromS), Millisecond(toS)};
}

Stretch CyclesOf(const std::vector<CycleRow>& cycles, const ChosenStretch& chosen) {
    return StretchBetween(cycles, chosen.startS, chosen.endS);
}

std::string ChosenStretchesText(const std::vector<ChosenStretch>& stretches) {
    std::string text(kChosenStretchesHeader);
    text += '\n';
    for (const ChosenStretch& s : stretches) text += Fixed(s.startS) + ',' + Fixed(s.endS) + '\n';
    return text;
}

std::vector<ChosenStretch> ParseChosenStretches(std::string_view text, const std::string& path) {
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.empty() || lines.front() != kChosenStretchesHeader) {
        throw RecordingError(path + ": line 1 is not the header " +
                             std::string(kChosenStretchesHeader));
    }
    std::vector<ChosenStretch> stretches;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const auto stretch = StretchOf(lines[i]);
        if (!stretch) {
            throw RecordingError(path + ": line " + std::to_string(i + 1) +
                                 " is not a stretch (start_s,end_s in seconds, start before end)");
        }
        stretches.push_back(*stretch);
    }
    return stretches;
}

std::vector<ChosenStretch> ReadChosenStretches(const std::string& folder) {
    const std::string path = PathIn(folder);
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RecordingError(path + ": " + files::FileErrorText(errno, files::FileAccess::Read));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw RecordingError(path + ": Disk read error");
    return ParseChosenStretches(text, path);
}

void WriteChosenStretches(const std::string& folder, const std::vector<ChosenStretch>& stretches) {
    files::ReplaceFileContents(PathIn(folder), ChosenStretchesText(stretches));
}

}  // namespace corvane::recording
